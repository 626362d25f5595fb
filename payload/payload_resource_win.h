// Copies the payload archive out of a program's INSTALL resource.
#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

constexpr int kPayloadResourceId = 139;
constexpr char kPayloadResourceType[] = "INSTALL";

// Copies resource (id, type) of module (NULL: this program) into the heap, with 16
// spare bytes behind it. Returns null with *length 0 when it is missing or cannot be
// loaded. The copy is meant to live as long as the process.
unsigned char* LoadPayloadResource(int id, const char* type, size_t* length, HMODULE module = nullptr);

// The INSTALL resource of another program file, loaded as data only (never run).
// False when the file has none.
bool LoadPayloadResourceFromFile(const char* path, std::vector<unsigned char>* copy);
