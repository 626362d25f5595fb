#include "app/startup_files_win.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "payload/archive.h"
#include "payload/entry_decoder.h"
#include "payload/win32_file_source.h"

namespace {

// Index of the first source name the entry matches, or -1.
int MatchStartupName(const StartupFileNames& names, const char* entryName) {
  for (int i = 0; i < kStartupFileCount; ++i) {
    if (payload::NamesEqualIgnoringCase(entryName, names.source[i])) return i;
  }
  return -1;
}

// The output path in a 256-byte buffer; false when it does not fit, and then the
// entry is left alone rather than written under a cut-off name.
bool FormatPath(char (&path)[256], const char* format, const char* dir, const char* name) {
  int n = std::snprintf(path, sizeof path, format, dir, name);
  return n > 0 && static_cast<size_t>(n) < sizeof path;
}

}  // namespace

int ExtractStartupFilesFromResource(const unsigned char* data, size_t size, int languageFlag, const char* tempDir) {
  payload::MemorySource source(data, size);
  payload::ArchiveLayout layout;
  if (payload::LocateResourceArchive(source, &layout) != payload::LocateResult::kFound) return kNoStartupArchive;
  const StartupFileNames& names = StartupNamesFor(false, languageFlag);
  int32_t runningTotal = 0;
  int decoded = 0;
  payload::WalkEntries(source, layout, [&](const payload::PackageEntry& entry) {
    int match = MatchStartupName(names, entry.name);
    char path[256];
    if (match >= 0 && FormatPath(path, "%s%s", tempDir, names.target[match])) {
      payload::MemoryInput input(data + entry.dataOffset);
      payload::InflateEntryToFile(input, entry.packedLength, path, &runningTotal, static_cast<double>(size),
                                  nullptr);
      ++decoded;
    }
    return true;  // the resource walk always visits all N entries
  });
  return decoded;
}

int ExtractStartupFilesFromAppended(payload::ByteSource& program, int languageFlag, const char* tempDir) {
  payload::ArchiveLayout layout;
  if (payload::LocateAppendedArchive(program, &layout) != payload::LocateResult::kFound) return kNoStartupArchive;
  const StartupFileNames& names = StartupNamesFor(true, languageFlag);
  int32_t runningTotal = 0;
  int decoded = 0;
  payload::WalkEntries(program, layout, [&](const payload::PackageEntry& entry) {
    int match = MatchStartupName(names, entry.name);
    char path[256];
    if (match >= 0 && FormatPath(path, "%s\\%s", tempDir, names.target[match])) {
      payload::SourceInput input(program, entry.dataOffset);
      payload::InflateEntryToFile(input, entry.packedLength, path, &runningTotal,
                                  static_cast<double>(layout.progressLength), nullptr);
      ++decoded;
    }
    return decoded < kStartupFileCount;
  });
  return decoded;
}

int ExtractStartupFiles(int languageFlag, const unsigned char* payloadData, size_t payloadSize, const char* folder) {
  if (!folder || folder[0] == '\0' || std::strlen(folder) >= 200) return 0;
  if (payloadData) return ExtractStartupFilesFromResource(payloadData, payloadSize, languageFlag, folder);
  payload::Win32FileSource self;
  if (!self.OpenOwnProgram()) return kNoStartupArchive;
  return ExtractStartupFilesFromAppended(self, languageFlag, folder);
}

bool ExtractPackageEntry(const unsigned char* payloadData, size_t payloadSize, const char* entryName,
                         const char* targetPath) {
  int32_t runningTotal = 0;
  bool written = false;
  auto take = [&](payload::PackedInput& input, const payload::PackageEntry& entry, double denominator) {
    payload::InflateEntryToFile(input, entry.packedLength, targetPath, &runningTotal, denominator, nullptr);
    written = GetFileAttributesA(targetPath) != INVALID_FILE_ATTRIBUTES;
  };
  if (payloadData) {
    payload::MemorySource source(payloadData, payloadSize);
    payload::ArchiveLayout layout;
    if (payload::LocateResourceArchive(source, &layout) != payload::LocateResult::kFound) return false;
    payload::WalkEntries(source, layout, [&](const payload::PackageEntry& entry) {
      if (!payload::NamesEqualIgnoringCase(entry.name, entryName)) return true;
      payload::MemoryInput input(payloadData + entry.dataOffset);
      take(input, entry, static_cast<double>(payloadSize));
      return false;
    });
    return written;
  }
  payload::Win32FileSource program;
  if (!program.OpenOwnProgram()) return false;
  payload::ArchiveLayout layout;
  if (payload::LocateAppendedArchive(program, &layout) != payload::LocateResult::kFound) return false;
  payload::WalkEntries(program, layout, [&](const payload::PackageEntry& entry) {
    if (!payload::NamesEqualIgnoringCase(entry.name, entryName)) return true;
    payload::SourceInput input(program, entry.dataOffset);
    take(input, entry, static_cast<double>(layout.progressLength));
    return false;
  });
  return written;
}

bool ReadPackageSetupInfo(const unsigned char* payloadData, size_t payloadSize, const char* folder,
                          setup_info::SetupInfo* info) {
  *info = setup_info::SetupInfo();
  if (!folder || folder[0] == '\0') return false;
  const std::string path = std::string(folder) + setup_info::kFileName;
  if (!ExtractPackageEntry(payloadData, payloadSize, setup_info::kFileName, path.c_str())) return false;
  std::string bytes;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    char chunk[4096];
    DWORD got = 0;
    // A Setup.ini is a few lines; anything past 64 KB is not one.
    while (bytes.size() < 65536 && ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0)
      bytes.append(chunk, got);
    CloseHandle(file);
  }
  DeleteFileA(path.c_str());
  setup_info::ParseSetupInfo(bytes.data(), bytes.size(), info);
  return true;
}

std::vector<std::string> PackageEntryNames(const unsigned char* payloadData, size_t payloadSize) {
  std::vector<std::string> names;
  auto keep = [&names](const payload::PackageEntry& entry) {
    names.push_back(entry.name);
    return true;
  };
  if (payloadData) {
    payload::MemorySource source(payloadData, payloadSize);
    payload::ArchiveLayout layout;
    if (payload::LocateResourceArchive(source, &layout) == payload::LocateResult::kFound)
      payload::WalkEntries(source, layout, keep);
    return names;
  }
  payload::Win32FileSource program;
  payload::ArchiveLayout layout;
  if (program.OpenOwnProgram() && payload::LocateAppendedArchive(program, &layout) == payload::LocateResult::kFound)
    payload::WalkEntries(program, layout, keep);
  return names;
}
