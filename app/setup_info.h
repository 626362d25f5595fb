// "Setup.ini", the package's optional statement of what it is:
//
//   [Setup]
//   Version=2.1.0.7
//   Publisher=Rillo Printing Co.
//
// The version decides whether a setup updates an installation of the same printer
// in place or refuses to replace a newer one; version and publisher also go into
// the entry of Windows' list of installed programs and the setup's version block.
// A package without the file has no version (an older installation's record has
// none either).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace setup_info {

constexpr char kFileName[] = "Setup.ini";
// The longest publisher the record and the version block take, in bytes.
constexpr size_t kMaxPublisherBytes = 127;
constexpr unsigned kMaxVersionPart = 65535;  // a version block holds 16-bit parts

// One to four dot-separated decimal numbers, each 0..65535; parts not written are 0.
struct Version {
  unsigned parts[4] = {0, 0, 0, 0};
  int count = 0;  // how many were written; 0: no version
};

// "2.1" -> {2,1,0,0}, count 2. False for anything else (blanks around it allowed).
bool ParseVersion(const std::string& text, Version* version);

// Negative, zero or positive as a is older than, the same as or newer than b; the
// parts not written count as 0 ("2.1" equals "2.1.0.0").
int CompareVersions(const Version& a, const Version& b);

// The version as written ("2.1"), or "" for none.
std::string FormatVersion(const Version& version);

struct Problem {
  int line;  // 1-based; 0 for the file as a whole
  std::string message;
};

struct SetupInfo {
  Version version;        // count 0 when the file has no Version=
  std::string publisher;  // empty when the file has none
};

// Reads the file's bytes (CR LF or LF line ends, blank lines and ';' comments
// skipped, names without regard to case). Every line that is wrong is a problem:
// a line outside [Setup] or of another section, an unknown name, a value given
// twice, a version that is not 1-4 numbers of 0..65535, a publisher over
// kMaxPublisherBytes or holding a control character, a file without Version=.
// What could be read is in *info even when there are problems.
std::vector<Problem> ParseSetupInfo(const char* data, size_t size, SetupInfo* info);

}  // namespace setup_info
