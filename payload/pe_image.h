// Reads what the payload code needs from a PE (Windows program or DLL) file
// without loading it: the machine type, the data directories, and a resource's
// bytes by type name and id. Every field is read little-endian from the source and
// every offset is checked against the file before it is used, so any file, however
// damaged, can be handed in.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "payload/byte_source.h"

namespace payload {

constexpr uint16_t kMachineI386 = 0x014C;
constexpr uint16_t kMachineAmd64 = 0x8664;

constexpr int kDirectoryResource = 2;     // data directory index of the resource table
constexpr int kDirectoryCertificate = 4;  // its "address" is a file offset, not an RVA
constexpr int kMaxDataDirectories = 16;

enum class PeResult {
  kOk,
  kNotPe,      // no "MZ" at the start: not a program file at all
  kMalformed,  // "MZ", but the headers or the structure asked for are damaged
  kNotFound,   // a sound file without what was asked for
  kReadError,
};

struct PeSection {
  uint32_t virtualAddress = 0;
  uint32_t virtualSize = 0;
  uint32_t rawSize = 0;
  uint32_t rawOffset = 0;
};

struct PeDataDirectory {
  uint32_t address = 0;
  uint32_t size = 0;
};

struct PeHeaders {
  uint16_t machine = 0;
  uint16_t optionalMagic = 0;  // 0x10B PE32, 0x20B PE32+, 0 when there is no optional header
  uint32_t directoryCount = 0; // how many of directories[] the file declares (at most 16)
  PeDataDirectory directories[kMaxDataDirectories];
  std::vector<PeSection> sections;
};

// The DOS stub's pointer, the "PE\0\0" signature, the file header, the optional
// header's magic and data directories, and the section table.
PeResult ReadPeHeaders(ByteSource& source, PeHeaders* headers);

// The file offset of size bytes at rva: they must lie inside one section's raw
// data, which must lie inside the file.
bool MapRva(const PeHeaders& headers, uint64_t fileSize, uint32_t rva, uint32_t size, uint64_t* offset);

// Finds the resource of type typeName (compared without regard to ASCII case, as
// the resource compiler stores it upper-case) and integer id, and takes its first
// language, as the loader does when a program carries one language only. Gives the
// data's file offset and size.
PeResult FindPeResource(ByteSource& source, const char* typeName, uint16_t id, uint64_t* offset, uint32_t* size);

// A type or name of the resource tree: an integer id, or a name (UTF-16).
struct PeResourceKey {
  bool named = false;
  uint16_t id = 0;
  std::u16string name;
};

struct PeResourceEntry {
  PeResourceKey type;
  PeResourceKey name;
  uint16_t language = 0;
  uint32_t codePage = 0;
  uint64_t offset = 0;  // of the data in the file
  uint32_t size = 0;
};

// Resource trees of more entries than twice this, over all levels, are taken for
// damaged ones.
constexpr size_t kMaxPeResources = 65536;

// Every resource of the tree (type -> name -> language -> data), in the tree's order.
// kNotFound for a sound file without a resource table; kMalformed for a tree that is
// not three levels deep, reaches outside its section, or has data outside the file.
PeResult ListPeResources(ByteSource& source, std::vector<PeResourceEntry>* entries);

}  // namespace payload
