#include "driver/printer_installer_win.h"

#include <cstring>

#include "driver/install_log.h"
#include "driver/printer_installer.h"
#include "driver/printer_settings_page_win.h"
#include "driver/winspool_spooler_win.h"
#include "ui/panel_messages_win.h"

namespace driver {

namespace {

constexpr int kFailPage = 8;

// The Install log file, and a copy of every line where one is wanted.
class FileInstallLog : public InstallLogSink {
 public:
  explicit FileInstallLog(InstallLogSink* copy) : copy_(copy) {}
  void WriteV(const char* format, va_list args) override {
    va_list again;
    va_copy(again, args);
    AppendInstallLogV(kInstallLogPath, format, args);
    if (copy_) copy_->WriteV(format, again);
    va_end(again);
  }

 private:
  InstallLogSink* copy_;
};

}  // namespace

void WindowedWizard::ShowPrinterSettings(const PrinterSettingsContent& content) {
  ShowPrinterSettingsPage(wizard_.dialog, wizard_.panel, content);
}

bool WindowedWizard::WaitForSettings(PrinterSettingsChoice* choice) {
  if (!wizard_.settingsConfirmed || WaitForSingleObject(wizard_.settingsConfirmed, INFINITE) != WAIT_OBJECT_0)
    return false;
  // The event orders the hand-over: the fields were written before it was set.
  if (wizard_.cancelled && *wizard_.cancelled) return false;
  const char* port = wizard_.selectedPort ? wizard_.selectedPort : configuredPort_;
  size_t length = strnlen(port, sizeof choice->port - 1);
  memcpy(choice->port, port, length);
  choice->port[length] = '\0';
  choice->setDefault = wizard_.setDefaultFlag && *wizard_.setDefaultFlag != 0;
  return true;
}

void WindowedWizard::ShowFailurePage() { SendPanelPage(wizard_.panel, kFailPage); }

bool IsWow64() {
  using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, PBOOL);
  HMODULE kernel = GetModuleHandleA("kernel32");
  if (!kernel) return false;
  auto isWow64Process = reinterpret_cast<IsWow64ProcessFunction>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "IsWow64Process")));
  BOOL wow64 = FALSE;
  return isWow64Process && isWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

int InstallPrinterDriver(const EngineWizard& wizard, const EngineConfig& config, const char* sourceFolder) {
  // A 64-bit build runs only on 64-bit Windows, where it needs the 64-bit driver
  // just as a 32-bit build under WOW64 does.
  return InstallPrinterDriverOnPath(IsWow64() || sizeof(void*) == 8, wizard, config, sourceFolder);
}

namespace {

int InstallOnPath(bool sixtyFourBitPath, InstallerWizard& wizard, int languageFlag, const EngineConfig& config,
                  const char* sourceFolder, InstallLogSink* copy, ChangeJournal* journal, EngineOutcome* outcome) {
  const DriverPath path = sixtyFourBitPath ? DriverPath::kX64 : DriverPath::kX86;

  StagingInput staging;
  staging.sourceFolder = sourceFolder;
  staging.printerName = config.printerName;
  staging.modelLine = config.modelLine ? config.modelLine : "";
  staging.languageFlag = languageFlag;
  staging.journal = journal;

  InstallerNames names;
  names.printerName = config.printerName;
  names.driverName = config.driverName;
  names.monitorName = config.monitorName;
  names.portName = config.portName;
  names.printerServiceName = config.printerServiceName ? config.printerServiceName : "";
  names.updateInPlace = config.updateInPlace;
  names.defaultLeftToUsers = config.defaultLeftToUsers;

  WinspoolSpooler spooler(staging);
  FileInstallLog log(copy);
  EngineResult engine;
  const int result = InstallPrinter(path, names, languageFlag, spooler, wizard, log, journal, &engine);
  if (outcome) {
    outcome->restartNeeded = spooler.staged().restartNeeded;
    outcome->engine = engine;
  }
  return result;
}

}  // namespace

int InstallPrinterDriverOnPath(bool sixtyFourBitPath, const EngineWizard& wizard, const EngineConfig& config,
                               const char* sourceFolder) {
  WindowedWizard windowed(wizard, config.portName ? config.portName : "");
  return InstallOnPath(sixtyFourBitPath, windowed, wizard.languageFlag, config, sourceFolder, nullptr, nullptr,
                       nullptr);
}

int InstallPrinterDriver(InstallerWizard& wizard, int languageFlag, const EngineConfig& config,
                         const char* sourceFolder, InstallLogSink* copy, ChangeJournal* journal,
                         EngineOutcome* outcome) {
  return InstallOnPath(IsWow64() || sizeof(void*) == 8, wizard, languageFlag, config, sourceFolder, copy, journal,
                       outcome);
}

}  // namespace driver
