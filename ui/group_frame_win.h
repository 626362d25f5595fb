// The wizard's replacement for a group box: a light one-pixel frame with
// diagonally cut corners and a blue caption set into its top edge.
#pragma once

#include <windows.h>

#include "ui/text_layout.h"

namespace ui {

// Draws the frame covering frame.left..right and frame.top..bottom inclusive, with
// caption (null counts as empty) in font, or in a 14-pixel Arial made for this
// call when font is null. On return the previous font and pen are selected again;
// the background mode stays transparent and the text colour RGB(0,70,213).
void DrawGroupFrame(HDC dc, const FrameRect& frame, const char* caption, HFONT font);

}  // namespace ui
