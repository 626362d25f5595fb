// What the uninstaller finds after a successful installation: the printer's key
// under HKEY_LOCAL_MACHINE\SOFTWARE with ten text values, "Uninstall.ini" in the
// destination folder, and no pending RunOnce run of an earlier uninstall. The order
// and the failure rules live here; the registry and the profile file sit behind
// RecordStore so they can be replaced in tests.
#pragma once

#include <string>

namespace sys {

// The record's texts; a null pointer is an empty text.
struct InstallationRecord {
  // Both null or empty when no shortcut path could be made: the two values are then
  // left out of the record.
  const char* startMenuFolder = nullptr;
  const char* shortcutPath = nullptr;  // the ".lnk", not the uninstaller itself
  const char* destinationFolder = nullptr;
  const char* dataFolder = nullptr;
  int languageFlag = 0;  // nonzero: Chinese
  const char* printerName = nullptr;
  const char* driverName = nullptr;
  const char* monitorName = nullptr;
  const char* portName = nullptr;
  const char* printerServiceName = nullptr;
  // What the installation takes on disk, for Windows' list of installed programs.
  unsigned long estimatedSizeKb = 0;
  // The copy of the uninstaller that runs elevated (the list entry's commands, with
  // /PRINTER= naming the record); null or empty: the destination's Uninstaller.exe.
  const char* uninstallerPath = nullptr;
  // From the package's Setup.ini; null or empty: none (the record's "Version" and
  // "Publisher", which later runs compare against).
  const char* version = nullptr;
  const char* publisher = nullptr;
  // What the list of installed programs shows (DisplayVersion, Publisher,
  // InstallDate "YYYYMMDD"): Setup.ini's, or the setup program's own version and a
  // neutral publisher. Null or empty: left out.
  const char* displayVersion = nullptr;
  const char* displayPublisher = nullptr;
  const char* installDate = nullptr;
};

class RecordStore {
 public:
  virtual ~RecordStore() = default;
  // Creates or opens the key; false when it cannot, and then nothing else is called.
  virtual bool CreatePrinterKey(const char* subKey) = 0;
  // A REG_SZ value of the open key, stored with its terminating NUL.
  virtual bool SetString(const char* name, const char* value) = 0;
  virtual void CloseKey() = 0;
  virtual bool WriteUninstallIni(const char* iniPath, const char* section, const char* key,
                                 const char* value) = 0;
  // Creates or opens the entry of Windows' list of installed programs; the values
  // that follow go into it (SetString, SetDword) until CloseKey. False: nothing of it
  // is written.
  virtual bool CreateUninstallEntryKey(const char* subKey) = 0;
  virtual bool SetDword(const char* name, unsigned long value) = 0;
  // Removes valueName from the machine's RunOnce key if the key can be opened.
  virtual bool DeleteRunOnceValue(const char* valueName) = 0;
};

// Writes the record; reports nothing. The key is "SOFTWARE\<printer>"; when it cannot
// be created nothing at all is written. Each of the ten values is attempted on its own:
// one that fails does not stop the others. Then "PrinterName" in section "Print
// Settings" of "<destination>\Uninstall.ini", then the entry of Windows' list of
// installed programs (UninstallEntryKey), then the pending RunOnce entry goes.
// Every text of the record is at most 255 bytes, the size its readers expect; a longer
// one is left out rather than cut (a cut path would send the uninstaller elsewhere):
// a key path over 255 bytes writes nothing at all, a longer value is not written, a
// longer "Uninstall.ini" path skips the ini.
void RecordInstallation(const InstallationRecord& record, RecordStore& store);

// Only the key and its ten values, as RecordInstallation writes them: what an
// installation that has only begun already knows. False when the key cannot be
// created.
bool WriteRecordValues(const InstallationRecord& record, RecordStore& store);

// "!ZulUninstaller <printer>": the RunOnce value of this printer's own pending re-run
// of its uninstaller (another printer's setup never touches it).
std::string RunOnceValueNameFor(const char* printerName);

// "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\<printer> Printer Driver":
// the key of the printer's entry in Windows' list of installed programs, in the
// 64-bit view. The uninstaller removes it.
std::string UninstallEntryKey(const char* printerName);

}  // namespace sys
