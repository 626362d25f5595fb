#include "ui/framed_edit_win.h"

#include <vector>

#include "ui/page_layout.h"

namespace ui {

namespace {

const char kFieldClass[] = "SetupFramedEdit";

}  // namespace

void DrawFramedEditFrame(HDC dc, int width, int height, bool enabled) {
  Pen pen = MakeSolidPen(1, enabled ? kFramedEditEnabledColour : kFramedEditDisabledColour);
  SelectedObject selected(dc, pen.Get());
  MoveToEx(dc, 0, 0, nullptr);
  LineTo(dc, width - 1, 0);
  LineTo(dc, width - 1, height - 1);
  LineTo(dc, 0, height - 1);
  LineTo(dc, 0, 0);
}

FramedEdit::~FramedEdit() {
  if (hwnd()) DestroyWindow(hwnd());
}

bool FramedEdit::Create(const RECT& rect, HWND parent) {
  HINSTANCE module = GetModuleHandleA(nullptr);
  if (!RegisterWindowClass(module, kFieldClass, CS_DBLCLKS, LoadCursor(nullptr, IDC_ARROW),
                           static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)))) {
    return false;
  }
  // Not visible: the owner shows and hides the field.
  if (!Window::Create(0, kFieldClass, "", WS_CHILD | WS_CLIPCHILDREN, rect.left, rect.top, rect.right - rect.left,
                      rect.bottom - rect.top, parent, 0, module)) {
    return false;
  }
  RECT client = {0, 0, 0, 0};
  GetClientRect(hwnd(), &client);
  // One white column on the left and two white rows on top keep the text off the
  // frame; the right and bottom frame lines are left to the field.
  edit_ = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 2, 3, client.right - 1 - 2,
                          client.bottom - 1 - 3, hwnd(),
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFramedEditControlId)), module, nullptr);
  if (!edit_) return false;
  font_ = MakePlainFont(14, 400, "Arial");
  SendMessageA(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), TRUE);
  return true;
}

void FramedEdit::SetText(const char* text) {
  if (!edit_) return;
  SetWindowTextA(edit_, text != nullptr ? text : "");
  SendMessageA(edit_, EM_SETMODIFY, TRUE, 0);
}

std::string FramedEdit::GetText() const {
  if (!edit_) return std::string();
  const int length = GetWindowTextLengthA(edit_);
  if (length <= 0) return std::string();
  std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
  const int copied = GetWindowTextA(edit_, buffer.data(), length + 1);
  return std::string(buffer.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
}

void FramedEdit::PaintFrame(HDC dc) {
  RECT client = {0, 0, 0, 0};
  GetClientRect(hwnd(), &client);
  DrawFramedEditFrame(dc, client.right, client.bottom, IsWindowEnabled(hwnd()) != FALSE);
}

LRESULT FramedEdit::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd(), &ps);
      if (dc) PaintFrame(dc);
      EndPaint(hwnd(), &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      // The same frame into a context someone else gives (screenshots, tests).
      PaintFrame(reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_ENABLE:
      // The frame colour follows the enabled state.
      InvalidateRect(hwnd(), nullptr, TRUE);
      return 0;
    default:
      return Window::OnMessage(message, wParam, lParam);
  }
}

}  // namespace ui
