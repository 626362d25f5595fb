// The installation run: unpacks the package into the destination folder, puts the
// uninstaller's shortcut into the Start menu, runs the driver engine (which asks
// for the Printer Settings on its way), records the installation, and reports the
// outcome. One sequence serves both ways of installing: the wizard's worker
// (RunInstallation) and the unattended installation, each behind a front end.
//
// In the wizard nothing of a window's state is touched directly: the status line,
// the page and the buttons change through messages the user-interface thread
// handles.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

#include "app/installation_session_win.h"
#include "app/setup_info.h"
#include "driver/printer_installer.h"
#include "payload/payload_extraction.h"

// Sent by the run to the wizard dialog when the engine has failed (the panel is
// already on page 8): the dialog leaves "Finish" as the only button. wParam and
// lParam 0; the result is not used.
constexpr UINT kWizardInstallationFailed = WM_APP + 0x110;

// What the run is given; the names come from the install configuration.
struct InstallationInputs {
  const unsigned char* payloadData = nullptr;  // null: the archive appended to the program
  size_t payloadSize = 0;
  std::string destination;  // checked and made already
  const char* dataFolder = "";
  int languageFlag = 0;     // nonzero: Chinese
  InstallationSession* session = nullptr;  // the run's record and journal; required
  const setup_info::SetupInfo* setupInfo = nullptr;  // the package's Setup.ini; may be null
  // The unattended run's choices beyond the Printer Settings page.
  std::string portTarget;  // /TARGET=, checked already; "" leaves the port's target
  bool testPrint = false;  // /TESTPRINT
  // Run as LocalSystem: the default printer is each user's at their next logon
  // (Active Setup), not the service's; shortcuts go to the all-users Programs folder.
  bool asSystem = false;
};

// How the run ended.
struct InstallationResult {
  bool installed = false;
  bool restartNeeded = false;  // a file Windows holds takes its new version at the restart
  // After a failure: whether everything this run had made was taken back, and one
  // line for each thing taken back (or left).
  bool undone = true;
  std::vector<std::string> undoLines;
};

// The person (or the command line) on the other side of the run.
class InstallationFrontEnd {
 public:
  virtual ~InstallationFrontEnd() = default;
  // The unpacking's status line, progress and the files it places.
  virtual payload::ExtractionObserver& Extraction() = 0;
  // The status line while the driver engine runs.
  virtual void ShowStatus(const char* text) = 0;
  // One step of the run and how it went, in words, for an account of the run.
  virtual void Report(const std::string& line) = 0;
  // The Printer Settings page and its confirmation, and the failure page.
  virtual driver::InstallerWizard& Settings() = 0;
  // Where the Install log lines go besides "C:\InstallPrinter.txt" (may be null).
  virtual driver::InstallLogSink* LogCopy() = 0;
  // The end: after success the record is written already; after a failure what
  // the run had made is undone already.
  virtual void Finished(const InstallationResult& result) = 0;
};

// The whole run, in order: everything it makes goes into the session's journal
// first; a failure undoes it all before the front end hears of it.
InstallationResult RunInstallationSteps(const InstallationInputs& inputs, InstallationFrontEnd& frontEnd);

// The ten record values as this run will write them (configured names, the
// folders, the Start-menu shortcut), handed to the session, which writes them at
// once for a new installation so the uninstaller can work from them.
void KeepRecordValues(InstallationSession& session, const std::string& destination, const char* dataFolder,
                      int languageFlag, bool forAllUsers = false);

// The wizard's worker routine; argument is the SetupWizardDialog. Always 0.
DWORD RunInstallation(void* wizard);
