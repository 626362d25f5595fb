// The resources of a Windows program, taken out of its file and written back as a
// new resource section, so the kit can give a setup program the vendor's version
// block and icon without a resource compiler. The section is rewritten where it is;
// only the base relocations may follow it, and they move behind the new section.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "payload/pe_image.h"

namespace kit {

constexpr uint16_t kResourceIcon = 3;        // RT_ICON
constexpr uint16_t kResourceGroupIcon = 14;  // RT_GROUP_ICON
constexpr uint16_t kResourceVersion = 16;    // RT_VERSION

struct Resource {
  payload::PeResourceKey type;
  payload::PeResourceKey name;
  uint16_t language = 0;
  uint32_t codePage = 0;
  std::string data;
};

// Every resource of the program in image. Empty on success; otherwise what is wrong.
std::string ReadResources(const std::vector<unsigned char>& image, std::vector<Resource>* resources);

// image with its resource section holding resources instead, in the order the
// loader looks them up (names before ids, each in ascending order). Empty on
// success; otherwise why the program cannot be rewritten (not a program, signed,
// a section behind the resources other than the base relocations, bytes behind the
// last section, two resources of the same type, name and language).
std::string ReplaceResources(const std::vector<unsigned char>& image, const std::vector<Resource>& resources,
                             std::vector<unsigned char>* out);

// The checksum of the optional header for the file in image, the field itself
// taken as 0.
uint32_t PeChecksum(const std::vector<unsigned char>& image, size_t checksumOffset);

}  // namespace kit
