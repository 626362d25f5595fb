// payload-tool: the vendor kit. It checks a package folder, packs it and puts it
// behind a setup program, and lists and unpacks the package of any setup program
// or archive with the same walker and decoder as the setup program.
//
//   payload-tool check DIR [--strict]               every problem of the package folder DIR
//   payload-tool build DIR --stub STUB -o OUT [--strict]
//                                                   check, pack and append in one step
//   payload-tool pack DIR OUT                       archive of the files named in DIR/package.list
//   payload-tool append PROGRAM ARCHIVE OUT         PROGRAM with ARCHIVE appended behind a trailer
//   payload-tool list FILE                          one line per entry: name, packed, unpacked size
//   payload-tool extract FILE DIR                   every entry into DIR, made when missing
//
// FILE is an archive, or a program carrying one (as its INSTALL resource, or
// appended). check prints one line per problem on stdout and exits 1 when any is an
// error (with --strict, also a warning); build prints the same and writes nothing
// then. Every other error is one line on stderr and exit status 1; usage, 2.

#include <zlib.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "payload/archive.h"
#include "payload/entry_decoder.h"
#include "payload/payload_resource.h"
#include "payload/pe_image.h"
#include "tools/package_check.h"

#ifdef _WIN32
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

void PutU32(std::vector<unsigned char>* bytes, uint32_t v) {
  unsigned char b[4];
  StoreU32(b, v);
  bytes->insert(bytes->end(), b, b + 4);
}

bool WriteWholeFile(const std::string& path, const std::vector<unsigned char>& bytes) {
  UniqueFile out(std::fopen(path.c_str(), "wb"));
  if (!out) return Fail("cannot create %s", path.c_str()), false;
  bool ok = WriteAll(out.get(), bytes.data(), bytes.size());
  if (std::fclose(out.release()) != 0 || !ok) {
    std::remove(path.c_str());
    return Fail("cannot write %s", path.c_str()), false;
  }
  return true;
}

// The archive of the files package.list names, in its order: N, then for each
// file its name and one zlib stream of its bytes.
bool PackArchive(const std::string& dir, std::vector<unsigned char>* archive) {
  std::vector<kit::ListedEntry> entries;
  std::vector<kit::Problem> problems;
  if (!kit::ReadPackageList(dir, &entries, &problems)) {
    const kit::Problem& first = problems.front();
    std::string where = dir + "/" + first.file + (first.line ? ":" + std::to_string(first.line) : "");
    return Fail("%s: %s", where.c_str(), first.message.c_str()), false;
  }
  archive->clear();
  PutU32(archive, static_cast<uint32_t>(entries.size()));
  std::vector<unsigned char> content, packed;
  for (const kit::ListedEntry& entry : entries) {
    std::string path = dir + "/" + entry.name;
    if (!ReadWholeFile(path, &content)) return Fail("cannot read %s", path.c_str()), false;
    uLongf packedSize = compressBound(static_cast<uLong>(content.size()));
    packed.resize(packedSize);
    if (compress2(packed.data(), &packedSize, content.data(), static_cast<uLong>(content.size()), 9) != Z_OK)
      return Fail("cannot compress %s", path.c_str()), false;
    PutU32(archive, static_cast<uint32_t>(entry.name.size()));
    PutU32(archive, static_cast<uint32_t>(packedSize));
    archive->insert(archive->end(), entry.name.begin(), entry.name.end());
    archive->insert(archive->end(), packed.begin(), packed.begin() + packedSize);
  }
  return true;
}

// program, then the archive's records behind a short header, then the trailer
// (entry count, offset of the header).
bool AppendArchive(const std::vector<unsigned char>& program, const std::vector<unsigned char>& archive,
                   const std::string& archiveName, std::vector<unsigned char>* out) {
  // The archive must be one the walker accepts from end to end.
  MemorySource source(archive.data(), archive.size());
  ArchiveLayout layout;
  if (LocateResourceArchive(source, &layout) != LocateResult::kFound || layout.count == 0)
    return Fail("%s: not a payload archive with entries", archiveName.c_str()), false;
  uint64_t end = 0;
  WalkResult walked = WalkEntries(source, layout, [&](const PackageEntry& e) {
    end = e.dataOffset + e.packedLength;
    return true;
  });
  if (walked != WalkResult::kComplete) return Fail("%s: damaged archive", archiveName.c_str()), false;
  if (program.size() > 0xFFFFFFFFu - archive.size()) return Fail("program too large"), false;

  const uint32_t headerLength = sizeof kHeaderTag - 1;
  *out = program;
  PutU32(out, headerLength);
  out->insert(out->end(), kHeaderTag, kHeaderTag + headerLength);
  out->insert(out->end(), archive.begin() + 4, archive.begin() + static_cast<size_t>(end));
  PutU32(out, layout.count);
  PutU32(out, static_cast<uint32_t>(program.size()));
  return true;
}

int Pack(const std::string& dir, const std::string& outPath) {
  std::vector<unsigned char> archive;
  if (!PackArchive(dir, &archive)) return 1;
  return WriteWholeFile(outPath, archive) ? 0 : 1;
}

