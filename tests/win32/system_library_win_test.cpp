// System libraries are loaded the same way on every Windows: with the search flags
// where this Windows understands them, by the full path of the system directory
// where it does not (XP, Vista, 7 without the update). Wine understands the flags,
// so the other way is chosen by hand here; both must give the system directory's
// own DLLs and, under the setup program's manifest, the version 6 common controls.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/unique_handle_win.h"
#include "system/system_library_win.h"
#include "win_support.h"

namespace {

using sys::LibrarySearch;

std::string Lower(std::string text) {
  CharLowerBuffA(&text[0], static_cast<DWORD>(text.size()));
  return text;
}

std::string ModulePath(HMODULE module) {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(module, path, sizeof path);
  return path;
}

std::string SystemDirectory() {
  char directory[MAX_PATH] = {};
  GetSystemDirectoryA(directory, sizeof directory);
  return directory;
}

// Runs library-probe.exe (beside this program; it carries the setup program's
// manifest) the given way and returns what it wrote.
std::string Probe(const char* way) {
  win_support::ScratchDir scratch;
  std::string program = win_support::OwnProgramPath();
  program = program.substr(0, program.rfind('\\') + 1) + "library-probe.exe";
  const std::string output = scratch.File("probe.txt");
  std::string commandLine = "\"" + program + "\" " + way + " \"" + output + "\"";
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return "no probe: " + std::to_string(GetLastError());
  WaitForSingleObject(pi.hProcess, 60000);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return win_support::ReadAll(output);
}

TEST(SystemLibraries, BothWaysLoadTheSystemDirectorysOwnDlls) {
  EXPECT_EQ(sys::SystemLibrarySearch(), LibrarySearch::kSearchFlags) << "Wine understands the search flags";
  const std::string system = Lower(SystemDirectory()) + "\\";
  for (LibrarySearch search : {LibrarySearch::kSearchFlags, LibrarySearch::kFullPath}) {
    for (const char* name : {"winspool.drv", "riched32.dll"}) {
      UniqueModule module(sys::LoadSystemLibrary(name, search));
      ASSERT_TRUE(module) << name << " error " << GetLastError();
      EXPECT_EQ(Lower(ModulePath(module.get())), system + name);
    }
    EXPECT_FALSE(UniqueModule(sys::LoadSystemLibrary("no-such-library.dll", search)));
  }
}

// The common controls are named bare both ways and come from the side-by-side
// store the manifest points at (version 6; Wine's build reports 5 of itself, so the
// folder tells); the rich edit control from the system directory. On Windows the
// full path of the system directory's comctl32.dll would give the old version 5
// even under the manifest; Wine hands out the module already loaded instead, so
// that half cannot be shown here.
TEST(SystemLibraries, CommonControlsFollowTheManifestBothWays) {
  const std::string system = Lower(SystemDirectory()) + "\\";
  const std::string sideBySide = std::string("c:\\windows\\winsxs\\") + (sizeof(void*) == 8 ? "amd64" : "x86") +
                                 "_microsoft.windows.common-controls_6595b64144ccf1df_6.";
  for (const char* way : {"flags", "full"}) {
    const std::string lines = Lower(Probe(way));
    EXPECT_NE(lines.find("comctl32 " + sideBySide), std::string::npos) << way << ": " << lines;
    EXPECT_NE(lines.find("riched32 " + system + "riched32.dll\n"), std::string::npos) << way << ": " << lines;
    EXPECT_NE(lines.find("classes 1\n"), std::string::npos) << way << ": " << lines;
  }
}

TEST(SystemLibraries, DllSearchIsRestrictedToTheSystemDirectory) {
  // Wine and every Windows with the search flags have the call; it must succeed.
  EXPECT_TRUE(sys::RestrictDllSearchToSystem());
}

}  // namespace
