#include "uninstall/record_source_win.h"

#include <windows.h>

#include "system/registry_key_win.h"

namespace uninstall {

namespace {

constexpr REGSAM kReadAccess = KEY_QUERY_VALUE | KEY_WOW64_64KEY;

}  // namespace

bool WinRecordSource::ReadIniPrinterName(const std::string& iniPath, std::string* name) {
  // The profile functions look for a bare name in the Windows folder: only a full
  // path names the file beside the program.
  if (GetFileAttributesA(iniPath.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
  char buffer[257] = {};
  const DWORD length = GetPrivateProfileStringA("Print Settings", "PrinterName", "", buffer, sizeof buffer,
                                                iniPath.c_str());
  // A name that filled the buffer may have been cut: no name the installation
  // writes is that long.
  if (length == 0 || length >= sizeof buffer - 1) return false;
  name->assign(buffer, length);
  return true;
}

bool WinRecordSource::KeyExists(const std::string& subKey) {
  sys::RegistryKey key;
  return RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey.c_str(), 0, kReadAccess, key.Receive()) == ERROR_SUCCESS;
}

std::vector<std::string> WinRecordSource::SoftwareKeyNames() {
  std::vector<std::string> names;
  sys::RegistryKey software;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_ENUMERATE_SUB_KEYS | KEY_WOW64_64KEY, software.Receive()) !=
      ERROR_SUCCESS)
    return names;
  for (DWORD index = 0;; ++index) {
    char name[256];
    DWORD length = sizeof name;
    const LONG status = RegEnumKeyExA(software.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_MORE_DATA) continue;  // longer than any printer name
    if (status != ERROR_SUCCESS) break;
    names.emplace_back(name, length);
  }
  return names;
}

ValueRead WinRecordSource::ReadString(const std::string& subKey, const char* name, std::string* text) {
  text->clear();
  sys::RegistryKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey.c_str(), 0, kReadAccess, key.Receive()) != ERROR_SUCCESS) {
    return ValueRead::kMissing;
  }
  // Room for 255 bytes, their NUL and more: anything that does not fit is too long
  // for the record anyway. The data need not be terminated; the buffer's last byte
  // stays 0 whatever comes.
  char data[520] = {};
  DWORD type = 0;
  DWORD size = sizeof data - 1;
  const LONG error = RegQueryValueExA(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  if (error == ERROR_FILE_NOT_FOUND) return ValueRead::kMissing;
  if (error == ERROR_MORE_DATA) return type == REG_SZ || type == REG_EXPAND_SZ ? ValueRead::kTooLong : ValueRead::kWrongType;
  if (error != ERROR_SUCCESS) return ValueRead::kMissing;
  return StringFromRegistryData(type, data, size, text);
}

}  // namespace uninstall
