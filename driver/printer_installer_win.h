// The driver installation engine's entry for the installation run: picks the
// 64-bit or the 32-bit path and runs the whole registration against the real
// spooler, the wizard's controls and the Install log "C:\InstallPrinter.txt".
#pragma once

#include <windows.h>

#include "driver/printer_installer.h"

namespace driver {

// The configured names (InstallConfig lines); none may be null.
struct EngineConfig {
  const char* printerName;
  const char* driverName;
  const char* monitorName;
  const char* portName;
  const char* printerServiceName;  // may be empty
  const char* modelLine;           // the GPD's model line, may be empty
  bool updateInPlace = false;      // see InstallerNames
  bool defaultLeftToUsers = false; // see InstallerNames
};

// What the run needs to know besides success.
struct EngineOutcome {
  bool restartNeeded = false;  // a file Windows holds is replaced when it next starts
  EngineResult engine;         // the printer's name, what became of the default
};

// The wizard as the engine needs it. The dialog and the panel belong to the
// user-interface thread: the engine reaches them only through window messages
// and blocks on settingsConfirmed while that thread runs its message loop.
struct EngineWizard {
  HWND dialog = nullptr;               // the wizard (template 102)
  HWND panel = nullptr;                // the painted panel: SendPanelPage(panel, 5 / 8)
  HANDLE settingsConfirmed = nullptr;  // manual-reset event the wizard sets after Next on page 5
  int languageFlag = 1;                // nonzero Chinese, 0 English
  const int* setDefaultFlag = nullptr;   // read only after the event is set; null: not ticked
  const char* selectedPort = nullptr;    // 256 bytes, read only after the event is set; null: the configured port
  // Nonzero once the wizard was cancelled on the Printer Settings page: set before
  // the event, the wait then ends without a choice. Null: never.
  const volatile LONG* cancelled = nullptr;
};

// The wizard seen from the worker: the Printer Settings page through window
// messages, the user's choice through the fields the user-interface thread writes
// before it sets the event.
class WindowedWizard : public InstallerWizard {
 public:
  WindowedWizard(const EngineWizard& wizard, const char* configuredPort)
      : wizard_(wizard), configuredPort_(configuredPort) {}
  void ShowPrinterSettings(const PrinterSettingsContent& content) override;
  bool WaitForSettings(PrinterSettingsChoice* choice) override;
  void ShowFailurePage() override;

 private:
  const EngineWizard& wizard_;
  const char* configuredPort_;
};

// Runs on the installation worker. 1 success, 0 failure (the panel is already on
// page 8). sourceFolder: where the payload was extracted, no trailing backslash.
int InstallPrinterDriver(const EngineWizard& wizard, const EngineConfig& config, const char* sourceFolder);

// The same against any front end of the Printer Settings page (the unattended
// installation answers it from the command line). Every Install log line also goes
// to copy when it is not null; journal (may be null) hears of every file and
// spooler object before it is made.
int InstallPrinterDriver(InstallerWizard& wizard, int languageFlag, const EngineConfig& config,
                         const char* sourceFolder, InstallLogSink* copy, ChangeJournal* journal = nullptr,
                         EngineOutcome* outcome = nullptr);

// The same on a path chosen by the caller: the tests run both paths in one process.
int InstallPrinterDriverOnPath(bool sixtyFourBitPath, const EngineWizard& wizard, const EngineConfig& config,
                               const char* sourceFolder);

// True when this 32-bit process runs under WOW64 (kernel32's IsWow64Process, looked
// up at run time; false where it does not exist).
bool IsWow64();

}  // namespace driver
