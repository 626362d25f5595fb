#include "system/start_menu_win.h"

#include <windows.h>
#include <shlobj.h>

#include "system/registry_key_win.h"

namespace sys {

namespace {

constexpr DWORD kReadWrite = KEY_READ | KEY_WRITE;  // 0x2001F
constexpr DWORD kTextSize = 256;

// A Programs folder of the shell; empty when the shell cannot name it.
std::string ShellFolder(int csidl) {
  char folder[MAX_PATH] = {};
  if (SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, folder) != S_OK) return {};
  return folder;
}

// The Chinese installs once expanded "%USERPROFILE%\「开始」菜单\程序" here, which is
// the user's Programs folder only on the old systems that had it; later Windows (and
// Wine) keep it elsewhere, so ask the shell where it is.
std::string CurrentUserPrograms() { return ShellFolder(CSIDL_PROGRAMS); }

std::string CommonPrograms() {
  RegistryKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                    0, kReadWrite, key.Receive()) != ERROR_SUCCESS) {
    return {};
  }
  char text[kTextSize] = {};
  DWORD type = 0;
  DWORD size = sizeof text - 1;  // keep room for the NUL the value may lack
  if (RegQueryValueExA(key.get(), "Common Programs", nullptr, &type, reinterpret_cast<BYTE*>(text), &size) !=
          ERROR_SUCCESS ||
      type != REG_SZ) {
    return {};
  }
  text[size < kTextSize ? size : kTextSize - 1] = '\0';
  return text;
}

}  // namespace

std::string StartMenuBase(int languageFlag, bool forAllUsers) {
  std::string base = languageFlag && !forAllUsers ? CurrentUserPrograms() : CommonPrograms();
  // Without its usual folder the shortcut goes to the all-users Programs folder,
  // never to the root of the current drive.
  if (base.empty()) base = ShellFolder(CSIDL_COMMON_PROGRAMS);
  return base;
}

}  // namespace sys
