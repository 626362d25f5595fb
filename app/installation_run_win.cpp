#include "app/installation_run_win.h"

#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/folder_path_win.h"
#include "app/install_config.h"
#include "app/setup_wizard_dialog_win.h"
#include "app/wizard_navigation.h"
#include "driver/printer_installer_win.h"
#include "payload/payload_extraction_win.h"
#include "resources/resource_ids.h"
#include "system/start_menu_win.h"
#include "system/uninstall_record_win.h"
#include "system/uninstall_shortcut_win.h"
#include "ui/panel_messages_win.h"

namespace {

// The two start-up copies the full extraction also leaves in the destination
// folder; the file system compares names without regard to case, so "logo.bmp"
// is the package's "Logo.bmp".
void DeleteStartupCopies(const std::string& destination) {
  for (const char* name : {"InstallConfig.txt", "logo.bmp"}) {
    char path[256] = {};
    const int length = std::snprintf(path, sizeof path, "%s\\%s", destination.c_str(), name);
    // A path that did not fit would name another file: leave it.
    if (length > 0 && static_cast<size_t>(length) < sizeof path) DeleteFileA(path);
  }
}

// The bytes the extraction put into the destination folder, in KB rounded up: the
// size Windows' list of installed programs shows. The package carries both builds of
// every driver file, so this errs on the large side.
unsigned long PlacedKilobytes(const std::string& destination, const std::vector<std::string>& names) {
  unsigned long long bytes = 0;
  for (const std::string& name : names) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    const std::string path = destination + "\\" + name;
    if (GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
      bytes += (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }
  }
  return static_cast<unsigned long>((bytes + 1023) / 1024);
}

// Passes the unpacking's reports on and keeps the names of the files it placed.
class RecordingObserver final : public payload::ExtractionObserver {
 public:
  explicit RecordingObserver(payload::ExtractionObserver& next) : next_(next) {}
  void Placing(const char* name) override {
    placed.push_back(name);
    next_.Placing(name);
  }
  void StatusText(const char* text) override { next_.StatusText(text); }
  void SetPercent(int percent) override { next_.SetPercent(percent); }
  std::vector<std::string> placed;

 private:
  payload::ExtractionObserver& next_;
};

const char* ExtractionOutcome(int result) {
  switch (result) {
    case payload::kExtractComplete: return "every entry visited";
    case payload::kExtractNoProgram: return "the program file cannot be read";
    case payload::kExtractNoArchive: return "no package found";
    default: return "the package ended early";
  }
}

// The wizard as the run's front end. Each call is a message to a window of the
// user-interface thread, which answers while this worker waits.
class WizardFrontEnd final : public InstallationFrontEnd, private payload::ExtractionObserver {
 public:
  WizardFrontEnd(SetupWizardDialog& wizard, const driver::EngineWizard& engine)
      : wizard_(wizard), windowed_(engine, g_installConfig.portName()) {}

  payload::ExtractionObserver& Extraction() override { return *this; }
  // The unpacking's status line and the engine's: both on the panel.
  void ShowStatus(const char* text) override { SendPanelStatusText(wizard_.panel().hwnd(), text); }
  void Report(const std::string&) override {}  // the pages say it
  driver::InstallerWizard& Settings() override { return windowed_; }
  driver::InstallLogSink* LogCopy() override { return nullptr; }
  void Finished(bool installed) override {
    if (installed) {
      // Posted, not sent: the page logic moves to "Setup Complete" on its own
      // thread once this worker is done with the wizard.
      PostMessageA(wizard_.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_NEXT, 0), 0);
    } else {
      SendMessageA(wizard_.hwnd(), kWizardInstallationFailed, 0, 0);
    }
  }

 private:
  void Placing(const char* name) override { wizard_.placedFiles().Add(name); }
  void StatusText(const char* text) override { ShowStatus(text); }
  void SetPercent(int percent) override {
    HWND bar = GetDlgItem(wizard_.hwnd(), IDC_PROGRESS);
    if (IsWindow(bar)) SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
  }

  SetupWizardDialog& wizard_;
  driver::WindowedWizard windowed_;
};

}  // namespace

