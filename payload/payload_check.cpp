#include "payload/payload_check.h"

#include "payload/archive.h"
#include "payload/entry_decoder.h"

namespace payload {

namespace {

PayloadCheck Walk(ByteSource& source, LocateResult located, const ArchiveLayout& layout) {
  PayloadCheck check;
  if (located != LocateResult::kFound) return check;
  check.health = PayloadHealth::kWhole;
  const WalkResult walked = WalkEntries(source, layout, [&](const PackageEntry& entry) {
    SourceInput input(source, entry.dataOffset);
    const int rc = CheckEntryStream(input, entry.packedLength);
    if (rc != kInflateOk) {
      check.health = PayloadHealth::kDamaged;
      check.problem = std::string(entry.name) + ": does not decode (" + std::to_string(rc) + ")";
      return false;
    }
    ++check.entries;
    return true;
  });
  if (walked == WalkResult::kMalformed || walked == WalkResult::kReadError) {
    check.health = PayloadHealth::kDamaged;
    check.problem = "record " + std::to_string(check.entries + 1) + " of " + std::to_string(layout.count) +
                    (walked == WalkResult::kMalformed ? ": reaches past the archive or has a bad name"
                                                      : ": cannot be read");
  }
  return check;
}

}  // namespace

PayloadCheck CheckResourcePayload(const unsigned char* data, size_t size) {
  if (data == nullptr) return PayloadCheck();
  MemorySource source(data, size);
  ArchiveLayout layout;
  const LocateResult located = LocateResourceArchive(source, &layout);
  return Walk(source, located, layout);
}

PayloadCheck CheckAppendedPayload(ByteSource& program) {
  ArchiveLayout layout;
  const LocateResult located = LocateAppendedArchive(program, &layout);
  return Walk(program, located, layout);
}

}  // namespace payload
