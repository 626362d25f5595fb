#include "uninstall/removal.h"

#include <cstdio>

#include "system/ansi_text.h"
#include "system/destination_cleanup.h"
#include "system/uninstall_record.h"
#include "uninstall/uninstall_texts.h"

namespace uninstall {

const char* const kEnvironments[2] = {"Windows NT x86", "Windows x64"};
const char kRunOnceValueName[] = "ZulUninstaller";

namespace {

// The spooler and the file system compare names without regard to case.
bool SameName(const std::string& a, const std::string& b) { return sys::EqualsIgnoringAsciiCase(a.c_str(), b.c_str()); }

bool IsGone(unsigned long error) { return error == error::kFileNotFound || error == error::kPathNotFound; }
bool IsBusy(unsigned long error) { return error == error::kAccessDenied || error == error::kSharingViolation; }

// The file name after the last separator.
std::string NameOf(const std::string& path) {
  const std::string folder = sys::FolderOfPath(path.c_str());
  return folder.empty() ? path : path.substr(folder.size() + 1);
}

class Removal {
 public:
  Removal(const InstallationRecord& record, const RemovalContext& context, RemovalSystem& system,
          ProgressSink* progress)
      : r_(record), context_(context), system_(system), progress_(progress) {}

  RemovalReport Run() {
    Phase(0, Text::kRemovingPrinters);
    const bool printersGone = RemovePrinters();
    Phase(1, Text::kRemovingDriver);
    if (printersGone) RemoveDrivers();
    Phase(2, Text::kRemovingPort);
    const bool monitorSettled = spoolerKnown_ && printersGone && RemovePortsAndMonitors();
    Phase(3, Text::kRemovingFiles);
    RemoveFiles(monitorSettled);

    Phase(4, Text::kRemovingRecord);
    if (rerun_) {
      // This printer's own value, retried when cut off, naming the record it acts on.
      const std::string command =
          "\"" + context_.ownProgramPath + "\" \"/PRINTER=" + r_.printerName + "\" /S";
      const std::string value = sys::RunOnceValueNameFor(r_.printerName.c_str());
      const unsigned long error = system_.SetRunOnce(value.c_str(), command);
      if (error) {
        Fail(Step::kRunOnce, value, error);
      } else {
        report_.rerunScheduled = true;
        report_.restartNeeded = true;
      }
    }
    // The record goes last, and only when nothing is left to try again: a run that
    // failed somewhere, or must run again after a restart, finds it next time.
    if (report_.failures.empty() && !rerun_) {
      if (installation()) {
        RemoveRecord();
      } else if (context_.removeRecord) {
        RemoveJournalKeys();
        RemoveKey("SOFTWARE\\" + r_.printerName);
        report_.recordRemoved = report_.failures.empty();
      } else {
        RemoveJournalKeys();
      }
    }
    return report_;
  }

 private:
  bool installation() const { return context_.scope == RemovalScope::kInstallation; }

  void Phase(int index, Text text) {
    if (progress_) progress_->Phase(index, 5, UninstallString(text, r_.languageFlag));
  }

  void Fail(Step step, const std::string& object, unsigned long error) {
    report_.failures.push_back(Failure{step, object, error});
  }

  // The journal's entries of one kind, in the order they were written.
  std::vector<const sys::JournalEntry*> Journaled(sys::JournalKind kind) const {
    std::vector<const sys::JournalEntry*> found;
    for (const sys::JournalEntry& entry : context_.journal) {
      if (entry.kind == kind) found.push_back(&entry);
    }
    return found;
  }

  static bool Contains(const std::vector<std::string>& names, const std::string& name) {
    for (const std::string& each : names) {
      if (SameName(each, name)) return true;
    }
    return false;
  }

