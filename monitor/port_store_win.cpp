#include "monitor/port_store_win.h"

#include "monitor/monitor_names.h"
#include "monitor/wide_win.h"

namespace monitor {

namespace {

const wchar_t kTargetValue[] = L"Target";
const wchar_t kTimeoutValue[] = L"Timeout";
constexpr DWORD kDefaultTimeoutSeconds = 30;
constexpr DWORD kMaxTimeoutSeconds = 300;
// Longer than any target ParseTarget accepts; what does not fit is not ours.
constexpr DWORD kMaxTargetChars = 512;

DWORD SetString(RegistryAccess* access, HANDLE key, const std::u16string& text) {
  const std::wstring wide = ToWide(text);
  return access->SetValue(key, kTargetValue, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
                          static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
}

}  // namespace

PortStore::PortStore(std::unique_ptr<RegistryAccess> access, HANDLE portsKey)
    : access_(std::move(access)), ports_(access_.get(), portsKey) {}

DWORD PortStore::List(std::vector<std::u16string>* ports) const {
  ports->clear();
  for (DWORD index = 0;; ++index) {
    wchar_t name[256];
    DWORD chars = 256;
    const LONG status = access_->EnumKey(ports_.get(), index, name, &chars);
    if (status == ERROR_NO_MORE_ITEMS) return ERROR_SUCCESS;
    if (status == ERROR_MORE_DATA) continue;  // a name no port of ours has
    if (status != ERROR_SUCCESS) return static_cast<DWORD>(status);
    ports->push_back(std::u16string(name, name + (chars < 256 ? chars : 255)));
  }
}

DWORD PortStore::Add(const std::u16string& port, const std::u16string& target) {
  HANDLE raw = nullptr;
  bool created = false;
  const LONG status = access_->Create(ports_.get(), ToWide(port).c_str(), &raw, &created);
  if (status != ERROR_SUCCESS) return static_cast<DWORD>(status);
  RegKey key(access_.get(), raw);
  if (!created) return ERROR_ALREADY_EXISTS;
  const DWORD written = SetString(access_.get(), key.get(), target);
  if (written != ERROR_SUCCESS) {
    key.Reset();
    access_->Delete(ports_.get(), ToWide(port).c_str());
  }
  return written;
}

DWORD PortStore::Remove(const std::u16string& port) {
  if (CheckPortName(port) != PortNameError::kNone) return ERROR_UNKNOWN_PORT;
  const LONG status = access_->Delete(ports_.get(), ToWide(port).c_str());
  return status == ERROR_FILE_NOT_FOUND ? ERROR_UNKNOWN_PORT : static_cast<DWORD>(status);
}

bool PortStore::Exists(const std::u16string& port) const {
  RegKey key;
  return OpenPort(port, &key) == ERROR_SUCCESS;
}

DWORD PortStore::OpenPort(const std::u16string& port, RegKey* key) const {
  if (CheckPortName(port) != PortNameError::kNone) return ERROR_UNKNOWN_PORT;
  HANDLE raw = nullptr;
  const LONG status = access_->Open(ports_.get(), ToWide(port).c_str(), &raw);
  if (status == ERROR_FILE_NOT_FOUND) return ERROR_UNKNOWN_PORT;
  if (status != ERROR_SUCCESS) return static_cast<DWORD>(status);
  *key = RegKey(access_.get(), raw);
  return ERROR_SUCCESS;
}

DWORD PortStore::ReadTarget(const std::u16string& port, std::u16string* target) const {
  RegKey key;
  const DWORD opened = OpenPort(port, &key);
  if (opened != ERROR_SUCCESS) return opened;
  wchar_t text[kMaxTargetChars + 1] = {};
  DWORD type = 0;
  DWORD bytes = kMaxTargetChars * sizeof(wchar_t);  // the last character stays a terminator
  const LONG status = access_->QueryValue(key.get(), kTargetValue, &type, reinterpret_cast<BYTE*>(text), &bytes);
  if (status == ERROR_MORE_DATA || (status == ERROR_SUCCESS && type != REG_SZ)) return ERROR_INVALID_DATA;
  if (status == ERROR_FILE_NOT_FOUND) {
    target->clear();  // a port key made by hand: no target yet
    return ERROR_SUCCESS;
  }
  if (status != ERROR_SUCCESS) return static_cast<DWORD>(status);
  *target = ToU16(text);
  return ERROR_SUCCESS;
}

DWORD PortStore::WriteTarget(const std::u16string& port, const std::u16string& target) {
  RegKey key;
  const DWORD opened = OpenPort(port, &key);
  if (opened != ERROR_SUCCESS) return opened;
  return SetString(access_.get(), key.get(), target);
}

DWORD PortStore::WriteTimeoutMilliseconds(const std::u16string& port) const {
  DWORD seconds = kDefaultTimeoutSeconds;
  RegKey key;
  if (OpenPort(port, &key) == ERROR_SUCCESS) {
    DWORD value = 0, type = 0, bytes = sizeof value;
    if (access_->QueryValue(key.get(), kTimeoutValue, &type, reinterpret_cast<BYTE*>(&value), &bytes) ==
            ERROR_SUCCESS &&
        type == REG_DWORD && bytes == sizeof value)
      seconds = value < 1 ? 1 : value > kMaxTimeoutSeconds ? kMaxTimeoutSeconds : value;
  }
  return seconds * 1000;
}

}  // namespace monitor
