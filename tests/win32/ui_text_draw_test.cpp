// Line breaking measured with real fonts through a device context, text blocks
// painted into a memory bitmap, and the GDI owners' release and restore rules.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ui/dib_canvas_win.h"
#include "ui/gdi_objects_win.h"
#include "ui/text_draw_win.h"

namespace {

using Lines = std::vector<std::string>;

int Width(HDC dc, const std::string& text) {
  SIZE size = {0, 0};
  GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
  return size.cx;
}

size_t CharacterLength(const std::string& text, size_t at) {
  return ui::IsLeadByte(static_cast<unsigned char>(text[at])) && at + 1 < text.size() ? 2 : 1;
}

// What the breaking promises, checked with the context's own measurements: lines
// cover the text in order without its newlines, whole characters only, none wider
// than the limit unless it holds one character, and a line that did not end at a
// newline could not have taken its next character.
void ExpectHonestBreaks(HDC dc, const std::string& text, const Lines& lines, int limit) {
  size_t p = 0;
  for (size_t k = 0; k < lines.size(); ++k) {
    const std::string& line = lines[k];
    ASSERT_EQ(text.compare(p, line.size(), line), 0) << "line " << k;
    size_t characters = 0;
    for (size_t b = 0; b < line.size(); b += CharacterLength(line, b)) ++characters;
    if (characters > 1) {
      EXPECT_LE(Width(dc, line), limit) << "line " << k;
    }
    p += line.size();
    if (k + 1 == lines.size()) {
      EXPECT_EQ(p, text.size());
    } else if (text[p] == '\n') {
      ++p;
    } else {
      EXPECT_GT(Width(dc, line + text.substr(p, CharacterLength(text, p))), limit) << "line " << k;
    }
  }
}

const char kEnglishWelcome[] =
    "Welcome use Rillo-80Series printer.\n\nThis Wizard will install Rillo-80Series printer driver in \nyour "
    "computer.This software can support word,excel \netc program standard printing function.\n\n\n\n\nPlease "
    "click [next] to continue.";

TEST(TextDrawing, BreaksInTheSelectedFont) {
  ui::DibCanvas canvas(10, 10, RGB(255, 255, 255));
  ASSERT_TRUE(canvas.Ready());
  ui::Font small = ui::MakePlainFont(12, 400, "Tahoma");
  ui::Font large = ui::MakePlainFont(24, 800, "Tahoma");

  const int limit = 160;
  Lines smallLines, largeLines;
  {
    ui::SelectedObject selected(canvas.Dc(), small.Get());
    ui::BreakTextIntoLines(canvas.Dc(), kEnglishWelcome, &smallLines, limit);
    ExpectHonestBreaks(canvas.Dc(), kEnglishWelcome, smallLines, limit);
    EXPECT_EQ(GetCurrentObject(canvas.Dc(), OBJ_FONT), small.Get()) << "breaking selects nothing";
  }
  {
    ui::SelectedObject selected(canvas.Dc(), large.Get());
    ui::BreakTextIntoLines(canvas.Dc(), kEnglishWelcome, &largeLines, limit);
    ExpectHonestBreaks(canvas.Dc(), kEnglishWelcome, largeLines, limit);
  }
  // Ten newlines give at least eleven lines; the larger font needs more.
  EXPECT_GE(smallLines.size(), 11u);
  EXPECT_GT(largeLines.size(), smallLines.size());
  EXPECT_NE(std::find(smallLines.begin(), smallLines.end(), ""), smallLines.end()) << "empty lines are kept";
}

TEST(TextDrawing, ChineseTextIsNeverSplitInsideACharacter) {
  ui::DibCanvas canvas(10, 10, RGB(255, 255, 255));
  ASSERT_TRUE(canvas.Ready());
  ui::Font font = ui::MakePlainFont(15, 400, "Tahoma");
  ui::SelectedObject selected(canvas.Dc(), font.Get());
  const std::string text =
      "欢迎使用Q710打印机驱动\n\n本向导将会在您的电脑上安装Q710打印机驱动。本程序支持Word、Excel等程序的"
      "Windows标准打印功能。\n\n本程序在完成安装之后，不必重启系統就可以直接使用。\n\n\n请点击[下一步]继续。";
  for (int limit : {1, 40, 120, 300}) {
    SCOPED_TRACE(limit);
    Lines lines;
    ui::BreakTextIntoLines(canvas.Dc(), text.c_str(), &lines, limit);
    ExpectHonestBreaks(canvas.Dc(), text, lines, limit);
    for (const std::string& line : lines) {
      size_t b = 0;
      while (b < line.size()) b += CharacterLength(line, b);
      EXPECT_EQ(b, line.size()) << "a line ends inside a double-byte character";
    }
  }
}

// Rows of the canvas that hold anything but the background.
std::vector<bool> InkedRows(const ui::DibCanvas& canvas, COLORREF background) {
  std::vector<bool> rows(canvas.Height(), false);
  for (int y = 0; y < canvas.Height(); ++y)
    for (int x = 0; x < canvas.Width() && !rows[y]; ++x) rows[y] = canvas.Pixel(x, y) != background;
  return rows;
}

TEST(TextDrawing, TextBlockPutsLinesAtTheirTopsAndSkipsEmptyOnes) {
  const COLORREF white = RGB(255, 255, 255);
  ui::DibCanvas canvas(300, 140, white);
  ASSERT_TRUE(canvas.Ready());
  ui::Font title = ui::MakePlainFont(20, 800, "Tahoma");
  ui::Font body = ui::MakePlainFont(15, 400, "Tahoma");
  ui::Font before = ui::MakePlainFont(11, 400, "Tahoma");
  ui::SelectedObject selected(canvas.Dc(), before.Get());
  SetBkMode(canvas.Dc(), TRANSPARENT);

  // Line tops 10 (title), 40 (empty), 56, 72.
  const ui::TextBlockLayout layout{12, 10, 30, 16};
  ui::DrawTextBlock(canvas.Dc(), "WELCOME\n\nHHHH\nHHHH", 280, layout, title.Get(), body.Get());
  EXPECT_EQ(GetCurrentObject(canvas.Dc(), OBJ_FONT), before.Get());

  const std::vector<bool> rows = InkedRows(canvas, white);
  auto inked = [&](int from, int to) {
    for (int y = from; y < to; ++y)
      if (rows[y]) return true;
    return false;
  };
  EXPECT_FALSE(inked(0, 10)) << "nothing above the first line's top";
  EXPECT_TRUE(inked(10, 30)) << "first line";
  EXPECT_FALSE(inked(31, 56)) << "the empty line only takes its step";
  EXPECT_TRUE(inked(56, 71)) << "third line";
  EXPECT_TRUE(inked(72, 87)) << "fourth line";
  EXPECT_FALSE(inked(88, 140)) << "nothing below the last line";

  // Nothing left of x.
  for (int y = 0; y < canvas.Height(); ++y)
    for (int x = 0; x < layout.x; ++x) ASSERT_EQ(canvas.Pixel(x, y), white) << x << ", " << y;
}

TEST(TextDrawing, TextBlockWrapsAtTheLimit) {
  const COLORREF white = RGB(255, 255, 255);
  ui::DibCanvas canvas(300, 120, white);
  ASSERT_TRUE(canvas.Ready());
  ui::Font body = ui::MakePlainFont(15, 400, "Tahoma");
  const int limit = 100;
  ui::DrawTextBlock(canvas.Dc(), "HHHHHHHHHHHHHHHHHHHHHHHHHHHHHH", limit, {10, 5, 40, 40}, body.Get(), body.Get());
  // A wrapped block stays within x .. x + limit and uses more than one line.
  for (int y = 0; y < canvas.Height(); ++y)
    for (int x = 10 + limit + 2; x < canvas.Width(); ++x) ASSERT_EQ(canvas.Pixel(x, y), white) << x << ", " << y;
  const std::vector<bool> rows = InkedRows(canvas, white);
  bool second = false;
  for (int y = 45; y < 60; ++y) second = second || rows[y];
  EXPECT_TRUE(second);
}

TEST(GdiObjects, OwnerDeletesAndMovesItsHandle) {
  HPEN raw = nullptr;
  {
    ui::Pen pen = ui::MakeSolidPen(1, RGB(1, 2, 3));
    raw = pen.Get();
    ASSERT_EQ(GetObjectType(raw), static_cast<DWORD>(OBJ_PEN));
    ui::Pen moved(std::move(pen));
    EXPECT_FALSE(pen);
    EXPECT_EQ(moved.Get(), raw);
    ui::Pen assigned;
    assigned = std::move(moved);
    EXPECT_FALSE(moved);
    EXPECT_EQ(GetObjectType(raw), static_cast<DWORD>(OBJ_PEN)) << "a move must not delete";
  }
  EXPECT_EQ(GetObjectType(raw), 0u) << "deleted once its last owner is gone";

  ui::Brush brush(CreateSolidBrush(RGB(9, 9, 9)));
  HBRUSH released = brush.Release();
  EXPECT_FALSE(brush);
  EXPECT_EQ(GetObjectType(released), static_cast<DWORD>(OBJ_BRUSH));
  DeleteObject(released);

  ui::Font font = ui::MakePlainFont(14, 400, "Arial");
  HFONT first = font.Get();
  font.Reset(CreateFontA(12, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Arial"));
  EXPECT_EQ(GetObjectType(first), 0u) << "Reset deletes the old handle";
  EXPECT_EQ(GetObjectType(font.Get()), static_cast<DWORD>(OBJ_FONT));
}

TEST(GdiObjects, SelectionRestoresThePreviousObject) {
  ui::MemoryDc dc(nullptr);
  ASSERT_TRUE(dc);
  HGDIOBJ original = GetCurrentObject(dc.Get(), OBJ_PEN);
  ui::Pen red = ui::MakeSolidPen(1, RGB(255, 0, 0));
  ui::Pen blue = ui::MakeSolidPen(1, RGB(0, 0, 255));
  {
    ui::SelectedObject first(dc.Get(), red.Get());
    ASSERT_TRUE(first);
    EXPECT_EQ(first.Previous(), original);
    {
      ui::SelectedObject second(dc.Get(), blue.Get());
      EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_PEN), blue.Get());
    }
    EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_PEN), red.Get());

