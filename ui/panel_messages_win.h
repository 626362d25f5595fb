// Messages the wizard panel answers. The installation worker never touches the
// panel's fields: it SendMessages the new value, the user-interface thread stores
// it and repaints before SendMessage returns, so a paint only ever sees a whole
// page number and a whole status string.
//
// All are WM_APP-based and go to the panel window (never to the dialog, and never
// in the WM_USER range where DM_GETDEFID lives).
#pragma once

#include <windows.h>

// wParam: the new page, 0..8. lParam: 0. The panel stores it, invalidates itself
// without erasing and repaints at once. Result kPanelMessageDone; 0 (page kept)
// for a number outside 0..8, and 0 from a window that is gone.
constexpr UINT kPanelSetPage = WM_APP + 0x101;

// wParam: 0. lParam: a NUL-terminated status text (const char*, GBK), which the
// panel copies before it returns, so the sender may reuse its buffer as soon as
// SendMessage returns. Null sets the empty text. The panel invalidates itself
// without erasing and repaints at once. Result kPanelMessageDone.
constexpr UINT kPanelSetStatusText = WM_APP + 0x102;

constexpr LRESULT kPanelMessageDone = 1;

// The end-to-end robot's read-only question "which page is shown?" (the robot's
// own protocol header holds the same number). Answer: kPanelPageAnswered | page;
// nothing changes, nothing is repainted.
constexpr UINT kPanelQueryPage = WM_APP + 0x3E01;
constexpr LRESULT kPanelPageAnswered = 0x10000;

// For the worker thread. Both block until the user-interface thread has handled
// the message; true when the panel took the value.
inline bool SendPanelPage(HWND panel, int page) {
  return SendMessageA(panel, kPanelSetPage, static_cast<WPARAM>(page), 0) == kPanelMessageDone;
}
inline bool SendPanelStatusText(HWND panel, const char* text) {
  return SendMessageA(panel, kPanelSetStatusText, 0, reinterpret_cast<LPARAM>(text)) == kPanelMessageDone;
}