  // True when no printer of ours is left: those of the recorded driver and the
  // recorded name (the uninstaller), and those the journal names (a printer the
  // spooler holds only half-made has no driver to go by).
  bool RemovePrinters() {
    // A rollback of a run that made no printer needs no spooler (it may be the one
    // that failed).
    if (!installation() && Journaled(sys::JournalKind::kPrinter).empty()) {
      spoolerKnown_ = true;
      return true;
    }
    std::vector<PrinterInfo> printers;
    if (const unsigned long error = system_.ListPrinters(&printers)) {
      // Without the list nothing shows which printers still need the driver.
      Fail(Step::kListPrinters, "", error);
      return false;
    }
    spoolerKnown_ = true;
    std::vector<std::string> named;
    for (const sys::JournalEntry* entry : Journaled(sys::JournalKind::kPrinter)) named.push_back(entry->name);
    if (installation()) named.push_back(r_.printerName);
    std::vector<std::string> ours;
    for (const PrinterInfo& printer : printers) {
      const bool byDriver = installation() && SameName(printer.driver, r_.driverName);
      if ((byDriver || Contains(named, printer.name)) && !Contains(ours, printer.name)) ours.push_back(printer.name);
    }
    MoveDefaultAway(printers, ours);
    bool allGone = true;
    for (const std::string& name : ours) {
      const unsigned long error = system_.DeletePrinter(name);
      if (error == 0) {
        report_.removedPrinters.push_back(name);
      } else if (error != error::kInvalidPrinterName) {
        Fail(Step::kPrinter, name, error);
        allGone = false;
      }
    }
    return allGone;
  }

  // The default printer must not stay on a printer that goes: back to the one the
  // installation replaced when the journal knows it and it is still there, else to
  // the first other printer. When none can take it, that is said, not failed.
  void MoveDefaultAway(const std::vector<PrinterInfo>& printers, const std::vector<std::string>& ours) {
    std::string current;
    if (ours.empty() || !system_.DefaultPrinter(&current) || !Contains(ours, current)) return;
    std::vector<std::string> candidates;
    for (const sys::JournalEntry* entry : Journaled(sys::JournalKind::kDefaultPrinter)) {
      if (!entry->other.empty()) candidates.insert(candidates.begin(), entry->other);
    }
    for (const PrinterInfo& printer : printers) candidates.push_back(printer.name);
    for (const std::string& candidate : candidates) {
      if (Contains(ours, candidate)) continue;
      bool listed = false;
      for (const PrinterInfo& printer : printers) listed = listed || SameName(printer.name, candidate);
      if (!listed) continue;
      if (system_.MakeDefaultPrinter(candidate) == 0) return;
    }
    report_.defaultNotMoved = current;
  }

  void RemoveDrivers() {
    if (installation()) {
      for (const char* environment : kEnvironments) RemoveDriver(r_.driverName, environment);
      return;
    }
    for (const sys::JournalEntry* entry : Journaled(sys::JournalKind::kDriver)) {
      for (const char* environment : kEnvironments) {
        if (entry->other == environment) RemoveDriver(entry->name, environment);
      }
    }
  }

  void RemoveDriver(const std::string& driverName, const char* environment) {
    std::vector<DriverInfo> drivers;
    const unsigned long listed = system_.ListDrivers(environment, &drivers);
    if (listed == error::kInvalidEnvironment) return;  // a spooler that knows only its own
    if (listed) {
      Fail(Step::kListDrivers, environment, listed);
      return;
    }
    // Our driver's files, and every file another driver of the environment names.
    const DriverInfo* ours = nullptr;
    std::vector<std::string> othersFiles;
    for (const DriverInfo& driver : drivers) {
      if (SameName(driver.name, driverName)) {
        ours = &driver;
      } else {
        othersFiles.insert(othersFiles.end(), driver.files.begin(), driver.files.end());
      }
    }
    if (!ours) return;
    unsigned long error = system_.DeleteDriver(driverName, environment, true);
    bool filesLeft = false;
    if (error == error::kInvalidParameter) {
      // A spooler that cannot delete the files with the driver (Wine's refuses the
      // flag): the driver alone, then its files that no other driver names.
      error = system_.DeleteDriver(driverName, environment, false);
      filesLeft = true;
    }
    if (error == error::kPrinterDriverInUse && installation()) {
      // The spooler lets go of it when Windows restarts; the uninstaller runs again then.
      rerun_ = true;
      return;
    }
    if (error && error != error::kUnknownPrinterDriver) {
      Fail(Step::kDriver, driverName + " (" + environment + ")", error);
      return;
    }
    const std::string folder = system_.DriverFolder(environment);
    if (folder.empty()) return;
    for (const std::string& file : ours->files) {
      if (Contains(othersFiles, file)) continue;
      if (filesLeft) RemoveFile(folder + "\\3\\" + file, false, false);
      // The copies the installation staged for the spooler beside the version folders.
      RemoveFile(folder + "\\" + file, false, false);
    }
  }

