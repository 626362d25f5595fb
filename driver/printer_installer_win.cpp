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

// The wizard seen from the worker: the page through messages, the user's choice
// through the fields the user-interface thread writes before it sets the event.
class WindowedWizard : public InstallerWizard {
 public:
  WindowedWizard(const EngineWizard& wizard, const char* configuredPort)
      : wizard_(wizard), configuredPort_(configuredPort) {}

  void ShowPrinterSettings(const PrinterSettingsContent& content) override {
    ShowPrinterSettingsPage(wizard_.dialog, wizard_.panel, content);
  }

  bool WaitForSettings(PrinterSettingsChoice* choice) override {
    if (!wizard_.settingsConfirmed || WaitForSingleObject(wizard_.settingsConfirmed, INFINITE) != WAIT_OBJECT_0)
      return false;
    // The event orders the hand-over: both fields were written before it was set.
    const char* port = wizard_.selectedPort ? wizard_.selectedPort : configuredPort_;
    size_t length = strnlen(port, sizeof choice->port - 1);
    memcpy(choice->port, port, length);
    choice->port[length] = '\0';
    choice->setDefault = wizard_.setDefaultFlag && *wizard_.setDefaultFlag != 0;
    return true;
  }

  void ShowFailurePage() override { SendPanelPage(wizard_.panel, kFailPage); }

 private:
  const EngineWizard& wizard_;
  const char* configuredPort_;
};

class FileInstallLog : public InstallLogSink {
 public:
  void WriteV(const char* format, va_list args) override { AppendInstallLogV(kInstallLogPath, format, args); }
};

}  // namespace

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

int InstallPrinterDriverOnPath(bool sixtyFourBitPath, const EngineWizard& wizard, const EngineConfig& config,
                               const char* sourceFolder) {
  const DriverPath path = sixtyFourBitPath ? DriverPath::kX64 : DriverPath::kX86;

  StagingInput staging;
  staging.sourceFolder = sourceFolder;
  staging.printerName = config.printerName;
  staging.modelLine = config.modelLine ? config.modelLine : "";
  staging.languageFlag = wizard.languageFlag;

  InstallerNames names;
  names.printerName = config.printerName;
  names.driverName = config.driverName;
  names.monitorName = config.monitorName;
  names.portName = config.portName;
  names.printerServiceName = config.printerServiceName ? config.printerServiceName : "";

  WinspoolSpooler spooler(staging);
  WindowedWizard windowed(wizard, config.portName ? config.portName : "");
  FileInstallLog log;
  return InstallPrinter(path, names, wizard.languageFlag, spooler, windowed, log);
}

}  // namespace driver
