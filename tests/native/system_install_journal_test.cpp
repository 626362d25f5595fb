// The journal in a record key held in memory: entries survive the registry's
// REG_MULTI_SZ (no empty strings), a run numbers its entries after the ones there,
// a run that never finished is taken up again and abandoned, and damaged entries
// are never guessed at.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "app/run_plan.h"
#include "system/install_journal.h"

namespace {

using namespace sys;

class MemoryKey : public RecordKeyAccess {
 public:
  bool ValueNames(std::vector<std::string>* names) override {
    names->clear();
    for (const auto& v : strings) names->push_back(v.first);
    for (const auto& v : lists) names->push_back(v.first);
    for (const auto& v : dwords) names->push_back(v.first);
    return true;
  }
  bool ReadString(const char* name, std::string* text) override {
    auto it = strings.find(name);
    if (it == strings.end()) return false;
    *text = it->second;
    return true;
  }
  bool ReadDword(const char* name, unsigned long* value) override {
    auto it = dwords.find(name);
    if (it == dwords.end()) return false;
    *value = it->second;
    return true;
  }
  bool ReadStrings(const char* name, std::vector<std::string>* out) override {
    auto it = lists.find(name);
    if (it == lists.end()) return false;
    *out = it->second;
    return true;
  }
  bool WriteString(const char* name, const std::string& text) override {
    if (failWrites) return false;
    strings[name] = text;
    return true;
  }
  bool WriteDword(const char* name, unsigned long value) override {
    if (failWrites) return false;
    dwords[name] = value;
    return true;
  }
  bool WriteStrings(const char* name, const std::vector<std::string>& values) override {
    // What REG_MULTI_SZ can hold: an empty string would end the list there.
    for (const std::string& one : values) {
      if (one.empty()) return false;
    }
    if (failWrites) return false;
    lists[name] = values;
    return true;
  }
  bool DeleteValue(const char* name) override {
    strings.erase(name);
    dwords.erase(name);
    lists.erase(name);
    return true;
  }

  std::map<std::string, std::string> strings;
  std::map<std::string, unsigned long> dwords;
  std::map<std::string, std::vector<std::string>> lists;
  bool failWrites = false;
};

JournalEntry Entry(JournalKind kind, const std::string& name, const std::string& other = "") {
  JournalEntry entry;
  entry.kind = kind;
  entry.name = name;
  entry.other = other;
  return entry;
}

TEST(InstallJournal, EntriesSurviveTheRegistryAndDamagedOnesAreRefused) {
  JournalEntry file = Entry(JournalKind::kFile, "C:\\Windows\\system32\\打印机Mon.dll");
  file.native = true;
  file.identity.known = true;
  file.identity.size = 244736;
  file.identity.writeTime = 134413169709002975ull;
  JournalEntry shared = Entry(JournalKind::kFile, "C:\\P\\Uninstaller.exe");
  shared.shared = true;
  const std::vector<JournalEntry> entries = {file, Entry(JournalKind::kFile, "C:\\P\\Logo.bmp"), shared,
                                             Entry(JournalKind::kDefaultPrinter, "P", ""),
                                             Entry(JournalKind::kPort, "P PORT:", "P Monitor")};
  MemoryKey key;
  InstallationJournal journal(key);
  ASSERT_TRUE(journal.Begin(JournalState(), false));
  for (const JournalEntry& entry : entries) EXPECT_NE(journal.Add(entry), 0u);
  const JournalState read = ReadJournal(key);
  ASSERT_EQ(read.entries.size(), entries.size());
  const std::vector<JournalEntry> back = EntriesInOrder(read);
  for (size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(EncodeEntry(back[i]), EncodeEntry(entries[i])) << i;
  }
  EXPECT_TRUE(back[0].native);
  EXPECT_FALSE(back[0].shared);
  EXPECT_TRUE(back[2].shared);
  EXPECT_FALSE(back[2].native);
  EXPECT_EQ(back[0].identity.writeTime, 134413169709002975ull);
  EXPECT_FALSE(back[1].identity.known);

  JournalEntry decoded;
  for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
           {},
           {"printer"},
           {"printer", "no marker"},
           {"printer", ":"},  // no name
           {"teleporter", ":x"},
           {"port", ":P PORT:"},  // its monitor is missing
           {"file", ":C:\\x", ":", ":12", ":"},  // a size without a time
           {"file", ":C:\\x", ":maybe", ":", ":"},
           {"file", ":C:\\x", ":shared native", ":", ":"},
           {"file", ":C:\\x", ":", ":99999999999999999999", ":1"},  // past 64 bits
       }) {
    EXPECT_FALSE(DecodeEntry(bad, &decoded)) << (bad.empty() ? "" : bad[0]);
  }
  key.lists["Journal 0009"] = {"teleporter", ":x"};
  key.lists["Journal x"] = {"printer", ":Q"};  // not an entry's name: not read at all
  const JournalState again = ReadJournal(key);
  EXPECT_EQ(again.entries.size(), entries.size());
  EXPECT_EQ(again.damaged, std::vector<unsigned>{9});
}

