// The wizard's text drawing on a device context: line breaking measured in the
// font selected into the context, and the drawing of a broken text block.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ui/text_layout.h"

namespace ui {

// Widths from GetTextExtentPoint32A in whatever font is selected into the context
// at the time of each measurement. A failed measurement counts as width 0.
class DcTextMeasure : public TextMeasure {
 public:
  explicit DcTextMeasure(HDC dc) : dc_(dc) {}
  int Width(const char* bytes, size_t count) const override;

 private:
  HDC dc_;
};

// BreakTextIntoLines measured in the font currently selected into dc; selects
// nothing itself.
void BreakTextIntoLines(HDC dc, const char* text, std::vector<std::string>* lines, int widthLimit);

// Draws one text block: text is broken between words (BreakTextAtWords) at
// widthLimit, each line measured in the font it is drawn in (the first line in
// firstLineFont, the others in otherFont), then drawn line by line with TextOutA at
// (layout.x, TextBlockLineTop(layout, k)). Empty lines only take their step. A null
// font leaves the context's current font in place for its lines. The previous font
// is selected again on return; text colour and background mode are the caller's.
void DrawTextBlock(HDC dc, const char* text, int widthLimit, const TextBlockLayout& layout, HFONT firstLineFont,
                   HFONT otherFont);

}  // namespace ui
