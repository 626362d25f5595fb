// What each wizard page shows, checked as data: headings and built-in texts byte
// for byte (GBK bytes spelled out, so a wrong execution charset fails here), the
// text chosen between configuration and built-in literal, text-block geometry,
// page 5's labels and frames, the pictures, and the default destination folder.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ui/page_layout.h"

namespace {

std::string Str(const char* text) { return text == nullptr ? std::string("<null>") : std::string(text); }

struct HeadingCase {
  int page;
  const char* chinese;
  const char* english;
};

TEST(PageLayout, HeadingsOfEveryPage) {
  const HeadingCase cases[] = {
      {1, "\310\355\274\376\320\355\277\311\320\255\322\351", "Software License Agreement"},
      {2, "\327\274\261\270\260\262\327\260", "Prepare installation "},
      {3, "\321\241\324\361\316\304\274\376\274\320", "Choose Destination Location"},
      {4, "\325\375\324\332\260\262\327\260", "Installing"},
      {5, "\311\350\326\303\264\362\323\241\273\372", "Printer Settings"},
      {6, "\260\262\327\260\264\362\323\241\273\372", "Installing Printer"},
      {7, "\260\262\327\260\315\352\263\311", "Setup Complete"},
      {8, "\260\262\327\260\312\247\260\334", "Installing Fail"},
  };
  for (const HeadingCase& c : cases) {
    EXPECT_EQ(Str(ui::PageHeading(c.page, 1)), c.chinese) << "page " << c.page;
    EXPECT_EQ(Str(ui::PageHeading(c.page, 0)), c.english) << "page " << c.page;
    // Any nonzero flag is Chinese.
    EXPECT_EQ(Str(ui::PageHeading(c.page, -7)), c.chinese) << "page " << c.page;
  }
  EXPECT_EQ(ui::PageHeading(0, 1), nullptr);
  EXPECT_EQ(ui::PageHeading(0, 0), nullptr);
  EXPECT_EQ(ui::PageHeading(-1, 0), nullptr);
  EXPECT_EQ(ui::PageHeading(9, 1), nullptr);
}

TEST(PageLayout, PromptsOnlyOnPagesOneTwoAndSix) {
  EXPECT_EQ(Str(ui::PagePrompt(1, 0)), "Please read the following agreement. Scroll down to see the entire agreement.");
  EXPECT_EQ(Str(ui::PagePrompt(1, 1)),
            "\307\353\310\317\325\346\324\304\266\301\320\355\277\311\320\255\322\351\265\304\304\332\310\335\243\254"
            "\261\330\320\353\275\323\312\334\262\305\324\312\320\355\275\370\320\320\260\262\327\260\241\243");
  EXPECT_EQ(Str(ui::PagePrompt(2, 0)), "Click [Install] to continue");
  EXPECT_EQ(Str(ui::PagePrompt(2, 1)),
            "\265\245\273\367\241\260\260\262\327\260\241\261\274\314\320\370\275\370\263\314\241\243");
  EXPECT_EQ(Str(ui::PagePrompt(6, 0)), "Installing Printer, Please wait.......");
  EXPECT_EQ(Str(ui::PagePrompt(6, 1)),
            "\325\375\324\332\260\262\327\260\264\362\323\241\273\372\243\254\307\353\311\324\272\362.......");
  for (int page : {-1, 0, 3, 4, 5, 7, 8, 9}) {
    EXPECT_EQ(ui::PagePrompt(page, 0), nullptr) << "page " << page;
    EXPECT_EQ(ui::PagePrompt(page, 1), nullptr) << "page " << page;
  }
  EXPECT_EQ(ui::kPromptAnchorControl, 1035);
  EXPECT_EQ(ui::kPromptY, 58);
}

const char kEnglishWelcome[] =
    "Welcome use Rillo-80Series printer.\n\nThis Wizard will install Rillo-80Series printer driver in \nyour "
    "computer.This software can support word,excel \netc program standard printing function.\n\n\n\n\nPlease "
    "click [next] to continue.";
const char kChineseWelcome[] =
    "\273\266\323\255\312\271\323\303Q710\264\362\323\241\273\372\307\375\266\257\n\n\261\276\317\362\265\274\275"
    "\253\273\341\324\332\304\372\265\304\265\347\304\324\311\317\260\262\327\260Q710\264\362\323\241\273\372\307"
    "\375\266\257\241\243\261\276\263\314\320\362\326\247\263\326Word\241\242Excel\265\310\263\314\320\362\265\304"
    "Windows\261\352\327\274\264\362\323\241\271\246\304\334\241\243\n\n\261\276\263\314\320\362\324\332\315\352"
    "\263\311\260\262\327\260\326\256\272\363\243\254\262\273\261\330\326\330\306\364\317\265\275y\276\315\277\311"
    "\322\324\326\261\275\323\312\271\323\303\241\243\n\n\n\307\353\265\343\273\367[\317\302\322\273\262\275]\274"
    "\314\320\370\241\243";
const char kEnglishInstalling[] =
    "Setup is installing Rillo-80Series printer driver in your computer.Please wait, the progress will spend your "
    "few minute.";
const char kChineseInstalling[] =
    "\260\262\327\260\263\314\320\362\325\375\324\332Q710\264\362\323\241\273\372\307\375\266\257\265\275\304\372"
    "\265\304\265\347\304\324\311\317\241\243\307\353\265\310\264\375\243\254\325\342\270\366\271\244\263\314\277"
    "\311\304\334\273\341\273\250\274\270\267\326\326\323\241\243";

TEST(PageLayout, BuiltInTexts) {
  EXPECT_EQ(Str(ui::PageBuiltInText(0, 0)), kEnglishWelcome);
  EXPECT_EQ(Str(ui::PageBuiltInText(0, 1)), kChineseWelcome);
  // Pages 3 and 4 share one text.
  EXPECT_EQ(Str(ui::PageBuiltInText(3, 0)), kEnglishInstalling);
  EXPECT_EQ(Str(ui::PageBuiltInText(4, 0)), kEnglishInstalling);
  EXPECT_EQ(Str(ui::PageBuiltInText(3, 1)), kChineseInstalling);
  EXPECT_EQ(Str(ui::PageBuiltInText(4, 1)), kChineseInstalling);
  // Both results end in a space.
  EXPECT_EQ(Str(ui::PageBuiltInText(7, 0)), "Setup has successfully installed Rillo-80Series printer driver. ");
  EXPECT_EQ(Str(ui::PageBuiltInText(7, 1)),
            "Q710\264\362\323\241\273\372\307\375\266\257\322\321\263\311\271\246\260\262\327\260\265\275\304\372"
            "\265\304\265\347\304\324\241\243 ");
  EXPECT_EQ(Str(ui::PageBuiltInText(8, 0)), "The Printer Driver installed fail. ");
  EXPECT_EQ(Str(ui::PageBuiltInText(8, 1)),
            "\264\362\323\241\273\372\307\375\266\257\260\262\327\260\312\247\260\334\241\243 ");
  for (int page : {-1, 1, 2, 5, 6, 9}) EXPECT_EQ(ui::PageBuiltInText(page, 1), nullptr) << "page " << page;
}

TEST(PageLayout, SectionFeedsTheBlockUnlessEmpty) {
  const int expected[] = {0, -1, -1, 1, 2, -1, -1, 3, 5};
  for (int page = 0; page <= 8; ++page) EXPECT_EQ(ui::PageSectionIndex(page), expected[page]) << "page " << page;
  EXPECT_EQ(ui::PageSectionIndex(9), -1);
  EXPECT_EQ(ui::PageSectionIndex(-1), -1);

  const char configured[] = "Configured\ntext\n";
  for (int page : {0, 3, 4, 7, 8}) {
    EXPECT_EQ(ui::ChooseBlockText(page, 0, configured), configured) << "page " << page;
    EXPECT_EQ(ui::ChooseBlockText(page, 1, ""), ui::PageBuiltInText(page, 1)) << "page " << page;
    EXPECT_EQ(ui::ChooseBlockText(page, 0, nullptr), ui::PageBuiltInText(page, 0)) << "page " << page;
  }
  // An empty destination-folder section shows the installing text on page 3.
  EXPECT_EQ(Str(ui::ChooseBlockText(3, 0, "")), kEnglishInstalling);
  for (int page : {1, 2, 5, 6}) EXPECT_EQ(ui::ChooseBlockText(page, 0, configured), nullptr) << "page " << page;
}

TEST(PageLayout, TextBlockGeometry) {
  const int w = 495;
  ui::PageTextBlock block;
  ASSERT_TRUE(ui::PageTextBlockFor(0, 1, w, &block));
  EXPECT_EQ(block.layout.x + block.widthLimit, w - 10) << "lines end 10 pixels short of the right edge";
  EXPECT_EQ(block.layout.x, 192);
  EXPECT_EQ(block.layout.firstTop, 20);
  EXPECT_EQ(ui::TextBlockLineTop(block.layout, 0), 20);
  EXPECT_EQ(ui::TextBlockLineTop(block.layout, 1), 50);
  EXPECT_EQ(ui::TextBlockLineTop(block.layout, 2), 66);
  EXPECT_TRUE(block.titleFontFirstLine);
  ASSERT_TRUE(ui::PageTextBlockFor(0, 0, w, &block));
  EXPECT_EQ(block.layout.x, 180);
  EXPECT_EQ(block.layout.x + block.widthLimit, w - 10);

  for (int page : {3, 4, 7, 8}) {
    for (int language : {0, 1}) {
      ASSERT_TRUE(ui::PageTextBlockFor(page, language, w, &block)) << "page " << page;
      const int step = page >= 7 ? 103 : 13;
      EXPECT_EQ(block.widthLimit, w - 56) << "page " << page;
      EXPECT_EQ(block.layout.x, 28) << "page " << page;
      EXPECT_EQ(ui::TextBlockLineTop(block.layout, 0), 70) << "page " << page;
      EXPECT_EQ(ui::TextBlockLineTop(block.layout, 1), 70 + step) << "page " << page;
      EXPECT_EQ(ui::TextBlockLineTop(block.layout, 2), 70 + 2 * step) << "page " << page;
      EXPECT_FALSE(block.titleFontFirstLine) << "page " << page;
    }
  }
  for (int page : {-1, 1, 2, 5, 6, 9}) EXPECT_FALSE(ui::PageTextBlockFor(page, 0, w, &block)) << "page " << page;
}

TEST(PageLayout, FontsColoursAndBanner) {
  EXPECT_STREQ(ui::kPageFontFace, "Ms Scanf");
  EXPECT_EQ(ui::kTitleFont.height, 20);
  EXPECT_EQ(ui::kTitleFont.weight, 800);
  EXPECT_EQ(ui::kBodyFont.height, 15);
  EXPECT_EQ(ui::kBodyFont.weight, 400);
  EXPECT_EQ(ui::kHeadingFont.height, 15);
  EXPECT_EQ(ui::kHeadingFont.weight, 800);
  // 0x00BBGGRR, built here from the components.
  auto rgb = [](uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); };
  EXPECT_EQ(ui::kPageBackgroundColour, rgb(236, 233, 216));
  EXPECT_EQ(ui::kBannerColour, rgb(255, 255, 255));
  EXPECT_EQ(ui::kSeparatorColour, rgb(172, 168, 153));
  EXPECT_EQ(ui::kFramedEditEnabledColour, rgb(127, 157, 187));
  EXPECT_EQ(ui::kFramedEditDisabledColour, rgb(192, 192, 192));
  EXPECT_EQ(ui::LogoLeft(495), 341);
  EXPECT_EQ(ui::kBannerHeight, 54);
}

