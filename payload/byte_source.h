// Random-access byte sources for the payload walkers: the heap copy of the INSTALL
// resource, or a file (the program itself, or an archive on disk for the tool).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace payload {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual uint64_t Size() const = 0;
  // Reads up to n bytes at offset. Returns the count read (short only at the end of
  // the source), or -1 when the read itself fails.
  virtual long ReadAt(uint64_t offset, void* buffer, size_t n) = 0;

  // True when exactly n bytes could be read at offset.
  bool ReadExact(uint64_t offset, void* buffer, size_t n);
  bool ReadU32(uint64_t offset, uint32_t* value);
};

class MemorySource final : public ByteSource {
 public:
  MemorySource(const void* data, size_t size)
      : data_(static_cast<const unsigned char*>(data)), size_(size) {}
  uint64_t Size() const override { return size_; }
  long ReadAt(uint64_t offset, void* buffer, size_t n) override;
  const unsigned char* Data() const { return data_; }

 private:
  const unsigned char* data_;
  size_t size_;
};

// A file read through the C library; used by the tools and the native tests.
class StdioFileSource final : public ByteSource {
 public:
  StdioFileSource() = default;
  ~StdioFileSource() override;
  StdioFileSource(const StdioFileSource&) = delete;
  StdioFileSource& operator=(const StdioFileSource&) = delete;

  bool Open(const char* path);
  bool IsOpen() const { return file_ != nullptr; }
  uint64_t Size() const override { return size_; }
  long ReadAt(uint64_t offset, void* buffer, size_t n) override;

 private:
  FILE* file_ = nullptr;
  uint64_t size_ = 0;
};

inline uint32_t LoadU32(const unsigned char* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

inline void StoreU32(unsigned char* p, uint32_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
  p[2] = static_cast<unsigned char>(v >> 16);
  p[3] = static_cast<unsigned char>(v >> 24);
}

}  // namespace payload
