// The removal of one installation, in an order that never leaves a printer without
// its driver: the printers that use the recorded driver (the default printer moved
// away from them first), the driver in each environment it is registered for, the
// port and then the monitor when no other port needs it, the monitor DLLs, the
// Start-menu folder, the data folder and the files the installation kept in the
// destination folder, and last the record itself. The machine sits behind
// RemovalSystem, so order, matching and the restart and failure rules are tested
// without one.
#pragma once

#include <string>
#include <vector>

#include "system/install_journal.h"
#include "uninstall/installation_record.h"

namespace uninstall {

// The Win32 error codes the rules look at.
namespace error {
constexpr unsigned long kFileNotFound = 2;
constexpr unsigned long kPathNotFound = 3;
constexpr unsigned long kAccessDenied = 5;
constexpr unsigned long kInvalidParameter = 87;
constexpr unsigned long kSharingViolation = 32;
constexpr unsigned long kDirNotEmpty = 145;
constexpr unsigned long kDirectory = 267;  // not a folder
constexpr unsigned long kUnknownPort = 1796;
constexpr unsigned long kUnknownPrinterDriver = 1797;
constexpr unsigned long kInvalidPrinterName = 1801;
constexpr unsigned long kInvalidEnvironment = 1805;
constexpr unsigned long kUnknownPrintMonitor = 3000;
constexpr unsigned long kPrinterDriverInUse = 3001;
constexpr unsigned long kPrintMonitorInUse = 3008;
}  // namespace error

// Exit codes, the ones administrators know from Windows Installer.
constexpr int kExitSuccess = 0;
constexpr int kExitBadCommandLine = 87;
constexpr int kExitCancelled = 1602;
constexpr int kExitFailure = 1603;
constexpr int kExitNothingToUninstall = 1605;
constexpr int kExitAnotherRun = 1618;  // a setup or uninstall of this printer ran on
constexpr int kExitRestartNeeded = 3010;

// The two environments a driver or monitor of ours can be registered for.
extern const char* const kEnvironments[2];

struct PrinterInfo {
  std::string name;
  std::string driver;
};

struct DriverInfo {
  std::string name;
  std::vector<std::string> files;  // bare names: driver, data, configuration, help, dependent files
};

struct PortInfo {
  std::string name;
  std::string monitor;  // may be empty when the spooler does not say
};

// Every call returns a Win32 error code, 0 for success.
class RemovalSystem {
 public:
  virtual ~RemovalSystem() = default;
  virtual unsigned long ListPrinters(std::vector<PrinterInfo>* printers) = 0;
  // False when there is no default printer.
  virtual bool DefaultPrinter(std::string* name) = 0;
  virtual unsigned long MakeDefaultPrinter(const std::string& name) = 0;
  virtual unsigned long DeletePrinter(const std::string& name) = 0;
  virtual unsigned long ListDrivers(const char* environment, std::vector<DriverInfo>* drivers) = 0;
  // Version 3; withFiles: and the files no other driver uses.
  virtual unsigned long DeleteDriver(const std::string& driver, const char* environment, bool withFiles) = 0;
  // The spooler's driver folder of the environment; its "3" folder holds version 3's files.
  virtual std::string DriverFolder(const char* environment) = 0;
  virtual unsigned long ListPorts(std::vector<PortInfo>* ports) = 0;
  // The port monitors' names (the setup asks before it registers one).
  virtual unsigned long ListMonitors(std::vector<std::string>* monitors) = 0;
  // Through the monitor that owns the port.
  virtual unsigned long RemovePort(const std::string& monitor, const std::string& port) = 0;
  virtual unsigned long RemoveMonitor(const std::string& monitor, const char* environment) = 0;
  // The native system folder (not the 32-bit one of a WOW64 process).
  virtual std::string SystemFolder() = 0;
  // native: a file of SystemFolder(), reached with WOW64 redirection off.
  virtual unsigned long DeleteFileNow(const std::string& path, bool native) = 0;
  // Renames a file (the running uninstaller) to a name of its own in the same folder;
  // *moved gets the new path.
  virtual unsigned long MoveAside(const std::string& path, std::string* moved) = 0;
  // A file, or an empty folder, deleted when Windows next starts.
  virtual unsigned long DeleteAfterRestart(const std::string& path, bool native) = 0;
  // What the file looks like now (size, time of writing); an error when it is not
  // there.
  virtual unsigned long IdentityOf(const std::string& path, bool native, sys::FileIdentity* identity) = 0;
  // Only an empty folder; kDirNotEmpty otherwise.
  virtual unsigned long RemoveFolder(const std::string& path) = 0;
  // The names in a folder, "." and ".." left out.
  virtual unsigned long ListFolder(const std::string& path, std::vector<std::string>* names) = 0;
  // HKEY_LOCAL_MACHINE\<subKey> in the 64-bit view, with its values; not its subkeys.
  virtual unsigned long DeleteKey(const std::string& subKey) = 0;
  // The RunOnce value that runs command once after the next start of Windows.
  virtual unsigned long SetRunOnce(const char* valueName, const std::string& command) = 0;
};

// Where the work stands, for the progress window.
class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  // Phase index of count is starting; text is its status line.
  virtual void Phase(int index, int count, const char* text) = 0;
};

