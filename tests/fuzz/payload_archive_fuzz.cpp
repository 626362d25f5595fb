// Fuzzes the entry walk of both carriers and the decoder: any input is taken as a
// resource archive, as a program file with an appended archive, and as a program
// file whose INSTALL resource holds the archive; every entry the walk yields is
// decoded (to /dev/null). Nothing may crash, read out of bounds, or hand out an
// entry that lies outside the input.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "payload/archive.h"
#include "payload/entry_decoder.h"
#include "payload/pe_image.h"

using namespace payload;

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

void WalkAndDecode(MemorySource& source, const ArchiveLayout& layout, const uint8_t* data, size_t size) {
  int32_t total = 0;
  int decoded = 0;
  WalkEntries(source, layout, [&](const PackageEntry& e) {
    Check(e.dataOffset + e.packedLength <= layout.end);
    Check(layout.end <= size);
    Check(e.nameLength < static_cast<uint32_t>(kNameBufferSize));
    Check(std::strlen(e.name) == e.nameLength);
    // Decoding is the expensive part; a few entries per input are enough.
    if (decoded++ < 4) {
      MemoryInput input(data + e.dataOffset);
      int rc = InflateEntryToFile(input, e.packedLength, "/dev/null", &total, double(layout.progressLength),
                                  nullptr);
      Check(rc == kInflateOk || rc == kInflateDataError || rc == kInflateMemError || rc == kInflateFileError);
      SourceInput fromSource(source, e.dataOffset);
      int rc2 = InflateEntryToFile(fromSource, e.packedLength, "/dev/null", &total, 0.0, nullptr);
      Check(rc2 == rc);
    }
    return true;
  });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemorySource source(data, size);
  ArchiveLayout layout;
  if (LocateResourceArchive(source, &layout) == LocateResult::kFound) WalkAndDecode(source, layout, data, size);
  ArchiveLayout appended;
  if (LocateAppendedArchive(source, &appended) == LocateResult::kFound) {
    Check(appended.firstRecord <= appended.end && appended.end + 8 <= size);
    WalkAndDecode(source, appended, data, size);
  }
  uint64_t offset = 0;
  uint32_t length = 0;
  if (FindPeResource(source, "INSTALL", 139, &offset, &length) == PeResult::kOk) {
    Check(offset <= size && length <= size - offset);
    MemorySource resource(data + offset, length);
    ArchiveLayout inside;
    if (LocateResourceArchive(resource, &inside) == LocateResult::kFound)
      WalkAndDecode(resource, inside, data + offset, length);
  }
  return 0;
}
