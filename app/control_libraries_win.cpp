#include "app/control_libraries_win.h"

#include <commctrl.h>

bool ControlLibraries::Load(sys::LibrarySearch search) {
  failed_ = nullptr;
  // By its bare name in either case: the activation context comes first, so the
  // manifest's version 6 common controls are the ones we get.
  commonControls_.Reset(sys::LoadSideBySideLibrary("comctl32.dll", search));
  if (!commonControls_) {
    failed_ = "comctl32.dll";
    return false;
  }
  richEdit_.Reset(sys::LoadSystemLibrary("riched32.dll", search));
  if (!richEdit_) {
    failed_ = "riched32.dll";
    return false;
  }
  using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  auto init = reinterpret_cast<InitFunction>(
      reinterpret_cast<void*>(GetProcAddress(commonControls_.get(), "InitCommonControlsEx")));
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  if (!init || !init(&controls)) {
    failed_ = "comctl32.dll";
    return false;
  }
  return true;
}
