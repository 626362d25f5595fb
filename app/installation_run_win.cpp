#include "app/installation_run_win.h"

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

}  // namespace

DWORD RunInstallation(void* argument) {
  SetupWizardDialog& wizard = *static_cast<SetupWizardDialog*>(argument);
  const HWND dialog = wizard.hwnd();
  const HWND panel = wizard.panel().hwnd();
  const int language = wizard.languageFlag();
  InstallConfig& config = g_installConfig;  // read-only since the wizard exists

  // The field is read through window messages, so the user-interface thread answers.
  const std::string destination = wizard.panel().folderEdit().GetText();

  // Leaving the destination page made the folder; make sure of it again, level by
  // level, in case it went away since.
  CreateFolderPath(destination.c_str());
  std::vector<std::string> placed;
  payload::ExtractPayload(wizard.payloadData(), wizard.payloadSize(), destination.c_str(), g_dataFolder, panel,
                          GetDlgItem(dialog, IDC_PROGRESS), [&wizard, &placed](const char* name) {
                            wizard.placedFiles().Add(name);
                            placed.push_back(name);
                          });
  const unsigned long installedKb = PlacedKilobytes(destination, placed);
  DeleteStartupCopies(destination);

  const std::string base = sys::StartMenuBase(language);
  const sys::StartMenuPaths paths =
      sys::MakeStartMenuPaths(language, base.c_str(), config.printerName(), destination.c_str());
  if (paths.ok) {
    CreateDirectoryA(paths.folder.c_str(), nullptr);  // an existing folder is reused
    sys::CreateUninstallShortcut(paths.target.c_str(), paths.shortcut.c_str());
  }

  SendPanelStatusText(panel, WizardString(WizardText::kInstallingDriver, language));

  driver::EngineWizard engine;
  engine.dialog = dialog;
  engine.panel = panel;
  engine.settingsConfirmed = wizard.panel().settingsConfirmedEvent();
  engine.languageFlag = language;
  engine.setDefaultFlag = wizard.setDefaultFlagAddress();
  engine.selectedPort = wizard.selectedPort();
  driver::EngineConfig names;
  names.printerName = config.printerName();
  names.driverName = config.driverName();
  names.monitorName = config.monitorName();
  names.portName = config.portName();
  names.printerServiceName = config.serviceName();
  names.modelLine = config.modelLine();

  if (driver::InstallPrinterDriver(engine, names, destination.c_str()) == 0) {
    SendMessageA(dialog, kWizardInstallationFailed, 0, 0);
    return 0;
  }

  sys::InstallationRecord record;
  record.startMenuFolder = paths.ok ? paths.folder.c_str() : nullptr;
  record.shortcutPath = paths.ok ? paths.shortcut.c_str() : nullptr;
  record.destinationFolder = destination.c_str();
  record.dataFolder = g_dataFolder;
  record.languageFlag = language;
  record.printerName = config.printerName();
  record.driverName = config.driverName();
  record.monitorName = config.monitorName();
  record.portName = config.portName();
  record.printerServiceName = config.serviceName();
  record.estimatedSizeKb = installedKb;
  sys::RecordInstallation(record);

  // Posted, not sent: the page logic moves to "Setup Complete" on its own thread
  // once this worker is done with the wizard.
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_NEXT, 0), 0);
  return 0;
}
