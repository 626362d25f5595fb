// payload-tool: the vendor kit. It checks a package folder, packs it and puts it
// behind a setup program, and lists and unpacks the package of any setup program
// or archive with the same walker and decoder as the setup program.
//
//   payload-tool check DIR [--strict]               every problem of the package folder DIR
//   payload-tool build DIR --stub STUB -o OUT [--strict]
//                                                   check; the package's version, publisher, product
//                                                   name and icon into a copy of STUB; pack; append
//   payload-tool pack DIR OUT [--strict|--no-check] check, then the archive of the files named in
//                                                   DIR/package.list
//   payload-tool append PROGRAM ARCHIVE OUT [--strict|--no-check]
//                                                   check the archive's files, then PROGRAM with
//                                                   ARCHIVE appended behind a trailer
//   payload-tool list FILE                          one line per entry: name, packed, unpacked size
//   payload-tool extract FILE DIR                   every entry into DIR, made when missing
//   payload-tool version FILE                       a program's version block and icon (texts in UTF-8)
//
// FILE is an archive, or a program carrying one (as its INSTALL resource, or
// appended). check prints one line per problem on stdout and exits 1 when any is an
// error (with --strict, also a warning); build prints the same and writes nothing
// then; pack and append print them only when they refuse the package, and write
// nothing then, unless told --no-check, which skips the check and says so on stderr. Every other error is one line on stderr and exit
// status 1; usage, 2.

#include <zlib.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include "payload/archive.h"
#include "payload/entry_decoder.h"
#include "payload/payload_resource.h"
#include "payload/pe_image.h"
#include "tools/gbk_text.h"
#include "tools/package_check.h"
#include "tools/resource_section.h"
#include "tools/setup_branding.h"
#include "tools/version_block.h"

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

// Prints the problems, notes only when asked; true when none counts as an error.
bool ReportProblems(const std::string& dir, const std::vector<kit::Problem>& problems, bool strict, bool notes) {
  for (const kit::Problem& p : problems) {
    if (p.severity == kit::Severity::kNote && !notes) continue;
    std::printf("%s\n", kit::FormatProblem(dir, p, strict).c_str());
  }
  return kit::CountErrors(problems, strict) == 0;
}

// pack and append print the problems only when they refuse the package: the build
// packs the tree's sample package on every change, warnings and all.
bool PassesQuietly(const std::string& dir, const std::vector<kit::Problem>& problems, bool strict) {
  if (kit::CountErrors(problems, strict) == 0) return true;
  return ReportProblems(dir, problems, strict, false);
}

// How pack and append treat the package: checked as build checks it, with
// warnings counted as errors, or not at all.
enum class Checking { kChecked, kStrict, kSkipped };

void SaySkipped(const std::string& what) {
  std::fprintf(stderr,
               "payload-tool: --no-check: %s was not checked: names, texts, install configurations, pictures and "
               "programs may be wrong, and a setup made from it may fail on every machine\n",
               what.c_str());
}

int Refused(const std::string& what, const std::string& outPath) {
  return Fail("%s: the package does not pass the check; %s not written (--no-check skips the check)", what.c_str(),
              outPath.c_str());
}

