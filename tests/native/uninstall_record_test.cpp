// The uninstaller's reading of the record: what makes it complete, what it says
// when it is not, values as the registry may hand them over, and the command line.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "uninstall/command_line.h"
#include "uninstall/installation_record.h"

namespace {

using namespace uninstall;

class FakeSource : public RecordSource {
 public:
  bool ReadIniPrinterName(const std::string& iniPath, std::string* name) override {
    askedIni = iniPath;
    *name = iniName;
    return !iniName.empty();
  }
  bool KeyExists(const std::string& subKey) override {
    return (keyExists && subKey == "SOFTWARE\\" + keyName) || others.count(subKey) > 0;
  }
  ValueRead ReadString(const std::string& subKey, const char* name, std::string* text) override {
    if (others.count(subKey)) {
      auto it = others[subKey].find(name);
      if (it == others[subKey].end()) return ValueRead::kMissing;
      *text = it->second;
      return ValueRead::kFound;
    }
    if (!KeyExists(subKey)) return ValueRead::kMissing;
    if (odd.count(name)) return odd[name];
    auto it = values.find(name);
    if (it == values.end()) return ValueRead::kMissing;
    *text = it->second;
    return ValueRead::kFound;
  }
  std::vector<std::string> SoftwareKeyNames() override {
    std::vector<std::string> names = {"Microsoft"};
    if (keyExists) names.push_back(keyName);
    for (const auto& other : others) names.push_back(other.first.substr(9));
    return names;
  }

