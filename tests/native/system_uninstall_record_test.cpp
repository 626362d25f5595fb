// The uninstall record against a store that writes down every call: order, contents,
// and which failures stop what.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "system/uninstall_record.h"

namespace {

using sys::InstallationRecord;

class RecordingStore : public sys::RecordStore {
 public:
  bool CreatePrinterKey(const char* subKey) override {
    calls.push_back("create " + std::string(subKey));
    return keyCreated;
  }
  bool SetString(const char* name, const char* value) override {
    calls.push_back("set " + std::string(name));
    (inEntry ? entryValues : values).push_back({name, value});
    return failingValues.count(name) == 0;
  }
  void CloseKey() override {
    calls.push_back("close");
    inEntry = false;
  }
  bool CreateUninstallEntryKey(const char* subKey) override {
    calls.push_back("entry " + std::string(subKey));
    inEntry = entryCreated;
    return entryCreated;
  }
  bool SetDword(const char* name, unsigned long value) override {
    calls.push_back("dword " + std::string(name) + "=" + std::to_string(value));
    return true;
  }
  bool WriteUninstallIni(const char* iniPath, const char* section, const char* key, const char* value) override {
    calls.push_back("ini " + std::string(iniPath) + " [" + section + "] " + key + "=" + value);
    return true;
  }
  bool DeleteRunOnceValue(const char* valueName) override {
    calls.push_back("runonce " + std::string(valueName));
    return true;
  }

  bool keyCreated = true;
  bool entryCreated = true;
  bool inEntry = false;
  std::vector<std::pair<std::string, std::string>> entryValues;
  std::set<std::string> failingValues;
  std::vector<std::string> calls;
  std::vector<std::pair<std::string, std::string>> values;
};

InstallationRecord SampleRecord() {
  InstallationRecord r{};
  r.startMenuFolder = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\USB Printer Printer Driver";
  r.shortcutPath =
      "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\USB Printer Printer Driver\\Uninstall Printer "
      "Driver.lnk";
  r.destinationFolder = "C:\\Program Files\\Receipt";
  r.dataFolder = "C:\\ProgramData\\USB Printer";
  r.languageFlag = 0;
  r.printerName = "USB Printer";
  r.driverName = "USB Printer Driver";
  r.monitorName = "USB Printer Monitor";
  r.portName = "USB PRINTER PORT:";
  r.printerServiceName = "Receipt Service";
  return r;
}

TEST(SystemUninstallRecord, TenValuesInOrderThenIniThenRunOnce) {
  RecordingStore store;
  InstallationRecord r = SampleRecord();
  sys::RecordInstallation(r, store);
  std::vector<std::pair<std::string, std::string>> expected = {
      {"Data Directory", "C:\\ProgramData\\USB Printer"},
      {"Program Directory", "C:\\Program Files\\Receipt"},
      {"Language", "English"},
      {"PrinterName", "USB Printer"},
      {"StartMenuDir", r.startMenuFolder},
      {"Uninstaller", r.shortcutPath},
      {"PrinterDriver", "USB Printer Driver"},
      {"MonitorName", "USB Printer Monitor"},
      {"PortName", "USB PRINTER PORT:"},
      {"PrinterServiceName", "Receipt Service"},
  };
  EXPECT_EQ(store.values, expected);
  ASSERT_EQ(store.calls.size(), 25u);
  EXPECT_EQ(store.calls.front(), "create SOFTWARE\\USB Printer");
  EXPECT_EQ(store.calls[11], "close");
  EXPECT_EQ(store.calls[12], "ini C:\\Program Files\\Receipt\\Uninstall.ini [Print Settings] PrinterName=USB Printer");
  EXPECT_EQ(store.calls[13],
            "entry SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\USB Printer Printer Driver");
  EXPECT_EQ(store.calls[22], "close");
  EXPECT_EQ(store.calls[23], "runonce ZulUninstaller");
  EXPECT_EQ(store.calls[24], "runonce !ZulUninstaller USB Printer");  // this printer's own pending re-run
}

// Windows' list of installed programs: the uninstaller's elevated copy by its quoted
// path with the record it acts on named, /S for the quiet run; no Modify or Repair
// buttons; the size as the run measured it.
TEST(SystemUninstallRecord, EntryInTheListOfInstalledPrograms) {
  RecordingStore store;
  InstallationRecord r = SampleRecord();
  r.estimatedSizeKb = 412;
  r.uninstallerPath = "C:\\ProgramData\\USB Printer\\Uninstaller.exe";
  sys::RecordInstallation(r, store);
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"DisplayName", "USB Printer Printer Driver"},
      {"DisplayIcon", "C:\\ProgramData\\USB Printer\\Uninstaller.exe"},
      {"InstallLocation", "C:\\Program Files\\Receipt"},
      {"UninstallString", "\"C:\\ProgramData\\USB Printer\\Uninstaller.exe\" \"/PRINTER=USB Printer\""},
      {"QuietUninstallString", "\"C:\\ProgramData\\USB Printer\\Uninstaller.exe\" \"/PRINTER=USB Printer\" /S"},
  };
  EXPECT_EQ(store.entryValues, expected);
  EXPECT_EQ(std::vector<std::string>(store.calls.begin() + 19, store.calls.begin() + 22),
            (std::vector<std::string>{"dword NoModify=1", "dword NoRepair=1", "dword EstimatedSize=412"}));

  // What a detection rule reads: the version and publisher the list shows, the day.
  RecordingStore detected;
  r.displayVersion = "2.1.0.7";
  r.displayPublisher = "Rillo Printing Co.";
  r.installDate = "20261209";
  sys::RecordInstallation(r, detected);
  const std::vector<std::pair<std::string, std::string>> tail(detected.entryValues.end() - 3,
                                                              detected.entryValues.end());
  EXPECT_EQ(tail, (std::vector<std::pair<std::string, std::string>>{
                      {"DisplayVersion", "2.1.0.7"}, {"Publisher", "Rillo Printing Co."}, {"InstallDate", "20261209"}}));

  RecordingStore chinese;
  r.languageFlag = 1;
  sys::RecordInstallation(r, chinese);
  ASSERT_FALSE(chinese.entryValues.empty());
  EXPECT_EQ(chinese.entryValues[0].second, "USB Printer 打印机驱动");

  // An entry key that cannot be made: nothing goes into it, the RunOnce entry still goes.
  RecordingStore refused;
  refused.entryCreated = false;
  sys::RecordInstallation(r, refused);
  EXPECT_TRUE(refused.entryValues.empty());
  EXPECT_EQ(refused.calls.back(), "runonce !ZulUninstaller USB Printer");
  EXPECT_EQ(refused.calls[refused.calls.size() - 3].substr(0, 6), "entry ");
}