bool RunInstallationSteps(const InstallationInputs& inputs, InstallationFrontEnd& frontEnd) {
  const std::string& destination = inputs.destination;
  const int language = inputs.languageFlag;
  InstallConfig& config = g_installConfig;  // read-only since start-up

  // The folder was made when it was chosen; make sure of it again, level by level,
  // in case it went away since.
  CreateFolderPath(destination.c_str());
  RecordingObserver extraction(frontEnd.Extraction());
  const int extracted = payload::ExtractPayload(inputs.payloadData, inputs.payloadSize, destination.c_str(),
                                                inputs.dataFolder, extraction);
  frontEnd.Report(std::string("Unpacking into ") + destination + ": " + ExtractionOutcome(extracted));
  const unsigned long installedKb = PlacedKilobytes(destination, extraction.placed);
  DeleteStartupCopies(destination);

  const std::string base = sys::StartMenuBase(language);
  const sys::StartMenuPaths paths =
      sys::MakeStartMenuPaths(language, base.c_str(), config.printerName(), destination.c_str());
  if (paths.ok) {
    CreateDirectoryA(paths.folder.c_str(), nullptr);  // an existing folder is reused
    sys::CreateUninstallShortcut(paths.target.c_str(), paths.shortcut.c_str());
    const bool made = GetFileAttributesA(paths.shortcut.c_str()) != INVALID_FILE_ATTRIBUTES;
    frontEnd.Report("Start-menu shortcut " + paths.shortcut + (made ? ": made" : ": could not be made"));
  } else {
    frontEnd.Report("Start-menu shortcut: no Programs folder to put it in");
  }

  frontEnd.ShowStatus(WizardString(WizardText::kInstallingDriver, language));

  driver::EngineConfig names;
  names.printerName = config.printerName();
  names.driverName = config.driverName();
  names.monitorName = config.monitorName();
  names.portName = config.portName();
  names.printerServiceName = config.serviceName();
  names.modelLine = config.modelLine();
  if (driver::InstallPrinterDriver(frontEnd.Settings(), language, names, destination.c_str(), frontEnd.LogCopy()) ==
      0) {
    frontEnd.Report("Printer driver: the spooler refused it (see the lines above)");
    frontEnd.Finished(false);
    return false;
  }
  frontEnd.Report("Printer driver and printer: registered");

  sys::InstallationRecord record;
  record.startMenuFolder = paths.ok ? paths.folder.c_str() : nullptr;
  record.shortcutPath = paths.ok ? paths.shortcut.c_str() : nullptr;
  record.destinationFolder = destination.c_str();
  record.dataFolder = inputs.dataFolder;
  record.languageFlag = language;
  record.printerName = config.printerName();
  record.driverName = config.driverName();
  record.monitorName = config.monitorName();
  record.portName = config.portName();
  record.printerServiceName = config.serviceName();
  record.estimatedSizeKb = installedKb;
  sys::RecordInstallation(record);
  frontEnd.Report(std::string("Uninstall record: HKLM\\SOFTWARE\\") + config.printerName() + " and " + destination +
                  "\\Uninstall.ini");
  frontEnd.Finished(true);
  return true;
}

DWORD RunInstallation(void* argument) {
  SetupWizardDialog& wizard = *static_cast<SetupWizardDialog*>(argument);
  driver::EngineWizard engine;
  engine.dialog = wizard.hwnd();
  engine.panel = wizard.panel().hwnd();
  engine.settingsConfirmed = wizard.panel().settingsConfirmedEvent();
  engine.languageFlag = wizard.languageFlag();
  engine.setDefaultFlag = wizard.setDefaultFlagAddress();
  engine.selectedPort = wizard.selectedPort();

  InstallationInputs inputs;
  inputs.payloadData = wizard.payloadData();
  inputs.payloadSize = wizard.payloadSize();
  // The field is read through window messages, so the user-interface thread answers.
  inputs.destination = wizard.panel().folderEdit().GetText();
  inputs.dataFolder = g_dataFolder;
  inputs.languageFlag = wizard.languageFlag();
  WizardFrontEnd frontEnd(wizard, engine);
  RunInstallationSteps(inputs, frontEnd);
  return 0;
}
