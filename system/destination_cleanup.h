// Which entries of the destination folder the clean-up at exit removes. Only the top
// level is looked at; the uninstaller, its record and the pictures stay, and a file
// goes only when this run put it there, so whatever was in a reused folder before and
// whatever the user added survives.
#pragma once

#include <cstddef>
#include <set>
#include <string>

namespace sys {

enum class CleanupVerdict {
  kSkip,    // "." and "..", and folders: never entered, never removed
  kKeep,    // "Uninstaller.exe", "Uninstall.ini", and jpg/bmp/png/gif/exe files
  kDelete,  // any other file
};

// The rules for one entry. The extension is what follows the last '.' (none: empty);
// names and extensions compare without regard to case.
CleanupVerdict ClassifyEntry(const char* name, bool isDirectory);

// The file names this run placed in the destination folder, compared as Windows
// compares file names: without regard to case.
class PlacedFiles {
 public:
  void Add(const std::string& name);
  bool Contains(const char* name) const;
  size_t Size() const { return names_.size(); }

 private:
  std::set<std::string> names_;  // folded
};

}  // namespace sys
