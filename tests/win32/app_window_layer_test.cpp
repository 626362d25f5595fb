// The window layer: window objects found through GWLP_USERDATA, dialogs through
// DWLP_USER, dialog initialisation data, the worker thread.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/application_win.h"
#include "app/dialog_init_data_win.h"
#include "app/dialog_win.h"
#include "app/window_win.h"
#include "app/worker_thread_win.h"
#include "resources/resource_ids.h"

namespace {

class TestApp : public Application {
 public:
  bool keepRunning = false;
  HINSTANCE seenInstance = nullptr;

 protected:
  bool InitInstance() override {
    seenInstance = instance();
    SetExitCode(keepRunning ? 5 : 4);
    // With a message loop to follow, this is what ends it.
    if (keepRunning) PostQuitMessage(0);
    return keepRunning;
  }
};

}  // namespace

TEST(AppApplication, FalseFromInitInstanceEndsTheRunWithItsExitCode) {
  TestApp app;
  HINSTANCE module = GetModuleHandleA(nullptr);
  EXPECT_EQ(app.Run(module), 4);
  EXPECT_EQ(app.seenInstance, module);
  EXPECT_EQ(app.instance(), module);
}

TEST(AppApplication, TrueFromInitInstanceRunsTheMessageLoopUntilQuit) {
  TestApp app;
  app.keepRunning = true;
  EXPECT_EQ(app.Run(GetModuleHandleA(nullptr)), 5);
  // The loop took the quit message; without a loop it would still be waiting here.
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

namespace {

const char kTestClass[] = "AppLayerTestWindow";

class RecordingWindow : public Window {
 public:
  std::vector<UINT> seen;
  bool failCreate = false;
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    seen.push_back(message);
    if (message == WM_CREATE && failCreate) return -1;
    if (message == WM_APP + 7) return static_cast<LRESULT>(wParam * 2);
    return Window::OnMessage(message, wParam, lParam);
  }
  bool Saw(UINT message) const {
    for (UINT m : seen)
      if (m == message) return true;
    return false;
  }
};

bool CreateTestWindow(RecordingWindow& w) {
  HINSTANCE module = GetModuleHandleA(nullptr);
  if (!Window::RegisterWindowClass(module, kTestClass, CS_DBLCLKS, LoadCursor(nullptr, IDC_ARROW),
                                   static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))))
    return false;
  return w.Create(0, kTestClass, "", WS_POPUP, 0, 0, 50, 40, nullptr, 0, module);
}

}  // namespace

TEST(AppWindow, ObjectIsFoundFromTheHandleAndReleasedAtNcDestroy) {
  RecordingWindow w;
  ASSERT_TRUE(CreateTestWindow(w));
  HWND hwnd = w.hwnd();
  ASSERT_NE(hwnd, nullptr);
  EXPECT_EQ(GetWindowLongPtrA(hwnd, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&w));
  EXPECT_TRUE(w.Saw(WM_NCCREATE));
  EXPECT_TRUE(w.Saw(WM_CREATE));
  EXPECT_EQ(SendMessageA(hwnd, WM_APP + 7, 21, 0), 42);
  ASSERT_TRUE(DestroyWindow(hwnd));
  EXPECT_TRUE(w.Saw(WM_NCDESTROY));
  EXPECT_EQ(w.hwnd(), nullptr);
  EXPECT_FALSE(IsWindow(hwnd));
}

TEST(AppWindow, RegisteringTheSameClassTwiceIsFine) {
  HINSTANCE module = GetModuleHandleA(nullptr);
  EXPECT_TRUE(Window::RegisterWindowClass(module, kTestClass, 0, nullptr, nullptr));
  EXPECT_TRUE(Window::RegisterWindowClass(module, kTestClass, 0, nullptr, nullptr));
}

TEST(AppWindow, RefusedCreationLeavesNoWindow) {
  RecordingWindow w;
  w.failCreate = true;
  EXPECT_FALSE(CreateTestWindow(w));
  EXPECT_EQ(w.hwnd(), nullptr);
  EXPECT_TRUE(w.Saw(WM_NCDESTROY));
}

