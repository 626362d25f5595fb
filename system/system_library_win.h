// Loading the system's own DLLs at run time, on every Windows from XP on; see
// system_library.h for the rule.
#pragma once

#include <windows.h>

namespace sys {

enum class LibrarySearch {
  kSearchFlags,  // LOAD_LIBRARY_SEARCH_SYSTEM32 is understood
  kFullPath,     // it is not: name the system directory
};

// What this Windows offers. kernel32 exports AddDllDirectory exactly where the
// LOAD_LIBRARY_SEARCH flags are understood.
LibrarySearch SystemLibrarySearch();

// A DLL of the system directory; null when it cannot be loaded (the last error says
// why). The caller frees it.
HMODULE LoadSystemLibrary(const char* name, LibrarySearch search = SystemLibrarySearch());

// A library the manifest picks the version of (comctl32.dll): by its bare name, so
// the activation context can redirect it.
HMODULE LoadSideBySideLibrary(const char* name, LibrarySearch search = SystemLibrarySearch());

// Keeps every later load of this process out of the program's folder and the
// current directory as far as this Windows allows: SetDefaultDllDirectories where
// it exists, otherwise SetDllDirectoryA("") (which at least drops the current
// directory). Both are looked up at run time. True when the first one was set.
bool RestrictDllSearchToSystem();

}  // namespace sys
