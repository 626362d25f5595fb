// Every wizard page painted into a memory bitmap: banner, separator, background,
// logo and side artwork from small BMP files of a known colour, headings, prompts,
// labels, status line and frames where they belong, and the context left as found.
//
// Glyph shapes depend on the fonts Wine finds, so texts are checked by region
// (ink present, ink absent), never pixel by pixel.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "app/install_config.h"
#include "ui/dib_canvas_win.h"
#include "ui/gdi_objects_win.h"
#include "ui/page_layout.h"
#include "ui/page_painter_win.h"
#include "win_support.h"

namespace {

const int kW = 495;  // about what a 503 x 365 dialog leaves the panel
const int kH = 286;
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kBackground = RGB(236, 233, 216);
const COLORREF kSeparator = RGB(172, 168, 153);
const COLORREF kFrameLine = RGB(208, 208, 191);
const COLORREF kStale = RGB(255, 0, 255);  // what a canvas holds before the paint
const COLORREF kLogo = RGB(10, 200, 30);
const COLORREF kArtwork = RGB(200, 20, 120);

// A bottom-up 24-bit BMP of one colour.
std::string SolidBmp(int width, int height, COLORREF colour) {
  const uint32_t stride = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
  const uint32_t imageSize = stride * static_cast<uint32_t>(height);
  std::string bytes(54 + imageSize, '\0');
  auto put16 = [&](size_t at, uint32_t v) {
    bytes[at] = static_cast<char>(v & 0xFF);
    bytes[at + 1] = static_cast<char>((v >> 8) & 0xFF);
  };
  auto put32 = [&](size_t at, uint32_t v) {
    put16(at, v & 0xFFFF);
    put16(at + 2, v >> 16);
  };
  bytes[0] = 'B';
  bytes[1] = 'M';
  put32(2, static_cast<uint32_t>(bytes.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(width));
  put32(22, static_cast<uint32_t>(height));
  put16(26, 1);
  put16(28, 24);
  put32(34, imageSize);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const size_t at = 54 + static_cast<size_t>(y) * stride + static_cast<size_t>(x) * 3;
      bytes[at] = static_cast<char>(GetBValue(colour));
      bytes[at + 1] = static_cast<char>(GetGValue(colour));
      bytes[at + 2] = static_cast<char>(GetRValue(colour));
    }
  }
  return bytes;
}

struct Box {
  int left, top, right, bottom;  // right and bottom exclusive
};

// Pixels in box that differ from background.
int InkIn(const ui::DibCanvas& canvas, const Box& box, COLORREF background) {
  int ink = 0;
  for (int y = std::max(box.top, 0); y < std::min(box.bottom, canvas.Height()); ++y)
    for (int x = std::max(box.left, 0); x < std::min(box.right, canvas.Width()); ++x)
      if (canvas.Pixel(x, y) != background) ++ink;
  return ink;
}

int CountColour(const ui::DibCanvas& canvas, COLORREF colour) {
  int count = 0;
  for (int y = 0; y < canvas.Height(); ++y)
    for (int x = 0; x < canvas.Width(); ++x)
      if (canvas.Pixel(x, y) == colour) ++count;
  return count;
}

SIZE Extent(HDC dc, int height, int weight, const char* text) {
  ui::Font font = ui::MakePlainFont(height, weight, ui::kPageFontFace);
  ui::SelectedObject selected(dc, font.Get());
  SIZE size = {0, 0};
  GetTextExtentPoint32A(dc, text, static_cast<int>(std::strlen(text)), &size);
  return size;
}

// A dialog's controls as a table; anything not in it does not exist.
struct Controls {
  std::map<int, RECT> rects;
  bool operator()(int id, RECT* rect) const {
    auto found = rects.find(id);
    if (found == rects.end()) return false;
    *rect = found->second;
    return true;
  }
};

class PagePainting : public ::testing::Test {
 protected:
  void SetUp() override {
    std::memset(&config_, 0, sizeof config_);
    state_.imageFolder = pictures_.path() + "\\";
    state_.config = &config_;
    controls_.rects[1035] = RECT{22, 250, 340, 266};
  }

