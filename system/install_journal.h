// The installation journal: what an installation made, written into its record
// (HKEY_LOCAL_MACHINE\SOFTWARE\<printer>, 64-bit view) before each object is made,
// so that whatever happens to a run (a failure, a kill, a power cut) the next run,
// a rollback or the uninstaller knows exactly what to take away.
//
// Beside the ten values the uninstaller's contract names, the key holds:
//   "Installation"  REG_SZ    "in progress" while a run installs the printer anew,
//                             "changing" while a run goes over a complete
//                             installation, "complete" once a run has finished
//   "Run Start"     REG_DWORD the number of the first entry of the run in progress
//   "Version", "Publisher"    REG_SZ, from the package's Setup.ini (may be absent)
//   "Journal NNNN"  REG_MULTI_SZ, one object each: kind, then its fields
// A key without "Installation" is a record of an older setup, which kept no journal:
// complete when its ten values are.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace sys {

enum class JournalKind {
  kFolder,          // path: a folder the installation created (removed again when empty)
  kFile,            // path: a file it created; native: in the native system folder
  kMonitor,         // name, environment
  kPort,            // name, monitor
  kDriver,          // name, environment
  kPrinter,         // name (the name the spooler was asked to add)
  kDefaultPrinter,  // name made the default; other: the default before ("" none)
  kRegistryKey,     // path under HKEY_LOCAL_MACHINE (64-bit view) it created
};

// What a file looked like when the installation had written it: a file that no
// longer matches was changed by somebody else.
struct FileIdentity {
  bool known = false;
  unsigned long long size = 0;
  unsigned long long writeTime = 0;  // FILETIME, 100 ns since 1601
};

struct JournalEntry {
  JournalKind kind = JournalKind::kFile;
  std::string name;   // a path, or a spooler object's name
  std::string other;  // environment, monitor or earlier default, by kind
  bool native = false;
  // A file that was there before the run, the same as the package's, from another
  // printer's installation: this installation uses it too. A rollback leaves it;
  // the uninstaller takes it only once no other installation names it.
  bool shared = false;
  FileIdentity identity;
};

// The values as REG_MULTI_SZ strings, and back. Decoding is strict: an entry of an
// unknown kind or with missing fields is refused, never guessed at.
std::vector<std::string> EncodeEntry(const JournalEntry& entry);
bool DecodeEntry(const std::vector<std::string>& fields, JournalEntry* entry);

// "Journal 0001" for 1; 0 when name is not an entry's value name.
std::string EntryValueName(unsigned number);
unsigned EntryNumber(const std::string& valueName);

// Value names and texts of the key beside the journal.
constexpr char kStateValue[] = "Installation";
constexpr char kStateInProgress[] = "in progress";
constexpr char kStateChanging[] = "changing";
constexpr char kStateComplete[] = "complete";
constexpr char kRunStartValue[] = "Run Start";
constexpr char kVersionValue[] = "Version";
constexpr char kPublisherValue[] = "Publisher";
// REG_DWORD 1: a run went over an installation of an older setup, which kept no
// journal; what that one placed is known only by the package's names.
constexpr char kOlderFilesValue[] = "Older Setup Files";

// One open record key, read and written as the journal needs. Every call says
// whether it worked; nothing is cached.
class RecordKeyAccess {
 public:
  virtual ~RecordKeyAccess() = default;
  virtual bool ValueNames(std::vector<std::string>* names) = 0;
  // False when the value is missing or of another type.
  virtual bool ReadString(const char* name, std::string* text) = 0;
  virtual bool ReadDword(const char* name, unsigned long* value) = 0;
  virtual bool ReadStrings(const char* name, std::vector<std::string>* strings) = 0;
  virtual bool WriteString(const char* name, const std::string& text) = 0;
  virtual bool WriteDword(const char* name, unsigned long value) = 0;
  virtual bool WriteStrings(const char* name, const std::vector<std::string>& strings) = 0;
  virtual bool DeleteValue(const char* name) = 0;
};

struct JournalState {
  bool kept = false;          // the record keeps a journal (an older setup's does not)
  bool olderFiles = false;    // ... begun over an older setup's installation
  bool inProgress = false;    // a run began and never finished
  bool overEarlier = false;   // ... and went over a complete installation
  unsigned runStart = 0;      // its first entry
  std::string version;      // "Version" of the installation, "" when none was recorded
  std::map<unsigned, JournalEntry> entries;  // by number; undecodable ones left out
  std::vector<unsigned> damaged;             // entries that could not be decoded
};

JournalState ReadJournal(RecordKeyAccess& key);

// The entries in the order they were written; from: only those numbered from it on.
std::vector<JournalEntry> EntriesInOrder(const JournalState& state, unsigned from = 1);

// The setup program's side: a run's entries, written as it goes.
class InstallationJournal {
 public:
  explicit InstallationJournal(RecordKeyAccess& key) : key_(key) {}

  // Marks the record "in progress" (overEarlier: "changing") with this run's first
  // entry after the ones there already (state: what the key held before). False
  // when the record cannot be written: then the run must change nothing.
  bool Begin(const JournalState& state, bool overEarlier);
  // Takes up the unfinished run state shows, as if this object had begun it, so
  // that it can be undone and abandoned.
  void Resume(const JournalState& state);
  bool begun() const { return begun_; }
  bool overEarlier() const { return overEarlier_; }

  // Written before the object is made. The number to Update or Drop it with; 0 when
  // the entry could not be written (the object must not be made then).
  unsigned Add(const JournalEntry& entry);
  // Rewrites an entry of this run or of an earlier one (a file this run wrote anew).
  bool Update(unsigned number, const JournalEntry& entry);
  // The number of the entry of that kind naming path (without regard to case), in
  // this run or an earlier one (thisRunOnly: in this run); 0 when there is none.
  unsigned Find(JournalKind kind, const std::string& name, bool thisRunOnly = false) const;
  // An entry that names nothing any more (a file that is gone), of this run or an
  // earlier one.
  void Drop(unsigned number);

  // This run's entries in the order they were added.
  std::vector<std::pair<unsigned, JournalEntry>> RunEntries() const;

  // "complete": the run's objects belong to the installation from now on.
  bool Commit();
  // After a rollback of a run that went over an earlier installation: this run's
  // entries go, the earlier installation is complete again.
  bool Abandon();

 private:
  RecordKeyAccess& key_;
  bool begun_ = false;
  bool overEarlier_ = false;
  unsigned runStart_ = 0;
  unsigned next_ = 1;
  std::map<unsigned, JournalEntry> earlier_;  // the entries of the runs before
  std::map<unsigned, JournalEntry> run_;
  std::vector<unsigned> damagedRun_;  // unreadable entries of a resumed run
};

}  // namespace sys
