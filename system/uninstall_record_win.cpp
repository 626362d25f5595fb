#include "system/uninstall_record_win.h"

#include <cstring>

namespace sys {

namespace {

constexpr REGSAM kPrinterKeyAccess = KEY_ALL_ACCESS | KEY_WOW64_64KEY;  // 0xF013F
constexpr REGSAM kRunOnceAccess = KEY_READ | KEY_WRITE;                 // 0x2001F
const char kRunOnceKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

}  // namespace

bool RegistryRecordStore::CreatePrinterKey(const char* subKey) {
  return RegCreateKeyExA(HKEY_LOCAL_MACHINE, subKey, 0, nullptr, 0, kPrinterKeyAccess, nullptr,
                         openKey_.Receive(), nullptr) == ERROR_SUCCESS;
}

bool RegistryRecordStore::SetString(const char* name, const char* value) {
  if (!openKey_) return false;
  DWORD size = static_cast<DWORD>(strlen(value) + 1);  // the NUL is stored too
  return RegSetValueExA(openKey_.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), size) ==
         ERROR_SUCCESS;
}

void RegistryRecordStore::CloseKey() { openKey_.Reset(); }

bool RegistryRecordStore::CreateUninstallEntryKey(const char* subKey) {
  return RegCreateKeyExA(HKEY_LOCAL_MACHINE, subKey, 0, nullptr, 0, kPrinterKeyAccess, nullptr,
                         openKey_.Receive(), nullptr) == ERROR_SUCCESS;
}

bool RegistryRecordStore::SetDword(const char* name, unsigned long value) {
  if (!openKey_) return false;
  const DWORD data = value;
  return RegSetValueExA(openKey_.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data) ==
         ERROR_SUCCESS;
}

bool RegistryRecordStore::WriteUninstallIni(const char* iniPath, const char* section, const char* key,
                                            const char* value) {
  return WritePrivateProfileStringA(section, key, value, iniPath) != 0;
}

bool RegistryRecordStore::DeleteRunOnceValue(const char* valueName) {
  RegistryKey runOnce;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunOnceKey, 0, kRunOnceAccess, runOnce.Receive()) != ERROR_SUCCESS) {
    return false;
  }
  return RegDeleteValueA(runOnce.get(), valueName) == ERROR_SUCCESS;
}

void RecordInstallation(const InstallationRecord& record) {
  RegistryRecordStore store;
  RecordInstallation(record, store);
}

}  // namespace sys