TEST(SystemUninstallRecord, LanguageAndMissingServiceName) {
  RecordingStore store;
  InstallationRecord r = SampleRecord();
  r.languageFlag = 1;
  r.printerServiceName = "";
  sys::RecordInstallation(r, store);
  ASSERT_EQ(store.values.size(), 10u);
  EXPECT_EQ(store.values[2].second, "Chinese");
  EXPECT_EQ(store.values[9], (std::pair<std::string, std::string>{"PrinterServiceName", ""}));

  RecordingStore nullStore;
  r.printerServiceName = nullptr;
  sys::RecordInstallation(r, nullStore);
  ASSERT_EQ(nullStore.values.size(), 10u);
  EXPECT_EQ(nullStore.values[9].second, "");
}

// No shortcut path was made: the two values that name it are left out, not written
// as empty texts; the other eight, the ini and the RunOnce entry are as always.
TEST(SystemUninstallRecord, WithoutAShortcutItsValuesAreLeftOut) {
  for (const char* missing : {static_cast<const char*>(nullptr), ""}) {
    RecordingStore store;
    InstallationRecord r = SampleRecord();
    r.startMenuFolder = missing;
    r.shortcutPath = missing;
    sys::RecordInstallation(r, store);
    std::vector<std::string> names;
    for (const auto& v : store.values) names.push_back(v.first);
    EXPECT_EQ(names, (std::vector<std::string>{"Data Directory", "Program Directory", "Language", "PrinterName",
                                               "PrinterDriver", "MonitorName", "PortName", "PrinterServiceName"}));
    EXPECT_EQ(store.calls.back(), "runonce !ZulUninstaller USB Printer");
  }
}

TEST(SystemUninstallRecord, KeyThatCannotBeCreatedWritesNothingAtAll) {
  RecordingStore store;
  store.keyCreated = false;
  sys::RecordInstallation(SampleRecord(), store);
  EXPECT_EQ(store.calls, std::vector<std::string>{"create SOFTWARE\\USB Printer"});
}

TEST(SystemUninstallRecord, AFailingValueDoesNotStopTheOthers) {
  RecordingStore store;
  store.failingValues = {"Data Directory", "Language", "PrinterServiceName"};
  sys::RecordInstallation(SampleRecord(), store);
  EXPECT_EQ(store.values.size(), 10u);
  ASSERT_EQ(store.calls.size(), 25u);
  EXPECT_EQ(store.calls[12].substr(0, 4), "ini ");
  EXPECT_EQ(store.calls[23], "runonce ZulUninstaller");
  EXPECT_EQ(store.calls[24], "runonce !ZulUninstaller USB Printer");  // this printer's own pending re-run
}

// Texts beyond 255 bytes are never cut: a key path that long writes nothing, a value
// that long is left out, an ini path that long skips the ini.
TEST(SystemUninstallRecord, TextsOver255BytesAreLeftOutNotCut) {
  InstallationRecord r = SampleRecord();
  std::string printer246(246, 'p');  // "SOFTWARE\" + 246 = 255
  r.printerName = printer246.c_str();
  RecordingStore fits;
  sys::RecordInstallation(r, fits);
  EXPECT_EQ(fits.values.size(), 10u);

  std::string printer247(247, 'p');
  r.printerName = printer247.c_str();
  RecordingStore refused;
  sys::RecordInstallation(r, refused);
  EXPECT_TRUE(refused.calls.empty());

  r = SampleRecord();
  std::string longShortcut(256, 's');
  std::string destination(255 - 14, 'd');  // + "\Uninstall.ini" = 255 bytes
  r.shortcutPath = longShortcut.c_str();
  r.destinationFolder = destination.c_str();
  RecordingStore partial;
  sys::RecordInstallation(r, partial);
  std::vector<std::string> names;
  for (const auto& v : partial.values) names.push_back(v.first);
  EXPECT_EQ(names, (std::vector<std::string>{"Data Directory", "Program Directory", "Language", "PrinterName",
                                             "StartMenuDir", "PrinterDriver", "MonitorName", "PortName",
                                             "PrinterServiceName"}));
  EXPECT_EQ(partial.calls[partial.calls.size() - 13].substr(0, 4), "ini ");

  destination += 'd';
  r.destinationFolder = destination.c_str();
  RecordingStore noIni;
  sys::RecordInstallation(r, noIni);
  EXPECT_EQ(noIni.values.size(), 9u);  // still without the shortcut
  ASSERT_FALSE(noIni.calls.empty());
  EXPECT_EQ(noIni.calls[noIni.calls.size() - 13], "close");
  EXPECT_EQ(noIni.calls.back(), "runonce !ZulUninstaller USB Printer");
}

}  // namespace
