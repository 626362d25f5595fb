// A printer installed by a service (Intune, Configuration Manager, a script run as
// LocalSystem) becomes each user's default printer at their next logon: an Active
// Setup component under HKEY_LOCAL_MACHINE (64-bit view) whose command Windows runs
// once for every user, the spooler's own printui.dll doing the work.
#pragma once

#include <string>

namespace sys {

struct ActiveSetupEntry {
  std::string subKey;    // under HKEY_LOCAL_MACHINE
  std::string title;     // the key's default value
  std::string stubPath;  // the command each user's logon runs once
  std::string version;   // "1,0,0,0" style: a newer one makes every user run it again
};

// printerName is one IsPrinterNameUsable takes (no double quote in it).
// versionText: the package's "2.1.0.7" (or "" for none).
ActiveSetupEntry ActiveSetupFor(const std::string& printerName, const std::string& versionText);

}  // namespace sys
