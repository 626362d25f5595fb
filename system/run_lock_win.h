// One run at a time for each printer: the setup program and the uninstaller of a
// printer take the same named mutex before they change anything, so a second one
// waits instead of working through the first one's files. A run that is killed
// leaves the mutex abandoned, which the next one simply takes.
#pragma once

#include <windows.h>

#include <string>

namespace sys {

enum class LockResult {
  kTaken,
  kBusy,    // another run holds it for longer than the wait
  kFailed,  // the mutex cannot be made at all
};

class RunLock {
 public:
  RunLock() = default;
  ~RunLock();
  RunLock(const RunLock&) = delete;
  RunLock& operator=(const RunLock&) = delete;

  // Waits up to waitMilliseconds for the printer's mutex. A lock already taken is
  // taken again at once.
  LockResult Take(const std::string& printerName, DWORD waitMilliseconds);
  bool held() const { return held_; }

  // "Global\PrinterDriverSetup <printer>": one name for every session of the machine.
  static std::string MutexName(const std::string& printerName);

 private:
  HANDLE mutex_ = nullptr;
  bool held_ = false;
};

// How long an unattended run waits for another one before it gives up (exit 1618).
constexpr DWORD kUnattendedLockWait = 10 * 60 * 1000;

}  // namespace sys
