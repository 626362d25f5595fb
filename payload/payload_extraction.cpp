#include "payload/payload_extraction.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "payload/archive.h"
#include "payload/entry_decoder.h"

namespace payload {

namespace {

// Output paths live in 256-byte buffers, like every path of the program.
constexpr size_t kPathBufferSize = 256;

// The one entry of an appended package that belongs in the data folder rather than
// the destination folder. Matched as an exact-case substring of the entry name.
constexpr char kDataFolderEntry[] = "OmbraPrinter.ini";

// Hands the decoder's 16 KB steps to the observer's bar.
class ObserverProgress final : public ProgressSink {
 public:
  explicit ObserverProgress(ExtractionObserver& observer) : observer_(observer) {}
  void SetPercent(int percent) override { observer_.SetPercent(percent); }

 private:
  ExtractionObserver& observer_;
};

// Formats "<folder>\<name>" into path, always terminated. True only when the whole
// path fit and the name cannot leave the folder; only then is the entry written.
// A path longer than 255 bytes is never written cut short: the cut text could name
// another entry's file ("...\UNIDRV.DLL.x64" would become "...\UNIDRV.DLL"). The
// cut text is still good enough for the status line.
bool FormatOutputPath(char (&path)[kPathBufferSize], const char* folder, const char* name) {
  const int n = std::snprintf(path, sizeof path, "%s\\%s", folder, name);
  return n > 0 && static_cast<size_t>(n) < sizeof path && IsPlainFileName(name);
}

// One extraction pass: its own Running total from 0 and one denominator.
class Pass {
 public:
  Pass(ExtractionObserver& observer, double denominator)
      : observer_(observer), progress_(observer), denominator_(denominator) {}

  // Decodes one entry into path. The decoder's result is not acted on: a damaged
  // entry stays partly written, an unwritable one is simply missing, and the pass
  // goes on with the next entry either way.
  void Write(PackedInput& input, const PackageEntry& entry, const char* path, bool intoDestination) {
    if (intoDestination) observer_.Placing(entry.name);
    if (!observer_.Writing(path)) return;
    InflateEntryToFile(input, entry.packedLength, path, &runningTotal_, denominator_, &progress_);
  }

 private:
  ExtractionObserver& observer_;
  ObserverProgress progress_;
  int32_t runningTotal_ = 0;
  double denominator_;
};

int ResultOf(WalkResult walked) { return walked == WalkResult::kComplete ? kExtractComplete : kExtractEndedEarly; }

}  // namespace

int ExtractResourcePayload(const unsigned char* data, size_t size, const char* destinationFolder,
                           ExtractionObserver& observer) {
  MemorySource source(data, size);
  ArchiveLayout layout;
  if (LocateResourceArchive(source, &layout) != LocateResult::kFound) return kExtractNoArchive;
  Pass pass(observer, static_cast<double>(size));
  const double count = layout.count;
  const WalkResult walked = WalkEntries(source, layout, [&](const PackageEntry& entry) {
    char path[kPathBufferSize];
    if (FormatOutputPath(path, destinationFolder, entry.name)) {
      MemoryInput input(data + entry.dataOffset);
      pass.Write(input, entry, path, true);
    }
    observer.StatusText(entry.name);
    // On the entry count's scale: 100 after the last entry, whatever the bytes were.
    observer.SetPercent(static_cast<int>((entry.index + 1.0) / count * 100.0));
    return true;
  });
  return ResultOf(walked);
}

int ExtractAppendedPayload(ByteSource& program, const char* destinationFolder, const char* dataFolder,
                           ExtractionObserver& observer) {
  ArchiveLayout layout;
  if (LocateAppendedArchive(program, &layout) != LocateResult::kFound) return kExtractNoArchive;
  Pass pass(observer, static_cast<double>(layout.progressLength));
  const WalkResult walked = WalkEntries(program, layout, [&](const PackageEntry& entry) {
    const bool intoData = std::strstr(entry.name, kDataFolderEntry) != nullptr;
    char path[kPathBufferSize];
    const bool writable = FormatOutputPath(path, intoData ? dataFolder : destinationFolder, entry.name);
    observer.StatusText(path);
    if (writable) {
      SourceInput input(program, entry.dataOffset);
      pass.Write(input, entry, path, !intoData);
    }
    return true;
  });
  return ResultOf(walked);
}

}  // namespace payload
