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

namespace {

struct DataModule {
  HMODULE module;
  explicit DataModule(const char* path)
      : module(LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {}
  ~DataModule() {
    if (module) FreeLibrary(module);
  }
  DataModule(const DataModule&) = delete;
  DataModule& operator=(const DataModule&) = delete;
};

}  // namespace

bool LoadPayloadResourceFromFile(const char* path, std::vector<unsigned char>* copy) {
  DataModule data(path);
  if (!data.module) return false;
  size_t length = 0;
  unsigned char* bytes = LoadPayloadResource(kPayloadResourceId, kPayloadResourceType, &length, data.module);
  if (!bytes) return false;
  copy->assign(bytes, bytes + length);
  delete[] bytes;
  return true;
}
