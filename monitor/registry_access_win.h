// The registry as the monitor reaches it. Windows hands a monitor its own key and
// functions to use on it (MONITORINIT); Wine's functions are stubs that fail with
// ERROR_CALL_NOT_IMPLEMENTED and its key is closed once the monitor is initialised,
// so there the monitor opens its key under HKLM itself. The port store works on
// either through this interface.
#pragma once

#include <windows.h>
#include <winspool.h>
#include <winsplp.h>

#include <utility>

namespace monitor {

class RegistryAccess {
 public:
  virtual ~RegistryAccess() = default;
  // *created tells a new key from an existing one.
  virtual LONG Create(HANDLE parent, const wchar_t* subKey, HANDLE* key, bool* created) = 0;
  virtual LONG Open(HANDLE parent, const wchar_t* subKey, HANDLE* key) = 0;
  virtual void Close(HANDLE key) = 0;
  // Deletes a key that has no subkeys.
  virtual LONG Delete(HANDLE parent, const wchar_t* subKey) = 0;
  // *chars: the buffer's size in, the name's length out.
  virtual LONG EnumKey(HANDLE key, DWORD index, wchar_t* name, DWORD* chars) = 0;
  virtual LONG SetValue(HANDLE key, const wchar_t* name, DWORD type, const BYTE* data, DWORD bytes) = 0;
  virtual LONG QueryValue(HANDLE key, const wchar_t* name, DWORD* type, BYTE* data, DWORD* bytes) = 0;
};

// advapi32 on real HKEYs.
class SystemRegistry : public RegistryAccess {
 public:
  LONG Create(HANDLE parent, const wchar_t* subKey, HANDLE* key, bool* created) override;
  LONG Open(HANDLE parent, const wchar_t* subKey, HANDLE* key) override;
  void Close(HANDLE key) override;
  LONG Delete(HANDLE parent, const wchar_t* subKey) override;
  LONG EnumKey(HANDLE key, DWORD index, wchar_t* name, DWORD* chars) override;
  LONG SetValue(HANDLE key, const wchar_t* name, DWORD type, const BYTE* data, DWORD bytes) override;
  LONG QueryValue(HANDLE key, const wchar_t* name, DWORD* type, BYTE* data, DWORD* bytes) override;
};

// The spooler's functions from MONITORINIT, on the keys they hand out.
class SpoolerRegistry : public RegistryAccess {
 public:
  SpoolerRegistry(const MONITORREG* functions, HANDLE spooler) : reg_(functions), spooler_(spooler) {}
  LONG Create(HANDLE parent, const wchar_t* subKey, HANDLE* key, bool* created) override;
  LONG Open(HANDLE parent, const wchar_t* subKey, HANDLE* key) override;
  void Close(HANDLE key) override;
  LONG Delete(HANDLE parent, const wchar_t* subKey) override;
  LONG EnumKey(HANDLE key, DWORD index, wchar_t* name, DWORD* chars) override;
  LONG SetValue(HANDLE key, const wchar_t* name, DWORD type, const BYTE* data, DWORD bytes) override;
  LONG QueryValue(HANDLE key, const wchar_t* name, DWORD* type, BYTE* data, DWORD* bytes) override;

 private:
  const MONITORREG* reg_;
  HANDLE spooler_;
};

// A key of either kind, closed through the access that opened it; move-only.
class RegKey {
 public:
  RegKey() = default;
  RegKey(RegistryAccess* access, HANDLE key) : access_(access), key_(key) {}
  ~RegKey() { Reset(); }
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;
  RegKey(RegKey&& other) noexcept : access_(other.access_), key_(std::exchange(other.key_, nullptr)) {}
  RegKey& operator=(RegKey&& other) noexcept {
    if (this != &other) {
      Reset();
      access_ = other.access_;
      key_ = std::exchange(other.key_, nullptr);
    }
    return *this;
  }
  HANDLE get() const { return key_; }
  explicit operator bool() const { return key_ != nullptr; }
  void Reset() {
    if (key_) access_->Close(key_);
    key_ = nullptr;
  }

 private:
  RegistryAccess* access_ = nullptr;
  HANDLE key_ = nullptr;
};

}  // namespace monitor
