// payload-tool: builds, appends, lists and unpacks payload archives with the same
// walker and decoder as the setup program.
//
//   payload-tool pack DIR OUT               archive of the files named in DIR/package.list
//   payload-tool append PROGRAM ARCHIVE OUT PROGRAM with ARCHIVE appended behind a trailer
//   payload-tool list FILE                  one line per entry: name, packed, unpacked size
//   payload-tool extract FILE DIR           every entry into DIR
//
// FILE is an archive, or a program carrying one (appended; on Windows also the
// INSTALL resource). Every error is one line on stderr and exit status 1.

#include <zlib.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "payload/archive.h"
#include "payload/entry_decoder.h"

#ifdef _WIN32
#include "payload/payload_resource_win.h"
#include "payload/win32_file_source.h"
#endif

using namespace payload;

namespace {

const char kHeaderTag[] = "PRNSETUP";  // the short header of an appended archive

int Fail(const char* format, ...) {
  std::fputs("payload-tool: ", stderr);
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
  std::fputc('\n', stderr);
  return 1;
}

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};
using UniqueFile = std::unique_ptr<FILE, FileCloser>;

bool ReadWholeFile(const std::string& path, std::vector<unsigned char>* bytes) {
  UniqueFile f(std::fopen(path.c_str(), "rb"));
  if (!f) return false;
  bytes->clear();
  unsigned char chunk[65536];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f.get())) > 0) bytes->insert(bytes->end(), chunk, chunk + n);
  return !std::ferror(f.get());
}

bool WriteAll(FILE* f, const void* data, size_t n) { return n == 0 || std::fwrite(data, 1, n, f) == n; }

bool WriteU32(FILE* f, uint32_t v) {
  unsigned char b[4];
  StoreU32(b, v);
  return WriteAll(f, b, 4);
}

std::string Trim(std::string s) {
  while (!s.empty() && (s.back() == '\r' || s.back() == '\n' || s.back() == ' ' || s.back() == '\t')) s.pop_back();
  size_t start = 0;
  while (start < s.size() && (s[start] == ' ' || s[start] == '\t')) ++start;
  return s.substr(start);
}

int Pack(const std::string& dir, const std::string& outPath) {
  std::vector<unsigned char> listBytes;
  std::string listPath = dir + "/package.list";
  if (!ReadWholeFile(listPath, &listBytes)) return Fail("cannot read %s", listPath.c_str());
  std::vector<std::string> names;
  std::string text(listBytes.begin(), listBytes.end()), line;
  for (size_t pos = 0; pos <= text.size();) {
    size_t eol = text.find('\n', pos);
    if (eol == std::string::npos) eol = text.size();
    line = Trim(text.substr(pos, eol - pos));
    pos = eol + 1;
    if (line.empty() || line[0] == '#') continue;
    if (line.size() >= static_cast<size_t>(kNameBufferSize) || !IsPlainFileName(line.c_str()))
      return Fail("%s: '%s' is not a plain file name of at most 255 bytes", listPath.c_str(), line.c_str());
    names.push_back(line);
  }

  UniqueFile out(std::fopen(outPath.c_str(), "wb"));
  if (!out) return Fail("cannot create %s", outPath.c_str());
  bool ok = WriteU32(out.get(), static_cast<uint32_t>(names.size()));
  std::vector<unsigned char> content, packed;
  for (const std::string& name : names) {
    std::string path = dir + "/" + name;
    if (!ReadWholeFile(path, &content)) return Fail("cannot read %s", path.c_str());
    uLongf packedSize = compressBound(static_cast<uLong>(content.size()));
    packed.resize(packedSize);
    if (compress2(packed.data(), &packedSize, content.data(), static_cast<uLong>(content.size()), 9) != Z_OK)
      return Fail("cannot compress %s", path.c_str());
    ok = ok && WriteU32(out.get(), static_cast<uint32_t>(name.size())) &&
         WriteU32(out.get(), static_cast<uint32_t>(packedSize)) && WriteAll(out.get(), name.data(), name.size()) &&
         WriteAll(out.get(), packed.data(), packedSize);
  }
  if (!ok || std::fclose(out.release()) != 0) return Fail("cannot write %s", outPath.c_str());
  return 0;
}

