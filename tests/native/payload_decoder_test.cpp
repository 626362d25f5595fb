// InflateEntryToFile: what lands in the file, and which result each failure gives.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "archive_builder.h"
#include "payload/entry_decoder.h"
#include "test_support.h"

using namespace payload;
using testing_support::Deflate;
using testing_support::ReadFileBytes;
using testing_support::TempDir;

namespace {

class RecordingProgress : public ProgressSink {
 public:
  void SetPercent(int percent) override { calls.push_back(percent); }
  std::vector<int> calls;
};

std::string Pattern(size_t n) {
  std::string s(n, '\0');
  uint32_t x = 12345;
  for (size_t i = 0; i < n; ++i) {
    x = x * 1103515245u + 12345u;
    s[i] = static_cast<char>((i % 7 == 0) ? (x >> 24) : 'a' + (i % 26));
  }
  return s;
}

struct Decoded {
  int result;
  std::string content;
  int32_t total;
};

Decoded Decode(const std::string& packed, uint32_t packedLength, const std::string& path,
               ProgressSink* progress = nullptr, double denominator = 1000.0) {
  MemoryInput input(reinterpret_cast<const unsigned char*>(packed.data()));
  Decoded d{};
  d.result = InflateEntryToFile(input, packedLength, path.c_str(), &d.total, denominator, progress);
  if (testing_support::FileExists(path)) d.content = ReadFileBytes(path);
  return d;
}

// A source whose reads fail after a number of bytes, as a vanishing disk would.
class FailingSource : public ByteSource {
 public:
  FailingSource(std::string bytes, uint64_t failAt) : bytes_(std::move(bytes)), failAt_(failAt) {}
  uint64_t Size() const override { return bytes_.size(); }
  long ReadAt(uint64_t offset, void* buffer, size_t n) override {
    if (offset + n > failAt_) return -1;
    MemorySource inner(bytes_.data(), bytes_.size());
    return inner.ReadAt(offset, buffer, n);
  }

 private:
  std::string bytes_;
  uint64_t failAt_;
};

}  // namespace

TEST(InflateEntry, WritesContentOfEverySize) {
  TempDir dir;
  // Around the 16 KB steps of both buffers, and an empty file.
  for (size_t size : {size_t(0), size_t(1), size_t(16383), size_t(16384), size_t(32768), size_t(100000)}) {
    SCOPED_TRACE(size);
    std::string content = Pattern(size);
    std::string packed = Deflate(content);
    Decoded d = Decode(packed, static_cast<uint32_t>(packed.size()), dir.File("out.bin"));
    EXPECT_EQ(d.result, kInflateOk);
    EXPECT_EQ(d.content, content);
    EXPECT_EQ(d.total, static_cast<int32_t>(size));
  }
}

TEST(InflateEntry, IncompressibleEntryLargerThanOneInputChunk) {
  TempDir dir;
  std::string content = Pattern(200000);
  std::string packed = Deflate(content, 0);  // stored blocks: packed > 16 KB input steps
  ASSERT_GT(packed.size(), 3 * kInflateChunk);
  Decoded d = Decode(packed, static_cast<uint32_t>(packed.size()), dir.File("big.bin"));
  EXPECT_EQ(d.result, kInflateOk);
  EXPECT_EQ(d.content, content);
}

TEST(InflateEntry, BytesAfterTheStreamEndAreIgnored) {
  TempDir dir;
  std::string packed = Deflate("receipt") + std::string(40000, '\xEE');
  Decoded d = Decode(packed, static_cast<uint32_t>(packed.size()), dir.File("x"));
  EXPECT_EQ(d.result, kInflateOk);
  EXPECT_EQ(d.content, "receipt");
}

TEST(InflateEntry, TruncatedStreamIsAFailureWithThePartKept) {
  TempDir dir;
  std::string content = Pattern(50000);
  std::string packed = Deflate(content);
  uint32_t cut = static_cast<uint32_t>(packed.size() - 10);
  Decoded d = Decode(packed, cut, dir.File("cut.bin"));
  EXPECT_EQ(d.result, kInflateDataError);
  EXPECT_GT(d.content.size(), 0u);
  EXPECT_EQ(d.content, content.substr(0, d.content.size()));
}

TEST(InflateEntry, EmptyPackedEntryIsNotAFile) {
  TempDir dir;
  Decoded d = Decode("", 0, dir.File("none"));
  EXPECT_EQ(d.result, kInflateDataError);
  EXPECT_EQ(d.content, "");
}

