// The uninstaller's command line:
//
//   Uninstaller.exe [/S] [/PRINTER=name] [/LOG=file] [/NORESTART]
//
// /S: no window at all, whatever else the line holds. /LOG=: an account of every
// step appended to the file. /NORESTART: accepted (the uninstaller never restarts
// Windows itself). /PRINTER=: the installation to remove, by the printer name
// its record is kept under (the entry of the list of installed programs and the
// pending run after a restart name it, so that nothing beside the program decides
// which record an elevated uninstaller acts on). Option names either case; a value
// with blanks in double quotes, or the whole option quoted.
#pragma once

#include <string>

namespace uninstall {

struct UninstallOptions {
  bool silent = false;
  std::string printer;  // empty: the record whose folder this program runs from
  std::string logPath;  // empty: no account
  bool noRestart = false;
  std::string error;    // the first refused word and why; empty when none
};

// arguments: what follows the program's own name (GetCommandLine less it). False
// for anything else than the options above, each at most once: exit code 87. A
// refused word does not end the parse: /S and /LOG= anywhere still count.
bool ParseArguments(const char* arguments, UninstallOptions* options);

// The part of a whole command line after the program's name, which may be quoted.
const char* SkipProgramName(const char* commandLine);

}  // namespace uninstall
