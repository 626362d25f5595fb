#include "ui/bitmap_file.h"

#include <cstdint>

namespace ui {

namespace {

uint32_t Le32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}
uint16_t Le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

}  // namespace

bool BitmapFileIsWhole(const unsigned char* head, size_t headSize, unsigned long long fileSize) {
  if (!head || headSize < 26 || head[0] != 'B' || head[1] != 'M') return false;
  const unsigned long long offBits = Le32(head + 10);
  const uint32_t infoSize = Le32(head + 14);
  unsigned long long width = 0, height = 0, bitCount = 0, compression = 0, imageSize = 0;
  if (infoSize == 12) {  // the old core header: 16-bit sizes
    width = Le16(head + 18);
    height = Le16(head + 20);
    bitCount = Le16(head + 24);
  } else if (infoSize >= 40 && headSize >= 38) {
    const int32_t w = static_cast<int32_t>(Le32(head + 18));
    const int32_t h = static_cast<int32_t>(Le32(head + 22));
    if (w <= 0 || h == 0 || h == INT32_MIN) return false;
    width = static_cast<unsigned long long>(w);
    height = static_cast<unsigned long long>(h < 0 ? -static_cast<long long>(h) : h);  // top-down rows
    bitCount = Le16(head + 28);
    compression = Le32(head + 30);
    imageSize = Le32(head + 34);
  } else {
    return false;
  }
  if (offBits < 14 + static_cast<unsigned long long>(infoSize) || bitCount == 0 || bitCount > 32) return false;
  unsigned long long pixels;
  if (compression == 0 || compression == 3) {  // uncompressed rows, 4-byte aligned
    pixels = (width * bitCount + 31) / 32 * 4 * height;
  } else {
    pixels = imageSize;  // run-length coded: the header says how many bytes
  }
  return offBits + pixels <= fileSize;
}

}  // namespace ui