int Append(const std::string& programPath, const std::string& archivePath, const std::string& outPath) {
  std::vector<unsigned char> program, archive, out;
  if (!ReadWholeFile(programPath, &program)) return Fail("cannot read %s", programPath.c_str());
  if (!ReadWholeFile(archivePath, &archive)) return Fail("cannot read %s", archivePath.c_str());
  if (!AppendArchive(program, archive, archivePath, &out)) return 1;
  return WriteWholeFile(outPath, out) ? 0 : 1;
}

// Prints the problems, notes only when asked; true when none counts as an error.
bool ReportProblems(const std::string& dir, const std::vector<kit::Problem>& problems, bool strict, bool notes) {
  for (const kit::Problem& p : problems) {
    if (p.severity == kit::Severity::kNote && !notes) continue;
    std::printf("%s\n", kit::FormatProblem(dir, p, strict).c_str());
  }
  return kit::CountErrors(problems, strict) == 0;
}

int Check(const std::string& dir, bool strict) {
  std::vector<kit::Problem> problems = kit::CheckPackage(dir);
  bool passed = ReportProblems(dir, problems, strict, true);
  int warnings = 0;
  for (const kit::Problem& p : problems) warnings += p.severity == kit::Severity::kWarning;
  std::printf("%s: %d error(s), %d warning(s)%s\n", dir.c_str(), kit::CountErrors(problems, false), warnings,
              strict && warnings ? ", every warning counted as an error (--strict)" : "");
  return passed ? 0 : 1;
}

int Build(const std::string& dir, const std::string& stubPath, const std::string& outPath, bool strict) {
  if (!ReportProblems(dir, kit::CheckPackage(dir), strict, false))
    return Fail("%s: the package does not pass the check; %s not written", dir.c_str(), outPath.c_str());
  std::vector<unsigned char> stub, archive, out;
  if (!ReadWholeFile(stubPath, &stub)) return Fail("cannot read %s", stubPath.c_str());
  if (!PackArchive(dir, &archive)) return 1;
  if (!AppendArchive(stub, archive, dir, &out)) return 1;
  return WriteWholeFile(outPath, out) ? 0 : 1;
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
#else
  auto file = std::make_unique<StdioFileSource>();
#endif
  if (!file->Open(path.c_str())) return Fail("cannot open %s", path.c_str()), false;
  unsigned char magic[2] = {};
  file->ReadExact(0, magic, 2);
  if (magic[0] != 'M' || magic[1] != 'Z') {
    opened->source = std::move(file);
    if (LocateResourceArchive(*opened->source, &opened->layout) == LocateResult::kFound) return true;
    return Fail("%s: no payload archive found", path.c_str()), false;
  }

  // A program: its INSTALL resource when it has one, as the setup program looks
  // there first, otherwise an archive appended to the file. The resource is read
  // from the file's own resource section, so this works on every platform.
  uint64_t offset = 0;
  uint32_t size = 0;
  if (FindPeResource(*file, kPayloadResourceType, kPayloadResourceId, &offset, &size) == PeResult::kOk) {
    opened->resourceCopy.resize(size);
    if (!file->ReadExact(offset, opened->resourceCopy.data(), size))
      return Fail("%s: cannot read the INSTALL resource", path.c_str()), false;
    opened->source = std::make_unique<MemorySource>(opened->resourceCopy.data(), opened->resourceCopy.size());
    if (LocateResourceArchive(*opened->source, &opened->layout) == LocateResult::kFound) return true;
    return Fail("%s: unreadable INSTALL resource", path.c_str()), false;
  }
  LocateResult found = LocateAppendedArchive(*file, &opened->layout);
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
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(dir), error);
  if (error) return Fail("cannot create %s: %s", dir.c_str(), error.message().c_str());
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
      "usage: payload-tool check DIR [--strict]\n"
      "       payload-tool build DIR --stub STUB -o OUT [--strict]\n"
      "       payload-tool pack DIR OUT | append PROGRAM ARCHIVE OUT | list FILE | extract FILE DIR\n",
      stderr);
  return 2;
}

// build DIR --stub STUB -o OUT [--strict], the options in any order after DIR.
int BuildCommand(int argc, char** argv) {
  std::string stub, out;
  bool strict = false;
  for (int i = 3; i < argc; ++i) {
    std::string option = argv[i];
    if (option == "--strict") {
      strict = true;
    } else if (option == "--stub" && i + 1 < argc) {
      stub = argv[++i];
    } else if (option == "-o" && i + 1 < argc) {
      out = argv[++i];
    } else {
      return Usage();
    }
  }
  if (stub.empty() || out.empty()) return Usage();
  return Build(argv[2], stub, out, strict);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  std::string command = argv[1];
  if (command == "check" && argc == 3) return Check(argv[2], false);
  if (command == "check" && argc == 4 && std::string(argv[3]) == "--strict") return Check(argv[2], true);
  if (command == "build" && argc >= 3) return BuildCommand(argc, argv);
  if (command == "pack" && argc == 4) return Pack(argv[2], argv[3]);
  if (command == "append" && argc == 5) return Append(argv[2], argv[3], argv[4]);
  if (command == "list" && argc == 3) return List(argv[2]);
  if (command == "extract" && argc == 4) return Extract(argv[2], argv[3]);
  return Usage();
}
