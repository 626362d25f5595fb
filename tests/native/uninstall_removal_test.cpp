// The removal against a machine that writes down every call: which printers go, in
// which order, what waits for a restart, what keeps the record, and the exit codes.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "system/install_journal.h"
#include "uninstall/removal.h"

namespace {

using namespace uninstall;

class FakeMachine : public RemovalSystem {
 public:
  unsigned long ListPrinters(std::vector<PrinterInfo>* out) override {
    calls.push_back("list printers");
    *out = printers;
    return listPrintersError;
  }
  bool DefaultPrinter(std::string* name) override {
    *name = defaultPrinter;
    return !defaultPrinter.empty();
  }
  unsigned long MakeDefaultPrinter(const std::string& name) override {
    calls.push_back("default " + name);
    defaultPrinter = name;
    return 0;
  }
  unsigned long DeletePrinter(const std::string& name) override {
    calls.push_back("delete printer " + name);
    return Error("printer " + name);
  }
  unsigned long ListDrivers(const char* environment, std::vector<DriverInfo>* out) override {
    if (drivers.count(environment) == 0) return error::kInvalidEnvironment;
    *out = drivers[environment];
    return 0;
  }
  unsigned long DeleteDriver(const std::string& driver, const char* environment, bool withFiles) override {
    calls.push_back("delete driver " + driver + " / " + environment + (withFiles ? "" : " alone"));
    return Error(std::string(withFiles ? "driver " : "driver alone ") + environment);
  }
  std::string DriverFolder(const char* environment) override {
    return std::string("C:\\spool\\") + (std::string(environment) == "Windows x64" ? "x64" : "w32x86");
  }
  unsigned long ListPorts(std::vector<PortInfo>* out) override {
    *out = ports;
    return 0;
  }
  unsigned long ListMonitors(std::vector<std::string>* out) override {
    out->clear();
    return 0;
  }
  unsigned long RemovePort(const std::string& monitor, const std::string& port) override {
    calls.push_back("delete port " + port + " of " + monitor);
    return Error("port " + port);
  }
  unsigned long RemoveMonitor(const std::string& monitor, const char* environment) override {
    calls.push_back("delete monitor " + monitor + " / " + environment);
    if (monitorEnvironments.count(environment) == 0) return error::kUnknownPrintMonitor;
    return Error("monitor " + std::string(environment));
  }
  std::string SystemFolder() override { return "C:\\Windows\\system32"; }
  unsigned long DeleteFileNow(const std::string& path, bool native) override {
    calls.push_back(std::string(native ? "delete native " : "delete ") + path);
    if (files.count(path) == 0) return error::kFileNotFound;
    const unsigned long e = Error(path);
    if (e == 0) files.erase(path);
    return e;
  }
  unsigned long MoveAside(const std::string& path, std::string* moved) override {
    calls.push_back("aside " + path);
    if (files.erase(path) == 0) return error::kFileNotFound;
    *moved = path + ".1.removed";
    files.insert(*moved);
    if (errors.count(path)) errors[*moved] = errors[path];  // still running, under its new name
    return 0;
  }
  unsigned long DeleteAfterRestart(const std::string& path, bool) override {
    calls.push_back("later " + path);
    return 0;
  }
  unsigned long IdentityOf(const std::string& path, bool, sys::FileIdentity* identity) override {
    *identity = sys::FileIdentity();
    if (files.count(path) == 0) return error::kFileNotFound;
    auto it = identities.find(path);
    if (it != identities.end()) *identity = it->second;
    return 0;
  }
  unsigned long RemoveFolder(const std::string& path) override {
    calls.push_back("rmdir " + path);
    for (const std::string& file : files) {
      if (file.rfind(path + "\\", 0) == 0) return error::kDirNotEmpty;
    }
    return Error("rmdir " + path);
  }
  unsigned long ListFolder(const std::string& path, std::vector<std::string>* names) override {
    names->clear();
    for (const std::string& file : files) {
      if (file.rfind(path + "\\", 0) == 0) names->push_back(file.substr(path.size() + 1));
    }
    return 0;
  }
  unsigned long DeleteKey(const std::string& subKey) override {
    calls.push_back("delete key " + subKey);
    return 0;
  }
  unsigned long SetRunOnce(const char* valueName, const std::string& command) override {
    calls.push_back(std::string("runonce ") + valueName + "=" + command);
    return 0;
  }

