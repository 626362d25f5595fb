#include "system/uninstall_record.h"

#include <cstring>
#include <string>

#include "system/start_menu.h"

namespace sys {

namespace {

// The uninstaller's own RunOnce entry, set when it must run again after a restart;
// a fresh installation cancels such a pending run. This program never creates it.
const char kRunOnceValueName[] = "ZulUninstaller";

const char* OrEmpty(const char* text) { return text ? text : ""; }

bool Fits(const std::string& text) { return text.size() <= kMaxPathText; }

}  // namespace

void RecordInstallation(const InstallationRecord& record, RecordStore& store) {
  const char* printer = OrEmpty(record.printerName);
  std::string subKey = std::string("SOFTWARE\\") + printer;
  if (!Fits(subKey) || !store.CreatePrinterKey(subKey.c_str())) return;

  // In the order the uninstaller's contract lists them. The two shortcut values are
  // left out when no shortcut path was made: an empty text would send the
  // uninstaller to its current folder.
  const struct {
    const char* name;
    const char* text;
    bool leftOutWhenEmpty;
  } values[] = {
      {"Data Directory", OrEmpty(record.dataFolder), false},
      {"Program Directory", OrEmpty(record.destinationFolder), false},
      {"Language", record.languageFlag ? "Chinese" : "English", false},
      {"PrinterName", printer, false},
      {"StartMenuDir", OrEmpty(record.startMenuFolder), true},
      {"Uninstaller", OrEmpty(record.shortcutPath), true},
      {"PrinterDriver", OrEmpty(record.driverName), false},
      {"MonitorName", OrEmpty(record.monitorName), false},
      {"PortName", OrEmpty(record.portName), false},
      {"PrinterServiceName", OrEmpty(record.printerServiceName), false},
  };
  for (const auto& value : values) {
    if (strlen(value.text) > kMaxPathText) continue;
    if (value.leftOutWhenEmpty && value.text[0] == '\0') continue;
    store.SetString(value.name, value.text);  // a value that fails is skipped
  }
  store.CloseKey();

  std::string iniPath = std::string(OrEmpty(record.destinationFolder)) + "\\Uninstall.ini";
  if (Fits(iniPath)) store.WriteUninstallIni(iniPath.c_str(), "Print Settings", "PrinterName", printer);

  store.DeleteRunOnceValue(kRunOnceValueName);
}

}  // namespace sys
