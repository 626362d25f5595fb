// Copies the payload archive out of a program's INSTALL resource.
#pragma once

#include <windows.h>

#include <cstddef>

#include "payload/payload_resource.h"

// Copies resource (id, type) of module (NULL: this program) into the heap, with 16
// spare bytes behind it. Returns null with *length 0 when it is missing or cannot be
// loaded. The copy is meant to live as long as the process.
unsigned char* LoadPayloadResource(int id, const char* type, size_t* length, HMODULE module = nullptr);
