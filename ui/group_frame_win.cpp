#include "ui/group_frame_win.h"

#include <climits>
#include <cstring>

#include "ui/gdi_objects_win.h"

namespace ui {

void DrawGroupFrame(HDC dc, const FrameRect& frame, const char* caption, HFONT font) {
  if (caption == nullptr) caption = "";
  const size_t captionBytes = std::strlen(caption);
  const int captionLength = captionBytes > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(captionBytes);

  Font arial;
  if (font == nullptr) {
    arial = MakePlainFont(14, 400, "Arial");
    font = arial.Get();
  }
  SelectedObject selectedFont(dc, font);

  SIZE extent = {0, 0};
  if (!GetTextExtentPoint32A(dc, caption, captionLength, &extent)) extent = SIZE{0, 0};

  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, kFrameCaptionColour);
  const FramePoint origin = GroupFrameCaptionOrigin(frame, extent.cy);
  TextOutA(dc, origin.x, origin.y, caption, captionLength);

  Pen pen = MakeSolidPen(1, kFrameLineColour);
  SelectedObject selectedPen(dc, pen.Get());
  for (const FrameSegment& segment : GroupFrameSegmentsFor(frame, extent.cx)) {
    MoveToEx(dc, segment.from.x, segment.from.y, nullptr);
    LineTo(dc, segment.to.x, segment.to.y);
  }
  // selectedPen and selectedFont put the previous pen and font back before pen and
  // arial are deleted (reverse order of declaration).
}

}  // namespace ui
