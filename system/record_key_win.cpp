#include "system/record_key_win.h"

namespace sys {

namespace {

constexpr REGSAM kView = KEY_WOW64_64KEY;
// A record value is a few hundred bytes; a journal entry a path and some numbers.
constexpr DWORD kMaxValueBytes = 64 * 1024;

}  // namespace

bool RegistryRecordKey::Open(const std::string& subKey, bool create) {
  key_.Reset();
  subKey_ = subKey;
  const REGSAM access = KEY_QUERY_VALUE | KEY_SET_VALUE | kView;
  if (create) {
    return RegCreateKeyExA(HKEY_LOCAL_MACHINE, subKey.c_str(), 0, nullptr, 0, access, nullptr, key_.Receive(),
                           nullptr) == ERROR_SUCCESS;
  }
  return RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey.c_str(), 0, access, key_.Receive()) == ERROR_SUCCESS;
}

bool RegistryRecordKey::ValueNames(std::vector<std::string>* names) {
  names->clear();
  if (!key_) return false;
  for (DWORD index = 0;; ++index) {
    char name[16384];
    DWORD length = sizeof name;
    const LONG status = RegEnumValueA(key_.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) return true;
    if (status != ERROR_SUCCESS) return false;
    names->emplace_back(name, length);
  }
}

bool RegistryRecordKey::Read(const char* name, DWORD* type, std::vector<char>* data) {
  if (!key_) return false;
  DWORD size = 0;
  if (RegQueryValueExA(key_.get(), name, nullptr, type, nullptr, &size) != ERROR_SUCCESS || size > kMaxValueBytes)
    return false;
  // Two NULs more than the value holds: a string stored without its terminator
  // still ends inside the buffer.
  data->assign(size + 2, '\0');
  DWORD got = size;
  if (RegQueryValueExA(key_.get(), name, nullptr, type, reinterpret_cast<BYTE*>(data->data()), &got) !=
          ERROR_SUCCESS ||
      got > size)
    return false;
  data->resize(got + 2);
  return true;
}

bool RegistryRecordKey::ReadString(const char* name, std::string* text) {
  DWORD type = 0;
  std::vector<char> data;
  if (!Read(name, &type, &data) || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
  text->assign(data.data());
  return true;
}

bool RegistryRecordKey::ReadDword(const char* name, unsigned long* value) {
  DWORD type = 0;
  std::vector<char> data;
  if (!Read(name, &type, &data) || type != REG_DWORD || data.size() != 4 + 2) return false;
  DWORD v = 0;
  memcpy(&v, data.data(), 4);
  *value = v;
  return true;
}

bool RegistryRecordKey::ReadStrings(const char* name, std::vector<std::string>* strings) {
  strings->clear();
  DWORD type = 0;
  std::vector<char> data;
  if (!Read(name, &type, &data) || type != REG_MULTI_SZ) return false;
  for (size_t at = 0; at < data.size() && data[at] != '\0';) {
    const std::string one(data.data() + at);
    strings->push_back(one);
    at += one.size() + 1;
  }
  return true;
}

bool RegistryRecordKey::WriteString(const char* name, const std::string& text) {
  return key_ && RegSetValueExA(key_.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

bool RegistryRecordKey::WriteDword(const char* name, unsigned long value) {
  const DWORD v = static_cast<DWORD>(value);
  return key_ && RegSetValueExA(key_.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v) ==
                     ERROR_SUCCESS;
}

bool RegistryRecordKey::WriteStrings(const char* name, const std::vector<std::string>& strings) {
  std::string data;
  for (const std::string& one : strings) {
    if (one.empty() || one.find('\0') != std::string::npos) return false;  // would end the list early
    data += one;
    data += '\0';
  }
  data += '\0';
  return key_ && RegSetValueExA(key_.get(), name, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(data.data()),
                                static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
}

bool RegistryRecordKey::DeleteValue(const char* name) {
  if (!key_) return false;
  const LONG status = RegDeleteValueA(key_.get(), name);
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

bool RecordKeyExists(const std::string& subKey) {
  RegistryKey key;
  return RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey.c_str(), 0, KEY_QUERY_VALUE | kView, key.Receive()) ==
         ERROR_SUCCESS;
}

std::string FoldedPath(const std::string& path) {
  std::string folded = path;
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

std::vector<std::string> FilesOfOtherInstallations(const std::string& exceptPrinter) {
  std::vector<std::string> files;
  RegistryKey software;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_ENUMERATE_SUB_KEYS | kView, software.Receive()) !=
      ERROR_SUCCESS)
    return files;
  std::vector<std::string> names;
  for (DWORD index = 0;; ++index) {
    char name[256];
    DWORD length = sizeof name;
    const LONG status = RegEnumKeyExA(software.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_MORE_DATA) continue;
    if (status != ERROR_SUCCESS) break;
    names.emplace_back(name, length);
  }
  for (const std::string& name : names) {
    if (FoldedPath(name) == FoldedPath(exceptPrinter)) continue;
    RegistryRecordKey key;
    std::string state;
    if (!key.Open("SOFTWARE\\" + name, false) || !key.ReadString(kStateValue, &state)) continue;
    for (const auto& numbered : ReadJournal(key).entries) {
      if (numbered.second.kind == JournalKind::kFile) files.push_back(FoldedPath(numbered.second.name));
    }
  }
  return files;
}

}  // namespace sys