// A folder of its own under the system's temporary folder, removed with what it
// holds when the object goes.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::error_code error;
    const std::filesystem::path base = std::filesystem::temp_directory_path(error);
    if (error) return;
    std::random_device random;
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
      const std::filesystem::path candidate = base / ("payload-tool-" + std::to_string(random()));
      if (std::filesystem::create_directory(candidate, error)) path_ = candidate.string();
    }
  }
  ~ScratchFolder() {
    std::error_code error;
    if (!path_.empty()) std::filesystem::remove_all(path_, error);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// The check of an archive: its entries unpacked into a scratch folder, with a
// package.list naming them in the archive's order, checked as the folder build
// would have packed. Its problems are printed as those of archiveName's files.
// kPassed, kRefused, or kUnreadable when the archive could not be unpacked (said on
// stderr).
enum class ArchiveCheck { kPassed, kRefused, kUnreadable };

ArchiveCheck CheckArchive(const std::vector<unsigned char>& archive, const std::string& archiveName, bool strict) {
  ScratchFolder scratch;
  if (scratch.path().empty()) return Fail("cannot make a folder to check %s in", archiveName.c_str()), ArchiveCheck::kUnreadable;
  MemorySource source(archive.data(), archive.size());
  ArchiveLayout layout;
  if (LocateResourceArchive(source, &layout) != LocateResult::kFound)
    return Fail("%s: not a payload archive", archiveName.c_str()), ArchiveCheck::kUnreadable;
  std::string list;
  bool whole = true;
  int32_t running = 0;
  WalkResult walked = WalkEntries(source, layout, [&](const PackageEntry& e) {
    if (!IsPlainFileName(e.name)) {
      Fail("%s: entry %u: '%s' is not a plain file name", archiveName.c_str(), e.index, e.name);
      whole = false;
      return false;
    }
    SourceInput input(source, e.dataOffset);
    const std::string target = scratch.path() + "/" + e.name;
    const int rc = InflateEntryToFile(input, e.packedLength, target.c_str(), &running,
                                      static_cast<double>(layout.progressLength), nullptr);
    if (rc != kInflateOk) {
      Fail(rc == kInflateFileError ? "%s: cannot unpack '%s' to check it" : "%s: entry '%s' is damaged",
           archiveName.c_str(), e.name);
      whole = false;
      return false;
    }
    list += std::string(e.name) + "\n";
    return true;
  });
  if (!whole) return ArchiveCheck::kUnreadable;
  if (walked != WalkResult::kComplete) return Fail("%s: damaged archive", archiveName.c_str()), ArchiveCheck::kUnreadable;
  std::vector<unsigned char> listBytes(list.begin(), list.end());
  if (!WriteWholeFile(scratch.path() + "/" + kit::kPackageList, listBytes)) return ArchiveCheck::kUnreadable;
  return PassesQuietly(archiveName, kit::CheckPackage(scratch.path()), strict) ? ArchiveCheck::kPassed
                                                                               : ArchiveCheck::kRefused;
}

int Pack(const std::string& dir, const std::string& outPath, Checking checking) {
  if (checking == Checking::kSkipped) {
    SaySkipped(dir);
  } else if (!PassesQuietly(dir, kit::CheckPackage(dir), checking == Checking::kStrict)) {
    return Refused(dir, outPath);
  }
  std::vector<unsigned char> archive;
  if (!PackArchive(dir, &archive)) return 1;
  return WriteWholeFile(outPath, archive) ? 0 : 1;
}

int Append(const std::string& programPath, const std::string& archivePath, const std::string& outPath,
           Checking checking) {
  std::vector<unsigned char> program, archive, out;
  if (!ReadWholeFile(programPath, &program)) return Fail("cannot read %s", programPath.c_str());
  if (!ReadWholeFile(archivePath, &archive)) return Fail("cannot read %s", archivePath.c_str());
  if (checking == Checking::kSkipped) {
    SaySkipped(archivePath);
  } else {
    switch (CheckArchive(archive, archivePath, checking == Checking::kStrict)) {
      case ArchiveCheck::kPassed: break;
      case ArchiveCheck::kRefused: return Refused(archivePath, outPath);
      case ArchiveCheck::kUnreadable: return 1;
    }
  }
  if (!AppendArchive(program, archive, archivePath, &out)) return 1;
  return WriteWholeFile(outPath, out) ? 0 : 1;
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
  std::vector<unsigned char> stub, branded, archive, out;
  if (!ReadWholeFile(stubPath, &stub)) return Fail("cannot read %s", stubPath.c_str());
  // The setup looks into its own resource first: behind setup.exe a package would
  // never be installed.
  MemorySource stubSource(stub.data(), stub.size());
  uint64_t resourceOffset = 0;
  uint32_t resourceSize = 0;
  if (FindPeResource(stubSource, kPayloadResourceType, kPayloadResourceId, &resourceOffset, &resourceSize) ==
      PeResult::kOk)
    return Fail("%s carries a package of its own (is it setup.exe?): build puts a package behind setup-stub.exe",
                stubPath.c_str());
  std::vector<kit::ListedEntry> entries;
  std::vector<kit::Problem> listProblems;
  kit::ReadPackageList(dir, &entries, &listProblems);
  kit::Branding branding;
  std::string problem = kit::ReadBranding(dir, entries, &branding);
  if (!problem.empty()) return Fail("%s: %s", dir.c_str(), problem.c_str());
  problem = kit::BrandProgram(stub, branding, &branded);
  if (!problem.empty())
    return Fail("%s: cannot take the package's version block and icon: %s", stubPath.c_str(), problem.c_str());
  if (!PackArchive(dir, &archive)) return 1;
  if (!AppendArchive(branded, archive, dir, &out)) return 1;
  return WriteWholeFile(outPath, out) ? 0 : 1;
}

// The version block's numbers and texts, and the images of the icon the shell
// shows, one line each.
int Version(const std::string& path) {
  std::vector<unsigned char> program;
  if (!ReadWholeFile(path, &program)) return Fail("cannot read %s", path.c_str());
  std::vector<kit::Resource> resources;
  std::string problem = kit::ReadResources(program, &resources);
  if (!problem.empty()) return Fail("%s: %s", path.c_str(), problem.c_str());
  const kit::Resource* version = nullptr;
  const kit::Resource* group = nullptr;
  for (const kit::Resource& r : resources) {
    if (r.type.named) continue;
    if (r.type.id == kit::kResourceVersion && !version) version = &r;
    if (r.type.id == kit::kResourceGroupIcon && !group) group = &r;
  }
  kit::VersionBlock block;
  if (!version || !kit::ReadVersionBlock(version->data, &block)) return Fail("%s: no version block", path.c_str());
  auto numbers = [](const unsigned* v) {
    return std::to_string(v[0]) + "." + std::to_string(v[1]) + "." + std::to_string(v[2]) + "." +
           std::to_string(v[3]);
  };
  std::printf("file version: %s\nproduct version: %s\n", numbers(block.fileVersion).c_str(),
              numbers(block.productVersion).c_str());
  for (const auto& string : block.strings)
    std::printf("%s: %s\n", kit::Utf16ToUtf8(string.first).c_str(), kit::Utf16ToUtf8(string.second).c_str());
  if (group && group->data.size() >= 6) {
    const size_t count = static_cast<unsigned char>(group->data[4]) | (static_cast<unsigned char>(group->data[5]) << 8);
    std::printf("icon:");
    for (size_t i = 0; i < count && 6 + 14 * (i + 1) <= group->data.size(); ++i) {
      const unsigned char* entry = reinterpret_cast<const unsigned char*>(group->data.data()) + 6 + 14 * i;
      std::printf(" %ux%u/%u", entry[0] ? entry[0] : 256u, entry[1] ? entry[1] : 256u,
                  static_cast<unsigned>(entry[6] | (entry[7] << 8)));
    }
    std::printf("\n");
  }
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
      "       payload-tool pack DIR OUT [--strict|--no-check]\n"
      "       payload-tool append PROGRAM ARCHIVE OUT [--strict|--no-check]\n"
      "       payload-tool list FILE | extract FILE DIR | version FILE\n",
      stderr);
  return 2;
}

// The options of pack and append after their fixed arguments: none, --strict or
// --no-check. False for anything else.
bool ParseChecking(int argc, char** argv, int first, Checking* checking) {
  *checking = Checking::kChecked;
  if (argc == first) return true;
  if (argc != first + 1) return false;
  const std::string option = argv[first];
  if (option == "--strict") *checking = Checking::kStrict;
  else if (option == "--no-check") *checking = Checking::kSkipped;
  else return false;
  return true;
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
  Checking checking;
  if (command == "pack" && argc >= 4 && ParseChecking(argc, argv, 4, &checking))
    return Pack(argv[2], argv[3], checking);
  if (command == "append" && argc >= 5 && ParseChecking(argc, argv, 5, &checking))
    return Append(argv[2], argv[3], argv[4], checking);
  if (command == "list" && argc == 3) return List(argv[2]);
  if (command == "extract" && argc == 4) return Extract(argv[2], argv[3]);
  if (command == "version" && argc == 3) return Version(argv[2]);
  return Usage();
}
