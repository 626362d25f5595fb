// The vendor kit's check of a package folder before it is packed: everything the
// setup program would stumble over later, found with the setup program's own
// parsers and name rules, each problem tied to the file (and line) it concerns.
#pragma once

#include <string>
#include <vector>

namespace kit {

enum class Severity { kError, kWarning, kNote };

struct Problem {
  Severity severity;
  std::string file;  // name inside the package folder; empty for the folder itself
  int line;          // 1-based; 0 when the problem concerns the whole file
  std::string message;
};

struct ListedEntry {
  std::string name;
  int line;  // in package.list
};

constexpr char kPackageList[] = "package.list";

// DIR/package.list: one entry name per line, in archive order; blank lines and lines
// starting with '#' are skipped, blanks and line ends around a name dropped. A name
// that cannot be an entry name (empty, over 255 bytes, holding \ / or :) is an
// error. False when the list cannot be read or holds such a name.
bool ReadPackageList(const std::string& dir, std::vector<ListedEntry>* entries, std::vector<Problem>* problems);

// The bytes of the package file DIR/NAME; false when it cannot be read.
bool ReadPackageFile(const std::string& dir, const std::string& name, std::string* bytes);

// Every problem of the package in DIR, in the order of package.list, with notes on
// what the setup will make of the configuration.
std::vector<Problem> CheckPackage(const std::string& dir);

// "DIR/FILE:LINE: error: message"; with strict, a warning is reported as an error.
std::string FormatProblem(const std::string& dir, const Problem& problem, bool strict);

// Errors, counting warnings too when strict.
int CountErrors(const std::vector<Problem>& problems, bool strict);

}  // namespace kit
