// Control rectangles read from dialog template bytes made here by hand, in both
// layouts, and the wizard's fixed scale of 1.5 pixels a dialog unit.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/dialog_template.h"

namespace {

class Bytes {
 public:
  Bytes& U16(uint16_t v) {
    data.push_back(static_cast<unsigned char>(v));
    data.push_back(static_cast<unsigned char>(v >> 8));
    return *this;
  }
  Bytes& U32(uint32_t v) { return U16(static_cast<uint16_t>(v)).U16(static_cast<uint16_t>(v >> 16)); }
  Bytes& Text(const std::string& ascii) {  // as UTF-16, with its NUL
    for (char c : ascii) U16(static_cast<uint16_t>(c));
    return U16(0);
  }
  Bytes& Ordinal(uint16_t v) { return U16(0xFFFF).U16(v); }
  Bytes& Align() {
    while (data.size() % 4 != 0) data.push_back(0xEE);
    return *this;
  }
  std::vector<unsigned char> data;
};

std::vector<unsigned char> ExtendedTemplate() {
  Bytes b;
  b.U16(1).U16(0xFFFF).U32(0).U32(0).U32(0x80C800C0u /* popup, caption, DS_SETFONT... */).U16(2);
  b.U16(0).U16(0).U16(357).U16(232);
  b.U16(0).U16(0).Text("Wizard");                      // no menu, the dialog class, a title
  b.U16(8).U16(400).U16(0x0100).Text("MS Sans Serif");  // 8 points, weight, italic 0, charset 1
  // A button by class name with a title and no creation data.
  b.Align().U32(0).U32(0).U32(0x50010000u).U16(232).U16(209).U16(53).U16(15).U32(1001);
  b.Text("Button").Text("Next").U16(0);
  // A static by ordinal with an ordinal title (an icon) and 3 creation bytes.
  b.Align().U32(7).U32(0).U32(0).U16(static_cast<uint16_t>(-5)).U16(163).U16(213).U16(10).U32(0xFFFFFFFFu);
  b.Ordinal(0x0082).Ordinal(134).U16(3).U16(0xABCD).U16(0x00EF);
  return b.data;
}

TEST(DialogTemplate, ExtendedLayoutGivesEveryControlInOrder) {
  const std::vector<unsigned char> bytes = ExtendedTemplate();
  std::vector<TemplateControl> controls;
  ASSERT_EQ(ParseDialogTemplate(bytes.data(), bytes.size(), &controls), TemplateParse::kOk);
  ASSERT_EQ(controls.size(), 2u);
  EXPECT_EQ(controls[0].id, 1001);
  EXPECT_EQ(controls[0].x, 232);
  EXPECT_EQ(controls[0].height, 15);
  EXPECT_EQ(controls[1].id, -1);
  EXPECT_EQ(controls[1].x, -5);
  EXPECT_EQ(controls[1].y, 163);
  EXPECT_EQ(controls[1].width, 213);

  // Cut anywhere short of the end (the last creation byte included): truncated,
  // never a read past the end.
  for (size_t size = 0; size + 1 < bytes.size(); ++size) {
    std::vector<unsigned char> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size));
    std::vector<TemplateControl> some;
    EXPECT_EQ(ParseDialogTemplate(cut.data(), cut.size(), &some), TemplateParse::kTruncated) << size;
  }
}

TEST(DialogTemplate, OlderLayoutWithoutAFont) {
  Bytes b;
  b.U32(0x80C80000u).U32(0).U16(1).U16(0).U16(0).U16(100).U16(50);  // no DS_SETFONT
  b.U16(0).Ordinal(0x8002).Text("");
  // Creation data: its count includes its own two bytes.
  b.Align().U32(0x50000000u).U32(0).U16(7).U16(9).U16(40).U16(14).U16(1037);
  b.Text("RICHEDIT").U16(0).U16(4).U16(0x1234);
  std::vector<TemplateControl> controls;
  ASSERT_EQ(ParseDialogTemplate(b.data.data(), b.data.size(), &controls), TemplateParse::kOk);
  ASSERT_EQ(controls.size(), 1u);
  EXPECT_EQ(controls[0].id, 1037);
  EXPECT_EQ(controls[0].y, 9);
  EXPECT_EQ(controls[0].height, 14);
}

TEST(DialogTemplate, WizardScaleRoundsEachEdge) {
  // Edges, not widths, are scaled: 15 + 213 units end at 342 pixels.
  const PixelRect radio = ScaleToWizardPixels({1035, 15, 163, 213, 10});
  EXPECT_EQ(radio.left, 23);  // 22.5 rounded up
  EXPECT_EQ(radio.top, 245);  // 244.5
  EXPECT_EQ(radio.right, 342);
  EXPECT_EQ(radio.bottom, 260);
  const PixelRect negative = ScaleToWizardPixels({0, -3, -1, 2, 2});
  EXPECT_EQ(negative.left, -4);  // -4.5 rounded up
  EXPECT_EQ(negative.top, -1);   // -1.5
  EXPECT_EQ(negative.right, -1);
  EXPECT_EQ(negative.bottom, 2);
}

}  // namespace
