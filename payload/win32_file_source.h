// A file read through the Win32 file functions: how the program reads the payload
// appended to its own file.
#pragma once

#include <windows.h>

#include "payload/byte_source.h"

namespace payload {

class Win32FileSource final : public ByteSource {
 public:
  Win32FileSource() = default;
  ~Win32FileSource() override;
  Win32FileSource(const Win32FileSource&) = delete;
  Win32FileSource& operator=(const Win32FileSource&) = delete;

  // Opens an existing file for reading, shared for reading.
  bool Open(const char* path);
  // Opens this program's own file.
  bool OpenOwnProgram();
  uint64_t Size() const override { return size_; }
  long ReadAt(uint64_t offset, void* buffer, size_t n) override;

 private:
  HANDLE file_ = INVALID_HANDLE_VALUE;
  uint64_t size_ = 0;
};

}  // namespace payload
