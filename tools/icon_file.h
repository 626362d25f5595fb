// An icon file (".ico"): the directory at its start and the images it points at,
// as the setup's icon is made of them: each image becomes an icon resource, the
// directory a group icon resource that names them by id.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kit {

struct IconImage {
  uint8_t width = 0;   // 0 stands for 256
  uint8_t height = 0;  // 0 stands for 256
  uint8_t colours = 0;
  uint16_t planes = 0;
  uint16_t bitCount = 0;
  std::string bytes;  // a bitmap without its file header, or a PNG file
};

// More images than this are taken for a damaged file.
constexpr size_t kMaxIconImages = 64;

// The images of the icon file in bytes. Empty on success; otherwise what is wrong
// (a directory that is not an icon's, no image or more than kMaxIconImages, an
// image reaching past the end of the file, one that is neither a bitmap nor a PNG),
// and *images is empty.
std::string ReadIconFile(const std::string& bytes, std::vector<IconImage>* images);

// The group icon resource for images whose icon resources have the ids firstId,
// firstId + 1, ...: the directory, each entry holding an id in place of a file offset.
std::string GroupIconResource(const std::vector<IconImage>& images, uint16_t firstId);

}  // namespace kit
