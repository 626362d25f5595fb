#include "system/install_journal.h"

#include <cstdio>
#include <cstdlib>

namespace sys {

namespace {

struct KindName {
  JournalKind kind;
  const char* word;
  size_t fields;  // after the kind
};

const KindName kKinds[] = {
    {JournalKind::kFolder, "folder", 1},   {JournalKind::kFile, "file", 4},
    {JournalKind::kMonitor, "monitor", 2}, {JournalKind::kPort, "port", 2},
    {JournalKind::kDriver, "driver", 2},   {JournalKind::kPrinter, "printer", 1},
    {JournalKind::kDefaultPrinter, "default", 2}, {JournalKind::kRegistryKey, "key", 1},
};

const KindName* Find(JournalKind kind) {
  for (const KindName& k : kKinds)
    if (k.kind == kind) return &k;
  return nullptr;
}

// A REG_MULTI_SZ cannot hold an empty string (it would end the list), so every
// field is stored behind a ':' of its own.
std::string Field(const std::string& text) { return ":" + text; }

bool Unfield(const std::string& stored, std::string* text) {
  if (stored.empty() || stored[0] != ':') return false;
  *text = stored.substr(1);
  return true;
}

bool ParseNumber(const std::string& text, unsigned long long* value) {
  if (text.empty() || text.size() > 20) return false;
  unsigned long long result = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    const unsigned long long next = result * 10 + static_cast<unsigned>(c - '0');
    if (next / 10 != result) return false;  // overflow
    result = next;
  }
  *value = result;
  return true;
}

constexpr char kEntryPrefix[] = "Journal ";

}  // namespace

std::vector<std::string> EncodeEntry(const JournalEntry& entry) {
  const KindName* kind = Find(entry.kind);
  std::vector<std::string> fields = {kind ? kind->word : "?", Field(entry.name)};
  switch (entry.kind) {
    case JournalKind::kFile:
      fields.push_back(Field(std::string(entry.native ? "native" : "") +
                             (entry.native && entry.shared ? " " : "") + (entry.shared ? "shared" : "")));
      fields.push_back(Field(entry.identity.known ? std::to_string(entry.identity.size) : ""));
      fields.push_back(Field(entry.identity.known ? std::to_string(entry.identity.writeTime) : ""));
      break;
    case JournalKind::kMonitor:
    case JournalKind::kPort:
    case JournalKind::kDriver:
    case JournalKind::kDefaultPrinter:
      fields.push_back(Field(entry.other));
      break;
    default:
      break;
  }
  return fields;
}

bool DecodeEntry(const std::vector<std::string>& fields, JournalEntry* entry) {
  if (fields.empty()) return false;
  const KindName* kind = nullptr;
  for (const KindName& k : kKinds)
    if (fields[0] == k.word) kind = &k;
  if (!kind || fields.size() != kind->fields + 1) return false;
  JournalEntry decoded;
  decoded.kind = kind->kind;
  if (!Unfield(fields[1], &decoded.name) || decoded.name.empty()) return false;
  if (kind->kind == JournalKind::kFile) {
    std::string flags, size, time;
    if (!Unfield(fields[2], &flags) || !Unfield(fields[3], &size) || !Unfield(fields[4], &time)) return false;
    if (flags == "native" || flags == "native shared") decoded.native = true;
    if (flags == "shared" || flags == "native shared") decoded.shared = true;
    if (!flags.empty() && !decoded.native && !decoded.shared) return false;
    if (!size.empty() || !time.empty()) {
      if (!ParseNumber(size, &decoded.identity.size) || !ParseNumber(time, &decoded.identity.writeTime))
        return false;
      decoded.identity.known = true;
    }
  } else if (kind->fields == 2) {
    if (!Unfield(fields[2], &decoded.other)) return false;
  }
  *entry = decoded;
  return true;
}

std::string EntryValueName(unsigned number) {
  char name[32];
  std::snprintf(name, sizeof name, "%s%04u", kEntryPrefix, number);
  return name;
}

unsigned EntryNumber(const std::string& valueName) {
  const size_t prefix = sizeof kEntryPrefix - 1;
  if (valueName.compare(0, prefix, kEntryPrefix) != 0) return 0;
  unsigned long long number = 0;
  if (!ParseNumber(valueName.substr(prefix), &number) || number == 0 || number > 999999) return 0;
  return static_cast<unsigned>(number);
}

