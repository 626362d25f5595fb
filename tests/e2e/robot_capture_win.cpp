#include "robot_capture_win.h"

#include <cstdint>
#include <vector>

#include "robot_handles_win.h"

namespace {

// Larger than any screen we run on; keeps the size arithmetic far from overflow.
constexpr int kMaxSide = 8192;

void PutLe16(std::vector<uint8_t>* out, uint32_t v) {
  out->push_back(static_cast<uint8_t>(v));
  out->push_back(static_cast<uint8_t>(v >> 8));
}

void PutLe32(std::vector<uint8_t>* out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out->push_back(static_cast<uint8_t>(v >> (8 * i)));
}

bool WriteWholeFile(const std::wstring& path, const std::vector<uint8_t>& header, const uint8_t* pixels,
                    size_t pixelBytes) {
  UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
  if (!file) return false;
  DWORD written = 0;
  if (!WriteFile(file.get(), header.data(), static_cast<DWORD>(header.size()), &written, nullptr) ||
      written != header.size())
    return false;
  if (!WriteFile(file.get(), pixels, static_cast<DWORD>(pixelBytes), &written, nullptr) || written != pixelBytes)
    return false;
  return true;
}

}  // namespace

CaptureResult CaptureWindowToBmp(HWND window, const std::wstring& path) {
  CaptureResult result;
  RECT rect;
  if (!GetWindowRect(window, &rect)) {
    result.error = "no window rectangle";
    return result;
  }
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) {
    result.error = "window size out of range";
    return result;
  }

  WindowDc screen(nullptr);
  if (!screen.get()) {
    result.error = "no screen DC";
    return result;
  }
  UniqueMemoryDc memory(CreateCompatibleDC(screen.get()));
  if (!memory) {
    result.error = "no memory DC";
    return result;
  }
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // positive: bottom-up, the row order of a BMP file
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  UniqueGdiObject bitmap(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || !bits) {
    result.error = "no DIB section";
    return result;
  }
  {
    SelectedObject selected(memory.get(), bitmap.get());
    if (!selected.ok()) {
      result.error = "cannot select the bitmap";
      return result;
    }
    if (!BitBlt(memory.get(), 0, 0, width, height, screen.get(), rect.left, rect.top, SRCCOPY | CAPTUREBLT)) {
      result.error = "BitBlt from the screen failed";
      return result;
    }
    GdiFlush();
  }

  // Rows of a 24-bit DIB are padded to 4 bytes, exactly as in the file.
  const uint32_t stride = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
  const uint32_t pixelBytes = stride * static_cast<uint32_t>(height);
  const uint32_t headerBytes = 14 + 40;
  std::vector<uint8_t> header;
  header.reserve(headerBytes);
  header.push_back('B');
  header.push_back('M');
  PutLe32(&header, headerBytes + pixelBytes);
  PutLe32(&header, 0);
  PutLe32(&header, headerBytes);
  PutLe32(&header, 40);
  PutLe32(&header, static_cast<uint32_t>(width));
  PutLe32(&header, static_cast<uint32_t>(height));
  PutLe16(&header, 1);
  PutLe16(&header, 24);
  PutLe32(&header, 0);  // BI_RGB
  PutLe32(&header, pixelBytes);
  PutLe32(&header, 2835);  // 72 dpi
  PutLe32(&header, 2835);
  PutLe32(&header, 0);
  PutLe32(&header, 0);
  if (!WriteWholeFile(path, header, static_cast<const uint8_t*>(bits), pixelBytes)) {
    result.error = "cannot write the file";
    return result;
  }
  result.ok = true;
  result.width = width;
  result.height = height;
  return result;
}
