// Every text the uninstaller shows, in Chinese (GBK bytes, as the build's execution
// character set makes them) and English, picked by the recorded language.
#pragma once

namespace uninstall {

enum class Text {
  kCaption,            // the window's and the message boxes' caption
  kConfirm,            // %s: the printer name
  kPreparing,
  kRemovingPrinters,
  kRemovingDriver,
  kRemovingPort,
  kRemovingFiles,
  kRemovingRecord,
  kFinished,           // the status line once the work is done
  kClose,              // the button once the work is done
  kDone,               // %s: the printer name
  kRestartNeeded,
  kSelfAfterRestart,
  kFailed,             // heads the list of failed steps
  kRecordKept,
  kFolderKept,         // %s: the folder
  kBadCommandLine,
  kDefaultNotMoved,    // %s: the printer that was the default
  kAnotherRun,         // %s: the printer name
  kFileKept,           // %s: a file changed since the installation
};

// languageFlag nonzero: Chinese.
const char* UninstallString(Text text, int languageFlag);

}  // namespace uninstall
