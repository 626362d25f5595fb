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

// The entry in Windows' list of installed programs ("Programs and Features"), so the
// driver can be removed from there as from the Start menu. Its texts are read by
// Windows, not by our fixed buffers, so only the key path has to fit.
void WriteUninstallEntry(const InstallationRecord& record, RecordStore& store) {
  const char* printer = OrEmpty(record.printerName);
  const std::string destination = OrEmpty(record.destinationFolder);
  const std::string key = UninstallEntryKey(printer);
  if (destination.empty() || !Fits(key) || !store.CreateUninstallEntryKey(key.c_str())) return;
  const std::string program = record.uninstallerPath && record.uninstallerPath[0]
                                  ? std::string(record.uninstallerPath)
                                  : destination + "\\Uninstaller.exe";
  // The record it acts on is named on its command line, never left to a file a user
  // may write.
  const std::string quoted = "\"" + program + "\" \"/PRINTER=" + printer + "\"";
  const std::string displayName =
      std::string(printer) + (record.languageFlag ? " 打印机驱动" : " Printer Driver");
  store.SetString("DisplayName", displayName.c_str());
  store.SetString("DisplayIcon", program.c_str());
  store.SetString("InstallLocation", destination.c_str());
  store.SetString("UninstallString", quoted.c_str());
  store.SetString("QuietUninstallString", (quoted + " /S").c_str());
  store.SetDword("NoModify", 1);
  store.SetDword("NoRepair", 1);
  store.SetDword("EstimatedSize", record.estimatedSizeKb);
  if (record.displayVersion && record.displayVersion[0]) store.SetString("DisplayVersion", record.displayVersion);
  if (record.displayPublisher && record.displayPublisher[0]) store.SetString("Publisher", record.displayPublisher);
  if (record.installDate && record.installDate[0]) store.SetString("InstallDate", record.installDate);
  store.CloseKey();
}

}  // namespace

std::string UninstallEntryKey(const char* printerName) {
  return std::string("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\") + OrEmpty(printerName) +
         " Printer Driver";
}

bool WriteRecordValues(const InstallationRecord& record, RecordStore& store) {
  const char* printer = OrEmpty(record.printerName);
  std::string subKey = std::string("SOFTWARE\\") + printer;
  if (!Fits(subKey) || !store.CreatePrinterKey(subKey.c_str())) return false;

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
  return true;
}

void RecordInstallation(const InstallationRecord& record, RecordStore& store) {
  if (!WriteRecordValues(record, store)) return;

  const char* printer = OrEmpty(record.printerName);
  std::string iniPath = std::string(OrEmpty(record.destinationFolder)) + "\\Uninstall.ini";
  if (Fits(iniPath)) store.WriteUninstallIni(iniPath.c_str(), "Print Settings", "PrinterName", printer);

  WriteUninstallEntry(record, store);

  // Pending re-runs of an earlier uninstall of this printer: the shared one of
  // older uninstallers, and this printer's own.
  store.DeleteRunOnceValue(kRunOnceValueName);
  store.DeleteRunOnceValue(RunOnceValueNameFor(printer).c_str());
}

std::string RunOnceValueNameFor(const char* printerName) {
  // "!": Windows deletes the value only once the command has run to its end, so a
  // re-run that is cut off runs again at the next start.
  return std::string("!") + kRunOnceValueName + " " + OrEmpty(printerName);
}

}  // namespace sys
