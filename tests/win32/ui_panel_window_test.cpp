// The wizard panel as a window: construction state and the Settings-confirmed
// event, creation and layout in its owner, the default destination folder, the
// folder field's visibility, the page and status hand-over from a second thread
// through messages, and the robot's read-only page query.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "app/install_config.h"
#include "app/unique_handle_win.h"
#include "tests/e2e/robot_protocol.h"
#include "ui/dib_canvas_win.h"
#include "ui/page_painter_win.h"
#include "ui/panel_messages_win.h"
#include "ui/wizard_panel_win.h"
#include "win_support.h"

namespace {

static_assert(kPanelQueryPage == kRobotQueryPage, "the panel answers the robot's message");
static_assert(kPanelPageAnswered == kRobotPageAnswered, "with the robot's marker bit");

const char kPleaseWaitChinese[] = "\307\353\311\324\272\362...";
const COLORREF kBackground = RGB(236, 233, 216);
const COLORREF kWhite = RGB(255, 255, 255);

// Stands in for the wizard dialog: a 503 x 365 captioned window.
class Owner {
 public:
  Owner() {
    hwnd_ = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 503,
                            365, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  }
  ~Owner() {
    if (hwnd_) DestroyWindow(hwnd_);
  }
  HWND hwnd() const { return hwnd_; }

 private:
  HWND hwnd_;
};

// Saves the install configuration and puts it back afterwards.
class ConfigGuard {
 public:
  ConfigGuard() { std::memcpy(&saved_, &g_installConfig, sizeof saved_); }
  ~ConfigGuard() { std::memcpy(&g_installConfig, &saved_, sizeof saved_); }

 private:
  InstallConfig saved_;
};

std::string ProgramFilesWithBackslash() {
  char buffer[512] = {};
  ExpandEnvironmentStringsA("%ProgramFiles%\\", buffer, sizeof buffer);
  return buffer;
}

RECT RectIn(HWND child, HWND parent) {
  RECT r = {};
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// Serves the messages other threads send to this thread's windows until thread
// ends (or 10 s pass). Only sent messages: no WM_PAINT is dispatched here, so a
// panel that has nothing left to paint afterwards repainted itself.
bool ServeSentMessagesUntilDone(HANDLE thread) {
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD wait = MsgWaitForMultipleObjects(1, &thread, FALSE, 200, QS_SENDMESSAGE);
    if (wait == WAIT_OBJECT_0) return true;
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    if (GetTickCount() - start > 10000) return false;
  }
}

// A bottom-up 24-bit BMP of one colour.
std::string SolidBmp(int width, int height, COLORREF colour) {
  const uint32_t stride = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
  std::string bytes(54 + stride * static_cast<uint32_t>(height), '\0');
  auto put = [&](size_t at, uint32_t v, int count) {
    for (int k = 0; k < count; ++k) bytes[at + k] = static_cast<char>((v >> (8 * k)) & 0xFF);
  };
  bytes[0] = 'B';
  bytes[1] = 'M';
  put(2, static_cast<uint32_t>(bytes.size()), 4);
  put(10, 54, 4);
  put(14, 40, 4);
  put(18, static_cast<uint32_t>(width), 4);
  put(22, static_cast<uint32_t>(height), 4);
  put(26, 1, 2);
  put(28, 24, 2);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      put(54 + static_cast<size_t>(y) * stride + static_cast<size_t>(x) * 3,
          (GetBValue(colour)) | (GetGValue(colour) << 8) | (GetRValue(colour) << 16), 3);
  return bytes;
}

// Points TMP (the first place GetTempPath looks) at a folder of its own for the
// life of the object.
class TempFolderRedirect {
 public:
  explicit TempFolderRedirect(const std::string& folder) {
    char old[1024] = {};
    const DWORD length = GetEnvironmentVariableA("TMP", old, sizeof old);
    hadOld_ = length > 0 && length < sizeof old;
    if (hadOld_) old_ = old;
    SetEnvironmentVariableA("TMP", folder.c_str());
  }
  ~TempFolderRedirect() { SetEnvironmentVariableA("TMP", hadOld_ ? old_.c_str() : nullptr); }