  // True when every monitor to go is gone (or was never registered) and its DLLs
  // may go too.
  bool RemovePortsAndMonitors() {
    if (!installation() && Journaled(sys::JournalKind::kPort).empty() &&
        Journaled(sys::JournalKind::kMonitor).empty())
      return true;
    std::vector<PortInfo> ports;
    if (const unsigned long error = system_.ListPorts(&ports)) {
      Fail(Step::kListPorts, "", error);
      return false;
    }
    std::vector<std::string> portNames;
    std::vector<std::pair<std::string, std::string>> monitors;  // name, environment ("" every one)
    if (installation()) {
      portNames.push_back(r_.portName);
      monitors.push_back({r_.monitorName, ""});
    }
    for (const sys::JournalEntry* entry : Journaled(sys::JournalKind::kPort)) portNames.push_back(entry->name);
    for (const sys::JournalEntry* entry : Journaled(sys::JournalKind::kMonitor))
      monitors.push_back({entry->name, entry->other});

    bool portLeft = false;
    std::vector<std::string> removed;
    for (const PortInfo& port : ports) {
      if (!Contains(portNames, port.name) || Contains(removed, port.name)) continue;
      // Through its own monitor; the spooler may not say which one that is.
      std::string monitor = port.monitor.empty() ? r_.monitorName : port.monitor;
      for (const sys::JournalEntry* entry : Journaled(sys::JournalKind::kPort)) {
        if (SameName(entry->name, port.name) && port.monitor.empty()) monitor = entry->other;
      }
      const unsigned long error = system_.RemovePort(monitor, port.name);
      if (error && error != error::kUnknownPort) {
        Fail(Step::kPort, port.name, error);
        portLeft = true;
      } else {
        removed.push_back(port.name);
      }
    }
    if (portLeft) return false;
    bool settled = true;
    for (const auto& monitor : monitors) {
      // Another port of the monitor keeps it, and with it its DLLs.
      bool needed = false;
      for (const PortInfo& port : ports) {
        if (!Contains(removed, port.name) && SameName(port.monitor, monitor.first)) needed = true;
      }
      if (needed) {
        settled = false;
        continue;
      }
      for (const char* environment : kEnvironments) {
        if (!monitor.second.empty() && monitor.second != environment) continue;
        const unsigned long error = system_.RemoveMonitor(monitor.first, environment);
        if (error == 0 || error == error::kUnknownPrintMonitor || error == error::kInvalidEnvironment) continue;
        settled = false;
        // A rollback has no run after the restart: what stays in use is a failure.
        if (error == error::kPrintMonitorInUse && installation()) {
          rerun_ = true;
        } else {
          Fail(Step::kMonitor, monitor.first + " (" + environment + ")", error);
        }
      }
    }
    return settled;
  }

  // The installation made this folder: its journal says so, or the record is an
  // older setup's, which made every folder it names.
  bool MadeFolder(const std::string& folder) const {
    if (!context_.hasJournal || context_.olderFiles) return true;
    for (const sys::JournalEntry* entry : Journaled(sys::JournalKind::kFolder)) {
      if (SameName(entry->name, folder)) return true;
    }
    return false;
  }

  bool UsedElsewhere(const std::string& path) const { return Contains(context_.usedElsewhere, path); }

  // A file the journal knows as it was written, and that looks otherwise now: its
  // owner is somebody else by now.
  bool Changed(const sys::JournalEntry& entry) {
    if (!entry.identity.known) return false;
    sys::FileIdentity now;
    if (system_.IdentityOf(entry.name, entry.native, &now) != 0 || !now.known) return false;  // gone already
    return now.size != entry.identity.size || now.writeTime != entry.identity.writeTime;
  }

