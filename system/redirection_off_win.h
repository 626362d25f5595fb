// Switches WOW64 file-system redirection off for this thread while it lives, so a
// 32-bit process on 64-bit Windows reaches the native system folder. Looked up at
// run time: where the functions do not exist (32-bit Windows, XP without them)
// there is nothing to switch.
#pragma once

#include <windows.h>

namespace sys {

class RedirectionOff {
 public:
  explicit RedirectionOff(bool wanted = true) {
    if (!wanted) return;
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (!kernel) return;
    auto disable = reinterpret_cast<BOOL(WINAPI*)(PVOID*)>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "Wow64DisableWow64FsRedirection")));
    revert_ = reinterpret_cast<BOOL(WINAPI*)(PVOID)>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "Wow64RevertWow64FsRedirection")));
    if (disable && revert_) off_ = disable(&saved_) != FALSE;
  }
  ~RedirectionOff() {
    if (off_) revert_(saved_);
  }
  RedirectionOff(const RedirectionOff&) = delete;
  RedirectionOff& operator=(const RedirectionOff&) = delete;

 private:
  BOOL(WINAPI* revert_)(PVOID) = nullptr;
  PVOID saved_ = nullptr;
  bool off_ = false;
};

}  // namespace sys