TEST(PageLayout, PicturesPerPage) {
  EXPECT_STREQ(ui::PageImageName(0), "left.bmp");
  for (int page = 1; page <= 8; ++page) EXPECT_STREQ(ui::PageImageName(page), "Logo.bmp") << "page " << page;
}

TEST(PageLayout, TargetFolderFrameAndCaption) {
  EXPECT_EQ(ui::kTargetFolderFrame.left, 26);
  EXPECT_EQ(ui::kTargetFolderFrame.top, 168);
  EXPECT_EQ(ui::kTargetFolderFrame.right, 453);
  EXPECT_EQ(ui::kTargetFolderFrame.bottom, 218);
  EXPECT_EQ(Str(ui::TargetFolderCaption(0)), "Target folder");
  EXPECT_EQ(Str(ui::TargetFolderCaption(1)), "\304\277\261\352\316\304\274\376\274\320");
  // The folder field lies inside the frame.
  EXPECT_GT(ui::kFolderEditLeft, ui::kTargetFolderFrame.left);
  EXPECT_GT(ui::kFolderEditTop, ui::kTargetFolderFrame.top);
  EXPECT_LT(ui::kFolderEditRight, ui::kTargetFolderFrame.right);
  EXPECT_LT(ui::kFolderEditBottom, ui::kTargetFolderFrame.bottom);
  EXPECT_EQ(ui::kFolderEditRight - ui::kFolderEditLeft, 324);
  EXPECT_EQ(ui::kFolderEditBottom - ui::kFolderEditTop, 22);
}

