#include "system/run_lock_win.h"

namespace sys {

RunLock::~RunLock() {
  if (held_) ReleaseMutex(mutex_);
  if (mutex_) CloseHandle(mutex_);
}

std::string RunLock::MutexName(const std::string& printerName) {
  // A printer name holds no backslash, the one character a kernel object's name
  // may not.
  return "Global\\PrinterDriverSetup " + printerName;
}

LockResult RunLock::Take(const std::string& printerName, DWORD waitMilliseconds) {
  if (held_) return LockResult::kTaken;
  if (!mutex_) {
    mutex_ = CreateMutexA(nullptr, FALSE, MutexName(printerName).c_str());
    if (!mutex_) return LockResult::kFailed;
  }
  switch (WaitForSingleObject(mutex_, waitMilliseconds)) {
    case WAIT_OBJECT_0:
    case WAIT_ABANDONED:  // its owner was killed: what it left, the journal knows
      held_ = true;
      return LockResult::kTaken;
    case WAIT_TIMEOUT:
      return LockResult::kBusy;
    default:
      return LockResult::kFailed;
  }
}

}  // namespace sys