  void WritePictures() {
    ASSERT_TRUE(win_support::WriteAll(pictures_.File("Logo.bmp"), SolidBmp(140, 54, kLogo)));
    ASSERT_TRUE(win_support::WriteAll(pictures_.File("left.bmp"), SolidBmp(169, 295, kArtwork)));
  }

  void Paint(ui::DibCanvas& canvas, int page, int language) {
    ASSERT_TRUE(canvas.Ready());
    state_.page = page;
    state_.languageFlag = language;
    Controls controls = controls_;
    state_.controlRect = controls;
    ui::PaintPage(canvas.Dc(), RECT{0, 0, canvas.Width(), canvas.Height()}, state_);
  }

  win_support::ScratchDir pictures_;
  InstallConfig config_;
  ui::PageState state_;
  Controls controls_;
};

TEST_F(PagePainting, BannerSeparatorAndBackgroundOnPagesOneToEight) {
  for (int language : {0, 1}) {
    for (int page = 1; page <= 8; ++page) {
      SCOPED_TRACE("page " + std::to_string(page) + " language " + std::to_string(language));
      ui::DibCanvas canvas(kW, kH, kStale);
      Paint(canvas, page, language);
      // Banner: white right across, clear of the heading.
      for (int x : {0, 300, kW - 160, kW - 1}) {
        EXPECT_EQ(canvas.Pixel(x, 0), kWhite) << x;
        EXPECT_EQ(canvas.Pixel(x, 53), kWhite) << x;
      }
      // Separator: the whole row 54.
      int separator = 0;
      for (int x = 0; x < kW; ++x) separator += canvas.Pixel(x, 54) == kSeparator;
      EXPECT_EQ(separator, kW);
      // Background below it, in the margins no page draws into.
      for (int y : {55, 150, kH - 1}) {
        EXPECT_EQ(canvas.Pixel(1, y), kBackground) << y;
        EXPECT_EQ(canvas.Pixel(kW - 1, y), kBackground) << y;
      }
      EXPECT_EQ(CountColour(canvas, kStale), 0) << "part of the area was left unpainted";
    }
  }
}

TEST_F(PagePainting, LogoLandsAtItsPlaceInTheBanner) {
  WritePictures();
  for (int page = 1; page <= 8; ++page) {
    SCOPED_TRACE("page " + std::to_string(page));
    ui::DibCanvas canvas(kW, kH, kStale);
    Paint(canvas, page, 0);
    const int left = kW - 154;
    EXPECT_EQ(canvas.Pixel(left, 0), kLogo);
    EXPECT_EQ(canvas.Pixel(left + 139, 0), kLogo);
    EXPECT_EQ(canvas.Pixel(left, 53), kLogo);
    EXPECT_EQ(canvas.Pixel(left + 139, 53), kLogo);
    EXPECT_EQ(canvas.Pixel(left - 1, 10), kWhite);
    EXPECT_EQ(canvas.Pixel(left + 140, 10), kWhite);
    EXPECT_EQ(canvas.Pixel(left + 70, 54), kSeparator);
    EXPECT_EQ(CountColour(canvas, kLogo), 140 * 54);
    EXPECT_EQ(CountColour(canvas, kArtwork), 0) << "the side artwork belongs to page 0 only";
  }
}

TEST_F(PagePainting, PageZeroShowsTheArtworkOnWhiteWithoutBanner) {
  WritePictures();
  for (int language : {0, 1}) {
    SCOPED_TRACE("language " + std::to_string(language));
    // Painted over what a later page left (Back without erasing).
    ui::DibCanvas canvas(kW, kH, kBackground);
    Paint(canvas, 0, language);
    EXPECT_EQ(canvas.Pixel(0, 0), kArtwork);
    EXPECT_EQ(canvas.Pixel(168, 0), kArtwork);
    EXPECT_EQ(canvas.Pixel(0, kH - 1), kArtwork);
    EXPECT_EQ(canvas.Pixel(168, kH - 1), kArtwork);
    EXPECT_EQ(canvas.Pixel(169, 5), kWhite);
    EXPECT_EQ(canvas.Pixel(kW - 1, 0), kWhite);
    EXPECT_EQ(canvas.Pixel(kW - 1, 54), kWhite) << "no separator on page 0";
    EXPECT_EQ(canvas.Pixel(kW - 1, kH - 1), kWhite);
    EXPECT_EQ(CountColour(canvas, kLogo), 0) << "no logo on page 0";
    EXPECT_EQ(CountColour(canvas, kBackground), 0) << "the previous page shows through";
    EXPECT_EQ(CountColour(canvas, kSeparator), 0);
  }
}

