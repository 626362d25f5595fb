// The extraction pass as the installation worker runs it: the sample package from
// this program's INSTALL resource (or, when a script has appended it, from the end
// of this program's file) into a scratch folder, with the status line going to a
// panel-like window and the positions to a real progress bar, both owned by the
// test's thread while the pass runs on a worker.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/control_libraries_win.h"
#include "app/unique_handle_win.h"
#include "payload/archive.h"
#include "payload/payload_extraction.h"
#include "payload/payload_extraction_win.h"
#include "payload/payload_resource_win.h"
#include "ui/panel_messages_win.h"
#include "win_support.h"

using win_support::PackagePath;
using win_support::ReadAll;
using win_support::ScratchDir;

namespace {

constexpr int kProgressBarId = 1004;
// No ExtractResult: the pass has not returned.
constexpr int kNotReturned = 12345;

// What reached the windows, in the order the test's thread served it: "S:text"
// from the panel, "%:n" from the bar.
std::vector<std::string>* g_events = nullptr;
WNDPROC g_barProcedure = nullptr;

LRESULT CALLBACK PanelProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kPanelSetStatusText) {
    const char* text = reinterpret_cast<const char*>(lParam);
    if (g_events) g_events->push_back("S:" + std::string(text ? text : ""));
    return kPanelMessageDone;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK BarProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == PBM_SETPOS && g_events) g_events->push_back("%:" + std::to_string(static_cast<int>(wParam)));
  return CallWindowProcA(g_barProcedure, hwnd, message, wParam, lParam);
}

// An owner window with a panel that answers the status message and the wizard's
// progress bar (control 1004) whose positions are logged on the way in.
class WizardStandIn {
 public:
  explicit WizardStandIn(std::vector<std::string>* events) {
    g_events = events;
    WNDCLASSA panelClass = {};
    panelClass.lpfnWndProc = PanelProcedure;
    panelClass.hInstance = GetModuleHandleA(nullptr);
    panelClass.lpszClassName = "ExtractionTestPanel";
    RegisterClassA(&panelClass);  // already registered by an earlier test: fine
    libraries_.Load();
    owner_ = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPED | WS_CAPTION, 0, 0, 503, 365, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    panel_ = CreateWindowExA(0, "ExtractionTestPanel", "", WS_CHILD | WS_VISIBLE, 0, 0, 501, 315, owner_, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    bar_ = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, 26, 200, 435, 22, owner_,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(kProgressBarId)), GetModuleHandleA(nullptr),
                           nullptr);
    if (bar_) {
      g_barProcedure = reinterpret_cast<WNDPROC>(
          SetWindowLongPtrA(bar_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&BarProcedure)));
    }
  }
  ~WizardStandIn() {
    if (owner_) DestroyWindow(owner_);
    g_events = nullptr;
  }
  WizardStandIn(const WizardStandIn&) = delete;
  WizardStandIn& operator=(const WizardStandIn&) = delete;

  bool ready() const { return owner_ && panel_ && bar_; }
  HWND panel() const { return panel_; }
  HWND bar() const { return bar_; }

 private:
  ControlLibraries libraries_;
  HWND owner_ = nullptr;
  HWND panel_ = nullptr;
  HWND bar_ = nullptr;
};

struct PassArguments {
  const unsigned char* data = nullptr;
  size_t size = 0;
  std::string destination;
  std::string dataFolder;
  HWND panel = nullptr;
  HWND bar = nullptr;
  std::vector<std::string> placed;  // written by the worker only
  int result = kNotReturned;
};

DWORD WINAPI RunPass(void* argument) {
  PassArguments& a = *static_cast<PassArguments*>(argument);
  a.result = payload::ExtractPayload(a.data, a.size, a.destination.c_str(), a.dataFolder.c_str(), a.panel, a.bar,
                                     [&a](const char* name) { a.placed.push_back(name); });
  return 0;
}

// Runs the pass on a worker thread the way the installation does, and serves the
// messages it sends to this thread's windows until it is done (at most 60 s).
bool RunPassOnWorker(PassArguments* arguments) {
  UniqueHandle worker(CreateThread(nullptr, 0, &RunPass, arguments, 0, nullptr));
  if (!worker.valid()) return false;
  HANDLE handle = worker.get();
  const DWORD started = GetTickCount();
  while (MsgWaitForMultipleObjects(1, &handle, FALSE, 100, QS_ALLINPUT) != WAIT_OBJECT_0) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    if (GetTickCount() - started > 60000) return false;
  }
  return true;
}

// The entry names of an archive in stored order, read by the walker alone (whose
// own tests tie them to the package list); the expectation the pass is held to.
std::vector<std::string> EntryNames(const unsigned char* data, size_t size) {
  std::vector<std::string> names;
  payload::MemorySource source(data, size);
  payload::ArchiveLayout layout;
  if (payload::LocateResourceArchive(source, &layout) != payload::LocateResult::kFound) return names;
  payload::WalkEntries(source, layout, [&](const payload::PackageEntry& e) {
    names.push_back(e.name);
    return true;
  });
  return names;
}

std::vector<std::string> Only(const std::vector<std::string>& events, char kind) {
  std::vector<std::string> picked;
  for (const std::string& e : events)
    if (e[0] == kind) picked.push_back(e.substr(2));
  return picked;
}

int FilesIn(const std::string& folder) {
  int count = 0;
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return 0;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++count;
  } while (FindNextFileA(h, &found));
  FindClose(h);
  return count;
}