 private:
  bool hadOld_ = false;
  std::string old_;
};

int InkIn(const ui::DibCanvas& canvas, int left, int top, int right, int bottom, COLORREF background) {
  int ink = 0;
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x)
      if (canvas.Pixel(x, y) != background) ++ink;
  return ink;
}

TEST(WizardPanel, ConstructedStateAndSettingsConfirmedEvent) {
  ui::WizardPanel panel;
  EXPECT_EQ(panel.page(), 0);
  EXPECT_EQ(panel.languageFlag(), 1);
  EXPECT_EQ(panel.statusText(), kPleaseWaitChinese);
  EXPECT_EQ(panel.hwnd(), nullptr);
  EXPECT_EQ(panel.ownerDialog(), nullptr);
  HANDLE event = panel.settingsConfirmedEvent();
  ASSERT_NE(event, nullptr);
  EXPECT_EQ(WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "created not signalled";
  ASSERT_TRUE(SetEvent(event));
  // Manual reset: a wait does not reset it.
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
}

TEST(WizardPanel, EachPanelHasItsOwnEvent) {
  ui::WizardPanel first;
  ui::WizardPanel second;
  ASSERT_NE(first.settingsConfirmedEvent(), nullptr);
  ASSERT_NE(second.settingsConfirmedEvent(), nullptr);
  SetEvent(first.settingsConfirmedEvent());
  EXPECT_EQ(WaitForSingleObject(second.settingsConfirmedEvent(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
}

TEST(WizardPanel, CreateFailsWithoutOwnerAndKeepsConstructorValues) {
  ui::WizardPanel panel;
  EXPECT_FALSE(panel.Create(nullptr, 0));
  EXPECT_EQ(panel.hwnd(), nullptr);
  EXPECT_EQ(panel.folderEdit().hwnd(), nullptr);
  EXPECT_EQ(panel.languageFlag(), 1);
  EXPECT_EQ(panel.statusText(), kPleaseWaitChinese);
}

TEST(WizardPanel, CreateLaysOutPanelAndFolderField) {
  ConfigGuard guard;
  std::strcpy(g_installConfig.printerName(), "Rillo-58-Series");
  Owner owner;
  ASSERT_NE(owner.hwnd(), nullptr);
  RECT client = {};
  GetClientRect(owner.hwnd(), &client);

  ui::WizardPanel panel;
  ASSERT_TRUE(panel.Create(owner.hwnd(), 0));
  ASSERT_NE(panel.hwnd(), nullptr);
  EXPECT_EQ(panel.ownerDialog(), owner.hwnd());
  EXPECT_EQ(GetParent(panel.hwnd()), owner.hwnd());
  const RECT r = RectIn(panel.hwnd(), owner.hwnd());
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.right, client.right - 2);
  EXPECT_EQ(r.bottom, client.bottom - 50);
  const LONG_PTR style = GetWindowLongPtrA(panel.hwnd(), GWL_STYLE);
  const LONG_PTR wanted = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
  EXPECT_EQ(style & (wanted | WS_BORDER), wanted);
  EXPECT_EQ(GetWindowLongPtrA(panel.hwnd(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
  EXPECT_EQ(GetDlgCtrlID(panel.hwnd()), 0);
  EXPECT_EQ(GetClassLongPtrA(panel.hwnd(), GCLP_HBRBACKGROUND),
            reinterpret_cast<ULONG_PTR>(GetStockObject(WHITE_BRUSH)));
  EXPECT_EQ(GetClassLongPtrA(panel.hwnd(), GCL_STYLE) & CS_DBLCLKS, static_cast<ULONG_PTR>(CS_DBLCLKS));

  // English chosen at start-up: the English status text.
  EXPECT_EQ(panel.languageFlag(), 0);
  EXPECT_EQ(panel.statusText(), "Please wait...");
  EXPECT_EQ(panel.page(), 0);

  HWND field = panel.folderEdit().hwnd();
  ASSERT_NE(field, nullptr);
  EXPECT_EQ(GetParent(field), panel.hwnd());
  EXPECT_FALSE(IsWindowVisible(field)) << "shown on page 3 only";
  const RECT f = RectIn(field, panel.hwnd());
  EXPECT_EQ(f.left, 38);
  EXPECT_EQ(f.top, 182);
  EXPECT_EQ(f.right, 362);
  EXPECT_EQ(f.bottom, 204);

  const std::string base = ProgramFilesWithBackslash();
  ASSERT_GE(base.size(), 4u);
  ASSERT_EQ(base.back(), '\\');
  ASSERT_NE(base[base.size() - 2], '\\');
  EXPECT_EQ(panel.folderEdit().GetText(), base + "Rillo-58-Series");
  EXPECT_NE(SendMessageA(panel.folderEdit().edit(), EM_GETMODIFY, 0, 0), 0);
}

TEST(WizardPanel, DefaultFolderWithoutPrinterNameAndChineseStatus) {
  ConfigGuard guard;
  g_installConfig.printerName()[0] = '\0';
  Owner owner;
  ui::WizardPanel panel;
  ASSERT_TRUE(panel.Create(owner.hwnd(), 1));
  EXPECT_EQ(panel.folderEdit().GetText(), ProgramFilesWithBackslash() + "USB Printer");
  EXPECT_EQ(panel.languageFlag(), 1);
  EXPECT_EQ(panel.statusText(), kPleaseWaitChinese);
  EXPECT_EQ(ui::DefaultDestinationFolder("Rillo-80"), ProgramFilesWithBackslash() + "Rillo-80");
}

TEST(WizardPanel, ShowFolderEditShowsAndHidesTheField) {
  Owner owner;
  ShowWindow(owner.hwnd(), SW_SHOWNOACTIVATE);
  ui::WizardPanel panel;
  ASSERT_TRUE(panel.Create(owner.hwnd(), 0));
  HWND field = panel.folderEdit().hwnd();
  panel.ShowFolderEdit(true);
  EXPECT_TRUE(IsWindowVisible(field));
  panel.ShowFolderEdit(false);
  EXPECT_FALSE(IsWindowVisible(field));
  // Repainted at once: nothing is left to paint.
  EXPECT_FALSE(GetUpdateRect(panel.hwnd(), nullptr, FALSE));
}

TEST(WizardPanel, ControlRectanglesComeFromTheOwnerInPanelCoordinates) {
  Owner owner;
  ui::WizardPanel panel;
  ASSERT_TRUE(panel.Create(owner.hwnd(), 0));
  HWND radio = CreateWindowExA(0, "BUTTON", "", WS_CHILD | BS_AUTORADIOBUTTON, 30, 250, 200, 16, owner.hwnd(),
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(1035)), GetModuleHandleA(nullptr),
                               nullptr);
  ASSERT_NE(radio, nullptr);
  RECT r = {};
  ASSERT_TRUE(ui::ControlRectIn(owner.hwnd(), 1035, panel.hwnd(), &r));
  EXPECT_EQ(r.left, 30);
  EXPECT_EQ(r.top, 250);
  EXPECT_EQ(r.right, 230);
  EXPECT_EQ(r.bottom, 266);
  EXPECT_FALSE(ui::ControlRectIn(owner.hwnd(), 1036, panel.hwnd(), &r));
}

struct WorkerResults {
  HWND panel = nullptr;
  bool pageTaken = false;
  bool badPageTaken = true;
  bool statusTaken = false;
  BOOL updatePendingAfterPage = TRUE;
  BOOL updatePendingAfterStatus = TRUE;
  LRESULT queryAnswer = 0;
};

DWORD WINAPI Worker(void* argument) {
  WorkerResults* results = static_cast<WorkerResults*>(argument);
  results->pageTaken = SendPanelPage(results->panel, 4);
  results->updatePendingAfterPage = GetUpdateRect(results->panel, nullptr, FALSE);
  char status[64];
  std::strcpy(status, "Extracting Logo.bmp");
  results->statusTaken = SendPanelStatusText(results->panel, status);
  results->updatePendingAfterStatus = GetUpdateRect(results->panel, nullptr, FALSE);
  // The panel kept its own copy.
  std::memset(status, 'X', sizeof status - 1);
  status[sizeof status - 1] = '\0';
  results->badPageTaken = SendPanelPage(results->panel, 9);
  DWORD_PTR answer = 0;
  if (SendMessageTimeoutA(results->panel, kRobotQueryPage, 0, 0, SMTO_NORMAL, 5000, &answer))
    results->queryAnswer = static_cast<LRESULT>(answer);
  return 0;
}

TEST(WizardPanel, WorkerHandsOverPageAndStatusThroughMessages) {
  Owner owner;
  ShowWindow(owner.hwnd(), SW_SHOWNOACTIVATE);
  ui::WizardPanel panel;
  ASSERT_TRUE(panel.Create(owner.hwnd(), 0));
  UpdateWindow(owner.hwnd());

  WorkerResults results;
  results.panel = panel.hwnd();
  UniqueHandle thread(CreateThread(nullptr, 0, &Worker, &results, 0, nullptr));
  ASSERT_TRUE(thread.valid());
  ASSERT_TRUE(ServeSentMessagesUntilDone(thread.get()));

  EXPECT_TRUE(results.pageTaken);
  EXPECT_TRUE(results.statusTaken);
  EXPECT_FALSE(results.badPageTaken) << "page 9 does not exist";
  EXPECT_FALSE(results.updatePendingAfterPage) << "not repainted before SendMessage returned";
  EXPECT_FALSE(results.updatePendingAfterStatus) << "not repainted before SendMessage returned";
  EXPECT_EQ(results.queryAnswer, kRobotPageAnswered | 4);
  EXPECT_EQ(panel.page(), 4);
  EXPECT_EQ(panel.statusText(), "Extracting Logo.bmp");

  // What the panel paints now: page 4's banner and the status line at (28, 160).
  RECT client = {};
  GetClientRect(panel.hwnd(), &client);
  ui::DibCanvas canvas(client.right, client.bottom, RGB(255, 0, 255));
  ASSERT_TRUE(canvas.Ready());
  SendMessageA(panel.hwnd(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
  EXPECT_EQ(canvas.Pixel(2, 2), kWhite);
  EXPECT_EQ(canvas.Pixel(2, 54), RGB(172, 168, 153));
  EXPECT_EQ(canvas.Pixel(2, client.bottom - 1), kBackground);
  EXPECT_GT(InkIn(canvas, 28, 160, 200, 176, kBackground), 0);
}

TEST(WizardPanel, AnswersTheRobotsPageQueryWithoutChangingAnything) {
  Owner owner;
  ShowWindow(owner.hwnd(), SW_SHOWNOACTIVATE);
  ui::WizardPanel panel;
  ASSERT_TRUE(panel.Create(owner.hwnd(), 1));
  UpdateWindow(owner.hwnd());
  EXPECT_EQ(SendMessageA(panel.hwnd(), kRobotQueryPage, 0, 0), kRobotPageAnswered | 0);
  for (int page : {3, 8, 5}) {
    ASSERT_TRUE(panel.SetPage(page));
    panel.RepaintNow();
    const LRESULT answer = SendMessageA(panel.hwnd(), kRobotQueryPage, 0, 0);
    EXPECT_EQ(answer & kRobotPageAnswered, kRobotPageAnswered);
    EXPECT_EQ(answer & kRobotPageMask, page);
    EXPECT_EQ(panel.page(), page);
    EXPECT_FALSE(GetUpdateRect(panel.hwnd(), nullptr, FALSE)) << "the query asked for a repaint";
  }
  EXPECT_FALSE(panel.SetPage(-1));
  EXPECT_FALSE(panel.SetPage(9));
  EXPECT_EQ(panel.page(), 5);
}

TEST(WizardPanel, UiThreadSettersInvalidateWithoutErasing) {
  Owner owner;
  ShowWindow(owner.hwnd(), SW_SHOWNOACTIVATE);
  ui::WizardPanel panel;
  ASSERT_TRUE(panel.Create(owner.hwnd(), 0));
  UpdateWindow(owner.hwnd());
  ASSERT_FALSE(GetUpdateRect(panel.hwnd(), nullptr, FALSE));
  ASSERT_TRUE(panel.SetPage(2));
  EXPECT_TRUE(GetUpdateRect(panel.hwnd(), nullptr, FALSE));
  panel.RepaintNow();
  EXPECT_FALSE(GetUpdateRect(panel.hwnd(), nullptr, FALSE));
  panel.SetStatusText("Copying");
  EXPECT_EQ(panel.statusText(), "Copying");
  EXPECT_TRUE(GetUpdateRect(panel.hwnd(), nullptr, FALSE));
  panel.SetStatusText(nullptr);
  EXPECT_EQ(panel.statusText(), "");
}

TEST(WizardPanel, PaintsThePicturesOfTheTemporaryFolder) {
  const COLORREF logo = RGB(10, 200, 30);
  const COLORREF artwork = RGB(200, 20, 120);
  win_support::ScratchDir temp;
  ASSERT_TRUE(win_support::WriteAll(temp.File("Logo.bmp"), SolidBmp(140, 54, logo)));
  ASSERT_TRUE(win_support::WriteAll(temp.File("left.bmp"), SolidBmp(169, 295, artwork)));
  TempFolderRedirect redirect(temp.path());

  Owner owner;
  ui::WizardPanel panel;
  ASSERT_TRUE(panel.Create(owner.hwnd(), 0));
  RECT client = {};
  GetClientRect(panel.hwnd(), &client);
  const int w = client.right;

  ui::DibCanvas zero(w, client.bottom, kBackground);
  ASSERT_TRUE(zero.Ready());
  SendMessageA(panel.hwnd(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(zero.Dc()), PRF_CLIENT);
  EXPECT_EQ(zero.Pixel(0, 0), artwork);
  EXPECT_EQ(zero.Pixel(168, 100), artwork);
  EXPECT_EQ(zero.Pixel(169, 100), kWhite);
  EXPECT_EQ(zero.Pixel(w - 154, 0), kWhite) << "no logo on page 0";

  ASSERT_TRUE(panel.SetPage(2));
  ui::DibCanvas two(w, client.bottom, kWhite);
  SendMessageA(panel.hwnd(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(two.Dc()), PRF_CLIENT);
  EXPECT_EQ(two.Pixel(w - 154, 0), logo);
  EXPECT_EQ(two.Pixel(w - 15, 53), logo);
  EXPECT_EQ(two.Pixel(w - 155, 0), kWhite);
  EXPECT_EQ(two.Pixel(0, 0), kWhite) << "no artwork after page 0";
  EXPECT_EQ(two.Pixel(0, 100), kBackground);
}

TEST(WizardPanel, DestroyRunsTheDestroyHandlerOnce) {
  int calls = 0;
  {
    Owner owner;
    ui::WizardPanel panel;
    ASSERT_TRUE(panel.Create(owner.hwnd(), 0));
    panel.SetDestroyHandler([&calls] { ++calls; });
    EXPECT_EQ(calls, 0);
    DestroyWindow(owner.hwnd());  // the dialog ends: its children go with it
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(panel.hwnd(), nullptr);
    EXPECT_EQ(panel.folderEdit().hwnd(), nullptr);
  }
  EXPECT_EQ(calls, 1);
}

}  // namespace
