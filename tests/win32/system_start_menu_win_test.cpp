// The Start-menu base folders as Wine reports them, and the whole English chain:
// base, folder, shortcut in the all-users Programs folder.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "system/registry_key_win.h"
#include "system/start_menu.h"
#include "system/start_menu_win.h"
#include "system/uninstall_shortcut_win.h"
#include "system_test_support.h"
#include "win_support.h"

namespace {

const char kShellFolders[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

bool IsFolder(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Wine keeps the user's Programs folder under C:\users\<user>\AppData\Roaming; there
// is no "「开始」菜单\程序" folder in its profiles. A run as LocalSystem puts even the
// Chinese shortcut where every user sees it.
TEST(SystemStartMenuBase, ChineseIsTheUsersProgramsFolderButAServicesIsAllUsers) {
  std::string base = sys::StartMenuBase(1);
  EXPECT_EQ(base.rfind("C:\\users\\", 0), 0u) << base;
  EXPECT_TRUE(EndsWith(base, "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs")) << base;
  EXPECT_TRUE(IsFolder(base)) << base;
  EXPECT_EQ(sys::StartMenuBase(1, true), "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs");
}

TEST(SystemStartMenuBase, EnglishIsTheCommonProgramsFolder) {
  std::string base = sys::StartMenuBase(0);
  EXPECT_EQ(base, "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs");
  EXPECT_TRUE(IsFolder(base)) << base;
}

// Without a usable "Common Programs" value the base is the shell's all-users
// Programs folder, never empty. The value is put back.
TEST(SystemStartMenuBase, EnglishWithoutTheValueFallsBackToTheShell) {
  char common[MAX_PATH] = {};
  ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_COMMON_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, common), S_OK);
  sys::RegistryKey key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kShellFolders, 0, KEY_READ | KEY_WRITE, key.Receive()), ERROR_SUCCESS);
  char saved[MAX_PATH] = {};
  DWORD size = sizeof saved;
  DWORD type = 0;
  ASSERT_EQ(RegQueryValueExA(key.get(), "Common Programs", nullptr, &type, reinterpret_cast<BYTE*>(saved), &size),
            ERROR_SUCCESS);
  // Another folder in the value shows which of the two the base came from.
  const char elsewhere[] = "C:\\Elsewhere\\Programs";
  RegSetValueExA(key.get(), "Common Programs", 0, REG_SZ, reinterpret_cast<const BYTE*>(elsewhere), sizeof elsewhere);
  std::string fromValue = sys::StartMenuBase(0);
  ASSERT_EQ(RegDeleteValueA(key.get(), "Common Programs"), ERROR_SUCCESS);
  std::string missing = sys::StartMenuBase(0);
  // A value of another type is not taken as a path either.
  DWORD number = 7;
  RegSetValueExA(key.get(), "Common Programs", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
  std::string wrongType = sys::StartMenuBase(0);
  RegSetValueExA(key.get(), "Common Programs", 0, type, reinterpret_cast<const BYTE*>(saved), size);
  EXPECT_EQ(fromValue, elsewhere);
  EXPECT_EQ(missing, common);
  EXPECT_EQ(wrongType, common);
  EXPECT_EQ(sys::StartMenuBase(0), std::string(saved));
}

TEST(SystemStartMenuBase, EnglishShortcutLandsInTheAllUsersFolder) {
  std::string printer = "System Test " + std::to_string(GetCurrentProcessId());
  win_support::ScratchDir destination;
  std::string base = sys::StartMenuBase(0);
  ASSERT_FALSE(base.empty());
  sys::StartMenuPaths paths = sys::MakeStartMenuPaths(0, base.c_str(), printer.c_str(), destination.path().c_str());
  ASSERT_TRUE(paths.ok);
  ASSERT_TRUE(win_support::WriteAll(paths.target, "MZ"));
  CreateDirectoryA(paths.folder.c_str(), nullptr);
  const std::string& shortcut = paths.shortcut;
  const std::string& target = paths.target;
  system_test::RunOnOwnThread([&] { sys::CreateUninstallShortcut(target.c_str(), shortcut.c_str()); });
  bool made = GetFileAttributesA(shortcut.c_str()) != INVALID_FILE_ATTRIBUTES;
  DeleteFileA(shortcut.c_str());
  RemoveDirectoryA(paths.folder.c_str());
  DeleteFileA(target.c_str());
  EXPECT_TRUE(made) << shortcut;
  EXPECT_EQ(paths.folder, base + "\\" + printer + " Printer Driver");
}

}  // namespace