TEST(InflateEntry, CorruptStreamGivesDataError) {
  TempDir dir;
  std::string packed = Deflate(Pattern(5000));
  packed[0] = 0x79;  // broken header check
  EXPECT_EQ(Decode(packed, static_cast<uint32_t>(packed.size()), dir.File("a")).result, kInflateDataError);
  std::string noise(3000, '\0');
  for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>(i * 131 + 7);
  EXPECT_EQ(Decode("\x78\x9c" + noise, 3002, dir.File("b")).result, kInflateDataError);
}

TEST(InflateEntry, PresetDictionaryIsRefusedWithAnEmptyFile) {
  TempDir dir;
  // zlib header with FDICT set (0x78 0xBB passes the header check), then a DICTID.
  std::string packed("\x78\xBB\x00\x00\x00\x01\x03\x00", 8);
  Decoded d = Decode(packed, static_cast<uint32_t>(packed.size()), dir.File("dict"));
  EXPECT_EQ(d.result, kInflateDataError);
  EXPECT_TRUE(testing_support::FileExists(dir.File("dict")));
  EXPECT_EQ(d.content, "");
}

TEST(InflateEntry, OutputThatCannotBeCreatedGivesFileError) {
  TempDir dir;
  std::string packed = Deflate("x");
  EXPECT_EQ(Decode(packed, static_cast<uint32_t>(packed.size()), dir.File("missing/sub/out")).result,
            kInflateFileError);
}

TEST(InflateEntry, ShortWriteGivesFileError) {
  // A full disk: every write fails. (/dev/full reads as endless zeros, so it is not read back.)
  std::string packed = Deflate(Pattern(70000));
  MemoryInput input(reinterpret_cast<const unsigned char*>(packed.data()));
  int32_t total = 0;
  EXPECT_EQ(InflateEntryToFile(input, static_cast<uint32_t>(packed.size()), "/dev/full", &total, 1.0, nullptr),
            kInflateFileError);
}

TEST(InflateEntry, SourceReadFailureGivesFileError) {
  TempDir dir;
  std::string packed = Deflate(Pattern(300000), 0);
  FailingSource source(packed, 20000);
  SourceInput input(source, 0);
  int32_t total = 0;
  EXPECT_EQ(InflateEntryToFile(input, static_cast<uint32_t>(packed.size()), dir.File("f").c_str(), &total, 1.0,
                               nullptr),
            kInflateFileError);
}

TEST(InflateEntry, SourceInputReadsAtTheEntryOffset) {
  TempDir dir;
  std::string packed = Deflate("from the file");
  std::string file = "prefix" + packed + "suffix";
  MemorySource source(file.data(), file.size());
  SourceInput input(source, 6);
  int32_t total = 0;
  EXPECT_EQ(InflateEntryToFile(input, static_cast<uint32_t>(packed.size()), dir.File("s").c_str(), &total, 1.0,
                               nullptr),
            kInflateOk);
  EXPECT_EQ(ReadFileBytes(dir.File("s")), "from the file");
}

TEST(InflateEntry, RunningTotalSpansEntriesAndDrivesProgress) {
  TempDir dir;
  std::string first = Deflate(Pattern(40000)), second = Deflate(Pattern(20000));
  RecordingProgress progress;
  int32_t total = 0;
  MemoryInput a(reinterpret_cast<const unsigned char*>(first.data()));
  MemoryInput b(reinterpret_cast<const unsigned char*>(second.data()));
  ASSERT_EQ(InflateEntryToFile(a, static_cast<uint32_t>(first.size()), dir.File("1").c_str(), &total, 30000.0,
                               &progress),
            kInflateOk);
  ASSERT_EQ(InflateEntryToFile(b, static_cast<uint32_t>(second.size()), dir.File("2").c_str(), &total, 30000.0,
                               &progress),
            kInflateOk);
  EXPECT_EQ(total, 60000);
  ASSERT_FALSE(progress.calls.empty());
  // Decompressed over compressed bytes: the bar may pass 100, and is sent as computed.
  EXPECT_EQ(progress.calls.back(), 200);
  for (size_t i = 1; i < progress.calls.size(); ++i) EXPECT_GE(progress.calls[i], progress.calls[i - 1]);
}

TEST(InflateEntry, PercentStaysDefinedForOddDenominators) {
  EXPECT_EQ(ProgressPercent(50, 200.0), 25);
  EXPECT_EQ(ProgressPercent(199, 200.0), 99);  // truncated, not rounded
  EXPECT_EQ(ProgressPercent(100, 0.0), 0);
  EXPECT_EQ(ProgressPercent(2000000000, 1.0), 2147483647);
  EXPECT_EQ(ProgressPercent(-2000000000, 1.0), -2147483647);
}
