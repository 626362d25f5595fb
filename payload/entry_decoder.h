// Decodes one payload entry (a single zlib stream) into a file.
#pragma once

#include <cstddef>
#include <cstdint>

#include "payload/byte_source.h"

namespace payload {

// Result codes of InflateEntryToFile. Any other non-zero value is zlib's own
// result of the stream initialisation, passed on unchanged.
enum InflateResult : int {
  kInflateOk = 0,          // the stream reached its end and the file was written
  kInflateFileError = -1,  // output not opened or not written, or the source not read
  kInflateDataError = -3,  // corrupt, truncated, or asking for a preset dictionary
  kInflateMemError = -4,   // zlib ran out of memory
};

constexpr size_t kInflateChunk = 16384;

// The progress bar is reached through this, so the decoder needs no window system.
class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  virtual void SetPercent(int percent) = 0;
};

// Where the packed bytes of one entry come from.
class PackedInput {
 public:
  virtual ~PackedInput() = default;
  // Up to n bytes; the count read, or -1 when the source cannot be read.
  virtual long Read(void* buffer, size_t n) = 0;
};

// Packed bytes in memory (the heap copy of the resource): the pointer advances.
class MemoryInput final : public PackedInput {
 public:
  explicit MemoryInput(const unsigned char* data) : cursor_(data) {}
  long Read(void* buffer, size_t n) override;

 private:
  const unsigned char* cursor_;
};

// Packed bytes read from a file source at a moving offset (the appended archive).
class SourceInput final : public PackedInput {
 public:
  SourceInput(ByteSource& source, uint64_t offset) : source_(source), offset_(offset) {}
  long Read(void* buffer, size_t n) override;

 private:
  ByteSource& source_;
  uint64_t offset_;
};

// Decodes packedLength bytes from input into outputPath (created or truncated).
// runningTotal counts decompressed bytes over a whole extraction pass; after every
// 16 KB of output the percentage runningTotal / denominator * 100 goes to progress
// (when given). Returns an InflateResult or zlib's initialisation result.
int InflateEntryToFile(PackedInput& input, uint32_t packedLength, const char* outputPath,
                       int32_t* runningTotal, double denominator, ProgressSink* progress);

// Decodes the entry without writing it anywhere: kInflateOk when the stream is whole
// and reaches its end, otherwise what InflateEntryToFile would have returned.
int CheckEntryStream(PackedInput& input, uint32_t packedLength);

// The percentage as the progress bar gets it: truncated, and kept within int range.
int ProgressPercent(int32_t runningTotal, double denominator);

}  // namespace payload
