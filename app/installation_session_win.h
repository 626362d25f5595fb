// The record and journal of one run of the setup program. Before the run changes
// anything outside its own temporary folder it marks the printer's record "in
// progress"; every folder, file and spooler object it is about to make goes into
// the record's journal first (what was there before does not), so that a run that
// fails, is cancelled or is killed anywhere can be undone by the uninstaller's own
// removal code: by this run itself, by the next one, or by the uninstaller.
//
// Used by one thread at a time: the wizard's user-interface thread while it makes
// the folders (leaving the prepare page), then the installation worker, then the
// user-interface thread again once the worker has ended.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "app/run_plan.h"
#include "app/setup_info.h"
#include "driver/printer_installer.h"
#include "system/install_journal.h"
#include "system/record_key_win.h"
#include "system/uninstall_record.h"

class InstallationSession final : public driver::ChangeJournal {
 public:
  // The configured names; all must outlive the session.
  struct Names {
    const char* printerName = "";
    const char* driverName = "";
    const char* monitorName = "";
    const char* portName = "";
  };
  explicit InstallationSession(const Names& names) : names_(names), journal_(key_) {}
  InstallationSession(const InstallationSession&) = delete;
  InstallationSession& operator=(const InstallationSession&) = delete;

  // Reads what is installed of this printer and undoes a run that never finished
  // (its lines say what was taken away), then decides what this run does.
  RunPlan Prepare(const setup_info::Version& package, bool unattended, bool addAnother,
                  std::vector<std::string>* undone);
  const RunPlan& plan() const { return plan_; }
  // A text value of the installed record ("" when there is none).
  std::string Recorded(const char* valueName);

  // The record values an installation that has begun already knows; a new
  // installation writes them at once, so the uninstaller can work from them.
  void SetRecordValues(const sys::InstallationRecord& record);

  // The first change of the run begins the journal. False when the record cannot
  // be written: then nothing may be changed.
  bool Begin();
  bool begun() const { return journal_.begun(); }
  bool committed() const { return committed_; }

  // The package this run installs from (its entries land in the destination).
  void SetPackage(const unsigned char* payloadData, size_t payloadSize);

  // Before anything goes into an existing destination folder: every entry that
  // would land on a file there must be this printer's own from an earlier run, or
  // another printer's installation's and the same bytes (then it is shared, not
  // written). False, with the file's name in foreignFile(), for any other file:
  // the folder is refused, nothing of the shop's is ever overwritten.
  bool CheckDestination(const std::string& folder);
  const std::string& foreignFile() const { return foreignFile_; }
  // A file CheckDestination found shared: the extraction leaves it as it is, and the
  // journal notes that this installation uses it too.
  bool IsShared(const std::string& path) const;
  bool RecordShared(const std::string& path);

  // Before a folder is created (one level).
  bool WillCreateFolder(const std::string& path);
  // A folder an uninstall of ours emptied but for its own moved-aside program (which
  // goes, with the folder, at the restart): it is this installation's again. False
  // only when it could not be recorded.
  bool AdoptUninstalledFolder(const std::string& folder);
  // A folder this printer's installation made (this run or an earlier one) gets the
  // DACL that keeps ordinary users from writing into it; one it found stays as it is.
  void ProtectMadeFolder(const std::string& folder);
  // Where the uninstaller that runs elevated lives: the data folder, the printer's
  // own, unless it is the destination itself (Windows XP).
  static std::string ElevatedFolder(const std::string& destination, const std::string& dataFolder);

  // driver::ChangeJournal, and the files of the extraction and the Start menu.
  bool WillAddMonitor(const char* name, const char* environment) override;
  bool WillAddPort(const char* name, const char* monitor) override;
  bool WillAddDriver(const char* name, const char* environment) override;
  bool WillAddPrinter(const char* name) override;
  bool WillMakeDefault(const char* name) override;
  bool WillWriteFile(const char* path, bool native) override;
  bool WillCreateKey(const std::string& subKey);

  // The run has finished: every file it wrote is stamped with what it looks like
  // now, the whole record is written (values, Uninstall.ini, the entry of the list
  // of installed programs, Version and Publisher) and the record is "complete".
  bool Commit(const sys::InstallationRecord& record);

  // Undoes what this run made, the last first, and nothing that was there before;
  // one line a thing taken away or left (for the /LOG account). True when nothing
  // failed.
  bool RollBack(std::vector<std::string>* lines);

 private:
  bool Record(const sys::JournalEntry& entry);
  bool UndoUnfinished(const sys::JournalState& state, std::vector<std::string>* lines);
  bool Undo(const std::vector<sys::JournalEntry>& entries, bool removeRecord, std::vector<std::string>* lines);

  // The record's texts, kept: the caller's may be gone by the time they are written.
  struct KeptRecord {
    std::string startMenuFolder, shortcutPath, destinationFolder, dataFolder, printerName, driverName,
        monitorName, portName, printerServiceName;
    int languageFlag = 0;
    void Keep(const sys::InstallationRecord& record);
    sys::InstallationRecord View() const;
  };

  Names names_;
  sys::RegistryRecordKey key_;
  sys::InstallationJournal journal_;
  sys::JournalState before_;
  RunPlan plan_;
  KeptRecord values_;
  bool haveValues_ = false;
  bool committed_ = false;
  bool rolledBack_ = false;
  // The files this run wrote, folded to lower case, with whether they are native.
  std::set<std::pair<std::string, bool>> written_;
  const unsigned char* payloadData_ = nullptr;
  size_t payloadSize_ = 0;
  std::string foreignFile_;
  std::set<std::string> shared_;  // folded paths
};

// "SOFTWARE\<printer>": the record's key under HKEY_LOCAL_MACHINE.
std::string RecordKeyPath(const char* printerName);
