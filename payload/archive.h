// The payload archive: a count N followed by N records (name length L, packed
// length P, L name bytes, P bytes of one zlib stream), little-endian, unpadded.
// It travels either as the INSTALL resource or appended to the program file behind
// an 8-byte trailer (count, absolute offset), optionally followed by an Authenticode
// certificate table.
#pragma once

#include <cstdint>

#include "payload/byte_source.h"

namespace payload {

constexpr int kNameBufferSize = 256;     // entry names are at most 255 bytes
constexpr uint32_t kMaxHeaderRead = 50;  // appended header bytes we ever look at

struct PackageEntry {
  uint32_t index = 0;          // 0-based position in the archive
  uint32_t nameLength = 0;     // L
  uint32_t packedLength = 0;   // P
  uint64_t recordOffset = 0;   // where the record starts in the source
  uint64_t dataOffset = 0;     // where the P packed bytes start
  char name[kNameBufferSize] = {};
};

// Where the records of an archive lie inside a source.
struct ArchiveLayout {
  uint32_t count = 0;          // N
  uint64_t firstRecord = 0;    // offset of the first record
  uint64_t end = 0;            // no record may reach past this offset
  uint64_t archiveOffset = 0;  // A for an appended archive, 0 for the resource form
  uint64_t progressLength = 0; // denominator for the progress percentage
};

enum class LocateResult {
  kFound,
  kUnreadable,  // the source could not be read at all
  kNoArchive,   // too short, count 0, or the trailer points nowhere sensible
};

// The resource carrier: N at offset 0, records from offset 4 to the end.
LocateResult LocateResourceArchive(ByteSource& source, ArchiveLayout* layout);

// The appended carrier: trailer in the last 8 bytes of the file, or, in a signed
// program, just before the padding in front of the certificate table.
LocateResult LocateAppendedArchive(ByteSource& source, ArchiveLayout* layout);

enum class RecordResult {
  kOk,
  kTruncated,  // the record's fixed fields or lengths reach past the archive's end
  kBadName,    // name longer than 255 bytes or holding a NUL
  kReadError,
};

// Reads the record at *offset and advances *offset to the next one. Every length
// is checked against layout.end before anything is read.
RecordResult ReadRecord(ByteSource& source, const ArchiveLayout& layout, uint64_t* offset,
                        uint32_t index, PackageEntry* entry);

enum class WalkResult {
  kComplete,  // all N records were visited
  kStopped,   // the visitor asked to stop
  kMalformed, // a record reached past the end or had a bad name; the walk stopped there
  kReadError,
};

// Visits the records in order; the visitor returns false to stop the walk.
template <typename Visitor>
WalkResult WalkEntries(ByteSource& source, const ArchiveLayout& layout, Visitor&& visit) {
  uint64_t offset = layout.firstRecord;
  for (uint32_t i = 0; i < layout.count; ++i) {
    PackageEntry entry;
    switch (ReadRecord(source, layout, &offset, i, &entry)) {
      case RecordResult::kOk: break;
      case RecordResult::kReadError: return WalkResult::kReadError;
      default: return WalkResult::kMalformed;
    }
    if (!visit(entry)) return WalkResult::kStopped;
  }
  return WalkResult::kComplete;
}

// True for a name that can only ever name a file inside the extraction folder:
// not empty, not "." or "..", and without '\\', '/' or ':'.
bool IsPlainFileName(const char* name);

// Case-insensitive comparison of ASCII letters; other bytes compare exactly.
bool NamesEqualIgnoringCase(const char* a, const char* b);

}  // namespace payload