TEST(AppWindow, SecondCreateOnTheSameObjectIsRefused) {
  RecordingWindow w;
  ASSERT_TRUE(CreateTestWindow(w));
  HWND first = w.hwnd();
  EXPECT_FALSE(CreateTestWindow(w));
  EXPECT_EQ(w.hwnd(), first);
}

TEST(AppWindow, DestructorDestroysALiveWindow) {
  HWND hwnd;
  {
    RecordingWindow w;
    ASSERT_TRUE(CreateTestWindow(w));
    hwnd = w.hwnd();
    ASSERT_TRUE(IsWindow(hwnd));
  }
  EXPECT_FALSE(IsWindow(hwnd));
}

namespace {

// Ends itself from its initialisation with what it saw, so DoModal returns at once.
class SelfEndingDialog : public Dialog {
 public:
  using Dialog::Dialog;
  LONG_PTR storedPointer = 0;
  HWND hwndAtInit = nullptr;
  int commandSeen = 0;
  bool useCommand = false;

 protected:
  BOOL OnInitDialog() override {
    storedPointer = GetWindowLongPtrA(hwnd(), DWLP_USER);
    hwndAtInit = hwnd();
    if (useCommand) {
      PostMessageA(hwnd(), WM_COMMAND, MAKEWPARAM(4321, BN_CLICKED), 0);
    } else {
      EndDialog(77);
    }
    return TRUE;
  }
  bool OnCommand(int id, int code, HWND control) override {
    if (id == 4321) {
      commandSeen = id;
      EndDialog(55);
      return true;
    }
    return Dialog::OnCommand(id, code, control);
  }
};

}  // namespace

TEST(AppDialog, ModalRunStoresTheObjectAndReturnsTheEndResult) {
  SelfEndingDialog dialog(IDD_LANGUAGE_ENGLISH);
  EXPECT_EQ(dialog.DoModal(), 77);
  EXPECT_EQ(dialog.storedPointer, reinterpret_cast<LONG_PTR>(&dialog));
  EXPECT_NE(dialog.hwndAtInit, nullptr);
  EXPECT_EQ(dialog.hwnd(), nullptr);
  EXPECT_FALSE(IsWindow(dialog.hwndAtInit));
}

TEST(AppDialog, CommandsReachTheVirtualHandler) {
  SelfEndingDialog dialog(IDD_LANGUAGE_ENGLISH);
  dialog.useCommand = true;
  EXPECT_EQ(dialog.DoModal(), 55);
  EXPECT_EQ(dialog.commandSeen, 4321);
}

TEST(AppDialog, MissingTemplateGivesMinusOne) {
  SelfEndingDialog dialog(9999);
  EXPECT_EQ(dialog.DoModal(), -1);
  EXPECT_EQ(dialog.hwndAtInit, nullptr);
}

