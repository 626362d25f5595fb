// The painter's test of a picture file before it loads it: whole files pass, a file
// cut short or whose headers claim more than it holds does not.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "test_support.h"
#include "ui/bitmap_file.h"

namespace {

bool Whole(const std::string& bytes, unsigned long long size) {
  return ui::BitmapFileIsWhole(reinterpret_cast<const unsigned char*>(bytes.data()),
                               bytes.size() < ui::kBitmapHeadBytes ? bytes.size() : ui::kBitmapHeadBytes, size);
}

uint32_t Get32(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

void Put32(std::string* bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) (*bytes)[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

TEST(BitmapFile, OnlyAPictureTheFileHoldsWholeIsLoaded) {
  for (const char* name : {"Logo.bmp", "Left.bmp"}) {
    const std::string bmp = testing_support::ReadFileBytes(testing_support::PackageFile(name));
    ASSERT_GT(bmp.size(), 1000u) << name;
    EXPECT_TRUE(Whole(bmp, bmp.size())) << name;
    // Cut at a 16 KB step, as a damaged entry's decoding leaves it.
    EXPECT_FALSE(Whole(bmp, bmp.size() / 16384 * 16384 == bmp.size() ? bmp.size() - 1 : bmp.size() / 16384 * 16384))
        << name;
    EXPECT_FALSE(Whole(bmp.substr(0, 20), bmp.size())) << name;  // headers cut off
  }
  std::string bmp = testing_support::ReadFileBytes(testing_support::PackageFile("Logo.bmp"));
  std::string topDown = bmp;
  Put32(&topDown, 22, static_cast<uint32_t>(-static_cast<int32_t>(Get32(bmp, 22))));
  EXPECT_TRUE(Whole(topDown, topDown.size()));  // rows stored from the top: the same size
  std::string huge = bmp;
  Put32(&huge, 18, 0x7FFFFFFF);  // a width no file of this size holds
  EXPECT_FALSE(Whole(huge, huge.size()));
  std::string past = bmp;
  Put32(&past, 10, 0xFFFFFFF0);  // pixel data past the end
  EXPECT_FALSE(Whole(past, past.size()));
  EXPECT_FALSE(Whole("MZ" + bmp.substr(2), bmp.size()));
}

}  // namespace
