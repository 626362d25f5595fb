#include "ui/text_draw_win.h"

#include <climits>

#include "ui/gdi_objects_win.h"

namespace ui {

int DcTextMeasure::Width(const char* bytes, size_t count) const {
  SIZE size = {0, 0};
  const int length = count > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(count);
  if (!GetTextExtentPoint32A(dc_, bytes, length, &size)) return 0;
  return size.cx;
}

void BreakTextIntoLines(HDC dc, const char* text, std::vector<std::string>* lines, int widthLimit) {
  BreakTextIntoLines(DcTextMeasure(dc), text, lines, widthLimit);
}

namespace {

// Widths in one font, whatever the context has selected otherwise.
class FontTextMeasure : public TextMeasure {
 public:
  FontTextMeasure(HDC dc, HFONT font) : dc_(dc), font_(font) {}
  int Width(const char* bytes, size_t count) const override {
    SelectedObject selected(dc_, font_);
    return DcTextMeasure(dc_).Width(bytes, count);
  }

 private:
  HDC dc_;
  HFONT font_;
};

}  // namespace

void DrawTextBlock(HDC dc, const char* text, int widthLimit, const TextBlockLayout& layout, HFONT firstLineFont,
                   HFONT otherFont) {
  std::vector<std::string> lines;
  BreakTextAtWords(FontTextMeasure(dc, firstLineFont), FontTextMeasure(dc, otherFont), text, &lines, widthLimit);
  for (size_t k = 0; k < lines.size(); ++k) {
    if (lines[k].empty()) continue;
    SelectedObject font(dc, k == 0 ? firstLineFont : otherFont);
    // Lines never exceed kMaxLineBytes, so the length fits an int.
    TextOutA(dc, layout.x, TextBlockLineTop(layout, k), lines[k].data(), static_cast<int>(lines[k].size()));
  }
}

}  // namespace ui
