// A zero-filled LocalAlloc block, freed with LocalFree: the buffers the spooler's
// enumerations fill.
#pragma once

#include <windows.h>

#include <memory>

namespace driver {

struct LocalMemoryFree {
  void operator()(void* block) const { LocalFree(block); }
};
using LocalMemory = std::unique_ptr<BYTE, LocalMemoryFree>;

inline LocalMemory AllocateLocalMemory(size_t size) { return LocalMemory(static_cast<BYTE*>(LocalAlloc(LPTR, size))); }

}  // namespace driver
