// A small program with the setup program's manifest, for the test of how system
// libraries are loaded: the test process itself has no manifest and has the old
// common controls loaded long before any test runs (shell32 brings them), so the
// manifest's effect can only be seen in a process of its own.
//
// library-probe.exe flags|full OUTPUT: loads the wizard's control libraries the
// given way and writes, one a line, "comctl32 <path>", "riched32 <path>" and
// "classes <1 when the progress bar and the rich edit can be made>".
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/control_libraries_win.h"
#include "system/system_library_win.h"

namespace {

std::string PathOf(HMODULE module) {
  char path[MAX_PATH] = {};
  if (module) GetModuleFileNameA(module, path, sizeof path);
  return path;
}

bool CanCreate(const char* className) {
  HWND window = CreateWindowExA(0, className, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  if (!window) return false;
  DestroyWindow(window);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  const sys::LibrarySearch search =
      std::string(argv[1]) == "full" ? sys::LibrarySearch::kFullPath : sys::LibrarySearch::kSearchFlags;
  ControlLibraries controls;
  const bool loaded = controls.Load(search);
  FILE* out = std::fopen(argv[2], "wb");
  if (!out) return 3;
  // Asked again the same way, each gives the module Load holds.
  HMODULE comctl = sys::LoadSideBySideLibrary("comctl32.dll", search);
  HMODULE richEdit = sys::LoadSystemLibrary("riched32.dll", search);
  std::fprintf(out, "comctl32 %s\n", PathOf(comctl).c_str());
  std::fprintf(out, "riched32 %s\n", PathOf(richEdit).c_str());
  std::fprintf(out, "classes %d\n", loaded && CanCreate("msctls_progress32") && CanCreate("RICHEDIT") ? 1 : 0);
  std::fclose(out);
  return loaded ? 0 : 1;
}
