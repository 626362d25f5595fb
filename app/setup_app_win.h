// The setup program's application object. Everything happens in InitInstance: the
// payload, the language question, the start-up files and the install configuration.
#pragma once

#include <windows.h>

#include <cstddef>

#include <string>

#include "app/application_win.h"
#include "app/control_libraries_win.h"
#include "app/setup_exit_codes.h"

// Start-up refuses a configuration whose printer name cannot name the printer's
// files (too long, or characters a file name cannot hold): a message box in the
// language (owner may be null) says so. True when the name is usable.
bool AcceptPrinterName(const char* printerName, int languageFlag, HWND owner);

// Start-up cannot go on: a message box in the language (owner may be null) says
// why. detail is the file name of a system library that could not be loaded, or
// null when the wizard window could not be created.
void ReportStartupFailure(const char* missingLibrary, int languageFlag, HWND owner);

class SetupApp : public Application {
 public:
  // Exit codes, for scripts and tests only: a person never sees them.
  static constexpr int kExitPayloadFound = setup_exit::kDone;
  static constexpr int kExitNoPayload = setup_exit::kNoPayload;
  static constexpr int kExitCancelled = setup_exit::kCancelled;
  static constexpr int kExitNoDialog = setup_exit::kNoLanguageQuestion;
  static constexpr int kExitUnusableName = setup_exit::kUnusableName;
  static constexpr int kExitNoLibrary = setup_exit::kNoLibrary;
  static constexpr int kExitNoWizard = setup_exit::kNoWizard;

  // The command line after the program's name (WinMain's), before Run.
  void SetCommandLine(const char* arguments) { arguments_ = arguments ? arguments : ""; }

  // 1 = Chinese, 0 = English; fixed once the language question is answered.
  int languageFlag() const { return languageFlag_; }

 protected:
  bool InitInstance() override;

 private:
  bool RunWizard();

  std::string arguments_;
  int languageFlag_ = 1;
  // The heap copy of the INSTALL resource, or null. Never freed: the process ends
  // first. The wizard gets both.
  unsigned char* payloadData_ = nullptr;
  size_t payloadSize_ = 0;
  // Loaded for the whole run: the wizard's progress bar and licence view.
  ControlLibraries controls_;
};
