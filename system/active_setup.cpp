#include "system/active_setup.h"

namespace sys {

ActiveSetupEntry ActiveSetupFor(const std::string& printerName, const std::string& versionText) {
  ActiveSetupEntry entry;
  entry.subKey = "SOFTWARE\\Microsoft\\Active Setup\\Installed Components\\PrinterDriverSetup " + printerName;
  entry.title = printerName + " default printer";
  // printui's own switches: /y makes the printer the default, /n names it.
  entry.stubPath = "rundll32.exe printui.dll,PrintUIEntry /y /n \"" + printerName + "\"";
  std::string version = versionText.empty() ? std::string("1") : versionText;
  for (char& c : version) {
    if (c == '.') c = ',';
  }
  entry.version = version;
  return entry;
}

}  // namespace sys
