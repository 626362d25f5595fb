#include "payload/pe_image.h"

#include <cstring>

namespace payload {

namespace {

constexpr uint32_t kSectionHeaderSize = 40;
constexpr uint32_t kDirectoryHeaderSize = 16;  // IMAGE_RESOURCE_DIRECTORY
constexpr uint32_t kDirectoryEntrySize = 8;    // IMAGE_RESOURCE_DIRECTORY_ENTRY
constexpr uint32_t kHighBit = 0x80000000u;

bool ReadU16(ByteSource& s, uint64_t offset, uint16_t* value) {
  unsigned char b[2];
  if (!s.ReadExact(offset, b, 2)) return false;
  *value = static_cast<uint16_t>(b[0] | (b[1] << 8));
  return true;
}

// True when length bytes at offset lie inside a source of size bytes.
bool Fits(uint64_t offset, uint64_t length, uint64_t size) { return offset <= size && length <= size - offset; }

// The resource directory as one window of the file: every offset inside the tree
// is relative to its start, and nothing of the tree may lie outside it.
struct ResourceWindow {
  ByteSource& source;
  uint64_t base;   // file offset of the root directory
  uint64_t limit;  // bytes available from base (to the end of its section's raw data)

  bool Read32(uint64_t relative, uint32_t* value) {
    if (!Fits(relative, 4, limit)) return false;
    return source.ReadU32(base + relative, value);
  }
};

// Entry counts of the directory at relative offset, checked to fit the window.
bool ReadDirectory(ResourceWindow& w, uint32_t relative, uint32_t* entries) {
  unsigned char head[kDirectoryHeaderSize];
  if (!Fits(relative, kDirectoryHeaderSize, w.limit)) return false;
  if (!w.source.ReadExact(w.base + relative, head, sizeof head)) return false;
  uint32_t named = uint32_t(head[12]) | (uint32_t(head[13]) << 8);
  uint32_t ids = uint32_t(head[14]) | (uint32_t(head[15]) << 8);
  *entries = named + ids;  // at most 131070, so the product below stays small
  return Fits(uint64_t(relative) + kDirectoryHeaderSize, uint64_t(*entries) * kDirectoryEntrySize, w.limit);
}

// A named entry's name (a counted UTF-16LE string) against an ASCII name.
bool NameMatches(ResourceWindow& w, uint32_t relative, const char* wanted) {
  uint16_t length = 0;
  if (!Fits(relative, 2, w.limit) || !ReadU16(w.source, w.base + relative, &length)) return false;
  if (length != std::strlen(wanted)) return false;
  if (!Fits(uint64_t(relative) + 2, uint64_t(length) * 2, w.limit)) return false;
  for (uint16_t i = 0; i < length; ++i) {
    uint16_t unit = 0;
    if (!ReadU16(w.source, w.base + relative + 2 + 2u * i, &unit) || unit >= 0x80) return false;
    unsigned char a = static_cast<unsigned char>(unit), b = static_cast<unsigned char>(wanted[i]);
    if (a >= 'a' && a <= 'z') a = static_cast<unsigned char>(a - 32);
    if (b >= 'a' && b <= 'z') b = static_cast<unsigned char>(b - 32);
    if (a != b) return false;
  }
  return true;
}

enum class Lookup { kFound, kNotFound, kMalformed };

// Looks through the directory at relative offset for the entry that matches: by
// name when name is given, by integer id otherwise, or the first entry of all when
// takeFirst is set. *target gets the entry's OffsetToData field.
Lookup FindEntry(ResourceWindow& w, uint32_t relative, const char* name, uint16_t id, bool takeFirst,
                 uint32_t* target) {
  uint32_t entries = 0;
  if (!ReadDirectory(w, relative, &entries)) return Lookup::kMalformed;
  for (uint32_t i = 0; i < entries; ++i) {
    uint64_t entry = uint64_t(relative) + kDirectoryHeaderSize + uint64_t(i) * kDirectoryEntrySize;
    uint32_t nameField = 0, dataField = 0;
    if (!w.Read32(entry, &nameField) || !w.Read32(entry + 4, &dataField)) return Lookup::kMalformed;
    bool match;
    if (takeFirst) {
      match = true;
    } else if (name) {
      match = (nameField & kHighBit) && NameMatches(w, nameField & ~kHighBit, name);
    } else {
      match = !(nameField & kHighBit) && nameField == id;
    }
    if (match) {
      *target = dataField;
      return Lookup::kFound;
    }
  }
  return Lookup::kNotFound;
}

// Offset and extent of the raw bytes from rva to the end of its section.
bool MapRvaExtent(const PeHeaders& headers, uint64_t fileSize, uint32_t rva, uint64_t* offset, uint64_t* extent) {
  for (const PeSection& s : headers.sections) {
    if (rva < s.virtualAddress || uint64_t(rva) - s.virtualAddress >= s.rawSize) continue;
    uint64_t within = uint64_t(rva) - s.virtualAddress;
    uint64_t start = uint64_t(s.rawOffset) + within;
    if (start >= fileSize) return false;
    uint64_t rawLeft = uint64_t(s.rawSize) - within;
    uint64_t fileLeft = fileSize - start;
    *offset = start;
    *extent = rawLeft < fileLeft ? rawLeft : fileLeft;
    return true;
  }
  return false;
}

// The key of a directory entry: an id, or the counted UTF-16LE name it points at.
bool ReadKey(ResourceWindow& w, uint32_t nameField, PeResourceKey* key) {
  *key = PeResourceKey();
  if (!(nameField & kHighBit)) {
    if (nameField > 0xFFFF) return false;
    key->id = static_cast<uint16_t>(nameField);
    return true;
  }
  const uint32_t relative = nameField & ~kHighBit;
  uint16_t length = 0;
  if (!Fits(relative, 2, w.limit) || !ReadU16(w.source, w.base + relative, &length)) return false;
  if (!Fits(uint64_t(relative) + 2, uint64_t(length) * 2, w.limit)) return false;
  key->named = true;
  for (uint16_t i = 0; i < length; ++i) {
    uint16_t unit = 0;
    if (!ReadU16(w.source, w.base + relative + 2 + 2u * i, &unit)) return false;
    key->name.push_back(static_cast<char16_t>(unit));
  }
  return true;
}

// The entries of the directory at relative offset: each one's key and its
// OffsetToData field. Every entry read counts against *budget, so that a tree whose
// directories point at each other many times over is refused before it takes long.
bool ReadEntries(ResourceWindow& w, uint32_t relative, size_t* budget,
                 std::vector<std::pair<PeResourceKey, uint32_t>>* out) {
  out->clear();
  uint32_t entries = 0;
  if (!ReadDirectory(w, relative, &entries) || entries > *budget) return false;
  *budget -= entries;
  for (uint32_t i = 0; i < entries; ++i) {
    const uint64_t entry = uint64_t(relative) + kDirectoryHeaderSize + uint64_t(i) * kDirectoryEntrySize;
    uint32_t nameField = 0, dataField = 0;
    PeResourceKey key;
    if (!w.Read32(entry, &nameField) || !w.Read32(entry + 4, &dataField) || !ReadKey(w, nameField, &key))
      return false;
    out->emplace_back(std::move(key), dataField);
  }
  return true;
}

}  // namespace

PeResult ReadPeHeaders(ByteSource& source, PeHeaders* headers) {
  *headers = PeHeaders();
  const uint64_t size = source.Size();
  uint16_t magic = 0;
  if (size < 2) return PeResult::kNotPe;
  if (!ReadU16(source, 0, &magic)) return PeResult::kReadError;
  if (magic != 0x5A4D) return PeResult::kNotPe;  // "MZ"

  uint32_t peOffset = 0, signature = 0;
  if (!Fits(0x3C, 4, size) || !source.ReadU32(0x3C, &peOffset)) return PeResult::kMalformed;
  if (!Fits(peOffset, 24, size)) return PeResult::kMalformed;  // signature and file header
  if (!source.ReadU32(peOffset, &signature) || signature != 0x00004550) return PeResult::kMalformed;  // "PE\0\0"

  uint64_t fileHeader = uint64_t(peOffset) + 4;
  uint16_t sectionCount = 0, optionalSize = 0;
  if (!ReadU16(source, fileHeader, &headers->machine) || !ReadU16(source, fileHeader + 2, &sectionCount) ||
      !ReadU16(source, fileHeader + 16, &optionalSize))
    return PeResult::kReadError;

  uint64_t optional = fileHeader + 20;
  if (!Fits(optional, optionalSize, size)) return PeResult::kMalformed;
  if (optionalSize >= 2) {
    if (!ReadU16(source, optional, &headers->optionalMagic)) return PeResult::kReadError;
    uint32_t countOffset = 0;
    if (headers->optionalMagic == 0x10B) countOffset = 92;       // PE32
    else if (headers->optionalMagic == 0x20B) countOffset = 108;  // PE32+
    if (countOffset != 0 && optionalSize >= countOffset + 4) {
      uint32_t declared = 0;
      if (!source.ReadU32(optional + countOffset, &declared)) return PeResult::kReadError;
      uint32_t room = (optionalSize - countOffset - 4) / 8;  // directories that fit the header
      uint32_t count = declared < room ? declared : room;
      if (count > kMaxDataDirectories) count = kMaxDataDirectories;
      for (uint32_t i = 0; i < count; ++i) {
        uint64_t at = optional + countOffset + 4 + 8 * i;
        if (!source.ReadU32(at, &headers->directories[i].address) ||
            !source.ReadU32(at + 4, &headers->directories[i].size))
          return PeResult::kReadError;
      }
      headers->directoryCount = count;
    }
  }

  uint64_t table = optional + optionalSize;
  if (!Fits(table, uint64_t(sectionCount) * kSectionHeaderSize, size)) return PeResult::kMalformed;
  headers->sections.resize(sectionCount);
  for (uint16_t i = 0; i < sectionCount; ++i) {
    uint64_t at = table + uint64_t(i) * kSectionHeaderSize;
    PeSection& s = headers->sections[i];
    if (!source.ReadU32(at + 8, &s.virtualSize) || !source.ReadU32(at + 12, &s.virtualAddress) ||
        !source.ReadU32(at + 16, &s.rawSize) || !source.ReadU32(at + 20, &s.rawOffset))
      return PeResult::kReadError;
  }
  return PeResult::kOk;
}

bool MapRva(const PeHeaders& headers, uint64_t fileSize, uint32_t rva, uint32_t size, uint64_t* offset) {
  uint64_t start = 0, extent = 0;
  if (!MapRvaExtent(headers, fileSize, rva, &start, &extent) || size > extent) return false;
  *offset = start;
  return true;
}

namespace {

// The headers, and the window of the resource tree: kNotFound for a sound file
// without a resource table.
PeResult OpenResources(ByteSource& source, PeHeaders* headers, ResourceWindow* w) {
  PeResult read = ReadPeHeaders(source, headers);
  if (read != PeResult::kOk) return read;
  if (headers->directoryCount <= kDirectoryResource) return PeResult::kNotFound;
  const PeDataDirectory& directory = headers->directories[kDirectoryResource];
  if (directory.address == 0 || directory.size == 0) return PeResult::kNotFound;
  if (!MapRvaExtent(*headers, source.Size(), directory.address, &w->base, &w->limit)) return PeResult::kMalformed;
  return PeResult::kOk;
}

}  // namespace

PeResult FindPeResource(ByteSource& source, const char* typeName, uint16_t id, uint64_t* offset, uint32_t* size) {
  PeHeaders headers;
  ResourceWindow w{source, 0, 0};
  PeResult opened = OpenResources(source, &headers, &w);
  if (opened != PeResult::kOk) return opened;

  // Three levels, type -> name/id -> language, each pointing at the next
  // directory (high bit set) until the language's data entry (high bit clear).
  uint32_t typeDirectory = 0, idDirectory = 0, dataEntry = 0;
  Lookup found = FindEntry(w, 0, typeName, 0, false, &typeDirectory);
  if (found != Lookup::kFound) return found == Lookup::kNotFound ? PeResult::kNotFound : PeResult::kMalformed;
  if (!(typeDirectory & kHighBit)) return PeResult::kMalformed;
  found = FindEntry(w, typeDirectory & ~kHighBit, nullptr, id, false, &idDirectory);
  if (found != Lookup::kFound) return found == Lookup::kNotFound ? PeResult::kNotFound : PeResult::kMalformed;
  if (!(idDirectory & kHighBit)) return PeResult::kMalformed;
  found = FindEntry(w, idDirectory & ~kHighBit, nullptr, 0, true, &dataEntry);
  if (found != Lookup::kFound || (dataEntry & kHighBit)) return PeResult::kMalformed;

  uint32_t dataRva = 0, dataSize = 0;
  if (!w.Read32(dataEntry, &dataRva) || !w.Read32(uint64_t(dataEntry) + 4, &dataSize)) return PeResult::kMalformed;
  if (!MapRva(headers, source.Size(), dataRva, dataSize, offset)) return PeResult::kMalformed;
  *size = dataSize;
  return PeResult::kOk;
}

PeResult ListPeResources(ByteSource& source, std::vector<PeResourceEntry>* entries) {
  entries->clear();
  PeHeaders headers;
  ResourceWindow w{source, 0, 0};
  PeResult opened = OpenResources(source, &headers, &w);
  if (opened != PeResult::kOk) return opened;

  size_t budget = 2 * kMaxPeResources;
  std::vector<std::pair<PeResourceKey, uint32_t>> types, names, languages;
  if (!ReadEntries(w, 0, &budget, &types)) return PeResult::kMalformed;
  for (const auto& type : types) {
    if (!(type.second & kHighBit) || !ReadEntries(w, type.second & ~kHighBit, &budget, &names))
      return PeResult::kMalformed;
    for (const auto& name : names) {
      if (!(name.second & kHighBit) || !ReadEntries(w, name.second & ~kHighBit, &budget, &languages))
        return PeResult::kMalformed;
      for (const auto& language : languages) {
        if ((language.second & kHighBit) || language.first.named) return PeResult::kMalformed;
        PeResourceEntry entry;
        entry.type = type.first;
        entry.name = name.first;
        entry.language = language.first.id;
        uint32_t dataRva = 0;
        if (!w.Read32(language.second, &dataRva) || !w.Read32(uint64_t(language.second) + 4, &entry.size) ||
            !w.Read32(uint64_t(language.second) + 8, &entry.codePage) ||
            !MapRva(headers, source.Size(), dataRva, entry.size, &entry.offset))
          return PeResult::kMalformed;
        entries->push_back(std::move(entry));
      }
    }
  }
  return PeResult::kOk;
}

}  // namespace payload