int Append(const std::string& programPath, const std::string& archivePath, const std::string& outPath) {
  std::vector<unsigned char> program, archive;
  if (!ReadWholeFile(programPath, &program)) return Fail("cannot read %s", programPath.c_str());
  if (!ReadWholeFile(archivePath, &archive)) return Fail("cannot read %s", archivePath.c_str());

  // The archive must be one the walker accepts from end to end.
  MemorySource source(archive.data(), archive.size());
  ArchiveLayout layout;
  if (LocateResourceArchive(source, &layout) != LocateResult::kFound || layout.count == 0)
    return Fail("%s: not a payload archive with entries", archivePath.c_str());
  uint64_t end = 0;
  WalkResult walked = WalkEntries(source, layout, [&](const PackageEntry& e) {
    end = e.dataOffset + e.packedLength;
    return true;
  });
  if (walked != WalkResult::kComplete) return Fail("%s: damaged archive", archivePath.c_str());
  if (program.size() > 0xFFFFFFFFu - archive.size()) return Fail("%s: program too large", programPath.c_str());

  UniqueFile out(std::fopen(outPath.c_str(), "wb"));
  if (!out) return Fail("cannot create %s", outPath.c_str());
  uint32_t headerLength = sizeof kHeaderTag - 1;
  bool ok = WriteAll(out.get(), program.data(), program.size()) && WriteU32(out.get(), headerLength) &&
            WriteAll(out.get(), kHeaderTag, headerLength) &&
            WriteAll(out.get(), archive.data() + 4, static_cast<size_t>(end - 4)) &&
            WriteU32(out.get(), layout.count) && WriteU32(out.get(), static_cast<uint32_t>(program.size()));
  if (!ok || std::fclose(out.release()) != 0) return Fail("cannot write %s", outPath.c_str());
  return 0;
}

// An opened archive in whichever carrier the file uses.
struct OpenedArchive {
  std::unique_ptr<ByteSource> source;
  std::vector<unsigned char> resourceCopy;
  ArchiveLayout layout;
};

bool OpenArchive(const std::string& path, OpenedArchive* opened) {
#ifdef _WIN32
  auto file = std::make_unique<Win32FileSource>();
  if (!file->Open(path.c_str())) return Fail("cannot open %s", path.c_str()), false;
  size_t resourceSize = 0;
  if (LoadPayloadResourceFromFile(path.c_str(), &opened->resourceCopy)) {
    resourceSize = opened->resourceCopy.size();
    opened->source = std::make_unique<MemorySource>(opened->resourceCopy.data(), resourceSize);
    if (LocateResourceArchive(*opened->source, &opened->layout) == LocateResult::kFound) return true;
    return Fail("%s: unreadable INSTALL resource", path.c_str()), false;
  }
#else
  auto file = std::make_unique<StdioFileSource>();
  if (!file->Open(path.c_str())) return Fail("cannot open %s", path.c_str()), false;
#endif
  unsigned char magic[2] = {};
  file->ReadExact(0, magic, 2);
  LocateResult found = (magic[0] == 'M' && magic[1] == 'Z') ? LocateAppendedArchive(*file, &opened->layout)
                                                             : LocateResourceArchive(*file, &opened->layout);
  opened->source = std::move(file);
  if (found != LocateResult::kFound) return Fail("%s: no payload archive found", path.c_str()), false;
  return true;
}