TEST_F(PagePainting, MissingPicturesLeaveTheRestOfThePage) {
  ui::DibCanvas zero(kW, kH, kStale);
  Paint(zero, 0, 0);
  EXPECT_EQ(zero.Pixel(0, 0), kWhite);
  EXPECT_EQ(CountColour(zero, kStale), 0);
  // The welcome text still comes: its first line in the title font at (180, 20).
  const SIZE first = Extent(zero.Dc(), 20, 800, "Welcome use Rillo-80Series printer.");
  EXPECT_GT(InkIn(zero, Box{180, 20, 180 + first.cx, 20 + first.cy}, kWhite), 0);
  EXPECT_EQ(InkIn(zero, Box{0, 0, 175, kH}, kWhite), 0) << "nothing left of the text when there is no artwork";

  ui::DibCanvas one(kW, kH, kStale);
  Paint(one, 1, 0);
  EXPECT_EQ(InkIn(one, Box{kW - 154, 0, kW - 14, 54}, kWhite), 0);
}

// A long welcome text is broken to fit the panel from where its lines start, each
// line measured in the font it is drawn in: nothing reaches the last 10 columns,
// and the wrapped lines use the room up to them (the body font is narrower than the
// title font the first line is drawn in).
TEST_F(PagePainting, WelcomeTextStaysInsideThePanel) {
  std::string words;
  for (int i = 0; i < 20; ++i) words += "Wide words fill the line ";
  std::snprintf(config_.sections[0], sizeof config_.sections[0], "Welcome to the long setup\n%s", words.c_str());
  for (int language : {0, 1}) {
    SCOPED_TRACE("language " + std::to_string(language));
    ui::DibCanvas canvas(kW, kH, kStale);
    Paint(canvas, 0, language);
    EXPECT_EQ(InkIn(canvas, Box{kW - 10, 0, kW, kH}, kWhite), 0);
    EXPECT_GT(InkIn(canvas, Box{kW - 40, 50, kW - 10, 66}, kWhite), 0) << "the second line runs close to the edge";
  }
}

TEST_F(PagePainting, HeadingInkWhereTheHeadingGoes) {
  for (int language : {0, 1}) {
    for (int page = 1; page <= 8; ++page) {
      SCOPED_TRACE("page " + std::to_string(page) + " language " + std::to_string(language));
      ui::DibCanvas canvas(kW, kH, kStale);
      Paint(canvas, page, language);
      const char* heading = ui::PageHeading(page, language);
      ASSERT_NE(heading, nullptr);
      const SIZE size = Extent(canvas.Dc(), 15, 800, heading);
      ASSERT_GT(size.cx, 0);
      EXPECT_GT(InkIn(canvas, Box{15, 10, 15 + size.cx, 10 + size.cy}, kWhite), 0);
      // Nothing else in the banner's left part: no ink left of or below the heading.
      EXPECT_EQ(InkIn(canvas, Box{0, 0, 14, 54}, kWhite), 0);
      EXPECT_EQ(InkIn(canvas, Box{0, 10 + size.cy + 2, kW - 160, 54}, kWhite), 0);
    }
  }
  ui::DibCanvas zero(kW, kH, kStale);
  Paint(zero, 0, 0);
  EXPECT_EQ(InkIn(zero, Box{15, 10, 170, 25}, kWhite), 0) << "page 0 has no heading";
}

