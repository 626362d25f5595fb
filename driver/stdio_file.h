// An owned C stream: closed when it goes out of scope, on every way out.
#pragma once

#include <cstdio>
#include <memory>

struct StdioFileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};
using StdioFile = std::unique_ptr<FILE, StdioFileCloser>;

inline StdioFile OpenStdioFile(const char* path, const char* mode) {
  return StdioFile(path ? std::fopen(path, mode) : nullptr);
}