namespace {

std::vector<unsigned char> Record(int control, int message, const std::string& data) {
  std::vector<unsigned char> r = {static_cast<unsigned char>(control), static_cast<unsigned char>(control >> 8),
                                  static_cast<unsigned char>(message), static_cast<unsigned char>(message >> 8)};
  uint32_t n = static_cast<uint32_t>(data.size());
  for (int i = 0; i < 4; ++i) r.push_back(static_cast<unsigned char>(n >> (8 * i)));
  r.insert(r.end(), data.begin(), data.end());
  return r;
}

std::vector<unsigned char> Join(std::initializer_list<std::vector<unsigned char>> parts) {
  std::vector<unsigned char> all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

const std::vector<unsigned char> kEnd = {0, 0};

}  // namespace

TEST(AppDialogInitData, ParsesEveryCaseOfTheTable) {
  struct Case {
    const char* name;
    std::vector<unsigned char> data;
    DialogInitParse result;
    std::vector<std::string> texts;
  };
  std::string chinese("\xd6\xd0\xce\xc4\0", 5);
  std::vector<unsigned char> good = Join({Record(1008, 0x0403, chinese), Record(1008, 0x0403, std::string("English\0", 8)), kEnd});
  std::vector<unsigned char> cutLength = Record(1008, 0x0403, std::string("Chinese\0", 8));
  cutLength.resize(cutLength.size() - 3);
  std::vector<unsigned char> cutHeader = Record(1008, 0x0403, "");
  cutHeader.resize(5);
  Case cases[] = {
      {"two combo strings", good, DialogInitParse::kOk, {"\xd6\xd0\xce\xc4", "English"}},
      {"empty list", kEnd, DialogInitParse::kOk, {}},
      {"no terminator", Record(7, 0x0401, std::string("a\0", 2)), DialogInitParse::kTruncated, {"a"}},
      {"nothing at all", {}, DialogInitParse::kTruncated, {}},
      {"data longer than the resource", cutLength, DialogInitParse::kTruncated, {}},
      {"header cut off", cutHeader, DialogInitParse::kTruncated, {}},
      {"string without its NUL", Join({Record(7, 0x0401, "abc"), kEnd}), DialogInitParse::kOk, {"abc"}},
      {"unknown message", Join({Record(7, 0x0401, std::string("x\0", 2)), Record(7, 0x1234, "y"), kEnd}),
       DialogInitParse::kBadMessage, {"x"}},
  };
  for (const Case& c : cases) {
    std::vector<DialogInitItem> items;
    EXPECT_EQ(ParseDialogInitData(c.data.data(), c.data.size(), &items), c.result) << c.name;
    std::vector<std::string> texts;
    for (const auto& item : items) texts.push_back(item.text);
    EXPECT_EQ(texts, c.texts) << c.name;
  }
}

TEST(AppDialogInitData, GoodRecordsKeepControlAndMessage) {
  std::vector<unsigned char> data = Join({Record(1008, 0x0403, std::string("a\0", 2)), Record(1010, 0x0401, "b"), kEnd});
  std::vector<DialogInitItem> items;
  ASSERT_EQ(ParseDialogInitData(data.data(), data.size(), &items), DialogInitParse::kOk);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].controlId, 1008);
  EXPECT_EQ(items[0].message, kDialogInitComboBoxAdd);
  EXPECT_EQ(items[1].controlId, 1010);
  EXPECT_EQ(items[1].message, kDialogInitListBoxAdd);
}

namespace {

DWORD Triple(void* argument) { return 3 * *static_cast<DWORD*>(argument); }

DWORD WaitOnEvent(void* event) { return WaitForSingleObject(static_cast<HANDLE>(event), 10000) == WAIT_OBJECT_0 ? 9 : 8; }

}  // namespace

TEST(AppWorkerThread, RunsTheRoutineWithItsArgument) {
  DWORD value = 14;
  WorkerThread worker;
  ASSERT_TRUE(worker.Start(&Triple, &value));
  ASSERT_TRUE(worker.Wait(10000));
  EXPECT_EQ(worker.ExitCode(), 42u);
  EXPECT_FALSE(worker.Start(&Triple, &value));
}

TEST(AppWorkerThread, ReportsStillActiveUntilItEnds) {
  UniqueHandle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  ASSERT_TRUE(event.valid());
  WorkerThread worker;
  ASSERT_TRUE(worker.Start(&WaitOnEvent, event.get()));
  EXPECT_FALSE(worker.Wait(50));
  EXPECT_EQ(worker.ExitCode(), static_cast<DWORD>(STILL_ACTIVE));
  SetEvent(event.get());
  ASSERT_TRUE(worker.Wait(10000));
  EXPECT_EQ(worker.ExitCode(), 9u);

  WorkerThread moved(std::move(worker));
  EXPECT_TRUE(moved.started());
  EXPECT_FALSE(worker.started());
  EXPECT_EQ(moved.ExitCode(), 9u);
}

TEST(AppWorkerThread, NullRoutineIsRefused) {
  WorkerThread worker;
  EXPECT_FALSE(worker.Start(nullptr, nullptr));
  EXPECT_FALSE(worker.started());
  EXPECT_FALSE(worker.Wait(0));
}
