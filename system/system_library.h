// How a DLL of the system directory is loaded without ever picking up a planted
// copy (setup programs are run from download folders, where anything may lie beside
// them). Windows 8 and later, and Windows 7 / 2008 R2 with the update that brought
// SetDefaultDllDirectories, take LOAD_LIBRARY_SEARCH_SYSTEM32; XP, Vista and the
// others refuse that flag (ERROR_INVALID_PARAMETER), so there the full path of the
// system directory is named instead.
#pragma once

#include <string>

namespace sys {

struct LibraryLoadPlan {
  std::string file;                  // what LoadLibraryEx is given
  bool searchSystemFolder = false;  // with LOAD_LIBRARY_SEARCH_SYSTEM32
};

// name is a bare file name ("winspool.drv"). sideBySide marks a library whose
// version the program's manifest chooses (the common controls): it is always named
// bare, so the activation context can redirect it; a full path would bypass the
// manifest and give the old version. False when the full path would not fit 255
// bytes or no system directory is known.
bool PlanLibraryLoad(const char* name, bool searchFlagsAvailable, bool sideBySide, const char* systemDirectory,
                     LibraryLoadPlan* plan);

}  // namespace sys
