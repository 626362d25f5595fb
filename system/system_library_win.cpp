#include "system/system_library_win.h"

#include "system/system_library.h"

namespace sys {

namespace {

FARPROC KernelFunction(const char* name) {
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  return kernel ? GetProcAddress(kernel, name) : nullptr;
}

HMODULE Load(const char* name, LibrarySearch search, bool sideBySide) {
  char systemDirectory[256] = {};
  const UINT length = GetSystemDirectoryA(systemDirectory, sizeof systemDirectory);
  if (length == 0 || length >= sizeof systemDirectory) systemDirectory[0] = '\0';
  LibraryLoadPlan plan;
  if (!PlanLibraryLoad(name, search == LibrarySearch::kSearchFlags, sideBySide, systemDirectory, &plan)) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return nullptr;
  }
  return LoadLibraryExA(plan.file.c_str(), nullptr, plan.searchSystemFolder ? LOAD_LIBRARY_SEARCH_SYSTEM32 : 0);
}

}  // namespace

LibrarySearch SystemLibrarySearch() {
  return KernelFunction("AddDllDirectory") ? LibrarySearch::kSearchFlags : LibrarySearch::kFullPath;
}

HMODULE LoadSystemLibrary(const char* name, LibrarySearch search) { return Load(name, search, false); }

HMODULE LoadSideBySideLibrary(const char* name, LibrarySearch search) { return Load(name, search, true); }

bool RestrictDllSearchToSystem() {
  using SetDefaultDirectories = BOOL(WINAPI*)(DWORD);
  using SetDirectory = BOOL(WINAPI*)(LPCSTR);
  auto setDefault = reinterpret_cast<SetDefaultDirectories>(
      reinterpret_cast<void*>(KernelFunction("SetDefaultDllDirectories")));
  if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return true;
  auto setDirectory = reinterpret_cast<SetDirectory>(reinterpret_cast<void*>(KernelFunction("SetDllDirectoryA")));
  if (setDirectory) setDirectory("");
  return false;
}

}  // namespace sys
