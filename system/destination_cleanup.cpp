#include "system/destination_cleanup.h"

#include <cstring>

#include "system/ansi_text.h"

namespace sys {

namespace {

const char* const kKeptNames[] = {"Uninstaller.exe", "Uninstall.ini"};
const char* const kKeptExtensions[] = {"jpg", "bmp", "png", "gif", "exe"};

}  // namespace

CleanupVerdict ClassifyEntry(const char* name, bool isDirectory) {
  if (strcmp(name, ".") == 0 || strcmp(name, "..") == 0) return CleanupVerdict::kSkip;
  if (isDirectory) return CleanupVerdict::kSkip;
  for (const char* kept : kKeptNames) {
    if (EqualsIgnoringAsciiCase(name, kept)) return CleanupVerdict::kKeep;
  }
  // '.' is never the second byte of a two-byte character, so a plain search is safe.
  const char* dot = strrchr(name, '.');
  const char* extension = dot ? dot + 1 : "";
  for (const char* kept : kKeptExtensions) {
    if (EqualsIgnoringAsciiCase(extension, kept)) return CleanupVerdict::kKeep;
  }
  return CleanupVerdict::kDelete;
}

void PlacedFiles::Add(const std::string& name) { names_.insert(FoldFileName(name.c_str())); }

bool PlacedFiles::Contains(const char* name) const { return names_.count(FoldFileName(name)) != 0; }

}  // namespace sys