// Counts the bytes a stream inflates to, without writing them anywhere.
long long UnpackedSize(ByteSource& source, const PackageEntry& entry) {
  z_stream zs;
  std::memset(&zs, 0, sizeof zs);
  if (inflateInit(&zs) != Z_OK) return -1;
  unsigned char in[kInflateChunk], out[kInflateChunk];
  long long total = 0;
  uint64_t offset = entry.dataOffset, left = entry.packedLength;
  int rc = Z_OK;
  while (left > 0 && rc != Z_STREAM_END) {
    size_t chunk = left < sizeof in ? static_cast<size_t>(left) : sizeof in;
    if (!source.ReadExact(offset, in, chunk)) break;
    offset += chunk;
    left -= chunk;
    zs.next_in = in;
    zs.avail_in = static_cast<uInt>(chunk);
    do {
      zs.next_out = out;
      zs.avail_out = sizeof out;
      rc = inflate(&zs, Z_NO_FLUSH);
      if (rc == Z_NEED_DICT || rc == Z_DATA_ERROR || rc == Z_MEM_ERROR) {
        inflateEnd(&zs);
        return -1;
      }
      total += static_cast<long long>(sizeof out - zs.avail_out);
    } while (zs.avail_out == 0 && rc != Z_STREAM_END);
  }
  inflateEnd(&zs);
  return rc == Z_STREAM_END ? total : -1;
}

int List(const std::string& path) {
  OpenedArchive archive;
  if (!OpenArchive(path, &archive)) return 1;
  bool damaged = false;
  WalkResult walked = WalkEntries(*archive.source, archive.layout, [&](const PackageEntry& e) {
    long long unpacked = UnpackedSize(*archive.source, e);
    if (unpacked < 0) {
      damaged = true;
      std::printf("%-32s %10lu %10s\n", e.name, static_cast<unsigned long>(e.packedLength), "damaged");
    } else {
      std::printf("%-32s %10lu %10lld\n", e.name, static_cast<unsigned long>(e.packedLength), unpacked);
    }
    return true;
  });
  if (walked != WalkResult::kComplete) return Fail("%s: archive damaged after the entries listed", path.c_str());
  if (damaged) return Fail("%s: damaged entries", path.c_str());
  return 0;
}

int Extract(const std::string& path, const std::string& dir) {
  OpenedArchive archive;
  if (!OpenArchive(path, &archive)) return 1;
  int failures = 0;
  int32_t running = 0;
  uint32_t visited = 0;
  WalkResult walked = WalkEntries(*archive.source, archive.layout, [&](const PackageEntry& e) {
    visited = e.index + 1;
    if (!IsPlainFileName(e.name)) {
      Fail("skipped entry %u: '%s' is not a plain file name", e.index, e.name);
      ++failures;
      return true;
    }
    visited = e.index + 1;
    std::string target = dir + "/" + e.name;
    SourceInput input(*archive.source, e.dataOffset);
    int rc = InflateEntryToFile(input, e.packedLength, target.c_str(), &running,
                                static_cast<double>(archive.layout.progressLength), nullptr);
    if (rc == kInflateFileError) {  // an unwritable folder fails every entry alike: say it once
      Fail("cannot write %s", target.c_str());
      ++failures;
      return false;
    }
    if (rc != kInflateOk) {
      Fail("%s: damaged entry (result %d)", target.c_str(), rc);
      ++failures;
    }
    return true;
  });
  if (walked == WalkResult::kStopped) return 1;
  if (walked != WalkResult::kComplete) return Fail("%s: archive damaged after %u entries", path.c_str(), visited);
  return failures == 0 ? 0 : 1;
}

int Usage() {
  std::fputs(
      "usage: payload-tool pack DIR OUT | append PROGRAM ARCHIVE OUT | list FILE | extract FILE DIR\n", stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  std::string command = argv[1];
  if (command == "pack" && argc == 4) return Pack(argv[2], argv[3]);
  if (command == "append" && argc == 5) return Append(argv[2], argv[3], argv[4]);
  if (command == "list" && argc == 3) return List(argv[2]);
  if (command == "extract" && argc == 4) return Extract(argv[2], argv[3]);
  return Usage();
}
