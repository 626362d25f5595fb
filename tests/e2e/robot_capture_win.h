// Screenshots as a person sees them: a block copy from the screen over the window's
// rectangle, written as a 24-bit bottom-up BMP. Under Wine, PrintWindow gives only
// the top-level window's background without its child windows, so the screen is
// the only faithful source; the caller brings the window to the top first.
#pragma once

#include <windows.h>

#include <string>

struct CaptureResult {
  bool ok = false;
  int width = 0;
  int height = 0;
  std::string error;
};

CaptureResult CaptureWindowToBmp(HWND window, const std::wstring& path);
