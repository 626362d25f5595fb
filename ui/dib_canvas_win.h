// An off-screen 32-bit top-down DIB section selected into its own memory context,
// with its pixels readable: what painting tests draw into, and what a painter can
// compose in before one block copy.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "ui/gdi_objects_win.h"

namespace ui {

class DibCanvas {
 public:
  // Compatible with the screen; filled with background.
  DibCanvas(int width, int height, COLORREF background) : width_(width), height_(height), dc_(nullptr) {
    if (width <= 0 || height <= 0) return;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // negative: row 0 is the top row
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_.Reset(CreateDIBSection(dc_.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap_) return;
    bits_ = static_cast<const uint32_t*>(bits);
    selection_ = SelectedObject(dc_.Get(), bitmap_.Get());
    Fill(background);
  }

  bool Ready() const { return dc_ && bitmap_ && bits_ != nullptr && selection_; }
  HDC Dc() const { return dc_.Get(); }
  int Width() const { return width_; }
  int Height() const { return height_; }

  void Fill(COLORREF colour) {
    RECT all = {0, 0, width_, height_};
    Brush brush(CreateSolidBrush(colour));
    FillRect(dc_.Get(), &all, brush.Get());
  }

  // The pixel as a COLORREF (0x00BBGGRR; the section stores 0x00RRGGBB). Outside
  // the canvas, or on a canvas that is not ready: CLR_INVALID.
  COLORREF Pixel(int x, int y) const {
    if (!Ready() || x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
    GdiFlush();  // GDI may batch drawing calls; the bits must be current
    const uint32_t p = bits_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }

 private:
  int width_;
  int height_;
  MemoryDc dc_;
  Bitmap bitmap_;
  const uint32_t* bits_ = nullptr;
  SelectedObject selection_;  // declared last: deselected before the bitmap is deleted
};

}  // namespace ui
