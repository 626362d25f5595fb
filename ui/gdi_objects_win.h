// Owners for the GDI objects one paint creates: pens, fonts, brushes, bitmaps,
// memory device contexts, and the selection of an object into a context. Each is
// move-only, so nothing is deleted twice, and each gives its handle back on
// destruction.
//
// Declare an object before the selection that uses it: members and locals are
// destroyed in reverse order, so the previous object is selected again before the
// owned one is deleted (a GDI object still selected into a context must not be
// deleted).
#pragma once

#include <windows.h>

namespace ui {

// An HPEN, HFONT, HBRUSH or HBITMAP released with DeleteObject.
template <typename Handle>
class GdiObject {
 public:
  GdiObject() = default;
  explicit GdiObject(Handle handle) : handle_(handle) {}
  ~GdiObject() { Reset(); }

  GdiObject(GdiObject&& other) noexcept : handle_(other.Release()) {}
  GdiObject& operator=(GdiObject&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;

  Handle Get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

  // Hands the handle over to the caller, who deletes it.
  Handle Release() {
    Handle handle = handle_;
    handle_ = nullptr;
    return handle;
  }

  void Reset(Handle handle = nullptr) {
    if (handle_ != nullptr && handle_ != handle) DeleteObject(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_ = nullptr;
};

using Pen = GdiObject<HPEN>;
using Font = GdiObject<HFONT>;
using Brush = GdiObject<HBRUSH>;
using Bitmap = GdiObject<HBITMAP>;

// A memory device context made with CreateCompatibleDC and released with DeleteDC.
class MemoryDc {
 public:
  MemoryDc() = default;
  // compatibleWith may be null: then the context is compatible with the screen.
  explicit MemoryDc(HDC compatibleWith) : dc_(CreateCompatibleDC(compatibleWith)) {}
  ~MemoryDc() { Reset(); }

  MemoryDc(MemoryDc&& other) noexcept : dc_(other.dc_) { other.dc_ = nullptr; }
  MemoryDc& operator=(MemoryDc&& other) noexcept {
    if (this != &other) {
      Reset();
      dc_ = other.dc_;
      other.dc_ = nullptr;
    }
    return *this;
  }
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;

  HDC Get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

  void Reset() {
    if (dc_ != nullptr) DeleteDC(dc_);
    dc_ = nullptr;
  }

 private:
  HDC dc_ = nullptr;
};

// Selects an object into a context and selects the previous one again on
// destruction. A null context or object selects nothing.
class SelectedObject {
 public:
  SelectedObject() = default;
  SelectedObject(HDC dc, HGDIOBJ object) {
    if (dc == nullptr || object == nullptr) return;
    HGDIOBJ previous = SelectObject(dc, object);
    // SelectObject reports failure with null, and with HGDI_ERROR for regions.
    if (previous == nullptr || previous == HGDI_ERROR) return;
    dc_ = dc;
    previous_ = previous;
  }
  ~SelectedObject() { Restore(); }

  SelectedObject(SelectedObject&& other) noexcept : dc_(other.dc_), previous_(other.previous_) {
    other.dc_ = nullptr;
    other.previous_ = nullptr;
  }
  SelectedObject& operator=(SelectedObject&& other) noexcept {
    if (this != &other) {
      Restore();
      dc_ = other.dc_;
      previous_ = other.previous_;
      other.dc_ = nullptr;
      other.previous_ = nullptr;
    }
    return *this;
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

  // True when the selection took place.
  explicit operator bool() const { return dc_ != nullptr; }
  HGDIOBJ Previous() const { return previous_; }

  // Selects the previous object again now instead of at destruction.
  void Restore() {
    if (dc_ != nullptr) SelectObject(dc_, previous_);
    dc_ = nullptr;
    previous_ = nullptr;
  }

 private:
  HDC dc_ = nullptr;
  HGDIOBJ previous_ = nullptr;
};

// A solid cosmetic pen.
inline Pen MakeSolidPen(int width, COLORREF colour) { return Pen(CreatePen(PS_SOLID, width, colour)); }

// The wizard's fonts differ only in height, weight and face: no width, escapement
// or orientation, no italic, underline or strike-out, character set 0, and every
// precision, the quality and the pitch left at 0.
inline Font MakePlainFont(int height, int weight, const char* face) {
  return Font(CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, 0, 0, 0, 0, 0, face));
}

}  // namespace ui
