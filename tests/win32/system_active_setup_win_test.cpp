// The Active Setup component a LocalSystem installation leaves for each user's logon,
// in Wine's real registry: written where Windows reads it (the 64-bit view, which the
// i686 build in a 64-bit prefix reaches only by asking for it) and taken away again
// by the uninstaller's own key removal, in the same view.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "system/active_setup_win.h"
#include "system/registry_key_win.h"
#include "uninstall/removal_system_win.h"

namespace {

std::string Text(HKEY key, const char* name) {
  char data[512] = {};
  DWORD size = sizeof data - 1, type = 0;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) != ERROR_SUCCESS ||
      type != REG_SZ)
    return "(none)";
  return data;
}

bool Opens(const std::string& subKey, REGSAM view) {
  sys::RegistryKey key;
  return RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey.c_str(), 0, KEY_READ | view, key.Receive()) == ERROR_SUCCESS;
}

TEST(SystemActiveSetup, WrittenInTheViewWindowsReadsAndRemovedByTheUninstaller) {
  const std::string printer = "Active Setup Test " + std::to_string(GetCurrentProcessId());
  const sys::ActiveSetupEntry entry = sys::ActiveSetupFor(printer, "2.1.0.7");
  ASSERT_TRUE(sys::WriteActiveSetup(entry));

  sys::RegistryKey key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, entry.subKey.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, key.Receive()),
            ERROR_SUCCESS);
  EXPECT_EQ(Text(key.get(), nullptr), printer + " default printer");
  EXPECT_EQ(Text(key.get(), "StubPath"), "rundll32.exe printui.dll,PrintUIEntry /y /n \"" + printer + "\"");
  EXPECT_EQ(Text(key.get(), "Version"), "2,1,0,7");
  DWORD installed = 0, size = sizeof installed, type = 0;
  ASSERT_EQ(RegQueryValueExA(key.get(), "IsInstalled", nullptr, &type, reinterpret_cast<BYTE*>(&installed), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(installed, 1u);
  key.Reset();

  BOOL wow64 = FALSE;
  IsWow64Process(GetCurrentProcess(), &wow64);
  if (wow64) EXPECT_FALSE(Opens(entry.subKey, KEY_WOW64_32KEY)) << "the component landed under Wow6432Node too";

  uninstall::WinRemovalSystem removal;
  EXPECT_EQ(removal.DeleteKey(entry.subKey), static_cast<unsigned long>(ERROR_SUCCESS));
  EXPECT_FALSE(Opens(entry.subKey, KEY_WOW64_64KEY));
}

}  // namespace