TEST_F(PagePainting, PromptsFollowTheFirstLicenceRadio) {
  for (int language : {0, 1}) {
    for (int page : {1, 2, 6}) {
      SCOPED_TRACE("page " + std::to_string(page) + " language " + std::to_string(language));
      ui::DibCanvas canvas(kW, kH, kStale);
      Paint(canvas, page, language);
      const SIZE size = Extent(canvas.Dc(), 15, 400, ui::PagePrompt(page, language));
      EXPECT_GT(InkIn(canvas, Box{22, 58, std::min<int>(22 + size.cx, kW), 58 + size.cy}, kBackground), 0);
      EXPECT_EQ(InkIn(canvas, Box{0, 55, 21, kH}, kBackground), 0) << "ink left of the radio's edge";
      EXPECT_EQ(InkIn(canvas, Box{kW - 10, 55, kW, kH}, kBackground), 0) << "ink at the panel's right edge";
      // A prompt wider than the room is broken, its next line 16 pixels lower; one
      // that fits keeps one line.
      const bool fits = 22 + size.cx <= kW - 10;
      EXPECT_EQ(InkIn(canvas, Box{0, 74, kW, 74 + size.cy}, kBackground) > 0, !fits) << "second line";
      EXPECT_EQ(InkIn(canvas, Box{0, 90 + size.cy, kW, kH}, kBackground), 0) << "ink below the prompt";
    }
  }
  // Moving the radio moves the prompt.
  controls_.rects[1035] = RECT{120, 250, 340, 266};
  ui::DibCanvas moved(kW, kH, kStale);
  Paint(moved, 1, 0);
  EXPECT_EQ(InkIn(moved, Box{0, 55, 119, kH}, kBackground), 0);
  EXPECT_GT(InkIn(moved, Box{120, 58, kW, 75}, kBackground), 0);
  // Without the radio there is no prompt.
  controls_.rects.clear();
  ui::DibCanvas none(kW, kH, kStale);
  Paint(none, 1, 0);
  EXPECT_EQ(InkIn(none, Box{0, 55, kW, kH}, kBackground), 0);
}

TEST_F(PagePainting, TargetFolderPageHasTextAndFrame) {
  for (int language : {0, 1}) {
    SCOPED_TRACE("language " + std::to_string(language));
    ui::DibCanvas canvas(kW, kH, kStale);
    Paint(canvas, 3, language);
    // The built-in text: first line at (28, 70).
    EXPECT_GT(InkIn(canvas, Box{28, 70, kW - 28, 85}, kBackground), 0);
    EXPECT_EQ(InkIn(canvas, Box{0, 55, 27, 160}, kBackground), 0);
    // The frame (26, 168, 453, 218): top edge left of the caption, left and right
    // edges, bottom edge.
    EXPECT_EQ(canvas.Pixel(29, 168), kFrameLine);
    EXPECT_EQ(canvas.Pixel(26, 190), kFrameLine);
    EXPECT_EQ(canvas.Pixel(453, 190), kFrameLine);
    EXPECT_EQ(canvas.Pixel(200, 218), kFrameLine);
    EXPECT_EQ(canvas.Pixel(33, 168), kBackground) << "the caption's gap starts at L+7";
    // The caption, blue, straddling the top edge.
    int blue = 0;
    for (int y = 155; y < 182; ++y)
      for (int x = 34; x < 200; ++x) blue += canvas.Pixel(x, y) == RGB(0, 70, 213);
    EXPECT_GT(blue, 0);
  }
}

TEST_F(PagePainting, ConfiguredTextReplacesTheBuiltInOne) {
  // A configured two-line success text: the second line 103 pixels below the first.
  std::strcpy(config_.sections[3], "Done.\nClose the window please click [finish].\n");
  ui::DibCanvas canvas(kW, kH, kStale);
  Paint(canvas, 7, 0);
  EXPECT_GT(InkIn(canvas, Box{28, 70, kW, 86}, kBackground), 0);
  EXPECT_EQ(InkIn(canvas, Box{0, 87, kW, 172}, kBackground), 0);
  EXPECT_GT(InkIn(canvas, Box{28, 173, kW, 189}, kBackground), 0);
  const SIZE done = Extent(canvas.Dc(), 15, 400, "Done.");
  EXPECT_EQ(InkIn(canvas, Box{28 + done.cx + 2, 70, kW, 86}, kBackground), 0) << "not the built-in text";

  // The built-in success text is one line.
  config_.sections[3][0] = '\0';
  ui::DibCanvas builtIn(kW, kH, kStale);
  Paint(builtIn, 7, 0);
  EXPECT_GT(InkIn(builtIn, Box{28, 70, kW, 86}, kBackground), 0);
  EXPECT_EQ(InkIn(builtIn, Box{0, 87, kW, kH}, kBackground), 0);
}

