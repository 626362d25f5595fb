// The engine's whole sequence against a recording spooler, wizard and log: what
// is registered with which record, which lines the Install log gets on each path,
// and where a failure stops the installation.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "driver/printer_installer.h"

namespace {

using driver::AddedPrinter;
using driver::DriverPath;
using driver::DriverRecord;
using driver::InstallerNames;
using driver::MonitorRecord;
using driver::PortResult;
using driver::PrinterRecord;
using driver::PrinterSettingsChoice;
using driver::PrinterSettingsContent;

std::string Hex(const unsigned char* data, size_t size) {
  std::string text;
  char byte[4];
  for (size_t i = 0; i < size; ++i) {
    std::snprintf(byte, sizeof byte, i ? " %02x" : "%02x", data[i]);
    text += byte;
  }
  return text;
}

std::string Text(const char* text) { return text ? text : "(null)"; }

// One timeline for everything the engine does to the outside: spooler calls,
// wizard steps and log lines ("log ..."), in the order they happen. One call can
// be made to fail with a chosen error code.
class Recorder : public driver::Spooler, public driver::InstallerWizard, public driver::InstallLogSink {
 public:
  std::vector<std::string> events;
  std::vector<std::string> dependentFiles;  // of the last driver record
  std::string failing;                      // "directory", "monitor", "port", "driver", "list", "printer"
  int error = 0;
  bool portUnavailable = false;
  bool waitFails = false;
  int defaultError = 0;  // what SetDefaultPrinter reports
  std::vector<std::string> printers;  // what the spooler lists
  PrinterSettingsChoice choice;       // what the user confirms

  Recorder() {
    std::snprintf(choice.port, sizeof choice.port, "%s", "USB PRINTER PORT:");
    choice.setDefault = true;
  }

  std::vector<std::string> LogLines() const {
    std::vector<std::string> lines;
    for (const std::string& e : events)
      if (e.compare(0, 4, "log ") == 0) lines.push_back(e.substr(4));
    return lines;
  }
  bool Has(const std::string& prefix) const {
    for (const std::string& e : events)
      if (e.compare(0, prefix.size(), prefix) == 0) return true;
    return false;
  }
  std::string Find(const std::string& prefix) const {
    for (const std::string& e : events)
      if (e.compare(0, prefix.size(), prefix) == 0) return e;
    return "";
  }

  // Spooler
  bool DriverDirectory(DriverPath path, char* directory, size_t size) override {
    events.push_back(path == DriverPath::kX64 ? "directory x64" : "directory x86");
    if (Fails("directory")) return false;
    std::snprintf(directory, size, "%s", path == DriverPath::kX64 ? "C:\\spool\\x64" : "C:\\spool\\w32x86");
    return true;
  }
  bool StageFiles(DriverPath path, const char* directory) override {
    events.push_back(std::string("stage ") + (path == DriverPath::kX64 ? "x64 " : "x86 ") + directory);
    return true;
  }
  bool RegisterMonitor(const MonitorRecord& m) override {
    events.push_back("monitor " + Text(m.name) + "|" + Text(m.environment) + "|" + Text(m.dllName));
    return !Fails("monitor");
  }
  PortResult RegisterPort(const char* port, const char* monitor) override {
    events.push_back("port " + Text(port) + "|" + Text(monitor));
    if (portUnavailable) return PortResult::kUnavailable;
    return Fails("port") ? PortResult::kFailed : PortResult::kAdded;
  }
  bool RegisterDriver(const DriverRecord& r) override {
    events.push_back("driver " + std::to_string(r.version) + "|" + Text(r.name) + "|" + Text(r.environment) + "|" +
                     Text(r.driverPath) + "|" + Text(r.dataFile) + "|" + Text(r.configFile) + "|" +
                     Text(r.helpFile));
    dependentFiles.clear();
    // Walk the list by its length: names up to each NUL, and the extra NUL last.
    size_t at = 0;
    while (at < r.dependentFilesLength && r.dependentFiles[at] != '\0') {
      std::string name(r.dependentFiles + at);
      dependentFiles.push_back(name);
      at += name.size() + 1;
    }
    EXPECT_EQ(at + 1, r.dependentFilesLength) << "the list ends in one extra NUL";
    return !Fails("driver");
  }
  bool PrinterNames(std::vector<std::string>* names) override {
    events.push_back("list");
    if (Fails("list")) return false;
    *names = printers;
    return true;
  }
  std::unique_ptr<AddedPrinter> RegisterPrinter(const PrinterRecord& r) override {
    events.push_back("printer " + Text(r.printerName) + "|" + Text(r.shareName) + "|" + Text(r.portName) + "|" +
                     Text(r.driverName) + "|sep=" + Text(r.sepFile) + "|" + Text(r.printProcessor) + "|" +
                     Text(r.datatype) + "|params=" + Text(r.parameters) + "|" + std::to_string(r.attributes));
    if (Fails("printer")) return nullptr;
    return std::unique_ptr<AddedPrinter>(new Printer(this));
  }
  int MakeDefaultPrinter(const char* name) override {
    events.push_back("default " + Text(name));
    return defaultError;
  }
  int LastError() override { return error; }

