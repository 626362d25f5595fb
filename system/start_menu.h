// Where the uninstall shortcut goes: a Start-menu folder named after the printer,
// the shortcut file in it and the uninstaller it points to.
#pragma once

#include <cstddef>
#include <string>

namespace sys {

// Every path the installation passes on lives in a 256-byte buffer somewhere.
constexpr size_t kMaxPathText = 255;

struct StartMenuPaths {
  std::string folder;    // the Start-menu folder to create
  std::string shortcut;  // the ".lnk" file inside it
  std::string target;    // "Uninstaller.exe" in the destination folder
  bool ok = false;       // false: no base, or one of them would exceed kMaxPathText; all three are empty
};

// languageFlag nonzero (Chinese): "<base>\<printer> 打印机驱动" and "卸载 打印机驱动.lnk";
// otherwise "<base>\<printer> Printer Driver" and "Uninstall Printer Driver.lnk".
// An empty base is refused: it would put the folder at the root of the current
// drive. A path that would not fit is refused, never cut: a cut path names another
// folder.
StartMenuPaths MakeStartMenuPaths(int languageFlag, const char* base, const char* printerName,
                                  const char* destinationFolder);

}  // namespace sys
