// The set of placed file names shared between the installation worker, which adds
// each name as it unpacks it, and the user-interface thread, which reads them when
// the wizard closes (possibly while the worker still runs).
#pragma once

#include <string>

#include "system/critical_section_win.h"
#include "system/destination_cleanup.h"

namespace sys {

class SharedPlacedFiles {
 public:
  void Add(const std::string& name);
  // A copy taken under the lock, for the clean-up to work on without holding it.
  PlacedFiles Snapshot() const;

 private:
  mutable CriticalSection lock_;
  PlacedFiles files_;
};

}  // namespace sys
