#include "app/installation_session_win.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "app/startup_files_win.h"
#include "system/ansi_text.h"
#include "system/folder_security_win.h"
#include "system/run_folder_win.h"
#include "system/redirection_off_win.h"
#include "system/uninstall_record_win.h"
#include "uninstall/removal.h"
#include "uninstall/removal_system_win.h"

namespace {

std::string Folded(const std::string& text) {
  std::string folded = text;
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

bool Listed(const std::vector<std::string>& names, const char* name) {
  for (const std::string& each : names) {
    if (sys::EqualsIgnoringAsciiCase(each.c_str(), name)) return true;
  }
  return false;
}

std::string OwnProgramPath() {
  char path[MAX_PATH + 1] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::string(path, length) : std::string();
}

// What the file looks like now; unknown when it is not there.
sys::FileIdentity IdentityOf(const std::string& path, bool native) {
  sys::RedirectionOff off(native);
  sys::FileIdentity identity;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return identity;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return identity;
  identity.known = true;
  identity.size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  identity.writeTime = (static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                       data.ftLastWriteTime.dwLowDateTime;
  return identity;
}

std::string Describe(const sys::JournalEntry& entry) {
  switch (entry.kind) {
    case sys::JournalKind::kFolder: return "folder " + entry.name;
    case sys::JournalKind::kFile: return "file " + entry.name;
    case sys::JournalKind::kMonitor: return "port monitor " + entry.name + " (" + entry.other + ")";
    case sys::JournalKind::kPort: return "port " + entry.name;
    case sys::JournalKind::kDriver: return "printer driver " + entry.name + " (" + entry.other + ")";
    case sys::JournalKind::kPrinter: return "printer " + entry.name;
    case sys::JournalKind::kDefaultPrinter:
      return "default printer " + entry.name + (entry.other.empty() ? "" : ", back to " + entry.other);
    case sys::JournalKind::kRegistryKey: return "registry key HKEY_LOCAL_MACHINE\\" + entry.name;
  }
  return entry.name;
}

}  // namespace

std::string RecordKeyPath(const char* printerName) { return std::string("SOFTWARE\\") + printerName; }

RunPlan InstallationSession::Prepare(const setup_info::Version& package, bool unattended, bool addAnother,
                                     std::vector<std::string>* undone) {
  const std::string subKey = RecordKeyPath(names_.printerName);
  InstalledState installed;
  before_ = sys::JournalState();
  if (key_.Open(subKey, false)) {
    before_ = sys::ReadJournal(key_);
    std::string driver, state;
    // A key of that name that is no record of ours (no driver, no state) is not an
    // installation to update.
    installed.recordExists = key_.ReadString("PrinterDriver", &driver) || key_.ReadString(sys::kStateValue, &state);
    installed.inProgress = before_.inProgress;
    installed.overEarlier = before_.overEarlier;
    installed.version = before_.version;
  }
  plan_ = PlanRun(installed, package, unattended, addAnother);
  if (plan_.undoUnfinished) {
    UndoUnfinished(before_, undone);
    before_ = sys::JournalState();
    if (key_.Open(subKey, false)) before_ = sys::ReadJournal(key_);
  }
  return plan_;
}

std::string InstallationSession::Recorded(const char* valueName) {
  std::string text;
  if (!key_.IsOpen() || !key_.ReadString(valueName, &text)) text.clear();
  return text;
}

bool InstallationSession::UndoUnfinished(const sys::JournalState& state, std::vector<std::string>* lines) {
  sys::InstallationJournal unfinished(key_);
  unfinished.Resume(state);
  const bool undone = Undo(sys::EntriesInOrder(state, state.runStart), !state.overEarlier, lines);
  // Over an earlier installation, its record stays and is complete again; a new
  // installation's record went with the rest. What could not be undone keeps the
  // record in progress, for the next run.
  if (undone && state.overEarlier) unfinished.Abandon();
  if (!state.overEarlier) key_.Open(RecordKeyPath(names_.printerName), false);
  return undone;
}

bool InstallationSession::Undo(const std::vector<sys::JournalEntry>& entries, bool removeRecord,
                               std::vector<std::string>* lines) {
  uninstall::InstallationRecord record;
  record.printerName = names_.printerName;
  record.driverName = names_.driverName;
  record.monitorName = names_.monitorName;
  record.portName = names_.portName;
  uninstall::RemovalContext context;
  context.ownProgramPath = OwnProgramPath();
  context.scope = uninstall::RemovalScope::kRun;
  context.journal = entries;
  context.hasJournal = true;
  context.removeRecord = removeRecord;
  uninstall::WinRemovalSystem system;
  const uninstall::RemovalReport report = uninstall::RemoveInstallation(record, context, system, nullptr);
  if (lines) {
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) lines->push_back("undone: " + Describe(*entry));
    for (const uninstall::Failure& failure : report.failures) {
      lines->push_back("could not undo: " + uninstall::DescribeFailure(failure));
    }
    if (!report.defaultNotMoved.empty())
      lines->push_back("the default printer " + report.defaultNotMoved + " had no other printer to go to");
  }
  return report.failures.empty();
}

void InstallationSession::SetRecordValues(const sys::InstallationRecord& record) {
  values_.Keep(record);
  haveValues_ = true;
  if (begun() && plan_.kind == RunKind::kNew) {
    sys::RegistryRecordStore store;
    sys::WriteRecordValues(values_.View(), store);
  }
}

void InstallationSession::KeptRecord::Keep(const sys::InstallationRecord& record) {
  auto text = [](const char* value) { return std::string(value ? value : ""); };
  startMenuFolder = text(record.startMenuFolder);
  shortcutPath = text(record.shortcutPath);
  destinationFolder = text(record.destinationFolder);
  dataFolder = text(record.dataFolder);
  printerName = text(record.printerName);
  driverName = text(record.driverName);
  monitorName = text(record.monitorName);
  portName = text(record.portName);
  printerServiceName = text(record.printerServiceName);
  languageFlag = record.languageFlag;
}

sys::InstallationRecord InstallationSession::KeptRecord::View() const {
  sys::InstallationRecord record;
  record.startMenuFolder = startMenuFolder.c_str();
  record.shortcutPath = shortcutPath.c_str();
  record.destinationFolder = destinationFolder.c_str();
  record.dataFolder = dataFolder.c_str();
  record.printerName = printerName.c_str();
  record.driverName = driverName.c_str();
  record.monitorName = monitorName.c_str();
  record.portName = portName.c_str();
  record.printerServiceName = printerServiceName.c_str();
  record.languageFlag = languageFlag;
  return record;
}

bool InstallationSession::Begin() {
  if (journal_.begun()) return true;
  if (!key_.IsOpen() && !key_.Open(RecordKeyPath(names_.printerName), true)) return false;
  if (!journal_.Begin(before_, plan_.kind != RunKind::kNew)) return false;
  // Over an installation of a setup that kept no journal: its files are known by
  // the package's names only, and the uninstaller looks for them so.
  if (plan_.kind != RunKind::kNew && !before_.kept) key_.WriteDword(sys::kOlderFilesValue, 1);
  if (plan_.kind == RunKind::kNew && haveValues_) {
    sys::RegistryRecordStore store;
    sys::WriteRecordValues(values_.View(), store);
  }
  return true;
}

bool InstallationSession::Record(const sys::JournalEntry& entry) {
  return Begin() && journal_.Add(entry) != 0;
}

void InstallationSession::SetPackage(const unsigned char* payloadData, size_t payloadSize) {
  payloadData_ = payloadData;
  payloadSize_ = payloadSize;
}

namespace {

// Whether the package's entry has exactly the bytes of the file at path: unpacked
// into this run's own folder and compared.
bool SameAsEntry(const unsigned char* payloadData, size_t payloadSize, const std::string& entry,
                 const std::string& path) {
  const std::string& runFolder = sys::CurrentRunFolder();
  if (runFolder.empty()) return false;
  const std::string copy = runFolder + "compare.tmp";
  DeleteFileA(copy.c_str());
  bool same = false;
  if (ExtractPackageEntry(payloadData, payloadSize, entry.c_str(), copy.c_str())) {
    HANDLE a = CreateFileA(copy.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    HANDLE b = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (a != INVALID_HANDLE_VALUE && b != INVALID_HANDLE_VALUE && GetFileSize(a, nullptr) == GetFileSize(b, nullptr)) {
      same = true;
      std::vector<char> x(16384), y(16384);
      for (;;) {
        DWORD gotA = 0, gotB = 0;
        if (!ReadFile(a, x.data(), static_cast<DWORD>(x.size()), &gotA, nullptr) ||
            !ReadFile(b, y.data(), static_cast<DWORD>(y.size()), &gotB, nullptr) || gotA != gotB ||
            memcmp(x.data(), y.data(), gotA) != 0) {
          same = false;
          break;
        }
        if (gotA == 0) break;
      }
    }
    if (a != INVALID_HANDLE_VALUE) CloseHandle(a);
    if (b != INVALID_HANDLE_VALUE) CloseHandle(b);
  }
  DeleteFileA(copy.c_str());
  return same;
}

}  // namespace

bool InstallationSession::CheckDestination(const std::string& folder) {
  foreignFile_.clear();
  shared_.clear();
  const DWORD attributes = GetFileAttributesA(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return true;
  std::set<std::string> ours;
  for (const auto& numbered : before_.entries) {
    if (numbered.second.kind == sys::JournalKind::kFile) ours.insert(sys::FoldedPath(numbered.second.name));
  }
  const std::vector<std::string> others = sys::FilesOfOtherInstallations(names_.printerName);
  const std::set<std::string> elsewhere(others.begin(), others.end());
  for (const std::string& entry : PackageEntryNames(payloadData_, payloadSize_)) {
    // The data folder's entry goes elsewhere; any other lands in the destination.
    if (entry.find("OmbraPrinter.ini") != std::string::npos) continue;
    const std::string path = folder + "\\" + entry;
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
    const std::string folded = sys::FoldedPath(path);
    if (ours.count(folded)) continue;  // this printer's, from an earlier run: replaced
    if (elsewhere.count(folded) && SameAsEntry(payloadData_, payloadSize_, entry, path)) {
      shared_.insert(folded);
      continue;
    }
    foreignFile_ = entry;
    return false;
  }
  return true;
}

bool InstallationSession::IsShared(const std::string& path) const { return shared_.count(sys::FoldedPath(path)) > 0; }

bool InstallationSession::RecordShared(const std::string& path) {
  if (journal_.Find(sys::JournalKind::kFile, path)) return Begin();
  sys::JournalEntry entry;
  entry.kind = sys::JournalKind::kFile;
  entry.name = path;
  entry.shared = true;
  entry.identity = IdentityOf(path, false);
  return Record(entry);
}

bool InstallationSession::AdoptUninstalledFolder(const std::string& folder) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return true;
  bool leftover = false, other = false;
  do {
    const std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    // What the uninstaller's MoveAside leaves: "<program>.<8 hex digits>.removed".
    const bool aside = name.size() > 17 && name.compare(name.size() - 8, 8, ".removed") == 0 &&
                       name[name.size() - 17] == '.';
    (aside ? leftover : other) = true;
  } while (FindNextFileA(search, &found));
  FindClose(search);
  if (!leftover || other) return true;
  return WillCreateFolder(folder);
}

void InstallationSession::ProtectMadeFolder(const std::string& folder) {
  if (journal_.Find(sys::JournalKind::kFolder, folder)) sys::ProtectFolder(folder);
}

std::string InstallationSession::ElevatedFolder(const std::string& destination, const std::string& dataFolder) {
  return dataFolder.empty() || sys::EqualsIgnoringAsciiCase(dataFolder.c_str(), destination.c_str()) ? destination
                                                                                                    : dataFolder;
}

bool InstallationSession::WillCreateFolder(const std::string& path) {
  if (!Begin()) return false;
  // Asked only for a folder that is not there: whatever an earlier run recorded of
  // it, this run makes it now, and a rollback of this run takes it away again.
  if (journal_.Find(sys::JournalKind::kFolder, path, true)) return true;
  sys::JournalEntry entry;
  entry.kind = sys::JournalKind::kFolder;
  entry.name = path;
  return Record(entry);
}

bool InstallationSession::WillWriteFile(const char* path, bool native) {
  if (!Begin()) return false;
  const std::string name = path;
  bool exists = false;
  {
    sys::RedirectionOff off(native);
    exists = GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
  }
  // There, and recorded by this run or an earlier one: ours, written anew. There and
  // not recorded: somebody else's, never taken away again. Not there: this run
  // makes it, whatever an earlier run recorded of that name.
  if (exists ? journal_.Find(sys::JournalKind::kFile, name) != 0
             : journal_.Find(sys::JournalKind::kFile, name, true) != 0) {
    written_.insert({Folded(name), native});
    return true;
  }
  if (exists) return true;
  sys::JournalEntry entry;
  entry.kind = sys::JournalKind::kFile;
  entry.name = name;
  entry.native = native;
  if (!Record(entry)) return false;
  written_.insert({Folded(name), native});
  return true;
}

bool InstallationSession::WillAddMonitor(const char* name, const char* environment) {
  uninstall::WinRemovalSystem system;
  std::vector<std::string> monitors;
  if (system.ListMonitors(&monitors) == 0 && Listed(monitors, name)) return Begin();
  sys::JournalEntry entry;
  entry.kind = sys::JournalKind::kMonitor;
  entry.name = name;
  entry.other = environment;
  return Record(entry);
}

bool InstallationSession::WillAddPort(const char* name, const char* monitor) {
  uninstall::WinRemovalSystem system;
  std::vector<uninstall::PortInfo> ports;
  if (system.ListPorts(&ports) == 0) {
    for (const uninstall::PortInfo& port : ports) {
      if (sys::EqualsIgnoringAsciiCase(port.name.c_str(), name)) return Begin();
    }
  }
  sys::JournalEntry entry;
  entry.kind = sys::JournalKind::kPort;
  entry.name = name;
  entry.other = monitor;
  return Record(entry);
}

bool InstallationSession::WillAddDriver(const char* name, const char* environment) {
  uninstall::WinRemovalSystem system;
  std::vector<uninstall::DriverInfo> drivers;
  if (system.ListDrivers(environment, &drivers) == 0) {
    for (const uninstall::DriverInfo& driver : drivers) {
      if (sys::EqualsIgnoringAsciiCase(driver.name.c_str(), name)) return Begin();
    }
  }
  sys::JournalEntry entry;
  entry.kind = sys::JournalKind::kDriver;
  entry.name = name;
  entry.other = environment;
  return Record(entry);
}

bool InstallationSession::WillAddPrinter(const char* name) {
  sys::JournalEntry entry;
  entry.kind = sys::JournalKind::kPrinter;
  entry.name = name;
  return Record(entry);
}

bool InstallationSession::WillMakeDefault(const char* name) {
  uninstall::WinRemovalSystem system;
  std::string previous;
  if (!system.DefaultPrinter(&previous)) previous.clear();
  sys::JournalEntry entry;
  entry.kind = sys::JournalKind::kDefaultPrinter;
  entry.name = name;
  entry.other = previous;
  return Record(entry);
}

bool InstallationSession::WillCreateKey(const std::string& subKey) {
  if (sys::RecordKeyExists(subKey)) return Begin();
  sys::JournalEntry entry;
  entry.kind = sys::JournalKind::kRegistryKey;
  entry.name = subKey;
  return Record(entry);
}

bool InstallationSession::Commit(const sys::InstallationRecord& record) {
  if (!Begin()) return false;
  const std::string ini = std::string(record.destinationFolder ? record.destinationFolder : "") + "\\Uninstall.ini";
  if (!WillWriteFile(ini.c_str(), false)) return false;
  if (!WillCreateKey(sys::UninstallEntryKey(record.printerName))) return false;
  sys::RegistryRecordStore store;
  sys::RecordInstallation(record, store);

  // Every file this run wrote, as it is now: the uninstaller takes away only
  // what still looks like that. One that is gone already leaves the journal.
  std::vector<std::pair<unsigned, sys::JournalEntry>> files;
  for (const auto& numbered : journal_.RunEntries()) files.push_back(numbered);
  for (const auto& numbered : before_.entries) files.push_back(numbered);
  for (auto& numbered : files) {
    sys::JournalEntry& entry = numbered.second;
    if (entry.kind != sys::JournalKind::kFile || !written_.count({Folded(entry.name), entry.native})) continue;
    entry.identity = IdentityOf(entry.name, entry.native);
    if (entry.identity.known) {
      journal_.Update(numbered.first, entry);
    } else {
      journal_.Drop(numbered.first);
    }
  }

  if (record.version && record.version[0]) {
    key_.WriteString(sys::kVersionValue, record.version);
  } else {
    key_.DeleteValue(sys::kVersionValue);
  }
  if (record.publisher && record.publisher[0]) {
    key_.WriteString(sys::kPublisherValue, record.publisher);
  } else {
    key_.DeleteValue(sys::kPublisherValue);
  }
  committed_ = journal_.Commit();
  return committed_;
}

bool InstallationSession::RollBack(std::vector<std::string>* lines) {
  if (!journal_.begun() || committed_ || rolledBack_) return true;
  rolledBack_ = true;
  std::vector<sys::JournalEntry> entries;
  for (const auto& numbered : journal_.RunEntries()) entries.push_back(numbered.second);
  const bool fresh = !journal_.overEarlier();
  const bool undone = Undo(entries, fresh, lines);
  if (undone && !fresh) journal_.Abandon();
  if (fresh && undone) {
    // The key went with the rest; a later Begin makes it again.
    key_.Open(RecordKeyPath(names_.printerName), false);
  }
  return undone;
}
