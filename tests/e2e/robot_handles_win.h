// Move-only owners for what the robot opens: kernel handles, device contexts and GDI
// objects. Nothing is released twice and nothing leaks on an early return.
#pragma once

#include <windows.h>

#include <utility>

template <typename Traits>
class UniqueOwner {
 public:
  using Type = typename Traits::Type;
  UniqueOwner() = default;
  explicit UniqueOwner(Type value) : value_(value) {}
  ~UniqueOwner() { Reset(); }
  UniqueOwner(const UniqueOwner&) = delete;
  UniqueOwner& operator=(const UniqueOwner&) = delete;
  UniqueOwner(UniqueOwner&& other) noexcept : value_(std::exchange(other.value_, Traits::Empty())) {}
  UniqueOwner& operator=(UniqueOwner&& other) noexcept {
    if (this != &other) {
      Reset();
      value_ = std::exchange(other.value_, Traits::Empty());
    }
    return *this;
  }
  Type get() const { return value_; }
  bool valid() const { return Traits::Valid(value_); }
  explicit operator bool() const { return valid(); }
  void Reset(Type value = Traits::Empty()) {
    if (Traits::Valid(value_)) Traits::Release(value_);
    value_ = value;
  }

 private:
  Type value_ = Traits::Empty();
};

struct KernelHandleTraits {
  using Type = HANDLE;
  static Type Empty() { return nullptr; }
  static bool Valid(Type h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Release(Type h) { CloseHandle(h); }
};
using UniqueHandle = UniqueOwner<KernelHandleTraits>;

struct MemoryDcTraits {
  using Type = HDC;
  static Type Empty() { return nullptr; }
  static bool Valid(Type h) { return h != nullptr; }
  static void Release(Type h) { DeleteDC(h); }
};
using UniqueMemoryDc = UniqueOwner<MemoryDcTraits>;

struct GdiObjectTraits {
  using Type = HGDIOBJ;
  static Type Empty() { return nullptr; }
  static bool Valid(Type h) { return h != nullptr; }
  static void Release(Type h) { DeleteObject(h); }
};
using UniqueGdiObject = UniqueOwner<GdiObjectTraits>;

// A DC from GetDC, given back with ReleaseDC to the same window.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDc() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// Selects an object into a DC and puts the previous one back when it goes.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~SelectedObject() {
    if (previous_ && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;
  bool ok() const { return previous_ != nullptr && previous_ != HGDI_ERROR; }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};
