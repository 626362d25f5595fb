// The uninstall record in Wine's real registry and profile files. The key goes into
// the 64-bit view of the registry: the same as the plain view in a 64-bit process
// or on 32-bit Windows, but not for the i686 build in a 64-bit prefix (WOW64), where
// a plain write would land under Wow6432Node.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "system/registry_key_win.h"
#include "system/uninstall_record_win.h"
#include "win_support.h"

namespace {

using sys::RegistryKey;
using win_support::ScratchDir;

const char kRunOnceKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

struct StoredValue {
  bool found = false;
  DWORD type = 0;
  DWORD size = 0;
  std::string bytes;  // exactly size bytes
};

StoredValue ReadValue(HKEY key, const char* name) {
  StoredValue v;
  BYTE data[1024] = {};
  DWORD size = sizeof data;
  if (RegQueryValueExA(key, name, nullptr, &v.type, data, &size) != ERROR_SUCCESS) return v;
  v.found = true;
  v.size = size;
  v.bytes.assign(reinterpret_cast<char*>(data), size);
  return v;
}

std::string Terminated(const std::string& text) { return text + std::string(1, '\0'); }

class SystemUninstallRecordStore : public testing::Test {
 protected:
  void SetUp() override {
    printer_ = "System Test Printer " + std::to_string(GetCurrentProcessId());
    subKey_ = "SOFTWARE\\" + printer_;
    RemoveKey();
  }
  void TearDown() override { RemoveKey(); }

  void RemoveKey() {
    RegistryKey software;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, software.Receive()) ==
        ERROR_SUCCESS)
      RegDeleteTreeA(software.get(), printer_.c_str());
  }

  RegistryKey OpenPrinterKey() {
    RegistryKey key;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey_.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, key.Receive()),
              ERROR_SUCCESS);
    return key;
  }

  sys::InstallationRecord Record() {
    sys::InstallationRecord r{};
    startMenu_ = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\" + printer_ + " Printer Driver";
    shortcut_ = startMenu_ + "\\Uninstall Printer Driver.lnk";
    r.startMenuFolder = startMenu_.c_str();
    r.shortcutPath = shortcut_.c_str();
    r.destinationFolder = folder_.path().c_str();
    r.dataFolder = "C:\\ProgramData\\Receipt";
    r.languageFlag = 0;
    r.printerName = printer_.c_str();
    r.driverName = "Receipt Driver";
    r.monitorName = "Receipt Monitor";
    r.portName = "RECEIPT PORT:";
    r.printerServiceName = "";
    return r;
  }

  std::string printer_, subKey_, startMenu_, shortcut_;
  ScratchDir folder_;
};

TEST_F(SystemUninstallRecordStore, WritesTenStringsWithTheirNulAndTheIni) {
  sys::InstallationRecord record = Record();
  sys::RecordInstallation(record);

  RegistryKey key = OpenPrinterKey();
  ASSERT_TRUE(key);
  const std::vector<std::pair<const char*, std::string>> expected = {
      {"Data Directory", "C:\\ProgramData\\Receipt"},
      {"Program Directory", folder_.path()},
      {"Language", "English"},
      {"PrinterName", printer_},
      {"StartMenuDir", startMenu_},
      {"Uninstaller", shortcut_},
      {"PrinterDriver", "Receipt Driver"},
      {"MonitorName", "Receipt Monitor"},
      {"PortName", "RECEIPT PORT:"},
      {"PrinterServiceName", ""},
  };
  for (const auto& e : expected) {
    StoredValue v = ReadValue(key.get(), e.first);
    ASSERT_TRUE(v.found) << e.first;
    EXPECT_EQ(v.type, static_cast<DWORD>(REG_SZ)) << e.first;
    EXPECT_EQ(v.size, e.second.size() + 1) << e.first;
    EXPECT_EQ(v.bytes, Terminated(e.second)) << e.first;
  }
  DWORD valueCount = 0;
  ASSERT_EQ(RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &valueCount, nullptr,
                             nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(valueCount, 10u);

  // Under WOW64 the 32-bit view (Software\Wow6432Node) has no such key.
  char wow64Directory[MAX_PATH] = {};
  if (sizeof(void*) == 4 && GetSystemWow64DirectoryA(wow64Directory, sizeof wow64Directory) > 0) {
    RegistryKey plain;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey_.c_str(), 0, KEY_READ | KEY_WOW64_32KEY, plain.Receive()),
              ERROR_FILE_NOT_FOUND);
  }

  // Uninstall.ini: one section with one key.
  std::string ini = folder_.File("Uninstall.ini");
  char text[512] = {};
  GetPrivateProfileStringA("Print Settings", "PrinterName", "(none)", text, sizeof text, ini.c_str());
  EXPECT_EQ(std::string(text), printer_);
  char sections[512] = {};
  DWORD n = GetPrivateProfileSectionNamesA(sections, sizeof sections, ini.c_str());
  EXPECT_EQ(std::string(sections, n), Terminated("Print Settings"));
  char section[512] = {};
  n = GetPrivateProfileSectionA("Print Settings", section, sizeof section, ini.c_str());
  EXPECT_EQ(std::string(section, n), Terminated("PrinterName=" + printer_));
}

