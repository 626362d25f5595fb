// The four start-up files by carrier and language: which payload entries the
// start-up unpacks before the wizard exists, and the fixed names they get in the
// temporary directory.
#pragma once

constexpr int kStartupFileCount = 4;

struct StartupFileNames {
  const char* source[kStartupFileCount];  // entry names, compared without regard to case
  const char* target[kStartupFileCount];  // file names in the temporary directory
};

// The name table of a carrier (the resource, or the archive appended to the program)
// and language (languageFlag nonzero: Chinese).
const StartupFileNames& StartupNamesFor(bool appended, int languageFlag);
