// File helpers the rewriter fuzz targets share: one scratch folder per process,
// whole-file writes and reads.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <stdlib.h>

namespace fuzz_files {

// A folder made once per process from pattern (ending in XXXXXX).
inline const std::string& ScratchDir(const char* pattern) {
  static std::string dir;
  if (dir.empty()) {
    std::string name = pattern;
    if (!mkdtemp(&name[0])) abort();
    dir = name;
  }
  return dir;
}

inline bool WriteAll(const std::string& path, const uint8_t* data, size_t size) {
  FILE* file = fopen(path.c_str(), "wb");
  if (!file) return false;
  bool ok = fwrite(data, 1, size, file) == size;
  return fclose(file) == 0 && ok;
}

inline std::string ReadAll(const std::string& path) {
  std::string bytes;
  FILE* file = fopen(path.c_str(), "rb");
  if (!file) return bytes;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, n);
  fclose(file);
  return bytes;
}

}  // namespace fuzz_files