  // InstallerWizard
  void ShowPrinterSettings(const PrinterSettingsContent& c) override {
    events.push_back("show " + Text(c.printerName) + "|" + Text(c.portName) + "|" + std::to_string(c.languageFlag));
  }
  bool WaitForSettings(PrinterSettingsChoice* out) override {
    events.push_back("wait");
    if (waitFails) return false;
    *out = choice;
    return true;
  }
  void ShowFailurePage() override { events.push_back("failure page"); }

  // InstallLogSink
  void WriteV(const char* format, va_list args) override {
    char line[1024];
    std::vsnprintf(line, sizeof line, format, args);
    events.push_back(std::string("log ") + line);
  }

 private:
  class Printer : public AddedPrinter {
   public:
    explicit Printer(Recorder* owner) : owner_(owner) {}
    ~Printer() override { owner_->events.push_back("close printer"); }
    void SetData(const char* name, unsigned type, const unsigned char* data, size_t size) override {
      owner_->events.push_back("data " + Text(name) + " " + std::to_string(type) + " " + Hex(data, size));
    }

   private:
    Recorder* owner_;
  };

  bool Fails(const char* call) const { return failing == call; }
};

InstallerNames DefaultNames() {
  InstallerNames names;
  names.printerName = "USB Printer";
  names.driverName = "USB Printer Driver";
  names.monitorName = "USB Printer Monitor";
  names.portName = "USB PRINTER PORT:";
  names.printerServiceName = "";
  return names;
}

int Install(DriverPath path, Recorder& r, int languageFlag = 1, InstallerNames names = DefaultNames()) {
  return driver::InstallPrinter(path, names, languageFlag, r, r, r);
}

const std::vector<std::string> kTargets = {
    "USB Printer.ini", "USB PrinterDrv.dll", "USB Printer.gpd", "USB PrinterRES.dll",
    "USB PrinterUI.dll", "UNIRES.DLL", "unidrv.hlp", "UNIDRVUI.dll",
    "UNIDRV.dll", "STDNAMES.GPD", "USB PrinterUIConfig.txt"};

std::vector<std::string> FileLines() {
  std::vector<std::string> lines;
  for (const std::string& t : kTargets) lines.push_back(t + "\r\n");
  return lines;
}

std::vector<std::string> Concat(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

const char kDriverEvent64[] =
    "driver 3|USB Printer Driver|Windows x64|UNIDRV.dll|USB Printer.gpd|UNIDRVUI.dll|UNIDRV.HLP";
const char kDriverEvent32[] =
    "driver 3|USB Printer Driver|Windows NT x86|UNIDRV.dll|USB Printer.gpd|UNIDRVUI.dll|UNIDRV.HLP";
const char kPrinterEvent[] =
    "printer USB Printer|USB Printer|USB PRINTER PORT:|USB Printer Driver|sep=|WinPrint|RAW|params=|4";

TEST(PrinterInstaller, SixtyFourBitPathRunsTheWholeSequence) {
  Recorder r;
  ASSERT_EQ(Install(DriverPath::kX64, r), 1);
  std::vector<std::string> expected = {
      "directory x64",
      "stage x64 C:\\spool\\x64",
      "monitor USB Printer Monitor|Windows x64|USB PrinterMon.dll",
      "port USB PRINTER PORT:|USB Printer Monitor",
      "show USB Printer|USB PRINTER PORT:|1",
      "wait",
  };
  for (const std::string& line : FileLines()) expected.push_back("log " + line);
  expected = Concat(expected, {
                                  kDriverEvent64,
                                  "list",
                                  kPrinterEvent,
                                  "data Position 4 01 00 00 00",
                                  "data Language 4 01 00 00 00",
                                  "data PrinterService 1 00",
                                  "close printer",
                                  "default USB Printer",
                              });
  EXPECT_EQ(r.events, expected);
  EXPECT_EQ(r.dependentFiles, kTargets);
}

TEST(PrinterInstaller, ThirtyTwoBitPathRegistersForNtX86AndLogsNoFileNames) {
  Recorder r;
  ASSERT_EQ(Install(DriverPath::kX86, r, 0), 1);
  const std::vector<std::string> expected = {
      "directory x86",
      "stage x86 C:\\spool\\w32x86",
      "monitor USB Printer Monitor|Windows NT x86|USB PrinterMon.dll",
      "port USB PRINTER PORT:|USB Printer Monitor",
      "show USB Printer|USB PRINTER PORT:|0",
      "wait",
      kDriverEvent32,
      "list",
      kPrinterEvent,
      "data Position 4 01 00 00 00",
      "data Language 4 00 00 00 00",
      "data PrinterService 1 00",
      "close printer",
      "default USB Printer",
  };
  EXPECT_EQ(r.events, expected);
  EXPECT_EQ(r.dependentFiles, kTargets);
}

// A failure that ends the installation: everything up to the failing call as in
// a good run, then the failure's log line, the "Installing Fail" page and
// nothing else.
struct FatalCase {
  DriverPath path;
  const char* failing;
  int error;
  const char* failingCall;  // its event
  const char* logLine;
};

TEST(PrinterInstaller, FatalFailuresStopAtTheFailingCallOnBothPaths) {
  const std::vector<FatalCase> cases = {
      {DriverPath::kX64, "directory", 5, "directory x64", "GetPrinterDriverDirectory = 5\r\n"},
      {DriverPath::kX86, "directory", 5, "directory x86", "GetPrinterDriverDirectory = 5\r\n"},
      {DriverPath::kX64, "driver", 1805, kDriverEvent64, "AddPrinterDriver Error=1805\r\n"},
      {DriverPath::kX86, "driver", 1805, kDriverEvent32, "AddPrinterDriver = 1805\r\n"},
      {DriverPath::kX64, "printer", 1801, kPrinterEvent, "AddPrinter Error=1801\r\n"},
      {DriverPath::kX86, "printer", 1801, kPrinterEvent, "AddPrinter = 1801\r\n"},
      // Codes are written as signed decimals.
      {DriverPath::kX86, "printer", -2147023174, kPrinterEvent, "AddPrinter = -2147023174\r\n"},
  };
  for (const FatalCase& c : cases) {
    SCOPED_TRACE(std::string(c.path == DriverPath::kX64 ? "x64 " : "x86 ") + c.failing);
    Recorder good;
    ASSERT_EQ(Install(c.path, good), 1);
    Recorder r;
    r.failing = c.failing;
    r.error = c.error;
    EXPECT_EQ(Install(c.path, r), 0);

    std::vector<std::string> expected;
    for (const std::string& e : good.events) {
      expected.push_back(e);
      if (e == c.failingCall) break;
    }
    ASSERT_EQ(expected.back(), c.failingCall);
    expected.push_back(std::string("log ") + c.logLine);
    expected.push_back("failure page");
    EXPECT_EQ(r.events, expected);
  }
}

TEST(PrinterInstaller, MonitorFailuresAreLoggedByPathAndTheInstallationGoesOn) {
  struct Case {
    DriverPath path;
    int error;
    std::vector<std::string> logLines;
  };
  const std::vector<Case> cases = {
      // The 64-bit path logs every code, "already installed" included.
      {DriverPath::kX64, 3006, {"AddPrinterMonitor64 Error=3006\r\n"}},
      {DriverPath::kX64, 126, {"AddPrinterMonitor64 Error=126\r\n"}},
      // The 32-bit path is silent about a monitor that is already there.
      {DriverPath::kX86, 3006, {}},
      {DriverPath::kX86, 126, {"AddPrinterMonitor32 = 126\r\n"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.error);
    Recorder r;
    r.failing = "monitor";
    r.error = c.error;
    EXPECT_EQ(Install(c.path, r), 1);
    std::vector<std::string> expected = c.logLines;
    if (c.path == DriverPath::kX64) expected = Concat(expected, FileLines());
    EXPECT_EQ(r.LogLines(), expected);
    EXPECT_TRUE(r.Has(kPrinterEvent));
    EXPECT_FALSE(r.Has("failure page"));
    // The line is written right after the monitor call, before the port.
    if (!c.logLines.empty()) {
      auto monitor = std::find(r.events.begin(), r.events.end(),
                               std::string("monitor USB Printer Monitor|") + driver::RegistrationEnvironment(c.path) +
                                   "|USB PrinterMon.dll");
      ASSERT_NE(monitor, r.events.end());
      EXPECT_EQ(*(monitor + 1), "log " + c.logLines[0]);
    }
  }
}

TEST(PrinterInstaller, PortFailureIsLoggedUnavailablePortIsNot) {
  for (DriverPath path : {DriverPath::kX64, DriverPath::kX86}) {
    Recorder failed;
    failed.failing = "port";
    failed.error = 87;
    EXPECT_EQ(Install(path, failed), 1);
    std::vector<std::string> lines = failed.LogLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "AddPortEx = 87\r\n");
    EXPECT_EQ(lines.size(), path == DriverPath::kX64 ? 12u : 1u);
    EXPECT_TRUE(failed.Has(kPrinterEvent)) << "the printer goes on the existing port";

    Recorder unavailable;
    unavailable.portUnavailable = true;
    unavailable.error = 127;
    EXPECT_EQ(Install(path, unavailable), 1);
    EXPECT_EQ(unavailable.LogLines().size(), path == DriverPath::kX64 ? 11u : 0u);
    EXPECT_TRUE(unavailable.Has(kPrinterEvent));
  }
}

TEST(PrinterInstaller, UnlistablePrintersLeaveTheNameUnchanged) {
  for (DriverPath path : {DriverPath::kX64, DriverPath::kX86}) {
    Recorder r;
    r.failing = "list";
    r.printers = {"USB Printer"};  // would be taken, but the list never arrives
    EXPECT_EQ(Install(path, r), 1);
    EXPECT_TRUE(r.Has(kPrinterEvent));
    EXPECT_EQ(r.LogLines().size(), path == DriverPath::kX64 ? 11u : 0u) << "no log line for the list";
  }
}

TEST(PrinterInstaller, TakenNamesGiveTheNextFreeNumber) {
  Recorder r;
  r.printers = {"Fax", "USB Printer (1)", "USB Printer", "usb printer (2)"};
  EXPECT_EQ(Install(DriverPath::kX86, r), 1);
  EXPECT_EQ(r.Find("printer "),
            "printer USB Printer (2)|USB Printer (2)|USB PRINTER PORT:|USB Printer Driver|sep=|WinPrint|RAW|params=|4");
  EXPECT_EQ(r.Find("default "), "default USB Printer (2)");
  // The files and the driver keep the configured name.
  EXPECT_EQ(r.Find("driver "), kDriverEvent32);
}

TEST(PrinterInstaller, DefaultPrinterOnlyWhenTheBoxIsTicked) {
  for (DriverPath path : {DriverPath::kX64, DriverPath::kX86}) {
    Recorder ticked;
    EXPECT_EQ(Install(path, ticked), 1);
    EXPECT_EQ(ticked.events.back(), "default USB Printer");
    // The handle is closed before the default is asked for.
    EXPECT_EQ(*(ticked.events.end() - 2), "close printer");

    Recorder unticked;
    unticked.choice.setDefault = false;
    EXPECT_EQ(Install(path, unticked), 1);
    EXPECT_FALSE(unticked.Has("default"));
    EXPECT_EQ(unticked.events.back(), "close printer");
  }
}

// What became of the default printer is reported as it happened: the call's own
// error, none made for a service's run, and an update's printer left as it was.
TEST(PrinterInstaller, TheDefaultPrintersOutcomeIsWhatTheCallSaid) {
  Recorder refused;
  refused.defaultError = 1801;
  driver::EngineResult result;
  EXPECT_EQ(driver::InstallPrinter(DriverPath::kX86, DefaultNames(), 0, refused, refused, refused, nullptr, &result), 1);
  EXPECT_EQ(result.printerName, "USB Printer");
  EXPECT_EQ(result.defaultOutcome, driver::DefaultOutcome::kFailed);
  EXPECT_EQ(result.defaultError, 1801);

  Recorder service;
  InstallerNames names = DefaultNames();
  names.defaultLeftToUsers = true;
  EXPECT_EQ(driver::InstallPrinter(DriverPath::kX64, names, 0, service, service, service, nullptr, &result), 1);
  EXPECT_FALSE(service.Has("default"));
  EXPECT_EQ(result.defaultOutcome, driver::DefaultOutcome::kLeftToUsers);

  Recorder update;
  update.printers = {"USB Printer"};
  names = DefaultNames();
  names.updateInPlace = true;
  EXPECT_EQ(driver::InstallPrinter(DriverPath::kX86, names, 0, update, update, update, nullptr, &result), 1);
  EXPECT_FALSE(update.Has("printer USB Printer"));
  EXPECT_FALSE(update.Has("default"));
  EXPECT_EQ(result.printerName, "USB Printer");
  EXPECT_EQ(result.defaultOutcome, driver::DefaultOutcome::kKept);
}

TEST(PrinterInstaller, AnotherChosenPortIsUsed) {
  Recorder r;
  std::snprintf(r.choice.port, sizeof r.choice.port, "%s", "COM1:");
  EXPECT_EQ(Install(DriverPath::kX64, r), 1);
  EXPECT_EQ(r.Find("printer "),
            "printer USB Printer|USB Printer|COM1:|USB Printer Driver|sep=|WinPrint|RAW|params=|4");
  // The configured port was still registered and offered.
  EXPECT_TRUE(r.Has("port USB PRINTER PORT:|USB Printer Monitor"));
  EXPECT_TRUE(r.Has("show USB Printer|USB PRINTER PORT:|1"));
}

TEST(PrinterInstaller, UnterminatedChoiceIsCutToItsBuffer) {
  Recorder r;
  std::memset(r.choice.port, 'P', sizeof r.choice.port);
  EXPECT_EQ(Install(DriverPath::kX86, r), 1);
  EXPECT_NE(r.Find("printer ").find("|" + std::string(driver::kNameSize - 1, 'P') + "|"), std::string::npos);
}

TEST(PrinterInstaller, PrinterDataValues) {
  InstallerNames names = DefaultNames();
  names.printerServiceName = "Svc";
  Recorder r;
  EXPECT_EQ(Install(DriverPath::kX86, r, 0, names), 1);
  EXPECT_EQ(r.Find("data Position"), "data Position 4 01 00 00 00");
  EXPECT_EQ(r.Find("data Language"), "data Language 4 00 00 00 00");
  // The string with its NUL: length + 1 bytes.
  EXPECT_EQ(r.Find("data PrinterService"), "data PrinterService 1 53 76 63 00");

  Recorder chinese;
  EXPECT_EQ(Install(DriverPath::kX64, chinese, 1, names), 1);
  EXPECT_EQ(chinese.Find("data Language"), "data Language 4 01 00 00 00");
}

TEST(PrinterInstaller, NoConfirmationMeansNoRegistration) {
  Recorder r;
  r.waitFails = true;
  EXPECT_EQ(Install(DriverPath::kX64, r), 0);
  EXPECT_EQ(r.events.back(), "failure page");
  EXPECT_EQ(*(r.events.end() - 2), "wait");
  EXPECT_FALSE(r.Has("driver"));
}

TEST(PrinterInstaller, UnusablePrinterNameTouchesNothing) {
  for (const std::string& name : {std::string(68, 'N'), std::string("A:B"), std::string()}) {
    InstallerNames names = DefaultNames();
    names.printerName = name.c_str();
    Recorder r;
    EXPECT_EQ(Install(DriverPath::kX64, r, 1, names), 0);
    EXPECT_EQ(r.events, std::vector<std::string>{"failure page"});
  }
  // 67 bytes still fit every derived name and the 512-byte dependent-file list.
  InstallerNames names = DefaultNames();
  const std::string longest(67, 'N');
  names.printerName = longest.c_str();
  Recorder r;
  EXPECT_EQ(Install(DriverPath::kX64, r, 1, names), 1);
  ASSERT_EQ(r.dependentFiles.size(), 11u);
  EXPECT_EQ(r.dependentFiles[10], longest + "UIConfig.txt");
}

TEST(MakeUniquePrinterName, ExactByteComparisonAndRescan) {
  char unique[256];
  const std::vector<std::string> none;
  ASSERT_TRUE(driver::MakeUniquePrinterName("USB Printer", &none, unique, sizeof unique));
  EXPECT_STREQ(unique, "USB Printer");

  const std::vector<std::string> caseOnly = {"usb printer", "USB PRINTER"};
  ASSERT_TRUE(driver::MakeUniquePrinterName("USB Printer", &caseOnly, unique, sizeof unique));
  EXPECT_STREQ(unique, "USB Printer");

  const std::vector<std::string> taken = {"USB Printer", "USB Printer (1)"};
  ASSERT_TRUE(driver::MakeUniquePrinterName("USB Printer", &taken, unique, sizeof unique));
  EXPECT_STREQ(unique, "USB Printer (2)");

  // A later number listed first is found only because each renaming rescans.
  const std::vector<std::string> reversed = {"P (2)", "P (1)", "P"};
  ASSERT_TRUE(driver::MakeUniquePrinterName("P", &reversed, unique, sizeof unique));
  EXPECT_STREQ(unique, "P (3)");

  // Numbers count up from 1 and stop at the first free one.
  const std::vector<std::string> gap = {"P (3)", "P", "P (1)"};
  ASSERT_TRUE(driver::MakeUniquePrinterName("P", &gap, unique, sizeof unique));
  EXPECT_STREQ(unique, "P (2)");

  ASSERT_TRUE(driver::MakeUniquePrinterName("P", nullptr, unique, sizeof unique));
  EXPECT_STREQ(unique, "P");
}

TEST(MakeUniquePrinterName, NeverWritesPastItsBuffer) {
  char unique[8];
  const std::vector<std::string> taken = {"Print"};
  // "Print (1)" needs 10 bytes.
  EXPECT_FALSE(driver::MakeUniquePrinterName("Print", &taken, unique, sizeof unique));
  EXPECT_STREQ(unique, "");
  EXPECT_FALSE(driver::MakeUniquePrinterName("Printer!", nullptr, unique, sizeof unique));
  EXPECT_TRUE(driver::MakeUniquePrinterName("Printer", nullptr, unique, sizeof unique));
  EXPECT_STREQ(unique, "Printer");
}

TEST(PrinterSettingsTexts, ByLanguage) {
  const driver::PrinterSettingsTexts english = driver::PrinterSettingsTextsFor(0);
  EXPECT_STREQ(english.setDefault, "Set Default Printer");
  EXPECT_STREQ(english.parity, "None");
  EXPECT_STREQ(english.flowControl, "Hardware");
  const driver::PrinterSettingsTexts chinese = driver::PrinterSettingsTextsFor(1);
  // GBK bytes of "设置为默认打印机", "无", "硬件".
  EXPECT_STREQ(chinese.setDefault, "\xc9\xe8\xd6\xc3\xce\xaa\xc4\xac\xc8\xcf\xb4\xf2\xd3\xa1\xbb\xfa");
  EXPECT_STREQ(chinese.parity, "\xce\xde");
  EXPECT_STREQ(chinese.flowControl, "\xd3\xb2\xbc\xfe");
  EXPECT_STREQ(driver::PrinterSettingsTextsFor(7).parity, "\xce\xde") << "any nonzero flag is Chinese";
}

}  // namespace
