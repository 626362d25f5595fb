// The uninstaller's command line: nothing, or /S for a run without any window.
#pragma once

namespace uninstall {

// arguments: what follows the program's own name (GetCommandLine less it). False
// for anything but blanks and one "/S" (either case): exit code 87.
bool ParseArguments(const char* arguments, bool* silent);

// The part of a whole command line after the program's name, which may be quoted.
const char* SkipProgramName(const char* commandLine);

}  // namespace uninstall