TEST_F(SystemUninstallRecordStore, ChineseLanguageAndAServiceName) {
  sys::InstallationRecord record = Record();
  record.languageFlag = 1;
  record.printerServiceName = "Receipt Service";
  sys::RecordInstallation(record);
  RegistryKey key = OpenPrinterKey();
  ASSERT_TRUE(key);
  EXPECT_EQ(ReadValue(key.get(), "Language").bytes, Terminated("Chinese"));
  EXPECT_EQ(ReadValue(key.get(), "PrinterServiceName").bytes, Terminated("Receipt Service"));
}

TEST_F(SystemUninstallRecordStore, RewritingKeepsValuesOthersAdded) {
  {
    RegistryKey key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, subKey_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY,
                              nullptr, key.Receive(), nullptr),
              ERROR_SUCCESS);
    const char other[] = "kept";
    const char oldLanguage[] = "Klingon, from an earlier install";
    RegSetValueExA(key.get(), "OtherTool", 0, REG_SZ, reinterpret_cast<const BYTE*>(other), sizeof other);
    RegSetValueExA(key.get(), "Language", 0, REG_SZ, reinterpret_cast<const BYTE*>(oldLanguage), sizeof oldLanguage);
  }
  sys::RecordInstallation(Record());
  RegistryKey key = OpenPrinterKey();
  ASSERT_TRUE(key);
  EXPECT_EQ(ReadValue(key.get(), "OtherTool").bytes, Terminated("kept"));
  StoredValue language = ReadValue(key.get(), "Language");
  EXPECT_EQ(language.bytes, Terminated("English"));
  EXPECT_EQ(language.size, 8u);
}

TEST_F(SystemUninstallRecordStore, PendingUninstallerRunIsCancelledAndOthersStay) {
  {
    RegistryKey runOnce;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kRunOnceKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              runOnce.Receive(), nullptr),
              ERROR_SUCCESS);
    const char command[] = "C:\\x\\Uninstaller.exe";
    RegSetValueExA(runOnce.get(), "ZulUninstaller", 0, REG_SZ, reinterpret_cast<const BYTE*>(command), sizeof command);
    RegSetValueExA(runOnce.get(), "SystemTestOther", 0, REG_SZ, reinterpret_cast<const BYTE*>(command),
                   sizeof command);
    ASSERT_TRUE(ReadValue(runOnce.get(), "ZulUninstaller").found);
  }
  sys::RecordInstallation(Record());
  RegistryKey runOnce;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunOnceKey, 0, KEY_ALL_ACCESS, runOnce.Receive()), ERROR_SUCCESS);
  EXPECT_FALSE(ReadValue(runOnce.get(), "ZulUninstaller").found);
  EXPECT_TRUE(ReadValue(runOnce.get(), "SystemTestOther").found);
  RegDeleteValueA(runOnce.get(), "SystemTestOther");

  // Nothing pending: the record is still written in full.
  RemoveKey();
  sys::RecordInstallation(Record());
  RegistryKey key = OpenPrinterKey();
  EXPECT_TRUE(ReadValue(key.get(), "PrinterServiceName").found);
}

// The store used on its own: a value without an open key is refused.
TEST_F(SystemUninstallRecordStore, StoreRefusesValuesWithoutAKey) {
  sys::RegistryRecordStore store;
  EXPECT_FALSE(store.SetString("Language", "English"));
  ASSERT_TRUE(store.CreatePrinterKey(subKey_.c_str()));
  EXPECT_TRUE(store.SetString("Language", "English"));
  store.CloseKey();
  EXPECT_FALSE(store.SetString("Language", "Chinese"));
  RegistryKey key = OpenPrinterKey();
  EXPECT_EQ(ReadValue(key.get(), "Language").bytes, Terminated("English"));
}

}  // namespace
