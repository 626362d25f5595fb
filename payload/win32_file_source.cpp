#include "payload/win32_file_source.h"

namespace payload {

Win32FileSource::~Win32FileSource() {
  if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
}

bool Win32FileSource::Open(const char* path) {
  if (file_ != INVALID_HANDLE_VALUE) {
    CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
  }
  HANDLE f = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  WIN32_FILE_ATTRIBUTE_DATA attributes;
  if (!GetFileAttributesExA(path, GetFileExInfoStandard, &attributes)) {
    CloseHandle(f);
    return false;
  }
  file_ = f;
  size_ = (uint64_t(attributes.nFileSizeHigh) << 32) | attributes.nFileSizeLow;
  return true;
}

bool Win32FileSource::OpenOwnProgram() {
  char path[256] = {};
  DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  if (n == 0 || n >= sizeof path) return false;  // a cut path would name another file
  return Open(path);
}

long Win32FileSource::ReadAt(uint64_t offset, void* buffer, size_t n) {
  if (file_ == INVALID_HANDLE_VALUE) return -1;
  if (offset >= size_) return 0;
  if (offset > 0x7fffffffu || n > 0x7fffffffu) return -1;
  if (SetFilePointer(file_, static_cast<LONG>(offset), nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) return -1;
  DWORD got = 0;
  if (!ReadFile(file_, buffer, static_cast<DWORD>(n), &got, nullptr)) return -1;
  return static_cast<long>(got);
}

}  // namespace payload
