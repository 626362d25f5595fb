#include "payload/payload_resource_win.h"

#include <cstring>
#include <new>

unsigned char* LoadPayloadResource(int id, const char* type, size_t* length, HMODULE module) {
  *length = 0;
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), type);
  if (!found) return nullptr;
  HGLOBAL loaded = LoadResource(module, found);
  if (!loaded) return nullptr;
  const void* bytes = LockResource(loaded);
  DWORD size = SizeofResource(module, found);
  if (!bytes) return nullptr;
  unsigned char* copy = new (std::nothrow) unsigned char[size + 16];
  if (!copy) return nullptr;
  std::memcpy(copy, bytes, size);
  *length = size;
  return copy;
}