TEST_F(PagePainting, StatusLineOnPageFour) {
  state_.statusText = "Extracting Logo.bmp";
  ui::DibCanvas canvas(kW, kH, kStale);
  Paint(canvas, 4, 0);
  const SIZE size = Extent(canvas.Dc(), 15, 400, state_.statusText);
  EXPECT_GT(InkIn(canvas, Box{28, 160, 28 + size.cx, 160 + size.cy}, kBackground), 0);
  EXPECT_EQ(InkIn(canvas, Box{28 + size.cx + 2, 150, kW, kH}, kBackground), 0);
  EXPECT_EQ(InkIn(canvas, Box{0, 150, 27, kH}, kBackground), 0);

  state_.statusText = "";
  ui::DibCanvas empty(kW, kH, kStale);
  Paint(empty, 4, 0);
  EXPECT_EQ(InkIn(empty, Box{0, 150, kW, kH}, kBackground), 0);
}

TEST_F(PagePainting, SettingsLabelsAreRightAlignedToTheirStatics) {
  // Statics laid out in a column, each 80 wide, on rows clear of the frames' edges
  // and captions; one narrow one whose label is wider than the static.
  const int tops[ui::kFieldLabelCount] = {72, 88, 128, 150, 200, 220, 240, 255};
  for (size_t k = 0; k < ui::kFieldLabelCount; ++k)
    controls_.rects[ui::kFieldLabels[k].controlId] = RECT{120, tops[k], 200, tops[k] + 13};
  controls_.rects[1016] = RECT{180, 128, 200, 141};  // "Port:" is wider than 20
  for (int language : {0, 1}) {
    SCOPED_TRACE("language " + std::to_string(language));
    ui::DibCanvas canvas(kW, kH, kStale);
    Paint(canvas, 5, language);
    for (const ui::FieldLabel& label : ui::kFieldLabels) {
      const RECT& r = controls_.rects[label.controlId];
      const char* text = language ? label.chinese : label.english;
      const SIZE size = Extent(canvas.Dc(), 15, 400, text);
      const int left = r.right - size.cx;
      SCOPED_TRACE(label.controlId);
      EXPECT_GT(InkIn(canvas, Box{left, r.top, r.right, r.top + size.cy}, kBackground), 0);
      // Nothing further right on the label's rows, and nothing left of where it
      // starts (the frames' edges at x = 5 aside).
      EXPECT_EQ(InkIn(canvas, Box{r.right + 1, r.top + 2, kW - 6, r.top + size.cy - 2}, kBackground), 0);
      EXPECT_EQ(InkIn(canvas, Box{7, r.top + 2, left - 1, r.top + size.cy - 2}, kBackground), 0);
    }
    // Three frames across the page: left and right edges.
    for (int y : {90, 150, 230}) {
      EXPECT_EQ(canvas.Pixel(5, y), kFrameLine) << y;
      EXPECT_EQ(canvas.Pixel(kW - 5, y), kFrameLine) << y;
    }
    // The first frame has no caption: its top edge is whole but for x = L+7.
    EXPECT_EQ(canvas.Pixel(5 + 7, 68), kBackground);
    EXPECT_EQ(canvas.Pixel(5 + 8, 68), kFrameLine);
    EXPECT_EQ(canvas.Pixel(5 + 6, 68), kFrameLine);
  }
}

TEST_F(PagePainting, LeavesTheContextAsItFoundIt) {
  ui::DibCanvas canvas(kW, kH, kStale);
  ASSERT_TRUE(canvas.Ready());
  HDC dc = canvas.Dc();
  const HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
  const HGDIOBJ pen = GetCurrentObject(dc, OBJ_PEN);
  const HGDIOBJ bitmap = GetCurrentObject(dc, OBJ_BITMAP);
  for (int page = 0; page <= 8; ++page) {
    Paint(canvas, page, page % 2);
    EXPECT_EQ(GetBkMode(dc), OPAQUE) << page;
    EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0)) << page;
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font) << page;
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen) << page;
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BITMAP), bitmap) << page;
  }
}

TEST_F(PagePainting, PageOutsideTheRangeIsPlainWhite) {
  for (int page : {-1, 9}) {
    ui::DibCanvas canvas(kW, kH, kStale);
    Paint(canvas, page, 0);
    EXPECT_EQ(CountColour(canvas, kWhite), kW * kH) << page;
  }
}

}  // namespace
