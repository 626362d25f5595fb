#include "system/active_setup_win.h"

#include <windows.h>

#include "system/registry_key_win.h"

namespace sys {

namespace {

bool SetText(HKEY key, const char* name, const std::string& text) {
  return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

}  // namespace

bool WriteActiveSetup(const ActiveSetupEntry& entry) {
  RegistryKey key;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, entry.subKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY,
                      nullptr, key.Receive(), nullptr) != ERROR_SUCCESS)
    return false;
  const DWORD installed = 1;
  return SetText(key.get(), nullptr, entry.title) && SetText(key.get(), "StubPath", entry.stubPath) &&
         SetText(key.get(), "Version", entry.version) &&
         RegSetValueExA(key.get(), "IsInstalled", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&installed),
                        sizeof installed) == ERROR_SUCCESS;
}

}  // namespace sys
