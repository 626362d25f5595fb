// The control libraries the wizard's template needs: the common controls (its
// progress bar) and the rich edit control (class "RICHEDIT", the licence view).
// Both are loaded at run time from the system directory, never imported: setup.exe
// runs from download folders, where a planted DLL of the same name may lie beside it.
#pragma once

#include <windows.h>

#include "app/unique_handle_win.h"
#include "system/system_library_win.h"

class ControlLibraries {
 public:
  // Loads both and registers the progress bar class. True when both classes can be
  // created afterwards. The libraries stay loaded as long as this object lives.
  // search is what this Windows offers unless a test asks for the other way.
  bool Load(sys::LibrarySearch search = sys::SystemLibrarySearch());

  // The file name of the library that could not be loaded or initialised; null
  // after a successful Load.
  const char* failedLibrary() const { return failed_; }

 private:
  UniqueModule commonControls_;
  UniqueModule richEdit_;
  const char* failed_ = nullptr;
};
