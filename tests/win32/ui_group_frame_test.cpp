// The group frame painted into a memory bitmap: frame pixels where the segment
// table puts them and nowhere else, the gap for the caption, the caption's colour
// and place, and the state the context is left in.
//
// Glyph shapes depend on the fonts Wine finds, so the caption is checked by
// region (ink present, absent), never pixel by pixel.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <set>
#include <string>
#include <utility>

#include "ui/dib_canvas_win.h"
#include "ui/gdi_objects_win.h"
#include "ui/group_frame_win.h"

namespace {

using Canvas = ui::DibCanvas;

const COLORREF kPage = RGB(236, 233, 216);
const COLORREF kLine = RGB(208, 208, 191);
const COLORREF kCaption = RGB(0, 70, 213);

SIZE Extent(HDC dc, HFONT font, const std::string& text) {
  ui::SelectedObject selected(dc, font);
  SIZE size = {0, 0};
  GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
  return size;
}

std::set<std::pair<int, int>> FramePixels(const ui::FrameRect& frame, int captionWidth) {
  const ui::GroupFrameSegments segments = ui::GroupFrameSegmentsFor(frame, captionWidth);
  std::set<std::pair<int, int>> pixels;
  for (const ui::FramePoint& p : ui::SegmentPixels(segments.data(), segments.size())) pixels.insert({p.x, p.y});
  return pixels;
}

// Where the caption may leave ink: its measured box, widened by a few pixels for
// glyph overhang.
struct Box {
  int left, top, right, bottom;  // right and bottom exclusive
  bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

// Every pixel of the canvas: frame pixels in the line colour, pixels outside the
// caption box in the background colour. Returns the number of mismatches (and
// reports the first few).
int CheckFrameAndBackground(const Canvas& canvas, const std::set<std::pair<int, int>>& frame, const Box& caption,
                            COLORREF background) {
  int mismatches = 0;
  for (int y = 0; y < canvas.Height(); ++y) {
    for (int x = 0; x < canvas.Width(); ++x) {
      const COLORREF pixel = canvas.Pixel(x, y);
      const bool onFrame = frame.count({x, y}) != 0;
      if (onFrame && pixel != kLine) {
        if (++mismatches <= 5) ADD_FAILURE() << "frame pixel (" << x << ", " << y << ") is " << std::hex << pixel;
      } else if (!onFrame && !caption.Contains(x, y) && pixel != background) {
        if (++mismatches <= 5) ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << pixel;
      }
    }
  }
  return mismatches;
}

struct Ink {
  int pixels = 0;          // anything but the background
  int captionColour = 0;   // exactly RGB(0,70,213)
};

Ink InkIn(const Canvas& canvas, const Box& box, COLORREF background) {
  Ink ink;
  for (int y = std::max(box.top, 0); y < std::min(box.bottom, canvas.Height()); ++y) {
    for (int x = std::max(box.left, 0); x < std::min(box.right, canvas.Width()); ++x) {
      const COLORREF pixel = canvas.Pixel(x, y);
      if (pixel != background && pixel != kLine) ++ink.pixels;
      if (pixel == kCaption) ++ink.captionColour;
    }
  }
  return ink;
}

// Leftmost column with caption ink in the box, or -1.
int LeftmostInk(const Canvas& canvas, const Box& box, COLORREF background) {
  for (int x = std::max(box.left, 0); x < std::min(box.right, canvas.Width()); ++x)
    for (int y = std::max(box.top, 0); y < std::min(box.bottom, canvas.Height()); ++y)
      if (canvas.Pixel(x, y) != background && canvas.Pixel(x, y) != kLine) return x;
  return -1;
}

TEST(GroupFramePainting, FrameCaptionAndGapWithAGivenFont) {
  Canvas canvas(240, 120, kPage);
  ASSERT_TRUE(canvas.Ready());
  ui::Font font = ui::MakePlainFont(15, 400, "Tahoma");
  ASSERT_TRUE(font);
  const std::string caption = "Target folder";
  const SIZE extent = Extent(canvas.Dc(), font.Get(), caption);
  ASSERT_GT(extent.cx, 20);
  ASSERT_GT(extent.cy, 8);

  const ui::FrameRect frame{10, 30, 220, 100};
  ui::DrawGroupFrame(canvas.Dc(), frame, caption.c_str(), font.Get());

  const int L = frame.left, T = frame.top;
  const int captionTop = T - extent.cy / 2;
  const Box captionBox{L + 8 - 2, captionTop, L + 8 + extent.cx + 2, captionTop + extent.cy};
  EXPECT_EQ(CheckFrameAndBackground(canvas, FramePixels(frame, extent.cx), captionBox, kPage), 0);

  // The gap in the top edge spans x = L+7 .. L+cx+7: no line colour there, the
  // line resumes right after it and stops right before it.
  for (int x = L + 7; x <= L + extent.cx + 7; ++x) EXPECT_NE(canvas.Pixel(x, T), kLine) << x;
  EXPECT_EQ(canvas.Pixel(L + 6, T), kLine);
  EXPECT_EQ(canvas.Pixel(L + extent.cx + 8, T), kLine);

  // The caption is drawn in its blue, centred on the top edge: ink above and below it.
  const Ink all = InkIn(canvas, captionBox, kPage);
  EXPECT_GT(all.pixels, 20);
  EXPECT_GT(all.captionColour, 0);
  EXPECT_GT(InkIn(canvas, {captionBox.left, captionTop, captionBox.right, T}, kPage).pixels, 0);
  EXPECT_GT(InkIn(canvas, {captionBox.left, T + 1, captionBox.right, captionBox.bottom}, kPage).pixels, 0);
  // The caption starts at L+8; a glyph's left bearing may move its first ink a
  // pixel or two to the right, never to the left.
  const int left = LeftmostInk(canvas, captionBox, kPage);
  EXPECT_GE(left, L + 8);
  EXPECT_LE(left, L + 10);
}

TEST(GroupFramePainting, EmptyCaptionLeavesOnlyTheOnePixelGap) {
  Canvas canvas(120, 80, RGB(255, 255, 255));
  ASSERT_TRUE(canvas.Ready());
  ui::Font font = ui::MakePlainFont(15, 400, "Tahoma");
  const ui::FrameRect frame{5, 10, 110, 70};
  ui::DrawGroupFrame(canvas.Dc(), frame, "", font.Get());

  // No caption box at all: every pixel is either frame or background.
  EXPECT_EQ(CheckFrameAndBackground(canvas, FramePixels(frame, 0), Box{0, 0, 0, 0}, RGB(255, 255, 255)), 0);
  EXPECT_EQ(canvas.Pixel(frame.left + 7, frame.top), RGB(255, 255, 255));
  EXPECT_EQ(canvas.Pixel(frame.left + 6, frame.top), kLine);
  EXPECT_EQ(canvas.Pixel(frame.left + 8, frame.top), kLine);
  // Outer size: columns L..R and rows T..B carry the edges.
  EXPECT_EQ(canvas.Pixel(frame.left, (frame.top + frame.bottom) / 2), kLine);
  EXPECT_EQ(canvas.Pixel(frame.right, (frame.top + frame.bottom) / 2), kLine);
  EXPECT_EQ(canvas.Pixel((frame.left + frame.right) / 2, frame.bottom), kLine);
  EXPECT_EQ(canvas.Pixel(frame.left - 1, (frame.top + frame.bottom) / 2), RGB(255, 255, 255));
  EXPECT_EQ(canvas.Pixel(frame.right + 1, (frame.top + frame.bottom) / 2), RGB(255, 255, 255));
  EXPECT_EQ(canvas.Pixel((frame.left + frame.right) / 2, frame.bottom + 1), RGB(255, 255, 255));
  // Cut corners.
  EXPECT_EQ(canvas.Pixel(frame.left, frame.top), RGB(255, 255, 255));
  EXPECT_EQ(canvas.Pixel(frame.right, frame.bottom), RGB(255, 255, 255));
}

TEST(GroupFramePainting, NullCaptionDrawsLikeAnEmptyOne) {
  Canvas empty(80, 60, kPage), null(80, 60, kPage);
  ASSERT_TRUE(empty.Ready() && null.Ready());
  const ui::FrameRect frame{3, 8, 70, 50};
  ui::DrawGroupFrame(empty.Dc(), frame, "", nullptr);
  ui::DrawGroupFrame(null.Dc(), frame, nullptr, nullptr);
  int differences = 0;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 80; ++x) differences += empty.Pixel(x, y) != null.Pixel(x, y);
  EXPECT_EQ(differences, 0);
  EXPECT_EQ(CheckFrameAndBackground(null, FramePixels(frame, 0), Box{0, 0, 0, 0}, kPage), 0);
}

TEST(GroupFramePainting, WithoutAFontTheCaptionIsMeasuredInFourteenPixelArial) {
  Canvas canvas(240, 90, kPage);
  ASSERT_TRUE(canvas.Ready());
  ui::Font arial = ui::MakePlainFont(14, 400, "Arial");
  const std::string caption = "Printer Port Settings";
  const SIZE extent = Extent(canvas.Dc(), arial.Get(), caption);
  ASSERT_GT(extent.cx, 20);

  const ui::FrameRect frame{5, 20, 230, 80};
  ui::DrawGroupFrame(canvas.Dc(), frame, caption.c_str(), nullptr);
  const int captionTop = frame.top - extent.cy / 2;
  const Box captionBox{frame.left + 6, captionTop, frame.left + 10 + extent.cx, captionTop + extent.cy};
  EXPECT_EQ(CheckFrameAndBackground(canvas, FramePixels(frame, extent.cx), captionBox, kPage), 0);
  EXPECT_GT(InkIn(canvas, captionBox, kPage).captionColour, 0);
  const int left = LeftmostInk(canvas, captionBox, kPage);
  EXPECT_GE(left, frame.left + 8);
  EXPECT_LE(left, frame.left + 10);
}

TEST(GroupFramePainting, LeavesTheContextInCaptionStateWithItsObjectsBack) {
  for (bool withFont : {true, false}) {
    SCOPED_TRACE(withFont ? "given font" : "fallback font");
    Canvas canvas(100, 60, kPage);
    ASSERT_TRUE(canvas.Ready());
    ui::Font before = ui::MakePlainFont(12, 400, "Tahoma");
    ui::Pen pen = ui::MakeSolidPen(1, RGB(1, 2, 3));
    ui::Font frameFont = ui::MakePlainFont(15, 400, "Tahoma");
    ui::SelectedObject selectedFont(canvas.Dc(), before.Get());
    ui::SelectedObject selectedPen(canvas.Dc(), pen.Get());
    SetBkMode(canvas.Dc(), OPAQUE);
    SetTextColor(canvas.Dc(), RGB(0, 0, 0));

    ui::DrawGroupFrame(canvas.Dc(), {5, 20, 90, 50}, "Frame", withFont ? frameFont.Get() : nullptr);

    EXPECT_EQ(GetCurrentObject(canvas.Dc(), OBJ_FONT), before.Get());
    EXPECT_EQ(GetCurrentObject(canvas.Dc(), OBJ_PEN), pen.Get());
    EXPECT_EQ(GetBkMode(canvas.Dc()), TRANSPARENT);
    EXPECT_EQ(GetTextColor(canvas.Dc()), kCaption);
    // The given font is the caller's: still alive.
    EXPECT_EQ(GetObjectType(frameFont.Get()), static_cast<DWORD>(OBJ_FONT));
  }
}

TEST(GroupFramePainting, ChineseCaptionInTheFrame) {
  // "目标文件夹" reaches the ANSI functions as GBK bytes; whatever face Wine maps it
  // to, the caption leaves ink in the gap and the frame stays exact.
  Canvas canvas(300, 90, kPage);
  ASSERT_TRUE(canvas.Ready());
  ui::Font font = ui::MakePlainFont(15, 400, "Tahoma");
  const std::string caption = "目标文件夹";
  ASSERT_EQ(caption.size(), 10u);
  const SIZE extent = Extent(canvas.Dc(), font.Get(), caption);
  ASSERT_GT(extent.cx, 0);
  const ui::FrameRect frame{26, 30, 280, 80};
  ui::DrawGroupFrame(canvas.Dc(), frame, caption.c_str(), font.Get());
  const int captionTop = frame.top - extent.cy / 2;
  const Box captionBox{frame.left + 6, captionTop, frame.left + 10 + extent.cx, captionTop + extent.cy};
  EXPECT_EQ(CheckFrameAndBackground(canvas, FramePixels(frame, extent.cx), captionBox, kPage), 0);
  EXPECT_GT(InkIn(canvas, captionBox, kPage).pixels, 0);
}

}  // namespace
