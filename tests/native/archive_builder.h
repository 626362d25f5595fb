// Builds payload archives byte by byte for the tests, including broken ones.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <string>

namespace testing_support {

inline std::string U32(uint32_t v) {
  std::string s(4, '\0');
  for (int i = 0; i < 4; ++i) s[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
  return s;
}

inline std::string Deflate(const std::string& content, int level = 9) {
  uLongf size = compressBound(static_cast<uLong>(content.size()));
  std::string packed(size, '\0');
  compress2(reinterpret_cast<Bytef*>(&packed[0]), &size, reinterpret_cast<const Bytef*>(content.data()),
            static_cast<uLong>(content.size()), level);
  packed.resize(size);
  return packed;
}

// One record: L, P, name, packed bytes.
inline std::string Record(const std::string& name, const std::string& packed) {
  return U32(static_cast<uint32_t>(name.size())) + U32(static_cast<uint32_t>(packed.size())) + name + packed;
}

class ArchiveBuilder {
 public:
  ArchiveBuilder& Add(const std::string& name, const std::string& content) {
    records_ += Record(name, Deflate(content));
    ++count_;
    return *this;
  }
  ArchiveBuilder& AddRaw(const std::string& record) {
    records_ += record;
    ++count_;
    return *this;
  }
  // The resource form: N, then the records.
  std::string Resource() const { return U32(count_) + records_; }
  // The appended form behind a program image: header, records, trailer.
  std::string Appended(const std::string& program, const std::string& header = "HDR") const {
    return program + U32(static_cast<uint32_t>(header.size())) + header + records_ + U32(count_) +
           U32(static_cast<uint32_t>(program.size()));
  }
  uint32_t count() const { return count_; }

 private:
  std::string records_;
  uint32_t count_ = 0;
};

}  // namespace testing_support
