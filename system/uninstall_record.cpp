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

  // In the order the uninstaller's contract lists them.
  const struct {
    const char* name;
    const char* text;
  } values[] = {
      {"Data Directory", OrEmpty(record.dataFolder)},
      {"Program Directory", OrEmpty(record.destinationFolder)},
      {"Language", record.languageFlag ? "Chinese" : "English"},
      {"PrinterName", printer},
      {"StartMenuDir", OrEmpty(record.startMenuFolder)},
      {"Uninstaller", OrEmpty(record.shortcutPath)},
      {"PrinterDriver", OrEmpty(record.driverName)},
      {"MonitorName", OrEmpty(record.monitorName)},
      {"PortName", OrEmpty(record.portName)},
      {"PrinterServiceName", OrEmpty(record.printerServiceName)},
  };
  for (const auto& value : values) {
    if (strlen(value.text) > kMaxPathText) continue;
    store.SetString(value.name, value.text);  // a value that fails is skipped
  }
  store.CloseKey();

  std::string iniPath = std::string(OrEmpty(record.destinationFolder)) + "\\Uninstall.ini";
  if (Fits(iniPath)) store.WriteUninstallIni(iniPath.c_str(), "Print Settings", "PrinterName", printer);

  store.DeleteRunOnceValue(kRunOnceValueName);
}

}  // namespace sys