  void RemoveFiles(bool monitorSettled) {
    const bool byNames = installation() && (!context_.hasJournal || context_.olderFiles);
    // A monitor the spooler still holds comes back to the run after the restart,
    // together with its DLLs.
    if (byNames && monitorSettled) {
      const std::string system = system_.SystemFolder();
      for (const char* suffix : {"Mon.dll", "MonUI.dll"}) {
        if (!system.empty()) RemoveFile(system + "\\" + r_.printerName + suffix, true, false);
      }
    }
    const std::string ownFolder = sys::FolderOfPath(context_.ownProgramPath.c_str());
    // What the journal names, the last made first: files, then the folders they
    // were in once those are empty. Only what is still as it was written, and
    // nothing another installation still names.
    for (auto entry = context_.journal.rbegin(); entry != context_.journal.rend(); ++entry) {
      if (entry->kind != sys::JournalKind::kFile) continue;
      if (entry->shared && !installation()) continue;  // another installation's, before this run
      if (entry->native && !monitorSettled) continue;  // the monitor's DLLs stay with it
      if (SameName(entry->name, context_.ownProgramPath)) continue;  // goes with the record
      if (installation() && IsProgramFolder(sys::FolderOfPath(entry->name.c_str())) &&
          SameName(NameOf(entry->name), "Uninstall.ini"))
        continue;  // goes with the record
      if (UsedElsewhere(entry->name)) continue;
      if (Changed(*entry)) {
        report_.changedFiles.push_back(entry->name);
        continue;
      }
      RemoveFile(entry->name, entry->native, false);
    }
    if (byNames) {
      if (!r_.shortcutPath.empty()) RemoveFile(r_.shortcutPath, false, false);
      RemoveKeptFiles();
    }
    if (installation()) {
      if (!r_.startMenuFolder.empty() && MadeFolder(r_.startMenuFolder)) RemoveEmptyFolder(r_.startMenuFolder);
      RemoveDataFolder();
    }
    for (auto entry = context_.journal.rbegin(); entry != context_.journal.rend(); ++entry) {
      if (entry->kind != sys::JournalKind::kFolder) continue;
      if (SameName(entry->name, ownFolder)) continue;  // goes with the record
      if (installation() && (IsProgramFolder(entry->name) || SameName(entry->name, r_.startMenuFolder) ||
                             SameName(entry->name, r_.dataFolder)))
        continue;  // looked at already, or with the record
      RemoveEmptyFolder(entry->name);
    }
  }

  // Deletes a file now, or when Windows next starts if something holds it.
  // Returns true when it is gone or will be. self: the uninstaller's own file, whose
  // waiting does not make a restart necessary.
  bool RemoveFile(const std::string& path, bool native, bool self) {
    const unsigned long error = system_.DeleteFileNow(path, native);
    if (error == 0 || IsGone(error)) return true;
    if (IsBusy(error)) {
      const unsigned long later = system_.DeleteAfterRestart(path, native);
      if (later == 0) {
        (self ? report_.selfAfterRestart : report_.restartNeeded) = true;
        return true;
      }
      Fail(Step::kFile, path, later);
      return false;
    }
    Fail(Step::kFile, path, error);
    return false;
  }

  void RemoveEmptyFolder(const std::string& folder) {
    if (Contains(removedFolders_, folder)) return;
    removedFolders_.push_back(folder);
    const unsigned long error = system_.RemoveFolder(folder);
    if (error == 0 || IsGone(error)) return;
    if (error == error::kDirNotEmpty) {
      report_.keptFolders.push_back(folder);
      return;
    }
    if (error == error::kDirectory) return;  // a file of that name now: not ours to take
    Fail(Step::kFolder, folder, error);
  }

  bool IsProgramFolder(const std::string& folder) const { return SameName(folder, r_.programFolder); }

  // The extraction puts the package's "OmbraPrinter.ini" entries into the data
  // folder; nothing else of ours is there. On Windows XP it is the destination
  // folder itself, which the files' removal empties.
  void RemoveDataFolder() {
    if (!context_.hasJournal || context_.olderFiles) {
      for (const std::string& entry : context_.packageEntries) {
        if (entry.find("OmbraPrinter.ini") != std::string::npos)
          RemoveFile(r_.dataFolder + "\\" + entry, false, false);
      }
    }
    // The data folder that holds the running uninstaller goes with the record.
    if (!IsProgramFolder(r_.dataFolder) && MadeFolder(r_.dataFolder) && !SameName(r_.dataFolder, SelfFolder()))
      RemoveEmptyFolder(r_.dataFolder);
  }

  // For a record without a journal: the files the clean-up after the installation
  // left in the destination folder, by the package's names, except the record's
  // "Uninstall.ini" and the running uninstaller, which go with the record.
  void RemoveKeptFiles() {
    const std::string own = NameOf(context_.ownProgramPath);
    const bool runningThere = IsProgramFolder(SelfFolder());
    for (const std::string& name : KeptPackageFiles(context_.packageEntries)) {
      if (runningThere && SameName(name, own)) continue;
      RemoveFile(r_.programFolder + "\\" + name, false, false);
    }
  }

  void RemoveKey(const std::string& subKey) {
    const unsigned long error = system_.DeleteKey(subKey);
    if (error && !IsGone(error)) Fail(Step::kKey, "HKEY_LOCAL_MACHINE\\" + subKey, error);
  }

