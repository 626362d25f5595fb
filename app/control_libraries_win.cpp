#include "app/control_libraries_win.h"

#include <commctrl.h>

bool ControlLibraries::Load() {
  // A name without a path still goes through the activation context first, so the
  // manifest's version 6 common controls are the ones we get.
  commonControls_.Reset(LoadLibraryExA("comctl32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
  richEdit_.Reset(LoadLibraryExA("riched32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
  if (!commonControls_ || !richEdit_) return false;
  using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  auto init = reinterpret_cast<InitFunction>(
      reinterpret_cast<void*>(GetProcAddress(commonControls_.get(), "InitCommonControlsEx")));
  if (!init) return false;
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  return init(&controls) != FALSE;
}