    ui::SelectedObject moved(std::move(first));
    EXPECT_FALSE(first);
    first.Restore();  // moved-from: restores nothing
    EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_PEN), red.Get());
  }
  EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_PEN), original);

  // A null object or context selects nothing and restores nothing.
  ui::SelectedObject none(dc.Get(), nullptr);
  EXPECT_FALSE(none);
  ui::SelectedObject noDc(nullptr, red.Get());
  EXPECT_FALSE(noDc);
}

TEST(GdiObjects, MemoryDcIsDeletedWithItsOwner) {
  HDC raw = nullptr;
  {
    ui::MemoryDc dc(nullptr);
    raw = dc.Get();
    ASSERT_EQ(GetObjectType(raw), static_cast<DWORD>(OBJ_MEMDC));
    ui::MemoryDc other;
    other = std::move(dc);
    EXPECT_FALSE(dc);
    EXPECT_EQ(GetObjectType(raw), static_cast<DWORD>(OBJ_MEMDC));
  }
  EXPECT_EQ(GetObjectType(raw), 0u);
}

TEST(GdiObjects, CanvasReadsBackWhatWasPainted) {
  ui::DibCanvas canvas(8, 4, RGB(10, 20, 30));
  ASSERT_TRUE(canvas.Ready());
  EXPECT_EQ(canvas.Pixel(0, 0), RGB(10, 20, 30));
  SetPixel(canvas.Dc(), 5, 2, RGB(200, 100, 50));
  EXPECT_EQ(canvas.Pixel(5, 2), RGB(200, 100, 50));
  EXPECT_EQ(canvas.Pixel(4, 2), RGB(10, 20, 30));
  EXPECT_EQ(canvas.Pixel(8, 0), CLR_INVALID);
  EXPECT_EQ(canvas.Pixel(0, -1), CLR_INVALID);
  EXPECT_FALSE(ui::DibCanvas(0, 5, RGB(0, 0, 0)).Ready());
}

}  // namespace