// A run over a finished installation numbers its entries after the installation's
// (and after a damaged one), and a later run takes it up where it was cut off:
// undone, only its own entries go and the installation is complete again.
TEST(InstallJournal, AnUnfinishedRunIsTakenUpAndAbandoned) {
  MemoryKey key;
  {
    InstallationJournal first(key);
    ASSERT_TRUE(first.Begin(ReadJournal(key), false));
    EXPECT_EQ(key.strings[kStateValue], kStateInProgress);
    first.Add(Entry(JournalKind::kFolder, "C:\\P"));
    first.Add(Entry(JournalKind::kPrinter, "P"));
    ASSERT_TRUE(first.Commit());
  }
  key.lists["Journal 0004"] = {"garbage"};
  JournalState state = ReadJournal(key);
  EXPECT_TRUE(state.kept);
  EXPECT_FALSE(state.inProgress);
  {
    InstallationJournal second(key);
    ASSERT_TRUE(second.Begin(state, true));
    EXPECT_EQ(second.Add(Entry(JournalKind::kPrinter, "P (1)")), 5u);
    EXPECT_EQ(second.Find(JournalKind::kFolder, "c:\\p"), 1u);  // the earlier run's, whatever the case
    EXPECT_EQ(second.Find(JournalKind::kFile, "C:\\P"), 0u);
    // Killed here: the record says so.
  }
  state = ReadJournal(key);
  EXPECT_TRUE(state.inProgress);
  EXPECT_TRUE(state.overEarlier);
  EXPECT_EQ(state.runStart, 5u);
  const std::vector<JournalEntry> run = EntriesInOrder(state, state.runStart);
  ASSERT_EQ(run.size(), 1u);
  EXPECT_EQ(run[0].name, "P (1)");

  InstallationJournal undo(key);
  undo.Resume(state);
  ASSERT_TRUE(undo.Abandon());
  state = ReadJournal(key);
  EXPECT_FALSE(state.inProgress);
  EXPECT_EQ(state.entries.size(), 2u);   // the installation's stay
  EXPECT_EQ(key.lists.count("Journal 0005"), 0u);
  EXPECT_EQ(key.dwords.count(kRunStartValue), 0u);
  EXPECT_EQ(key.lists.count("Journal 0004"), 1u);  // an earlier run's, even damaged, is not this one's

  // A record that cannot be written stops a run before it changes anything.
  key.failWrites = true;
  InstallationJournal refused(key);
  EXPECT_FALSE(refused.Begin(state, true));
  EXPECT_EQ(refused.Add(Entry(JournalKind::kPrinter, "Q")), 0u);
}

// What a run does about what it finds.
TEST(RunPlan, UpdatesOnlyUnattendedAndNeverToAnOlderVersion) {
  setup_info::Version v2, v1;
  ASSERT_TRUE(setup_info::ParseVersion("2.0", &v2));
  ASSERT_TRUE(setup_info::ParseVersion("1.9.9", &v1));
  const setup_info::Version none;
  InstalledState installed;
  installed.recordExists = true;
  installed.version = "2";

  EXPECT_EQ(PlanRun(InstalledState(), v2, true, false).kind, RunKind::kNew);
  EXPECT_EQ(PlanRun(installed, v2, false, false).kind, RunKind::kAdd);  // the wizard
  EXPECT_EQ(PlanRun(installed, v2, true, true).kind, RunKind::kAdd);    // /S /ADD
  RunPlan plan = PlanRun(installed, v2, true, false);
  EXPECT_EQ(plan.kind, RunKind::kUpdate);
  EXPECT_EQ(plan.verdict, RunVerdict::kGo);  // the same version again: a repair
  EXPECT_EQ(PlanRun(installed, v1, true, false).verdict, RunVerdict::kNewerInstalled);
  EXPECT_EQ(PlanRun(installed, none, true, false).verdict, RunVerdict::kNewerInstalled);
  installed.version.clear();  // an installation that recorded no version
  EXPECT_EQ(PlanRun(installed, none, true, false).verdict, RunVerdict::kGo);
  EXPECT_EQ(PlanRun(installed, v1, true, false).verdict, RunVerdict::kGo);

  // Cut off: undone first; a new installation's leaves nothing, one over a finished
  // installation leaves that.
  installed.inProgress = true;
  plan = PlanRun(installed, v2, true, false);
  EXPECT_TRUE(plan.undoUnfinished);
  EXPECT_EQ(plan.kind, RunKind::kNew);
  installed.overEarlier = true;
  plan = PlanRun(installed, v2, true, false);
  EXPECT_TRUE(plan.undoUnfinished);
  EXPECT_EQ(plan.kind, RunKind::kUpdate);
}

}  // namespace