  std::string iniName = "P";
  std::string keyName = "P";
  bool keyExists = true;
  // Other records under SOFTWARE, by key path, with their values.
  std::map<std::string, std::map<std::string, std::string>> others;
  std::map<std::string, std::string> values = {
      {"PrinterDriver", "P Driver"},       {"MonitorName", "P Monitor"},
      {"PortName", "P PORT:"},             {"Language", "English"},
      {"Program Directory", "C:\\Dest"},   {"Data Directory", "C:\\ProgramData\\P"},
      {"StartMenuDir", "C:\\Menu\\P"},     {"Uninstaller", "C:\\Menu\\P\\Uninstall Printer Driver.lnk"},
  };
  std::map<std::string, ValueRead> odd;
  std::string askedIni;
};

TEST(UninstallRecord, ACompleteRecord) {
  FakeSource source;
  source.values["Language"] = "Chinese";
  const RecordCheck check = ReadInstallationRecord("C:\\Dest", source);
  EXPECT_EQ(source.askedIni, "C:\\Dest\\Uninstall.ini");
  ASSERT_EQ(check.state, RecordState::kComplete);
  EXPECT_EQ(check.record.driverName, "P Driver");
  EXPECT_EQ(check.record.shortcutPath, "C:\\Menu\\P\\Uninstall Printer Driver.lnk");
  EXPECT_EQ(check.record.languageFlag, 1);
  EXPECT_TRUE(check.languageKnown);
  EXPECT_EQ(DescribeRecordProblem(check, 1), "");
}

// An installation that could make no shortcut leaves both values out.
TEST(UninstallRecord, TheShortcutIsOptional) {
  FakeSource source;
  source.values.erase("StartMenuDir");
  source.values.erase("Uninstaller");
  const RecordCheck check = ReadInstallationRecord("C:\\Dest", source);
  EXPECT_EQ(check.state, RecordState::kComplete);
  EXPECT_TRUE(check.record.startMenuFolder.empty());
}

TEST(UninstallRecord, NoIniOrNoKeyIsNothingToUninstall) {
  FakeSource noIni;
  noIni.iniName.clear();
  noIni.keyExists = false;
  RecordCheck check = ReadInstallationRecord("C:\\Dest", noIni);
  EXPECT_EQ(check.state, RecordState::kNoIni);
  EXPECT_EQ(DescribeRecordProblem(check, 0),
            "There is nothing to uninstall: no uninstall record C:\\Dest\\Uninstall.ini with a printer name was found.");

  FakeSource noKey;
  noKey.keyExists = false;
  check = ReadInstallationRecord("C:\\Dest", noKey);
  EXPECT_EQ(check.state, RecordState::kNoKey);
  EXPECT_EQ(DescribeRecordProblem(check, 0),
            "There is nothing to uninstall: the registry key HKEY_LOCAL_MACHINE\\SOFTWARE\\P does not exist.");

  FakeSource badName;
  badName.iniName = "a\\b";
  badName.keyExists = false;
  EXPECT_EQ(ReadInstallationRecord("C:\\Dest", badName).state, RecordState::kBadName);
}

// The registry decides, not the ini beside the program: an installation cut off
// before it wrote Uninstall.ini is found by its folder, and an ini that names
// another installation's record (edited, or left by another printer) is passed by.
TEST(UninstallRecord, TheRecordIsFoundByItsFolder) {
  FakeSource noIni;
  noIni.iniName.clear();
  noIni.keyName = "打印机";
  RecordCheck check = ReadInstallationRecord("c:\\dest", noIni);
  ASSERT_EQ(check.state, RecordState::kComplete);
  EXPECT_EQ(check.record.printerName, "打印机");
  EXPECT_EQ(check.keyPath, "SOFTWARE\\打印机");

  FakeSource steered;
  steered.iniName = "Q";
  steered.others["SOFTWARE\\Q"] = {{"PrinterDriver", "Q Driver"}, {"Program Directory", "C:\\Other"}};
  check = ReadInstallationRecord("C:\\Dest", steered);
  ASSERT_EQ(check.state, RecordState::kComplete);
  EXPECT_EQ(check.record.printerName, "P");

  // Named on the command line: that record, only from a folder it names (the data
  // folder holds the installation's own copy of the uninstaller).
  check = ReadInstallationRecord("C:\\ProgramData\\P", steered, "P");
  EXPECT_EQ(check.state, RecordState::kComplete);
  EXPECT_EQ(ReadInstallationRecord("C:\\Dest", steered, "Q").state, RecordState::kOtherFolder);
  EXPECT_EQ(ReadInstallationRecord("C:\\Dest", steered, "R").state, RecordState::kNoKey);

  steered.keyExists = false;
  check = ReadInstallationRecord("C:\\Dest", steered);
  EXPECT_EQ(check.state, RecordState::kOtherFolder);
  EXPECT_EQ(DescribeRecordProblem(check, 0),
            "There is nothing to uninstall from this folder: the registry key HKEY_LOCAL_MACHINE\\SOFTWARE\\Q "
            "belongs to the installation in C:\\Other.");
}

// Every problem is named, in the recorded language; a damaged path counts too.
TEST(UninstallRecord, AnIncompleteRecordSaysWhatIsMissing) {
  FakeSource source;
  source.values.erase("PortName");
  source.values["MonitorName"] = "";
  source.odd["Data Directory"] = ValueRead::kWrongType;
  source.odd["Uninstaller"] = ValueRead::kTooLong;
  source.values["Program Directory"] = "C:\\";
  const RecordCheck check = ReadInstallationRecord("C:\\Dest", source);
  ASSERT_EQ(check.state, RecordState::kIncomplete);
  EXPECT_EQ(DescribeRecordProblem(check, 0),
            "The uninstall record is incomplete, so nothing was removed. The registry key "
            "HKEY_LOCAL_MACHINE\\SOFTWARE\\P lacks these values or holds damaged ones:\n"
            "  MonitorName (missing)\n  PortName (missing)\n  Data Directory (not a text)\n"
            "  Uninstaller (too long)\n  Program Directory (not a usable path)");

  FakeSource chinese;
  chinese.values["Language"] = "Chinese";
  chinese.values.erase("PrinterDriver");
  chinese.values["Uninstaller"] = "C:\\Menu\\P\\notes.txt";  // the uninstaller deletes it: must be a shortcut
  const RecordCheck zh = ReadInstallationRecord("C:\\Dest", chinese);
  ASSERT_EQ(zh.state, RecordState::kIncomplete);
  EXPECT_EQ(zh.problems, (std::vector<std::string>{"PrinterDriver (缺少)", "Uninstaller (无效路径)"}));

  FakeSource noLanguage;
  noLanguage.values.erase("Language");
  const RecordCheck unknown = ReadInstallationRecord("C:\\Dest", noLanguage);
  EXPECT_FALSE(unknown.languageKnown);
  EXPECT_EQ(unknown.problems, std::vector<std::string>{"Language (missing)"});
}

TEST(UninstallRecord, FolderPathsThatArePlainlyWrong) {
  // Every spelling of a drive's or share's root, and the system's own folders.
  for (const char* folder : {"C:", "C:\\", "Dest", "\\\\\\x", "C:\\Dest\\..\\..", "\\Dest", "C:\\.", "C:\\\\",
                             "C:\\x\\", "C:\\x\\\\y", "C:\\x.", "c:\\windows", "C:\\Windows\\System32",
                             "C:\\Program Files", "C:\\program files (x86)", "C:\\Users\\Public", "C:\\Users\\Kasse",
                             "\\\\server\\share", "\\\\server\\share\\",
                             "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs",
                             "C:\\Users\\x\\「开始」菜单\\程序"}) {
    FakeSource source;
    source.values["Data Directory"] = folder;
    EXPECT_EQ(ReadInstallationRecord("C:\\Dest", source).state, RecordState::kIncomplete) << folder;
  }
  for (const char* folder : {"D:\\x", "\\\\server\\share\\P", "c:\\ProgramData\\打印机", "C:\\Program Files\\P",
                             "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\P Printer Driver",
                             "C:\\Windows\\Temp\\P"}) {
    FakeSource source;
    source.values["Data Directory"] = folder;
    EXPECT_EQ(ReadInstallationRecord("C:\\Dest", source).state, RecordState::kComplete) << folder;
  }
}

// What the registry hands over: unterminated, with a NUL inside, of another type,
// or longer than any record text.
TEST(UninstallRecord, RegistryDataAsItComes) {
  std::string text;
  EXPECT_EQ(StringFromRegistryData(1, "abc", 3, &text), ValueRead::kFound);
  EXPECT_EQ(text, "abc");
  EXPECT_EQ(StringFromRegistryData(1, "ab\0cd", 5, &text), ValueRead::kFound);
  EXPECT_EQ(text, "ab");
  EXPECT_EQ(StringFromRegistryData(2, "x", 2, &text), ValueRead::kFound);
  EXPECT_EQ(StringFromRegistryData(4, "\1\0\0\0", 4, &text), ValueRead::kWrongType);
  EXPECT_EQ(text, "");
  EXPECT_EQ(StringFromRegistryData(1, nullptr, 0, &text), ValueRead::kFound);
  const std::string longest(255, 'x'), longer(256, 'x');
  EXPECT_EQ(StringFromRegistryData(1, longest.data(), longest.size(), &text), ValueRead::kFound);
  EXPECT_EQ(StringFromRegistryData(1, longer.data(), longer.size(), &text), ValueRead::kTooLong);
}

TEST(UninstallRecord, CommandLine) {
  UninstallOptions options;
  EXPECT_TRUE(ParseArguments("", &options));
  EXPECT_FALSE(options.silent);
  EXPECT_TRUE(ParseArguments("  /S ", &options));
  EXPECT_TRUE(options.silent);
  EXPECT_TRUE(ParseArguments("/s", &options));
  EXPECT_TRUE(ParseArguments("\"/S\"", &options));  // as some launchers quote it
  EXPECT_TRUE(ParseArguments("/printer=\"Rillo 58\" /S", &options));
  EXPECT_EQ(options.printer, "Rillo 58");
  EXPECT_TRUE(options.silent);
  EXPECT_TRUE(ParseArguments("\"/PRINTER=打印机 A\"", &options));
  EXPECT_EQ(options.printer, "打印机 A");
  for (const char* bad : {"/S /S", "/X", "S", "/Silent", "-S", "/PRINTER=", "/PRINTER=a /PRINTER=b", "/LOG="})
    EXPECT_FALSE(ParseArguments(bad, &options)) << bad;
  // Refused, but still without a window, and with the account asked for.
  EXPECT_FALSE(ParseArguments("/X /S /NORESTART /LOG=C:\\u.txt", &options));
  EXPECT_TRUE(options.silent);
  EXPECT_TRUE(options.noRestart);
  EXPECT_EQ(options.logPath, "C:\\u.txt");
  EXPECT_EQ(options.error, "unknown option /X");
  EXPECT_TRUE(ParseArguments("/S /NORESTART", &options));
  EXPECT_STREQ(SkipProgramName("\"C:\\Program Files\\P\\Uninstaller.exe\" /S"), " /S");
  EXPECT_STREQ(SkipProgramName("Uninstaller.exe"), "");
  EXPECT_STREQ(SkipProgramName("\"unterminated"), "");
}

}  // namespace
