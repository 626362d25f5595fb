// A window of a class of our own: the static window procedure takes `this` from
// CREATESTRUCT at WM_NCCREATE, keeps it in GWLP_USERDATA and clears it at
// WM_NCDESTROY; everything in between goes to the virtual OnMessage.
#pragma once

#include <windows.h>

class Window {
 public:
  Window() = default;
  // A window still alive is detached first (so no message reaches a half-destroyed
  // object) and then destroyed.
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  // Registers className for windows of this wrapper. True when registered now or
  // already registered by an earlier call.
  static bool RegisterWindowClass(HINSTANCE module, const char* className, UINT classStyle, HCURSOR cursor,
                                  HBRUSH background);

  // CreateWindowExA with this object as the creation parameter. False (and no
  // window) when the platform refuses, or this object already has a window.
  bool Create(DWORD exStyle, const char* className, const char* text, DWORD style, int x, int y, int width,
              int height, HWND parent, int id, HINSTANCE module);

  HWND hwnd() const { return hwnd_; }

 protected:
  // Every message after WM_NCCREATE up to WM_NCDESTROY. The default is DefWindowProcA.
  virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  HWND hwnd_ = nullptr;
};
