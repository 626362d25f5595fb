#include "system/placed_files_win.h"

namespace sys {

void SharedPlacedFiles::Add(const std::string& name) {
  ScopedLock hold(lock_);
  files_.Add(name);
}

PlacedFiles SharedPlacedFiles::Snapshot() const {
  ScopedLock hold(lock_);
  return files_;
}

}  // namespace sys
