// The uninstaller's view of the record an installation left: "PrinterName" in
// section "Print Settings" of "Uninstall.ini" beside the uninstaller, and the values
// of HKEY_LOCAL_MACHINE\SOFTWARE\<printer name> (64-bit view). Reading goes through
// RecordSource so the checks run without a registry; every text is at most 255
// bytes, as the installation wrote it.
#pragma once

#include <string>
#include <vector>

namespace uninstall {

struct InstallationRecord {
  std::string printerName;
  std::string driverName;
  std::string monitorName;
  std::string portName;
  std::string startMenuFolder;  // empty: the installation made no shortcut
  std::string shortcutPath;     // the ".lnk"; empty together with startMenuFolder
  std::string programFolder;    // "Program Directory"
  std::string dataFolder;       // "Data Directory"
  int languageFlag = 0;         // nonzero: Chinese
};

enum class ValueRead {
  kFound,
  kMissing,    // no such value (or no such key)
  kWrongType,  // not a string
  kTooLong,    // more than 255 bytes
};

class RecordSource {
 public:
  virtual ~RecordSource() = default;
  // "PrinterName" of "Uninstall.ini" in folder. False when the file or the key is
  // missing or empty.
  virtual bool ReadIniPrinterName(const std::string& iniPath, std::string* name) = 0;
  // Whether HKEY_LOCAL_MACHINE\<subKey> exists in the 64-bit view.
  virtual bool KeyExists(const std::string& subKey) = 0;
  // A string value of that key, without its terminating NUL.
  virtual ValueRead ReadString(const std::string& subKey, const char* name, std::string* text) = 0;
  // The names of the subkeys of HKEY_LOCAL_MACHINE\SOFTWARE (64-bit view), where
  // the record is looked for when Uninstall.ini does not lead to it.
  virtual std::vector<std::string> SoftwareKeyNames() = 0;
};

enum class RecordState {
  kComplete,
  kNoIni,         // no "Uninstall.ini" with a printer name beside the program: nothing to uninstall
  kNoKey,         // the ini names a printer whose key is gone: nothing to uninstall
  kBadName,       // the ini's printer name cannot name a printer's key and files
  kOtherFolder,   // the ini names a record of an installation in another folder
  kIncomplete,    // the key lacks values, or holds damaged ones
};

struct RecordCheck {
  RecordState state = RecordState::kNoIni;
  InstallationRecord record;          // complete only in kComplete
  std::string iniPath;                // where the printer name was looked for
  std::string keyPath;                // "SOFTWARE\<printer>" once the name is known
  std::string otherFolder;            // kOtherFolder: the folder the record names
  std::vector<std::string> problems;  // kIncomplete: the value names, each with why ("PortName (missing)")
  bool languageKnown = false;         // the key's "Language" was readable
};

// A string value as the registry handed it over: type 1 (REG_SZ) or 2
// (REG_EXPAND_SZ, taken as it is), cut at its first NUL or, unterminated, taken
// whole; more than 255 bytes is kTooLong.
ValueRead StringFromRegistryData(unsigned long type, const char* data, size_t size, std::string* text);

// programFolder: the folder of Uninstaller.exe, without a trailing backslash. The
// record is the key "Uninstall.ini" names when its "Program Directory" or "Data
// Directory" is this folder (or its program folder is no usable path: then the
// record is reported incomplete); else the key under SOFTWARE that names this
// folder so, so that an installation whose ini never got written (or was edited to
// name another printer) is still found, and never another installation's.
// Required values: PrinterDriver, MonitorName, PortName, Language, Program Directory,
// Data Directory. StartMenuDir and Uninstaller are optional (left out when the
// installation could make no shortcut) but must be readable where present, and
// "Uninstaller" must name a ".lnk" file: the uninstaller deletes it.
// printerOnCommandLine: the record /PRINTER= names; then only that one, and only when
// it names programFolder (as its program or data folder).
RecordCheck ReadInstallationRecord(const std::string& programFolder, RecordSource& source,
                                   const std::string& printerOnCommandLine = std::string());

// The message that says why nothing is removed, in the language (nonzero Chinese);
// empty for kComplete.
std::string DescribeRecordProblem(const RecordCheck& check, int languageFlag);

}  // namespace uninstall
