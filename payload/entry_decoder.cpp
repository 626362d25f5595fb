#include "payload/entry_decoder.h"

#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace payload {

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(z_stream) == 56, "the 32-bit program passes a 56-byte stream record");
#endif

namespace {

// The program was built against the 1.2.5 interface; zlib accepts any 1.x caller.
constexpr char kZlibInterfaceVersion[] = "1.2.5";

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};
using UniqueFile = std::unique_ptr<FILE, FileCloser>;

// Owns an initialised inflate stream; inflateEnd on every way out.
class InflateStream {
 public:
  InflateStream() { std::memset(&stream_, 0, sizeof stream_); }
  ~InflateStream() {
    if (initialised_) inflateEnd(&stream_);
  }
  InflateStream(const InflateStream&) = delete;
  InflateStream& operator=(const InflateStream&) = delete;

  int Init() {
    int rc = inflateInit_(&stream_, kZlibInterfaceVersion, static_cast<int>(sizeof(z_stream)));
    initialised_ = rc == Z_OK;
    return rc;
  }
  z_stream* get() { return &stream_; }

 private:
  z_stream stream_;
  bool initialised_ = false;
};

}  // namespace

long MemoryInput::Read(void* buffer, size_t n) {
  std::memcpy(buffer, cursor_, n);
  cursor_ += n;
  return static_cast<long>(n);
}

long SourceInput::Read(void* buffer, size_t n) {
  long got = source_.ReadAt(offset_, buffer, n);
  if (got > 0) offset_ += static_cast<uint64_t>(got);
  return got;
}

int ProgressPercent(int32_t runningTotal, double denominator) {
  if (!(denominator > 0)) return 0;
  double percent = static_cast<double>(runningTotal) / denominator * 100.0;
  if (percent >= 2147483647.0) return 2147483647;
  if (percent <= -2147483647.0) return -2147483647;
  return static_cast<int>(percent);
}

namespace {

// The one decoding loop. open is called once the stream is initialised and says
// whether there is somewhere to write; every run of output then goes to write,
// which says whether it was stored.
template <typename Open, typename Write>
int Inflate(PackedInput& input, uint32_t packedLength, Open&& open, Write&& write, int32_t* runningTotal,
            double denominator, ProgressSink* progress) {
  InflateStream inflater;
  int rc = inflater.Init();
  if (rc != Z_OK) return rc;
  if (!open()) return kInflateFileError;

  // Both buffers live for this one entry.
  std::unique_ptr<unsigned char[]> in(new (std::nothrow) unsigned char[kInflateChunk]);
  std::unique_ptr<unsigned char[]> produced(new (std::nothrow) unsigned char[kInflateChunk]);
  if (!in || !produced) return kInflateMemError;

  z_stream* zs = inflater.get();
  uint32_t remaining = packedLength;
  bool streamEnded = false;
  while (!streamEnded) {
    size_t chunk = remaining < kInflateChunk ? remaining : kInflateChunk;
    if (chunk == 0) break;
    long got = input.Read(in.get(), chunk);
    if (got < 0) return kInflateFileError;
    if (got == 0) break;
    zs->next_in = in.get();
    zs->avail_in = static_cast<uInt>(got);
    do {
      zs->next_out = produced.get();
      zs->avail_out = kInflateChunk;
      rc = inflate(zs, Z_NO_FLUSH);
      if (rc == Z_NEED_DICT) return kInflateDataError;
      if (rc == Z_DATA_ERROR || rc == Z_MEM_ERROR) return rc;
      size_t have = kInflateChunk - zs->avail_out;
      if (have > 0 && !write(produced.get(), have)) return kInflateFileError;
      // The total is a signed 32-bit count; let it wrap rather than overflow.
      *runningTotal = static_cast<int32_t>(static_cast<uint32_t>(*runningTotal) +
                                           static_cast<uint32_t>(have));
      if (progress) progress->SetPercent(ProgressPercent(*runningTotal, denominator));
      if (rc == Z_STREAM_END) streamEnded = true;
    } while (zs->avail_out == 0 && !streamEnded);
    remaining -= static_cast<uint32_t>(got);
    if (static_cast<size_t>(got) < chunk) break;  // the source ran dry early
  }
  // Bytes after the stream's end are ignored; a stream that never reached its end
  // is truncated or damaged.
  return streamEnded ? kInflateOk : kInflateDataError;
}

}  // namespace

int InflateEntryToFile(PackedInput& input, uint32_t packedLength, const char* outputPath,
                       int32_t* runningTotal, double denominator, ProgressSink* progress) {
  // The file is opened before the stream is looked at: one that cannot be opened
  // fails the entry even when the stream is damaged too.
  UniqueFile out;
  const int rc = Inflate(
      input, packedLength,
      [&out, outputPath] {
        out.reset(std::fopen(outputPath, "wb"));
        return out != nullptr;
      },
      [&out](const unsigned char* bytes, size_t count) {
        return std::fwrite(bytes, 1, count, out.get()) == count && !std::ferror(out.get());
      },
      runningTotal, denominator, progress);
  if (out && std::fclose(out.release()) != 0 && rc == kInflateOk) return kInflateFileError;
  return rc;
}

int CheckEntryStream(PackedInput& input, uint32_t packedLength) {
  int32_t total = 0;
  return Inflate(
      input, packedLength, [] { return true; }, [](const unsigned char*, size_t) { return true; }, &total, 0.0,
      nullptr);
}

}  // namespace payload
