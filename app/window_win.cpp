#include "app/window_win.h"

Window::~Window() {
  if (hwnd_) {
    HWND hwnd = hwnd_;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    hwnd_ = nullptr;
    DestroyWindow(hwnd);
  }
}

bool Window::RegisterWindowClass(HINSTANCE module, const char* className, UINT classStyle, HCURSOR cursor,
                                 HBRUSH background) {
  WNDCLASSA wc = {};
  wc.style = classStyle;
  wc.lpfnWndProc = &Window::WindowProc;
  wc.hInstance = module;
  wc.hCursor = cursor;
  wc.hbrBackground = background;
  wc.lpszClassName = className;
  return RegisterClassA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool Window::Create(DWORD exStyle, const char* className, const char* text, DWORD style, int x, int y, int width,
                    int height, HWND parent, int id, HINSTANCE module) {
  if (hwnd_) return false;
  HMENU menu = (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)) : nullptr;
  // WindowProc stores hwnd_ at WM_NCCREATE; a failed creation has cleared it again.
  return CreateWindowExA(exStyle, className, text, style, x, y, width, height, parent, menu, module, this) !=
         nullptr;
}

LRESULT Window::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK Window::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* self;
  if (message == WM_NCCREATE) {
    self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->hwnd_ = hwnd;
  } else {
    self = reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  }
  // Messages before WM_NCCREATE (WM_GETMINMAXINFO) and after a detach find no object.
  if (!self) return DefWindowProcA(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    LRESULT result = self->OnMessage(message, wParam, lParam);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    return result;
  }
  return self->OnMessage(message, wParam, lParam);
}