TEST(PageLayout, SettingsFrames) {
  const int w = 495;
  const struct {
    int top, bottom;
    const char* chinese;
    const char* english;
  } expected[] = {
      {68, 106, "", ""},
      {117, 176, "\264\362\323\241\273\372\311\350\326\303", "Printer Settings"},
      {190, 273, "\264\362\323\241\273\372\266\313\277\332\311\350\326\303", "Printer Port Settings"},
  };
  for (size_t k = 0; k < ui::kSettingsFrameCount; ++k) {
    const ui::CaptionedFrame zh = ui::SettingsFrame(k, 1, w);
    const ui::CaptionedFrame en = ui::SettingsFrame(k, 0, w);
    EXPECT_EQ(zh.frame.left, 5) << k;
    EXPECT_EQ(zh.frame.right, w - 5) << k;
    EXPECT_EQ(zh.frame.top, expected[k].top) << k;
    EXPECT_EQ(zh.frame.bottom, expected[k].bottom) << k;
    EXPECT_EQ(Str(zh.caption), expected[k].chinese) << k;
    EXPECT_EQ(Str(en.caption), expected[k].english) << k;
  }
}

TEST(PageLayout, FieldLabels) {
  const struct {
    int id;
    const char* chinese;
    const char* english;
  } expected[] = {
      {1011, "\264\362\323\241\273\372\320\315\272\305\243\272", "Printer Model:"},
      {1013, "\264\362\323\241\273\372\303\373\263\306\243\272", "Printer Name:"},
      {1016, "\266\313\277\332\243\272", "Port:"},
      {1018, "\262\250\314\330\302\312\243\272", "Baud rate:"},
      {1020, "\315\243\326\271\316\273\243\272", "Stop bit:"},
      {1022, "\301\367\277\330\326\306\243\272", "Flow contorl:"},
      {1024, "\312\375\276\335\316\273\243\272", "Data bits:"},
      {1026, "\306\346\305\274\320\243\321\351\243\272", "Even-odd check:"},
  };
  ASSERT_EQ(ui::kFieldLabelCount, sizeof expected / sizeof expected[0]);
  for (size_t k = 0; k < ui::kFieldLabelCount; ++k) {
    EXPECT_EQ(ui::kFieldLabels[k].controlId, expected[k].id) << k;
    EXPECT_EQ(Str(ui::kFieldLabels[k].chinese), expected[k].chinese) << k;
    EXPECT_EQ(Str(ui::kFieldLabels[k].english), expected[k].english) << k;
  }
  // Right-aligned: a label wider than its control reaches further left.
  EXPECT_EQ(ui::LabelLeft(100, 30), 70);
  EXPECT_EQ(ui::LabelLeft(40, 60), -20);
}

