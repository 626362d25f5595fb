#include "system/start_menu.h"

namespace sys {

namespace {

struct StartMenuNames {
  const char* folderSuffix;
  const char* shortcutName;
};

const StartMenuNames kChineseNames = {" 打印机驱动", "卸载 打印机驱动.lnk"};
const StartMenuNames kEnglishNames = {" Printer Driver", "Uninstall Printer Driver.lnk"};

}  // namespace

StartMenuPaths MakeStartMenuPaths(int languageFlag, const char* base, const char* printerName,
                                  const char* destinationFolder) {
  const StartMenuNames& names = languageFlag ? kChineseNames : kEnglishNames;
  StartMenuPaths paths;
  if (base == nullptr || base[0] == '\0') return paths;
  paths.folder = std::string(base) + "\\" + printerName + names.folderSuffix;
  paths.shortcut = paths.folder + "\\" + names.shortcutName;
  paths.target = std::string(destinationFolder) + "\\Uninstaller.exe";
  paths.ok = paths.folder.size() <= kMaxPathText && paths.shortcut.size() <= kMaxPathText &&
             paths.target.size() <= kMaxPathText;
  if (!paths.ok) paths = StartMenuPaths();
  return paths;
}

}  // namespace sys