JournalState ReadJournal(RecordKeyAccess& key) {
  JournalState state;
  std::string text;
  if (key.ReadString(kStateValue, &text)) {
    state.kept = true;
    state.inProgress = text != kStateComplete;
    state.overEarlier = text == kStateChanging;
    unsigned long start = 0;
    if (state.inProgress) state.runStart = key.ReadDword(kRunStartValue, &start) && start > 0 ? start : 1;
  }
  key.ReadString(kVersionValue, &state.version);
  unsigned long older = 0;
  state.olderFiles = key.ReadDword(kOlderFilesValue, &older) && older != 0;
  std::vector<std::string> names;
  if (!key.ValueNames(&names)) return state;
  for (const std::string& name : names) {
    const unsigned number = EntryNumber(name);
    if (number == 0) continue;
    std::vector<std::string> fields;
    JournalEntry entry;
    if (key.ReadStrings(name.c_str(), &fields) && DecodeEntry(fields, &entry)) {
      state.entries[number] = entry;
    } else {
      state.damaged.push_back(number);
    }
  }
  return state;
}

std::vector<JournalEntry> EntriesInOrder(const JournalState& state, unsigned from) {
  std::vector<JournalEntry> entries;
  for (const auto& numbered : state.entries) {
    if (numbered.first >= from) entries.push_back(numbered.second);
  }
  return entries;
}

bool InstallationJournal::Begin(const JournalState& state, bool overEarlier) {
  unsigned last = 0;
  for (const auto& numbered : state.entries) last = numbered.first > last ? numbered.first : last;
  for (unsigned damaged : state.damaged) last = damaged > last ? damaged : last;
  runStart_ = last + 1;
  next_ = runStart_;
  overEarlier_ = overEarlier;
  earlier_ = state.entries;
  run_.clear();
  if (!key_.WriteDword(kRunStartValue, runStart_) ||
      !key_.WriteString(kStateValue, overEarlier ? kStateChanging : kStateInProgress))
    return false;
  begun_ = true;
  return true;
}

void InstallationJournal::Resume(const JournalState& state) {
  runStart_ = state.runStart;
  overEarlier_ = state.overEarlier;
  earlier_.clear();
  run_.clear();
  next_ = runStart_;
  for (const auto& numbered : state.entries) {
    (numbered.first >= runStart_ ? run_ : earlier_)[numbered.first] = numbered.second;
    if (numbered.first >= next_) next_ = numbered.first + 1;
  }
  // Entries that could not be read are this run's too: they go with it.
  for (unsigned damaged : state.damaged) {
    if (damaged >= next_) next_ = damaged + 1;
  }
  damagedRun_.clear();
  for (unsigned damaged : state.damaged) {
    if (damaged >= runStart_) damagedRun_.push_back(damaged);
  }
  begun_ = true;
}

unsigned InstallationJournal::Find(JournalKind kind, const std::string& name, bool thisRunOnly) const {
  for (const auto* entries : {&earlier_, &run_}) {
    if (thisRunOnly && entries == &earlier_) continue;
    for (const auto& numbered : *entries) {
      const JournalEntry& entry = numbered.second;
      if (entry.kind != kind || entry.name.size() != name.size()) continue;
      bool same = true;
      for (size_t i = 0; i < name.size() && same; ++i) {
        char a = entry.name[i], b = name[i];
        if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
        same = a == b;
      }
      if (same) return numbered.first;
    }
  }
  return 0;
}

unsigned InstallationJournal::Add(const JournalEntry& entry) {
  if (!begun_) return 0;
  const unsigned number = next_;
  if (!key_.WriteStrings(EntryValueName(number).c_str(), EncodeEntry(entry))) return 0;
  ++next_;
  run_[number] = entry;
  return number;
}

bool InstallationJournal::Update(unsigned number, const JournalEntry& entry) {
  auto found = run_.find(number);
  if (found == run_.end()) {
    found = earlier_.find(number);
    if (found == earlier_.end()) return false;
  }
  if (!key_.WriteStrings(EntryValueName(number).c_str(), EncodeEntry(entry))) return false;
  found->second = entry;
  return true;
}

void InstallationJournal::Drop(unsigned number) {
  if (run_.erase(number) > 0 || earlier_.erase(number) > 0) key_.DeleteValue(EntryValueName(number).c_str());
}

std::vector<std::pair<unsigned, JournalEntry>> InstallationJournal::RunEntries() const {
  return std::vector<std::pair<unsigned, JournalEntry>>(run_.begin(), run_.end());
}

bool InstallationJournal::Commit() {
  if (!begun_) return false;
  const bool written = key_.WriteString(kStateValue, kStateComplete);
  key_.DeleteValue(kRunStartValue);
  return written;
}

bool InstallationJournal::Abandon() {
  if (!begun_) return false;
  for (const auto& numbered : run_) key_.DeleteValue(EntryValueName(numbered.first).c_str());
  for (unsigned damaged : damagedRun_) key_.DeleteValue(EntryValueName(damaged).c_str());
  run_.clear();
  damagedRun_.clear();
  const bool written = key_.WriteString(kStateValue, kStateComplete);
  key_.DeleteValue(kRunStartValue);
  begun_ = false;
  return written;
}

}  // namespace sys