enum class Step {
  kListPrinters,
  kPrinter,
  kListDrivers,
  kDriver,
  kListPorts,
  kPort,
  kMonitor,
  kFile,
  kFolder,
  kKey,
  kRunOnce,
};

struct Failure {
  Step step;
  std::string object;  // the printer, driver, port, file, folder or key
  unsigned long error;
};

struct RemovalReport {
  std::vector<Failure> failures;
  std::vector<std::string> removedPrinters;
  bool restartNeeded = false;   // part of the driver goes only at the next start of Windows
  bool rerunScheduled = false;  // the uninstaller runs once more then (RunOnce)
  bool selfAfterRestart = false;  // the uninstaller's own file and folder go then
  bool recordRemoved = false;
  std::vector<std::string> keptFolders;  // they hold files that are not ours
  // Files of the installation that somebody changed since (another size or time of
  // writing than the journal knows): they are not ours to delete any more.
  std::vector<std::string> changedFiles;
  // The default printer was one of ours and no other printer could take its place
  // (none left, or the spooler refused): not a failure, it only has to be said.
  std::string defaultNotMoved;
};

enum class RemovalScope {
  // The uninstaller: everything the record and its journal name, the record last.
  kInstallation,
  // A rollback: only what the journal entries name, which one run of the setup
  // made; what was there before the run (a port or driver of an earlier
  // installation) stays.
  kRun,
};

struct RemovalContext {
  // The running program's own full path (the uninstaller's; a rollback's setup
  // program is never inside what it removes).
  std::string ownProgramPath;
  // The package's entry names: for a record of an older setup, which kept no
  // journal, the only files besides "Uninstall.ini" and the uninstaller that are
  // deleted from the destination and data folders.
  std::vector<std::string> packageEntries;
  RemovalScope scope = RemovalScope::kInstallation;
  // The journal's entries in the order they were written: the installation's (or,
  // for kRun, the run's) objects. hasJournal: the record keeps one.
  std::vector<sys::JournalEntry> journal;
  bool hasJournal = false;
  // The journal began over an older setup's installation: its files go by the
  // package's names too.
  bool olderFiles = false;
  // Files other installations' journals name (two printers in one folder share
  // the package's files): they stay until the last of them goes.
  std::vector<std::string> usedElsewhere;
  // kRun: the run made the record, which goes at the end too.
  bool removeRecord = false;
};

// The name of older uninstallers' shared RunOnce value; a new installation deletes
// it (and this printer's own, sys::RunOnceValueNameFor).
extern const char kRunOnceValueName[];

RemovalReport RemoveInstallation(const InstallationRecord& record, const RemovalContext& context,
                                 RemovalSystem& system, ProgressSink* progress);

// The account of a removal for a log, one line each, in English: what went, what
// stays and why, what waits for a restart.
std::vector<std::string> ReportLines(const RemovalReport& report);

// One failure in English words ("removing the port \"P PORT:\": error 5"), for a log.
std::string DescribeFailure(const Failure& failure);

// 1603 when a step failed, else 3010 when something waits for a restart (the
// uninstaller's own file alone does not count), else 0.
int ExitCodeFor(const RemovalReport& report);

// The last message: done, restart, kept folders, and every failed step with its code.
std::string SummaryText(const RemovalReport& report, const InstallationRecord& record, int languageFlag);

// The destination folder's files the uninstaller removes: the package's entries the
// clean-up after an installation keeps (the pictures and programs), by name.
std::vector<std::string> KeptPackageFiles(const std::vector<std::string>& packageEntries);

}  // namespace uninstall