  void RemoveJournalKeys() {
    for (auto entry = context_.journal.rbegin(); entry != context_.journal.rend(); ++entry) {
      if (entry->kind == sys::JournalKind::kRegistryKey) RemoveKey(entry->name);
    }
  }

  // The record's own files first, the entry of the list of installed programs and
  // the key last: until the key goes, a later run finds what is left to do.
  // The folder the running uninstaller is in, when it is one the installation keeps
  // it in (the destination, or the data folder with its elevated copy); else empty.
  std::string SelfFolder() const {
    const std::string folder = sys::FolderOfPath(context_.ownProgramPath.c_str());
    if (!installation() || folder.empty()) return std::string();
    return IsProgramFolder(folder) || SameName(folder, r_.dataFolder) ? folder : std::string();
  }

  // The record's own files first, the entry of the list of installed programs and
  // the key last: until the key goes, a later run finds what is left to do.
  void RemoveRecord() {
    RemoveFile(r_.programFolder + "\\Uninstall.ini", false, false);
    const std::string selfFolder = SelfFolder();
    std::string aside;
    if (!selfFolder.empty()) {
      // Under a name of its own, so that the delete at the restart never takes the
      // uninstaller of an installation made in between.
      if (system_.MoveAside(context_.ownProgramPath, &aside) != 0) aside = context_.ownProgramPath;
      RemoveFile(aside, false, true);
    }
    RemoveKey(sys::UninstallEntryKey(r_.printerName.c_str()));
    RemoveJournalKeys();
    if (!report_.failures.empty()) return;
    RemoveKey("SOFTWARE\\" + r_.printerName);
    report_.recordRemoved = report_.failures.empty();

    FinishFolder(r_.programFolder, selfFolder, aside);
    if (!IsProgramFolder(r_.dataFolder) && SameName(r_.dataFolder, selfFolder))
      FinishFolder(r_.dataFolder, selfFolder, aside);
  }

  // A folder the installation made, once everything of it is gone: removed when
  // empty; when only the running uninstaller is left in it, after it at the restart.
  void FinishFolder(const std::string& folder, const std::string& selfFolder, const std::string& aside) {
    if (!MadeFolder(folder)) return;  // a folder the installation found there stays
    std::vector<std::string> left;
    const unsigned long listed = system_.ListFolder(folder, &left);
    if (IsGone(listed)) return;
    if (listed) {
      Fail(Step::kFolder, folder, listed);
      return;
    }
    const bool holdsSelf = SameName(folder, selfFolder) && report_.selfAfterRestart;
    bool onlySelf = holdsSelf;
    for (const std::string& name : left) {
      if (!(holdsSelf && SameName(name, NameOf(aside)))) onlySelf = false;
    }
    if (left.empty()) {
      const unsigned long error = system_.RemoveFolder(folder);
      if (error == 0 || IsGone(error)) return;
      // Held open (the current folder of a process): the restart takes it.
      if (IsBusy(error) && system_.DeleteAfterRestart(folder, false) == 0) {
        report_.selfAfterRestart = true;
        return;
      }
      Fail(Step::kFolder, folder, error);
    } else if (onlySelf) {
      // Deleted in the order they were scheduled: the uninstaller first, then its folder.
      const unsigned long error = system_.DeleteAfterRestart(folder, false);
      if (error) Fail(Step::kFolder, folder, error);
    } else {
      report_.keptFolders.push_back(folder);
    }
  }

