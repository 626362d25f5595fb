// A registry key closed with RegCloseKey; move-only.
#pragma once

#include <windows.h>

#include <utility>

namespace sys {

class RegistryKey {
 public:
  RegistryKey() = default;
  explicit RegistryKey(HKEY key) : key_(key) {}
  ~RegistryKey() { Reset(); }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;
  RegistryKey(RegistryKey&& other) noexcept : key_(std::exchange(other.key_, nullptr)) {}
  RegistryKey& operator=(RegistryKey&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.key_, nullptr));
    return *this;
  }

  HKEY get() const { return key_; }
  // For the functions that hand a key out; closes the one held first.
  HKEY* Receive() {
    Reset();
    return &key_;
  }
  explicit operator bool() const { return key_ != nullptr; }

  void Reset(HKEY key = nullptr) {
    if (key_) RegCloseKey(key_);
    key_ = key;
  }

 private:
  HKEY key_ = nullptr;
};

}  // namespace sys
