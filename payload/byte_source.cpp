#include "payload/byte_source.h"

#include <cstring>

namespace payload {

bool ByteSource::ReadExact(uint64_t offset, void* buffer, size_t n) {
  if (n == 0) return true;
  return ReadAt(offset, buffer, n) == static_cast<long>(n);
}

bool ByteSource::ReadU32(uint64_t offset, uint32_t* value) {
  unsigned char bytes[4];
  if (!ReadExact(offset, bytes, sizeof bytes)) return false;
  *value = LoadU32(bytes);
  return true;
}

long MemorySource::ReadAt(uint64_t offset, void* buffer, size_t n) {
  if (offset >= size_) return 0;
  uint64_t available = size_ - offset;
  size_t count = n < available ? n : static_cast<size_t>(available);
  std::memcpy(buffer, data_ + offset, count);
  return static_cast<long>(count);
}

StdioFileSource::~StdioFileSource() {
  if (file_) std::fclose(file_);
}

bool StdioFileSource::Open(const char* path) {
  if (file_) {
    std::fclose(file_);
    file_ = nullptr;
  }
  FILE* f = std::fopen(path, "rb");
  if (!f) return false;
  // Archives and programs stay well below 2 GB; fseek/ftell are enough.
  if (std::fseek(f, 0, SEEK_END) != 0) {
    std::fclose(f);
    return false;
  }
  long end = std::ftell(f);
  if (end < 0) {
    std::fclose(f);
    return false;
  }
  file_ = f;
  size_ = static_cast<uint64_t>(end);
  return true;
}

long StdioFileSource::ReadAt(uint64_t offset, void* buffer, size_t n) {
  if (!file_) return -1;
  if (offset >= size_) return 0;
  if (offset > 0x7fffffffu) return -1;
  if (std::fseek(file_, static_cast<long>(offset), SEEK_SET) != 0) return -1;
  size_t got = std::fread(buffer, 1, n, file_);
  if (got < n && std::ferror(file_)) return -1;
  return static_cast<long>(got);
}

}  // namespace payload
