#include "payload/archive.h"

#include <cstring>

#include "payload/pe_image.h"

namespace payload {

namespace {

constexpr uint64_t kTrailerSize = 8;

// The certificate table named by the PE security directory, when it sits at the
// very end of the file. Authenticode appends it there, 8-byte aligned.
bool FindCertificateTable(ByteSource& s, uint64_t fileSize, uint64_t* tableOffset) {
  PeHeaders headers;
  if (ReadPeHeaders(s, &headers) != PeResult::kOk || headers.directoryCount <= kDirectoryCertificate) return false;
  const PeDataDirectory& table = headers.directories[kDirectoryCertificate];
  if (table.address == 0 || table.size == 0) return false;
  if (uint64_t(table.address) + table.size != fileSize) return false;
  *tableOffset = table.address;
  return true;
}

// Reads a trailer that ends at trailerEnd and checks that it points at a header
// inside the file. Fills the layout but does not look at the records.
bool ParseTrailer(ByteSource& s, uint64_t trailerEnd, ArchiveLayout* layout) {
  if (trailerEnd < kTrailerSize) return false;
  uint64_t trailer = trailerEnd - kTrailerSize;
  uint32_t count = 0, archive = 0, header = 0;
  if (!s.ReadU32(trailer, &count) || count == 0) return false;
  if (!s.ReadU32(trailer + 4, &archive)) return false;
  if (uint64_t(archive) + 4 > trailer) return false;
  if (!s.ReadU32(archive, &header)) return false;
  uint64_t first = uint64_t(archive) + 4 + header;  // a header over 50 bytes is skipped, not read
  if (first > trailer) return false;
  layout->count = count;
  layout->archiveOffset = archive;
  layout->firstRecord = first;
  layout->end = trailer;
  layout->progressLength = s.Size() - archive;
  return true;
}

// For a signed file the trailer's exact end is unknown (0 to 7 zero bytes of
// padding). A candidate counts when all N records walk cleanly; one whose last
// record ends right at its trailer is preferred.
bool WalksCleanly(ByteSource& s, const ArchiveLayout& layout, bool* endsAtTrailer) {
  uint64_t offset = layout.firstRecord;
  for (uint32_t i = 0; i < layout.count; ++i) {
    PackageEntry entry;
    if (ReadRecord(s, layout, &offset, i, &entry) != RecordResult::kOk) return false;
  }
  *endsAtTrailer = offset == layout.end;
  return true;
}

}  // namespace

LocateResult LocateResourceArchive(ByteSource& source, ArchiveLayout* layout) {
  uint32_t count = 0;
  if (source.Size() < 4) return LocateResult::kNoArchive;
  if (!source.ReadU32(0, &count)) return LocateResult::kUnreadable;
  layout->count = count;
  layout->firstRecord = 4;
  layout->end = source.Size();
  layout->archiveOffset = 0;
  layout->progressLength = source.Size();
  return LocateResult::kFound;
}

LocateResult LocateAppendedArchive(ByteSource& source, ArchiveLayout* layout) {
  uint64_t size = source.Size();
  if (size < kTrailerSize) return LocateResult::kNoArchive;

  uint64_t table = 0;
  if (!FindCertificateTable(source, size, &table)) {
    return ParseTrailer(source, size, layout) ? LocateResult::kFound : LocateResult::kNoArchive;
  }

  unsigned char gap[8] = {};
  uint64_t gapStart = table >= 7 ? table - 7 : 0;
  size_t gapLength = static_cast<size_t>(table - gapStart);
  if (!source.ReadExact(gapStart, gap, gapLength)) return LocateResult::kUnreadable;

  ArchiveLayout fallback;
  bool haveFallback = false;
  for (uint64_t pad = 0; pad <= gapLength; ++pad) {
    if (pad > 0 && gap[gapLength - pad] != 0) break;  // padding is zero bytes only
    ArchiveLayout candidate;
    bool exact = false;
    if (!ParseTrailer(source, table - pad, &candidate)) continue;
    if (!WalksCleanly(source, candidate, &exact)) continue;
    if (exact) {
      *layout = candidate;
      return LocateResult::kFound;
    }
    if (!haveFallback) {
      fallback = candidate;
      haveFallback = true;
    }
  }
  if (!haveFallback) return LocateResult::kNoArchive;
  *layout = fallback;
  return LocateResult::kFound;
}

RecordResult ReadRecord(ByteSource& source, const ArchiveLayout& layout, uint64_t* offset,
                        uint32_t index, PackageEntry* entry) {
  uint64_t at = *offset;
  if (at > layout.end || layout.end - at < 8) return RecordResult::kTruncated;
  unsigned char head[8];
  if (!source.ReadExact(at, head, sizeof head)) return RecordResult::kReadError;
  uint32_t nameLength = LoadU32(head);
  uint32_t packedLength = LoadU32(head + 4);
  uint64_t left = layout.end - at - 8;
  if (nameLength > left || packedLength > left - nameLength) return RecordResult::kTruncated;
  if (nameLength >= static_cast<uint32_t>(kNameBufferSize)) return RecordResult::kBadName;

  entry->index = index;
  entry->nameLength = nameLength;
  entry->packedLength = packedLength;
  entry->recordOffset = at;
  entry->dataOffset = at + 8 + nameLength;
  std::memset(entry->name, 0, sizeof entry->name);
  if (!source.ReadExact(at + 8, entry->name, nameLength)) return RecordResult::kReadError;
  if (std::memchr(entry->name, 0, nameLength) != nullptr) return RecordResult::kBadName;
  *offset = entry->dataOffset + packedLength;
  return RecordResult::kOk;
}

bool IsPlainFileName(const char* name) {
  if (name[0] == '\0') return false;
  if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) return false;
  // Checked byte by byte without regard to double-byte characters: a GBK trail byte
  // of 0x5C would read as a separator on a system with another code page.
  return std::strpbrk(name, "\\/:") == nullptr;
}

bool NamesEqualIgnoringCase(const char* a, const char* b) {
  for (;; ++a, ++b) {
    unsigned char ca = static_cast<unsigned char>(*a), cb = static_cast<unsigned char>(*b);
    if (ca >= 'A' && ca <= 'Z') ca = static_cast<unsigned char>(ca + 32);
    if (cb >= 'A' && cb <= 'Z') cb = static_cast<unsigned char>(cb + 32);
    if (ca != cb) return false;
    if (ca == 0) return true;
  }
}

}  // namespace payload