std::string Compose(const char* base, const char* name, size_t size = ui::kFolderBufferSize, bool* whole = nullptr) {
  std::string buffer(size + 8, '#');  // guard bytes after the buffer
  const bool result = ui::ComposeDefaultFolder(base, name, &buffer[0], size);
  if (whole) *whole = result;
  for (size_t k = size; k < buffer.size(); ++k) EXPECT_EQ(buffer[k], '#') << "written past the buffer at " << k;
  return std::string(buffer.c_str());
}

TEST(PageLayout, DefaultFolderWithAndWithoutPrinterName) {
  bool whole = false;
  EXPECT_EQ(Compose("C:\\Program Files\\", "Rillo-58-Series", ui::kFolderBufferSize, &whole),
            "C:\\Program Files\\Rillo-58-Series");
  EXPECT_TRUE(whole);
  EXPECT_EQ(Compose("C:\\Program Files\\", ""), "C:\\Program Files\\USB Printer");
  EXPECT_EQ(Compose("C:\\Program Files\\", nullptr), "C:\\Program Files\\USB Printer");
  // A GBK name is copied unchanged.
  EXPECT_EQ(Compose("C:\\Program Files\\", "\264\362\323\241\273\372"), "C:\\Program Files\\\264\362\323\241\273\372");
}

TEST(PageLayout, DefaultFolderTooLongIsCutAtACharacter) {
  const std::string base = "C:\\Program Files\\";
  // Room for exactly one more byte after 254: the double-byte character that
  // would straddle the end is left out whole.
  std::string name(254 - base.size(), 'a');
  name += "\xD6\xD0";
  bool whole = true;
  std::string result = Compose(base.c_str(), name.c_str(), 256, &whole);
  EXPECT_FALSE(whole);
  EXPECT_EQ(result.size(), 254u);
  EXPECT_EQ(result, base + std::string(254 - base.size(), 'a'));

  // Exactly 255 bytes fit.
  const std::string fits(255 - base.size(), 'b');
  result = Compose(base.c_str(), fits.c_str(), 256, &whole);
  EXPECT_TRUE(whole);
  EXPECT_EQ(result, base + fits);

  // A buffer too small for the directory itself.
  result = Compose(base.c_str(), "x", 5, &whole);
  EXPECT_FALSE(whole);
  EXPECT_EQ(result, "C:\\P");

  char one[1] = {'z'};
  EXPECT_FALSE(ui::ComposeDefaultFolder(base.c_str(), "x", one, 1));
  EXPECT_EQ(one[0], '\0');
}

TEST(PageLayout, PanelSizeLeavesTheButtonStrip) {
  EXPECT_EQ(ui::PanelWidth(497), 495);
  EXPECT_EQ(ui::PanelHeight(336), 286);
  EXPECT_EQ(ui::PanelWidth(1), 0);
  EXPECT_EQ(ui::PanelHeight(10), 0);
}

}  // namespace