void ExpectPackageIn(const std::string& folder, const std::vector<std::string>& names) {
  EXPECT_EQ(FilesIn(folder), static_cast<int>(names.size()));
  for (const std::string& name : names)
    EXPECT_EQ(ReadAll(folder + "\\" + name), ReadAll(PackagePath(name))) << name;
}

// This program's INSTALL resource, copied to the heap as the start-up does.
class SamplePayload {
 public:
  SamplePayload() : data_(LoadPayloadResource(kPayloadResourceId, kPayloadResourceType, &size_)) {}
  const unsigned char* data() const { return data_.get(); }
  size_t size() const { return size_; }
  std::vector<std::string> Names() const { return EntryNames(data(), size()); }

 private:
  size_t size_ = 0;
  std::unique_ptr<unsigned char[]> data_;
};

// The stand-in wizard, a destination and a data folder, and one pass run on a
// worker against them.
class PayloadExtraction : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(wizard_.ready()); }

  // data null: the appended carrier of this program's own file.
  bool Run(const unsigned char* data, size_t size) {
    pass_ = PassArguments{data, size, dest_.path(), dataFolder_.path(),
                          wizard_.panel(), wizard_.bar(), {}, kNotReturned};
    return RunPassOnWorker(&pass_);
  }
  int BarPosition() const { return static_cast<int>(SendMessageA(wizard_.bar(), PBM_GETPOS, 0, 0)); }

  std::vector<std::string> events_;
  WizardStandIn wizard_{&events_};
  ScratchDir dest_, dataFolder_;
  PassArguments pass_;
};

}  // namespace

TEST_F(PayloadExtraction, ResourcePassFillsTheFolderAndEndsTheBarAtOneHundred) {
  SamplePayload copy;
  ASSERT_NE(copy.data(), nullptr);
  const std::vector<std::string> names = copy.Names();
  ASSERT_EQ(names, win_support::PackageEntries());
  ASSERT_TRUE(Run(copy.data(), copy.size()));

  EXPECT_EQ(pass_.result, payload::kExtractComplete);
  ExpectPackageIn(dest_.path(), names);
  EXPECT_EQ(FilesIn(dataFolder_.path()), 0);
  EXPECT_EQ(pass_.placed, names);
  EXPECT_EQ(Only(events_, 'S'), names);
  EXPECT_EQ(Only(events_, 'S').back(), "ZIKU.UFM");
  EXPECT_EQ(BarPosition(), 100);

  // Each status line is followed by the bar on the entry count's scale; the
  // decoder's 16 KB steps on the byte scale come in between.
  int statuses = 0;
  for (size_t i = 0; i + 1 < events_.size(); ++i) {
    if (events_[i][0] != 'S') continue;
    ++statuses;
    EXPECT_EQ(events_[i + 1], "%:" + std::to_string(statuses * 100 / static_cast<int>(names.size()))) << events_[i];
  }
  EXPECT_EQ(statuses, static_cast<int>(names.size()));
  EXPECT_EQ(events_.back(), "%:100");
  // At least one decoder step per started 16 KB of each entry's output.
  size_t decoderSteps = 0;
  for (const std::string& name : names) decoderSteps += ReadAll(PackagePath(name)).size() / 16384 + 1;
  EXPECT_GE(Only(events_, '%').size(), names.size() + decoderSteps);
}

TEST_F(PayloadExtraction, PassWithoutWizardWindowsStillWritesEveryEntry) {
  // The wizard may be closing while the worker runs: no panel, no bar, nobody
  // collecting the placed names.
  SamplePayload copy;
  ASSERT_NE(copy.data(), nullptr);
  EXPECT_EQ(payload::ExtractPayload(copy.data(), copy.size(), dest_.path().c_str(), dataFolder_.path().c_str(),
                                    nullptr, nullptr, nullptr),
            payload::kExtractComplete);
  ExpectPackageIn(dest_.path(), copy.Names());
  EXPECT_TRUE(events_.empty());
}

// The appended carrier reads this very program. As built it carries no appended
// archive; tests/scripts/windows_payload_extraction.sh appends the sample package
// to a copy and runs this test there with PAYLOAD_APPENDED_TO_PROGRAM set.
TEST_F(PayloadExtraction, AppendedPassReadsThisProgramsOwnFile) {
  ASSERT_TRUE(Run(nullptr, 0));
  if (std::getenv("PAYLOAD_APPENDED_TO_PROGRAM") == nullptr) {
    EXPECT_EQ(pass_.result, payload::kExtractNoArchive);
    EXPECT_EQ(FilesIn(dest_.path()), 0);
    EXPECT_TRUE(events_.empty());
    EXPECT_TRUE(pass_.placed.empty());
    return;
  }
  const std::vector<std::string> names = SamplePayload().Names();
  ASSERT_EQ(names, win_support::PackageEntries());
  EXPECT_EQ(pass_.result, payload::kExtractComplete);
  ExpectPackageIn(dest_.path(), names);
  EXPECT_EQ(FilesIn(dataFolder_.path()), 0) << "the sample package holds no data-folder entry";
  EXPECT_EQ(pass_.placed, names);
  std::vector<std::string> paths;
  for (const std::string& name : names) paths.push_back(dest_.File(name));
  EXPECT_EQ(Only(events_, 'S'), paths);
  // Only the decoder moves the bar here, on the byte scale: the entries decompress
  // to more than the packed archive, so it ends beyond the bar's top of 100.
  ASSERT_FALSE(Only(events_, '%').empty());
  EXPECT_GT(std::stoi(Only(events_, '%').back()), 100);
  EXPECT_EQ(BarPosition(), 100) << "the bar keeps to its range";
}
