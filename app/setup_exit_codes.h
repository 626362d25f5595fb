// The setup program's exit codes, for scripts and administrators (the README lists
// them). A person running the wizard never sees them.
#pragma once

namespace setup_exit {

constexpr int kDone = 0;              // installed (/S), or the wizard ran on a package
constexpr int kNoPayload = 1;         // the wizard ran on the built-in defaults: no package
constexpr int kCancelled = 2;         // the language question was cancelled
constexpr int kNoLanguageQuestion = 3;  // the language question could not be shown
constexpr int kUnusableName = 4;      // the configuration's printer name was refused
constexpr int kNoLibrary = 5;         // a system library the wizard needs could not be loaded
constexpr int kNoWizard = 6;          // the wizard window could not be created
constexpr int kBadCommandLine = 10;   // an unknown option, a bad value, or a port the spooler lacks
constexpr int kBadPayload = 11;       // /S: the package is missing or damaged; nothing was changed
constexpr int kUnusableFolder = 12;   // /S: the destination folder is empty, invalid or cannot be made
constexpr int kInstallFailed = 13;    // /S: the spooler refused the driver or the printer; undone
constexpr int kNewerInstalled = 14;   // /S: a newer version of this printer is installed; nothing changed
constexpr int kAnotherRun = 1618;     // another setup or uninstall of this printer ran on (retry later)
constexpr int kRestartNeeded = 3010;  // installed; a restart of Windows puts a held file in place

}  // namespace setup_exit
