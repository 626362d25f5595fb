// payload-bench: how fast InflateEntryToFile unpacks compared with plain zlib.
//
// Builds a synthetic archive at run time (mixed text-like, repetitive and random
// data, 72 MB unpacked), decodes every entry to files with the program's decoder,
// then inflates the same streams into memory with zlib alone, and prints both
// throughputs and their ratio.

#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "payload/archive.h"
#include "payload/entry_decoder.h"

using namespace payload;

namespace {

constexpr int kEntries = 36;
constexpr size_t kEntrySize = 2 * 1024 * 1024;

std::vector<unsigned char> MakeContent(int index) {
  std::vector<unsigned char> data(kEntrySize);
  uint32_t seed = 0x9E3779B9u * static_cast<uint32_t>(index + 1);
  static const char* kWords[] = {"*Feature", "*Option", "PaperSize", "*Command", "<1B>@", "receipt ",
                                 "printer ", "driver ", "= ", "\r\n"};
  size_t i = 0;
  while (i < data.size()) {
    seed = seed * 1664525u + 1013904223u;
    int kind = index % 3;
    if (kind == 0) {  // text-like
      const char* w = kWords[(seed >> 16) % 10];
      for (; *w && i < data.size(); ++w) data[i++] = static_cast<unsigned char>(*w);
    } else if (kind == 1) {  // runs, as in bitmaps
      unsigned char v = static_cast<unsigned char>(seed >> 24);
      size_t run = 16 + ((seed >> 8) % 200);
      for (size_t k = 0; k < run && i < data.size(); ++k) data[i++] = v;
    } else {  // code-like: random bytes with some structure
      data[i++] = static_cast<unsigned char>((seed >> 24) & ((seed & 1) ? 0xFF : 0x0F));
    }
  }
  return data;
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
  std::string dir = argc > 1 ? argv[1] : "/tmp";
  std::string archivePath = dir + "/bench-archive.bin";

  // Build the archive in memory.
  std::vector<unsigned char> archive(4);
  StoreU32(archive.data(), kEntries);
  uint64_t unpackedTotal = 0;
  for (int e = 0; e < kEntries; ++e) {
    std::vector<unsigned char> content = MakeContent(e);
    uLongf packedSize = compressBound(static_cast<uLong>(content.size()));
    std::vector<unsigned char> packed(packedSize);
    compress2(packed.data(), &packedSize, content.data(), static_cast<uLong>(content.size()), 6);
    std::string name = "entry" + std::to_string(e) + ".bin";
    unsigned char head[8];
    StoreU32(head, static_cast<uint32_t>(name.size()));
    StoreU32(head + 4, static_cast<uint32_t>(packedSize));
    archive.insert(archive.end(), head, head + 8);
    archive.insert(archive.end(), name.begin(), name.end());
    archive.insert(archive.end(), packed.begin(), packed.begin() + packedSize);
    unpackedTotal += content.size();
  }

  MemorySource source(archive.data(), archive.size());
  ArchiveLayout layout;
  LocateResourceArchive(source, &layout);

  // The program's decoder, writing files.
  int32_t running = 0;
  int failures = 0;
  auto start = std::chrono::steady_clock::now();
  WalkEntries(source, layout, [&](const PackageEntry& entry) {
    MemoryInput input(archive.data() + entry.dataOffset);
    std::string out = dir + "/bench-" + entry.name;
    if (InflateEntryToFile(input, entry.packedLength, out.c_str(), &running, double(archive.size()), nullptr) != 0)
      ++failures;
    std::remove(out.c_str());
    return true;
  });
  double decoderSeconds = Seconds(start);

  // Plain zlib into memory, same streams.
  std::vector<unsigned char> sink(kEntrySize);
  start = std::chrono::steady_clock::now();
  WalkEntries(source, layout, [&](const PackageEntry& entry) {
    uLongf size = static_cast<uLongf>(sink.size());
    if (uncompress(sink.data(), &size, archive.data() + entry.dataOffset, entry.packedLength) != Z_OK) ++failures;
    return true;
  });
  double zlibSeconds = Seconds(start);

  double mb = double(unpackedTotal) / (1024.0 * 1024.0);
  std::printf("archive: %d entries, %.1f MB unpacked, %.1f MB packed\n", kEntries, mb,
              double(archive.size()) / (1024.0 * 1024.0));
  std::printf("InflateEntryToFile (to files): %8.1f MB/s\n", mb / decoderSeconds);
  std::printf("plain zlib (to memory):        %8.1f MB/s\n", mb / zlibSeconds);
  std::printf("ratio decoder / zlib:          %8.2f\n", zlibSeconds / decoderSeconds);
  if (failures) std::printf("failures: %d\n", failures);
  return failures ? 1 : 0;
}
