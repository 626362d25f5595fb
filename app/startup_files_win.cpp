#include "app/startup_files_win.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>

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

int ExtractStartupFiles(int languageFlag, const unsigned char* payloadData, size_t payloadSize) {
  char tempDir[256] = {};
  DWORD length = GetTempPathA(sizeof tempDir, tempDir);
  if (length == 0 || length >= sizeof tempDir) return 0;
  if (payloadData) return ExtractStartupFilesFromResource(payloadData, payloadSize, languageFlag, tempDir);
  payload::Win32FileSource self;
  if (!self.OpenOwnProgram()) return kNoStartupArchive;
  return ExtractStartupFilesFromAppended(self, languageFlag, tempDir);
}
