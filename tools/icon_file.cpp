#include "tools/icon_file.h"

#include <cstring>

namespace kit {

namespace {

uint32_t U16At(const std::string& b, size_t at) {
  return uint32_t(static_cast<unsigned char>(b[at])) | (uint32_t(static_cast<unsigned char>(b[at + 1])) << 8);
}
uint32_t U32At(const std::string& b, size_t at) { return U16At(b, at) | (U16At(b, at + 2) << 16); }

void Put16(std::string* out, uint32_t v) {
  out->push_back(static_cast<char>(v & 0xFF));
  out->push_back(static_cast<char>((v >> 8) & 0xFF));
}

constexpr size_t kDirectorySize = 6;
constexpr size_t kFileEntrySize = 16;  // ICONDIRENTRY; a group icon's entry holds a 16-bit id for the offset

}  // namespace

std::string ReadIconFile(const std::string& bytes, std::vector<IconImage>* images) {
  images->clear();
  if (bytes.size() < kDirectorySize || U16At(bytes, 0) != 0 || U16At(bytes, 2) != 1)
    return "not an icon file (no icon directory at its start)";
  const size_t count = U16At(bytes, 4);
  if (count == 0) return "the icon holds no image";
  if (count > kMaxIconImages)
    return "the icon holds " + std::to_string(count) + " images, more than " + std::to_string(kMaxIconImages);
  if (bytes.size() - kDirectorySize < count * kFileEntrySize)
    return "the icon directory reaches past the end of the file";
  std::vector<IconImage> read;
  for (size_t i = 0; i < count; ++i) {
    const size_t entry = kDirectorySize + i * kFileEntrySize;
    const uint64_t size = U32At(bytes, entry + 8), offset = U32At(bytes, entry + 12);
    const std::string which = "image " + std::to_string(i + 1);
    if (size == 0 || offset > bytes.size() || size > bytes.size() - offset)
      return which + " reaches past the end of the file";
    IconImage image;
    image.width = static_cast<uint8_t>(bytes[entry]);
    image.height = static_cast<uint8_t>(bytes[entry + 1]);
    image.colours = static_cast<uint8_t>(bytes[entry + 2]);
    image.planes = static_cast<uint16_t>(U16At(bytes, entry + 4));
    image.bitCount = static_cast<uint16_t>(U16At(bytes, entry + 6));
    image.bytes = bytes.substr(static_cast<size_t>(offset), static_cast<size_t>(size));
    const bool png = image.bytes.compare(0, 8, "\x89PNG\r\n\x1a\n", 8) == 0;
    const bool bitmap = image.bytes.size() >= 40 && U32At(image.bytes, 0) >= 40 && U32At(image.bytes, 0) <= 124;
    if (!png && !bitmap) return which + " is neither a bitmap nor a PNG";
    read.push_back(std::move(image));
  }
  *images = std::move(read);
  return std::string();
}

std::string GroupIconResource(const std::vector<IconImage>& images, uint16_t firstId) {
  std::string out;
  Put16(&out, 0);
  Put16(&out, 1);
  Put16(&out, static_cast<uint32_t>(images.size()));
  for (size_t i = 0; i < images.size(); ++i) {
    const IconImage& image = images[i];
    out.push_back(static_cast<char>(image.width));
    out.push_back(static_cast<char>(image.height));
    out.push_back(static_cast<char>(image.colours));
    out.push_back('\0');
    Put16(&out, image.planes);
    Put16(&out, image.bitCount);
    const uint32_t size = static_cast<uint32_t>(image.bytes.size());
    Put16(&out, size & 0xFFFF);
    Put16(&out, size >> 16);
    Put16(&out, static_cast<uint32_t>(firstId + i));
  }
  return out;
}

}  // namespace kit