  unsigned long Error(const std::string& what) { return errors.count(what) ? errors[what] : 0; }
  // The position of the first call starting with text; calls.size() when none.
  size_t Index(const std::string& text) const {
    for (size_t i = 0; i < calls.size(); ++i) {
      if (calls[i].rfind(text, 0) == 0) return i;
    }
    return calls.size();
  }
  bool Called(const std::string& text) const { return Index(text) < calls.size(); }
  size_t Exactly(const std::string& call) const {
    return static_cast<size_t>(std::find(calls.begin(), calls.end(), call) - calls.begin());
  }

  std::vector<PrinterInfo> printers;
  std::string defaultPrinter;
  std::map<std::string, std::vector<DriverInfo>> drivers;
  std::vector<PortInfo> ports;
  std::set<std::string> monitorEnvironments;
  std::set<std::string> files;
  std::map<std::string, sys::FileIdentity> identities;  // of files that have one
  std::map<std::string, unsigned long> errors;
  unsigned long listPrintersError = 0;
  std::vector<std::string> calls;
};

const char kDest[] = "C:\\Program Files\\P";
const char kOwn[] = "C:\\Program Files\\P\\Uninstaller.exe";

InstallationRecord Record() {
  InstallationRecord r;
  r.printerName = "P";
  r.driverName = "P Driver";
  r.monitorName = "P Monitor";
  r.portName = "P PORT:";
  r.startMenuFolder = "C:\\Menu\\P Printer Driver";
  r.shortcutPath = "C:\\Menu\\P Printer Driver\\Uninstall Printer Driver.lnk";
  r.programFolder = kDest;
  r.dataFolder = "C:\\ProgramData\\P";
  return r;
}

RemovalContext Context() {
  RemovalContext c;
  c.ownProgramPath = kOwn;
  c.packageEntries = {"Left.bmp", "Logo.bmp", "RES80.DLL", "UNIDRV.DLL", "Uninstaller.exe", "ZIKU.UFM"};
  return c;
}

// A machine as an installation of P leaves it, with a printer of another driver
// whose name starts the same, a second installation's "P (1)" and the running
// uninstaller, which the file system refuses to delete.
FakeMachine Installed() {
  FakeMachine m;
  m.printers = {{"P", "P Driver"}, {"P (1)", "p driver"}, {"P Office", "Other Driver"}};
  m.defaultPrinter = "P (1)";
  m.drivers = {{"Windows NT x86",
                {{"Other Driver", {"UNIDRV.DLL", "Other.gpd"}}, {"P Driver", {"UNIDRV.dll", "P.gpd", "PUI.dll"}}}},
               {"Windows x64", {}}};
  m.ports = {{"LPT1:", "Local Port"}, {"P PORT:", "P Monitor"}};
  m.monitorEnvironments = {"Windows NT x86"};
  m.files = {"C:\\Windows\\system32\\PMon.dll", "C:\\Windows\\system32\\PMonUI.dll",
             "C:\\Menu\\P Printer Driver\\Uninstall Printer Driver.lnk", std::string(kDest) + "\\Left.bmp",
             std::string(kDest) + "\\Uninstall.ini", kOwn};
  m.errors[kOwn] = error::kAccessDenied;
  return m;
}

class Phases : public ProgressSink {
 public:
  void Phase(int index, int count, const char* text) override { seen.push_back({index, count, text}); }
  struct Seen {
    int index, count;
    std::string text;
  };
  std::vector<Seen> seen;
};

TEST(UninstallRemoval, EverythingGoesInAnOrderThatNeverStrandsAPrinter) {
  FakeMachine m = Installed();
  Phases phases;
  const RemovalReport report = RemoveInstallation(Record(), Context(), m, &phases);

  EXPECT_TRUE(report.failures.empty());
  // Both printers of the driver, matched without regard to case; the other stays.
  EXPECT_EQ(report.removedPrinters, (std::vector<std::string>{"P", "P (1)"}));
  EXPECT_FALSE(m.Called("delete printer P Office"));
  // The default moved to the printer that stays, before the printers went.
  EXPECT_LT(m.Index("default P Office"), m.Index("delete printer P"));
  // The driver only where it is registered, after its printers.
  EXPECT_LT(m.Index("delete printer P (1)"), m.Index("delete driver P Driver / Windows NT x86"));
  EXPECT_FALSE(m.Called("delete driver P Driver / Windows x64"));
  // The port, then the monitor, then its DLLs in the native system folder.
  EXPECT_LT(m.Index("delete driver"), m.Index("delete port P PORT: of P Monitor"));
  EXPECT_LT(m.Index("delete port"), m.Index("delete monitor P Monitor / Windows NT x86"));
  EXPECT_LT(m.Index("delete monitor"), m.Index("delete native C:\\Windows\\system32\\PMon.dll"));
  EXPECT_TRUE(m.Called("delete native C:\\Windows\\system32\\PMonUI.dll"));
  // The shortcut, its folder, the data folder, the kept pictures.
  EXPECT_LT(m.Index("delete C:\\Menu"), m.Index("rmdir C:\\Menu\\P Printer Driver"));
  EXPECT_TRUE(m.Called("rmdir C:\\ProgramData\\P"));
  EXPECT_TRUE(m.Called(std::string("delete ") + kDest + "\\Left.bmp"));
  EXPECT_TRUE(m.Called(std::string("delete ") + kDest + "\\Logo.bmp"));
  EXPECT_FALSE(m.Called(std::string("delete ") + kDest + "\\UNIDRV.DLL"));  // not kept after an installation
  // The record last: the ini, the list entry, the key (killed before it, a later
  // run still finds the record), then the running uninstaller's folder, which waits
  // for the restart after the uninstaller itself.
  const size_t entry = m.Index("delete key SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\P Printer Driver");
  EXPECT_LT(m.Index(std::string("delete ") + kDest + "\\Left.bmp"), m.Index(std::string("delete ") + kDest + "\\Uninstall.ini"));
  EXPECT_LT(m.Index(std::string("delete ") + kDest + "\\Uninstall.ini"), entry);
  EXPECT_LT(entry, m.Index("delete key SOFTWARE\\P"));
  // Moved aside first: a later installation's Uninstaller.exe is never what the
  // restart deletes.
  EXPECT_LT(m.Index(std::string("aside ") + kOwn), m.Index(std::string("later ") + kOwn));
  EXPECT_LT(m.Exactly(std::string("later ") + kOwn + ".1.removed"), m.Exactly(std::string("later ") + kDest));
  EXPECT_EQ(m.calls.back(), std::string("later ") + kDest);
  EXPECT_TRUE(report.recordRemoved);
  EXPECT_TRUE(report.selfAfterRestart);
  EXPECT_FALSE(report.restartNeeded);
  EXPECT_FALSE(m.Called("runonce"));
  // The uninstaller's own file waiting for a restart is no reason to restart.
  EXPECT_EQ(ExitCodeFor(report), kExitSuccess);
  ASSERT_EQ(phases.seen.size(), 5u);
  EXPECT_EQ(phases.seen.front().index, 0);
  EXPECT_EQ(phases.seen.back().index, 4);
  EXPECT_EQ(phases.seen.back().count, 5);
}

// A second run after the first: nothing of it is left, nothing is reported.
TEST(UninstallRemoval, WhatIsAlreadyGoneIsNoError) {
  FakeMachine m;
  m.drivers = {{"Windows NT x86", {{"Other Driver", {"UNIDRV.DLL"}}}}};
  m.errors["rmdir C:\\Menu\\P Printer Driver"] = error::kFileNotFound;
  m.errors["rmdir C:\\ProgramData\\P"] = error::kPathNotFound;
  m.errors["rmdir C:\\Program Files\\P"] = error::kFileNotFound;
  const RemovalReport report = RemoveInstallation(Record(), Context(), m, nullptr);
  EXPECT_TRUE(report.failures.empty());
  EXPECT_TRUE(report.removedPrinters.empty());
  EXPECT_FALSE(m.Called("delete driver"));
  EXPECT_FALSE(m.Called("delete port"));
  EXPECT_TRUE(report.recordRemoved);
  EXPECT_EQ(ExitCodeFor(report), kExitSuccess);
  EXPECT_EQ(SummaryText(report, Record(), 0), "The printer driver \"P\" has been removed.");
}

TEST(UninstallRemoval, APrinterThatStaysKeepsTheDriverAndTheRecord) {
  FakeMachine m = Installed();
  m.errors["printer P (1)"] = 5;
  const RemovalReport report = RemoveInstallation(Record(), Context(), m, nullptr);
  ASSERT_EQ(report.failures.size(), 1u);
  EXPECT_EQ(report.failures[0].step, Step::kPrinter);
  EXPECT_EQ(report.failures[0].object, "P (1)");
  EXPECT_FALSE(m.Called("delete driver"));
  // What it prints through stays with it: port, monitor, the monitor's DLLs.
  EXPECT_FALSE(m.Called("delete port"));
  EXPECT_FALSE(m.Called("delete monitor"));
  EXPECT_FALSE(m.Called("delete native"));
  EXPECT_FALSE(m.Called("delete key"));
  EXPECT_FALSE(m.Called(std::string("delete ") + kDest + "\\Uninstall.ini"));
  EXPECT_FALSE(report.recordRemoved);
  EXPECT_EQ(ExitCodeFor(report), kExitFailure);
  EXPECT_EQ(SummaryText(report, Record(), 0),
            "These steps failed:\n- removing the printer \"P (1)\": error 5\n"
            "The uninstall record was kept: run the uninstaller again to finish.");
}

// A driver or monitor the spooler still holds: the uninstaller runs once more after
// the restart, so it keeps its record and itself, and the monitor's DLLs wait for it.
TEST(UninstallRemoval, ADriverInUseRunsAgainAfterTheRestart) {
  FakeMachine m = Installed();
  m.errors["driver Windows NT x86"] = error::kPrinterDriverInUse;
  m.errors["monitor Windows NT x86"] = error::kPrintMonitorInUse;
  const RemovalReport report = RemoveInstallation(Record(), Context(), m, nullptr);
  EXPECT_TRUE(report.failures.empty());
  EXPECT_TRUE(m.Called(std::string("runonce !ZulUninstaller P=\"") + kOwn + "\" \"/PRINTER=P\" /S"));
  EXPECT_FALSE(m.Called("delete native"));
  EXPECT_FALSE(m.Called("delete key"));
  EXPECT_FALSE(m.Called(std::string("later ") + kOwn));
  EXPECT_TRUE(report.rerunScheduled);
  EXPECT_EQ(ExitCodeFor(report), kExitRestartNeeded);
}

// A monitor DLL the spooler holds goes at the restart; no second run is needed.
TEST(UninstallRemoval, AFileInUseGoesAtTheRestart) {
  FakeMachine m = Installed();
  m.errors["C:\\Windows\\system32\\PMon.dll"] = error::kSharingViolation;
  const RemovalReport report = RemoveInstallation(Record(), Context(), m, nullptr);
  EXPECT_TRUE(m.Called("later C:\\Windows\\system32\\PMon.dll"));
  EXPECT_TRUE(report.restartNeeded);
  EXPECT_FALSE(m.Called("runonce"));
  EXPECT_TRUE(report.recordRemoved);
  EXPECT_EQ(ExitCodeFor(report), kExitRestartNeeded);
  EXPECT_NE(SummaryText(report, Record(), 0).find("restart Windows"), std::string::npos);
}

// Another port of the monitor keeps it and its DLLs; so does a port that could not go.
TEST(UninstallRemoval, TheMonitorStaysWhileAPortUsesIt) {
  FakeMachine m = Installed();
  m.ports.push_back({"P PORT 2:", "p monitor"});
  RemovalReport report = RemoveInstallation(Record(), Context(), m, nullptr);
  EXPECT_TRUE(m.Called("delete port P PORT: of P Monitor"));
  EXPECT_FALSE(m.Called("delete port P PORT 2:"));
  EXPECT_FALSE(m.Called("delete monitor"));
  EXPECT_FALSE(m.Called("delete native"));
  EXPECT_TRUE(report.failures.empty());

  FakeMachine refused = Installed();
  refused.errors["port P PORT:"] = 1;
  report = RemoveInstallation(Record(), Context(), refused, nullptr);
  EXPECT_FALSE(refused.Called("delete monitor"));
  ASSERT_EQ(report.failures.size(), 1u);
  EXPECT_EQ(report.failures[0].step, Step::kPort);
}

// A user's file in the destination folder keeps it (and is said); the uninstaller's
// own file still waits for the restart, the folder is not scheduled.
TEST(UninstallRemoval, AUsersFileKeepsTheDestinationFolder) {
  FakeMachine m = Installed();
  m.files.insert(std::string(kDest) + "\\notes.txt");
  m.files.insert(std::string(kDest) + "\\photo.bmp");
  const RemovalReport report = RemoveInstallation(Record(), Context(), m, nullptr);
  EXPECT_FALSE(m.Called(std::string("delete ") + kDest + "\\notes.txt"));
  EXPECT_FALSE(m.Called(std::string("delete ") + kDest + "\\photo.bmp"));
  EXPECT_TRUE(m.Called(std::string("later ") + kOwn + ".1.removed"));
  EXPECT_EQ(m.Exactly(std::string("later ") + kDest), m.calls.size());
  EXPECT_EQ(report.keptFolders, std::vector<std::string>{kDest});
  EXPECT_EQ(ExitCodeFor(report), kExitSuccess);
  EXPECT_NE(SummaryText(report, Record(), 0).find("holds other files and was kept"), std::string::npos);
}

// Run from elsewhere (a copy), the uninstaller deletes the package's Uninstaller.exe
// in the destination folder like any kept file, and the emptied folder at once.
TEST(UninstallRemoval, RunFromAnotherFolderTheDestinationGoesAtOnce) {
  FakeMachine m = Installed();
  m.errors.erase(kOwn);
  RemovalContext c = Context();
  c.ownProgramPath = "C:\\Temp\\Uninstaller.exe";
  const RemovalReport report = RemoveInstallation(Record(), c, m, nullptr);
  EXPECT_TRUE(m.Called(std::string("delete ") + kOwn));
  EXPECT_TRUE(m.Called(std::string("rmdir ") + kDest));
  EXPECT_FALSE(report.selfAfterRestart);
  EXPECT_TRUE(report.failures.empty());
}

// Without the printer list nothing shows which printers need the driver: no spooler
// object is touched, the record stays.
TEST(UninstallRemoval, WithoutThePrinterListTheSpoolerIsLeftAlone) {
  FakeMachine m = Installed();
  m.listPrintersError = 1722;
  const RemovalReport report = RemoveInstallation(Record(), Context(), m, nullptr);
  EXPECT_FALSE(m.Called("delete printer"));
  EXPECT_FALSE(m.Called("delete driver"));
  EXPECT_FALSE(m.Called("delete port"));
  EXPECT_FALSE(m.Called("delete monitor"));
  EXPECT_FALSE(m.Called("delete native"));
  EXPECT_FALSE(report.recordRemoved);
  EXPECT_EQ(ExitCodeFor(report), kExitFailure);
  EXPECT_EQ(SummaryText(report, Record(), 1).rfind("以下步骤失败：\n- 列出打印机：错误 1722", 0), 0u);
}

// Wine's spooler refuses DPD_DELETE_UNUSED_FILES with 87: the driver goes alone and
// its files that no other driver names are deleted from the version folder; so are
// the staged copies beside it, in both cases.
TEST(UninstallRemoval, DriverFilesNoOtherDriverUses) {
  FakeMachine m = Installed();
  m.errors["driver Windows NT x86"] = error::kInvalidParameter;
  const RemovalReport report = RemoveInstallation(Record(), Context(), m, nullptr);
  EXPECT_TRUE(report.failures.empty());
  EXPECT_LT(m.Index("delete driver P Driver / Windows NT x86"), m.Index("delete driver P Driver / Windows NT x86 alone"));
  for (const char* file : {"P.gpd", "PUI.dll"}) {
    EXPECT_TRUE(m.Called(std::string("delete C:\\spool\\w32x86\\3\\") + file)) << file;
    EXPECT_TRUE(m.Called(std::string("delete C:\\spool\\w32x86\\") + file)) << file;
  }
  EXPECT_FALSE(m.Called("delete C:\\spool\\w32x86\\3\\UNIDRV.dll"));  // Other Driver's too
  EXPECT_FALSE(m.Called("delete C:\\spool\\w32x86\\UNIDRV.dll"));

  FakeMachine windows = Installed();
  RemoveInstallation(Record(), Context(), windows, nullptr);
  EXPECT_FALSE(windows.Called("delete driver P Driver / Windows NT x86 alone"));
  EXPECT_FALSE(windows.Called("delete C:\\spool\\w32x86\\3\\"));  // the spooler's business there
  EXPECT_TRUE(windows.Called("delete C:\\spool\\w32x86\\P.gpd"));
}

sys::JournalEntry Journaled(sys::JournalKind kind, const std::string& name, const std::string& other = "") {
  sys::JournalEntry entry;
  entry.kind = kind;
  entry.name = name;
  entry.other = other;
  return entry;
}

// A rollback takes away what the run made and nothing of what was there: the
// earlier installation's printer, port and monitor stay; a half-made printer goes by
// its name; the default goes back to the printer it was taken from.
TEST(UninstallRemoval, ARollbackTakesOnlyWhatTheRunMade) {
  FakeMachine m = Installed();
  m.printers.push_back({"P (2)", ""});  // killed inside AddPrinter: no driver yet
  m.defaultPrinter = "P (2)";
  m.drivers["Windows NT x86"].push_back({"Q Driver", {"Q.gpd"}});
  m.files.insert("C:\\New\\a.txt");
  RemovalContext c = Context();
  c.ownProgramPath = "C:\\Downloads\\setup.exe";
  c.scope = RemovalScope::kRun;
  c.hasJournal = true;
  sys::JournalEntry shared = Journaled(sys::JournalKind::kFile, std::string(kDest) + "\\Left.bmp");
  shared.shared = true;  // another printer's, the same as the package's: used, not made
  c.journal = {shared, Journaled(sys::JournalKind::kFolder, "C:\\New"), Journaled(sys::JournalKind::kFile, "C:\\New\\a.txt"),
               Journaled(sys::JournalKind::kDriver, "Q Driver", "Windows NT x86"),
               Journaled(sys::JournalKind::kPrinter, "P (2)"),
               Journaled(sys::JournalKind::kDefaultPrinter, "P (2)", "P Office")};
  m.errors["driver Windows NT x86"] = error::kPrinterDriverInUse;
  RemovalReport report = RemoveInstallation(Record(), c, m, nullptr);
  EXPECT_EQ(report.removedPrinters, std::vector<std::string>{"P (2)"});
  EXPECT_LT(m.Index("default P Office"), m.Index("delete printer P (2)"));
  EXPECT_FALSE(m.Called("delete driver P Driver"));
  EXPECT_FALSE(m.Called("delete port"));
  EXPECT_FALSE(m.Called("delete monitor"));
  EXPECT_FALSE(m.Called("delete native"));
  EXPECT_LT(m.Index("delete C:\\New\\a.txt"), m.Index("rmdir C:\\New"));
  EXPECT_FALSE(m.Called(std::string("delete ") + kDest + "\\Left.bmp"));
  EXPECT_FALSE(m.Called("delete key"));
  // A driver still in use has no second run to wait for: it is a failure.
  EXPECT_FALSE(m.Called("runonce"));
  ASSERT_EQ(report.failures.size(), 1u);
  EXPECT_EQ(DescribeFailure(report.failures[0]), "removing the driver \"Q Driver (Windows NT x86)\": error 3001");

  // A run that made no spooler object needs no spooler to be undone, and a new
  // installation's record goes with it.
  FakeMachine down = Installed();
  down.listPrintersError = 1722;
  c.journal = {Journaled(sys::JournalKind::kFolder, "C:\\New"),
               Journaled(sys::JournalKind::kRegistryKey, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\P Printer Driver")};
  c.removeRecord = true;
  report = RemoveInstallation(Record(), c, down, nullptr);
  EXPECT_TRUE(report.failures.empty());
  EXPECT_FALSE(down.Called("list printers"));
  EXPECT_LT(down.Index("delete key SOFTWARE\\Microsoft"), down.Index("delete key SOFTWARE\\P"));
  EXPECT_TRUE(report.recordRemoved);
}

// The uninstaller with a journal: what it names goes (the package's names no longer
// decide), the recorded printer goes by its name too, and a default printer that has
// nowhere to go is said, not failed.
TEST(UninstallRemoval, TheJournalNamesWhatTheUninstallerRemoves) {
  FakeMachine m;
  m.printers = {{"P", ""}};
  m.defaultPrinter = "P";
  m.drivers = {{"Windows NT x86", {}}};
  const std::string dest = kDest;
  m.files = {dest + "\\Tool.exe", dest + "\\Left.bmp", dest + "\\Uninstall.ini", dest + "\\Logo.bmp",
             dest + "\\Uninstaller.exe", "C:\\ProgramData\\P\\notes.txt"};
  sys::JournalEntry logo = Journaled(sys::JournalKind::kFile, dest + "\\Logo.bmp");
  logo.identity = {true, 100, 5};
  m.identities[dest + "\\Logo.bmp"] = {true, 100, 6};  // written again since, by the shop
  sys::JournalEntry tool = Journaled(sys::JournalKind::kFile, dest + "\\Tool.exe");
  tool.identity = {true, 7, 8};
  m.identities[dest + "\\Tool.exe"] = {true, 7, 8};
  RemovalContext c = Context();
  c.hasJournal = true;
  c.journal = {Journaled(sys::JournalKind::kFolder, "C:\\ProgramData\\P"), tool, logo,
               Journaled(sys::JournalKind::kFile, dest + "\\Uninstaller.exe"),
               Journaled(sys::JournalKind::kFile, dest + "\\Uninstall.ini")};
  c.ownProgramPath = "C:\\ProgramData\\P\\Uninstaller.exe";
  c.usedElsewhere = {dest + "\\uninstaller.exe"};  // another printer installed into the same folder
  const RemovalReport report = RemoveInstallation(Record(), c, m, nullptr);
  EXPECT_TRUE(report.failures.empty());
  EXPECT_EQ(report.removedPrinters, std::vector<std::string>{"P"});
  EXPECT_EQ(report.defaultNotMoved, "P");
  EXPECT_TRUE(m.Called("delete " + dest + "\\Tool.exe"));
  EXPECT_FALSE(m.Called("delete " + dest + "\\Left.bmp"));  // not the journal's: not ours
  EXPECT_FALSE(m.Called("delete " + dest + "\\Logo.bmp"));
  EXPECT_EQ(report.changedFiles, std::vector<std::string>{dest + "\\Logo.bmp"});
  EXPECT_FALSE(m.Called("delete " + dest + "\\Uninstaller.exe"));
  // Folders the installation did not make stay, even when nothing is left in them;
  // one it made keeps the user's file.
  EXPECT_FALSE(m.Called("rmdir " + dest));
  EXPECT_FALSE(m.Called("rmdir C:\\Menu"));
  EXPECT_EQ(report.keptFolders, std::vector<std::string>{"C:\\ProgramData\\P"});
  EXPECT_EQ(ExitCodeFor(report), kExitSuccess);
  const std::string summary = SummaryText(report, Record(), 0);
  EXPECT_NE(summary.find("\"P\" was the default printer and no other printer could take its place."), std::string::npos);
  EXPECT_NE(summary.find("The file \"" + dest + "\\Logo.bmp\" was changed since the installation and was kept."),
            std::string::npos);
}

TEST(UninstallRemoval, KeptPackageFilesAreThePicturesAndPrograms) {
  EXPECT_EQ(KeptPackageFiles({"Left.bmp", "RILLO80.gpd", "UNIDRV.DLL", "Uninstaller.exe", "a.JPG", "ZIKU.UFM",
                              "x.dll.x64"}),
            (std::vector<std::string>{"Left.bmp", "Uninstaller.exe", "a.JPG"}));
}

}  // namespace