  const InstallationRecord& r_;
  const RemovalContext& context_;
  RemovalSystem& system_;
  ProgressSink* progress_;
  RemovalReport report_;
  std::vector<std::string> removedFolders_;
  bool spoolerKnown_ = false;
  bool rerun_ = false;
};

const char* StepName(Step step, int languageFlag) {
  const bool zh = languageFlag != 0;
  switch (step) {
    case Step::kListPrinters:
      return zh ? "列出打印机" : "listing the printers";
    case Step::kPrinter:
      return zh ? "删除打印机" : "removing the printer";
    case Step::kListDrivers:
      return zh ? "列出打印机驱动" : "listing the drivers";
    case Step::kDriver:
      return zh ? "删除打印机驱动" : "removing the driver";
    case Step::kListPorts:
      return zh ? "列出端口" : "listing the ports";
    case Step::kPort:
      return zh ? "删除端口" : "removing the port";
    case Step::kMonitor:
      return zh ? "删除端口监视器" : "removing the port monitor";
    case Step::kFile:
      return zh ? "删除文件" : "removing the file";
    case Step::kFolder:
      return zh ? "删除文件夹" : "removing the folder";
    case Step::kKey:
      return zh ? "删除注册表项" : "removing the registry key";
    case Step::kRunOnce:
      return zh ? "安排重新启动后再次运行" : "scheduling a run after the restart";
  }
  return "";
}

std::string Format(const char* format, const std::string& argument) {
  // Every argument is a name or path of at most a few hundred bytes; the size is
  // measured first, so nothing is cut.
  const int length = std::snprintf(nullptr, 0, format, argument.c_str());
  if (length <= 0) return format;
  std::string text(static_cast<size_t>(length) + 1, '\0');
  std::snprintf(&text[0], text.size(), format, argument.c_str());
  text.resize(static_cast<size_t>(length));
  return text;
}

}  // namespace

RemovalReport RemoveInstallation(const InstallationRecord& record, const RemovalContext& context,
                                 RemovalSystem& system, ProgressSink* progress) {
  return Removal(record, context, system, progress).Run();
}

std::string DescribeFailure(const Failure& failure) {
  std::string text = StepName(failure.step, 0);
  if (!failure.object.empty()) text += " \"" + failure.object + "\"";
  return text + ": error " + std::to_string(failure.error);
}

std::vector<std::string> ReportLines(const RemovalReport& report) {
  std::vector<std::string> lines;
  for (const std::string& printer : report.removedPrinters) lines.push_back("Printer removed: " + printer);
  if (!report.defaultNotMoved.empty())
    lines.push_back("Default printer: " + report.defaultNotMoved + " was the default; no other printer could take it");
  for (const Failure& failure : report.failures) lines.push_back("Failed: " + DescribeFailure(failure));
  for (const std::string& file : report.changedFiles) lines.push_back("Kept, changed since the installation: " + file);
  for (const std::string& folder : report.keptFolders) lines.push_back("Kept, holds other files: " + folder);
  if (report.rerunScheduled) lines.push_back("The uninstaller runs again after the next restart of Windows");
  if (report.restartNeeded) lines.push_back("Restart Windows to finish: some files are still in use");
  if (report.selfAfterRestart) lines.push_back("The uninstaller itself goes at the next restart");
  lines.push_back(report.recordRemoved ? "Record: removed" : "Record: kept, to finish the uninstall later");
  return lines;
}

int ExitCodeFor(const RemovalReport& report) {
  if (!report.failures.empty()) return kExitFailure;
  if (report.restartNeeded) return kExitRestartNeeded;
  return kExitSuccess;
}

std::string SummaryText(const RemovalReport& report, const InstallationRecord& record, int languageFlag) {
  std::string text;
  if (report.failures.empty()) {
    text = Format(UninstallString(Text::kDone, languageFlag), record.printerName);
  } else {
    text = UninstallString(Text::kFailed, languageFlag);
    for (const Failure& failure : report.failures) {
      char code[32];
      std::snprintf(code, sizeof code, "%lu", failure.error);
      text += "\n- " + std::string(StepName(failure.step, languageFlag));
      if (!failure.object.empty()) text += " \"" + failure.object + "\"";
      text += (languageFlag ? "：错误 " : ": error ") + std::string(code);
    }
    if (!report.recordRemoved) text += std::string("\n") + UninstallString(Text::kRecordKept, languageFlag);
  }
  for (const std::string& file : report.changedFiles)
    text += "\n" + Format(UninstallString(Text::kFileKept, languageFlag), file);
  if (!report.defaultNotMoved.empty())
    text += "\n" + Format(UninstallString(Text::kDefaultNotMoved, languageFlag), report.defaultNotMoved);
  for (const std::string& folder : report.keptFolders) {
    text += "\n" + Format(UninstallString(Text::kFolderKept, languageFlag), folder);
  }
  if (report.restartNeeded) text += std::string("\n") + UninstallString(Text::kRestartNeeded, languageFlag);
  if (report.selfAfterRestart) text += std::string("\n") + UninstallString(Text::kSelfAfterRestart, languageFlag);
  return text;
}

std::vector<std::string> KeptPackageFiles(const std::vector<std::string>& packageEntries) {
  std::vector<std::string> kept;
  for (const std::string& entry : packageEntries) {
    // The start-up copy of the logo goes during the installation; "Logo.bmp" may
    // still be there from a run that ended early, and is ours either way.
    if (sys::ClassifyEntry(entry.c_str(), false) == sys::CleanupVerdict::kKeep) kept.push_back(entry);
  }
  return kept;
}

}  // namespace uninstall
