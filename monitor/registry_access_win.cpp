#include "monitor/registry_access_win.h"

namespace monitor {

namespace {

HKEY AsKey(HANDLE key) { return static_cast<HKEY>(key); }

}  // namespace

LONG SystemRegistry::Create(HANDLE parent, const wchar_t* subKey, HANDLE* key, bool* created) {
  HKEY result = nullptr;
  DWORD disposition = 0;
  const LONG status = RegCreateKeyExW(AsKey(parent), subKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                      KEY_READ | KEY_WRITE, nullptr, &result, &disposition);
  *key = status == ERROR_SUCCESS ? result : nullptr;
  if (created) *created = disposition == REG_CREATED_NEW_KEY;
  return status;
}

LONG SystemRegistry::Open(HANDLE parent, const wchar_t* subKey, HANDLE* key) {
  HKEY result = nullptr;
  const LONG status = RegOpenKeyExW(AsKey(parent), subKey, 0, KEY_READ | KEY_WRITE, &result);
  *key = status == ERROR_SUCCESS ? result : nullptr;
  return status;
}

void SystemRegistry::Close(HANDLE key) { RegCloseKey(AsKey(key)); }

LONG SystemRegistry::Delete(HANDLE parent, const wchar_t* subKey) { return RegDeleteKeyW(AsKey(parent), subKey); }

LONG SystemRegistry::EnumKey(HANDLE key, DWORD index, wchar_t* name, DWORD* chars) {
  return RegEnumKeyExW(AsKey(key), index, name, chars, nullptr, nullptr, nullptr, nullptr);
}

LONG SystemRegistry::SetValue(HANDLE key, const wchar_t* name, DWORD type, const BYTE* data, DWORD bytes) {
  return RegSetValueExW(AsKey(key), name, 0, type, data, bytes);
}

LONG SystemRegistry::QueryValue(HANDLE key, const wchar_t* name, DWORD* type, BYTE* data, DWORD* bytes) {
  return RegQueryValueExW(AsKey(key), name, nullptr, type, data, bytes);
}

LONG SpoolerRegistry::Create(HANDLE parent, const wchar_t* subKey, HANDLE* key, bool* created) {
  DWORD disposition = 0;
  *key = nullptr;
  const LONG status = reg_->fpCreateKey(parent, subKey, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE, nullptr, key,
                                        &disposition, spooler_);
  if (status != ERROR_SUCCESS) *key = nullptr;
  if (created) *created = disposition == REG_CREATED_NEW_KEY;
  return status;
}

LONG SpoolerRegistry::Open(HANDLE parent, const wchar_t* subKey, HANDLE* key) {
  *key = nullptr;
  const LONG status = reg_->fpOpenKey(parent, subKey, KEY_READ | KEY_WRITE, key, spooler_);
  if (status != ERROR_SUCCESS) *key = nullptr;
  return status;
}

void SpoolerRegistry::Close(HANDLE key) { reg_->fpCloseKey(key, spooler_); }

LONG SpoolerRegistry::Delete(HANDLE parent, const wchar_t* subKey) { return reg_->fpDeleteKey(parent, subKey, spooler_); }

LONG SpoolerRegistry::EnumKey(HANDLE key, DWORD index, wchar_t* name, DWORD* chars) {
  return reg_->fpEnumKey(key, index, name, chars, nullptr, spooler_);
}

LONG SpoolerRegistry::SetValue(HANDLE key, const wchar_t* name, DWORD type, const BYTE* data, DWORD bytes) {
  return reg_->fpSetValue(key, name, type, data, bytes, spooler_);
}

LONG SpoolerRegistry::QueryValue(HANDLE key, const wchar_t* name, DWORD* type, BYTE* data, DWORD* bytes) {
  return reg_->fpQueryValue(key, name, type, data, bytes, spooler_);
}

}  // namespace monitor
