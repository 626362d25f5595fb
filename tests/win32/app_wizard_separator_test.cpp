// Pixels of the running wizard dialog: the etched separator above its buttons (a
// line in RGB(172,168,153) on row DH - 50 and a white line on row DH - 49, each from
// column 1 up to column DW - 2, LineTo leaving out its end point, with the dialog's
// face colour beside and below them), and the page's colour behind the captions of
// the licence radios and the default-printer box, which lie on the painted page.
//
// How the pixels are read: the dialog draws the separator only in its WM_PAINT
// handler, between BeginPaint and EndPaint, and does not answer WM_PRINTCLIENT.
// Under Wine both PrintWindow and WM_PRINT into a memory context give the dialog's
// face colour on those rows (tried: no separator in either). So the helper thread
// has the dialog repainted on its own thread and then copies the client area out
// of the dialog's window context (GetDC(dialog), BitBlt into a DIB): Wine keeps
// what a top-level window painted in its window surface and the copy returns it.
// A copy from the screen context over the same rectangle must show the same rows,
// so the pixels are what a person sees, not an artefact of one way of reading them.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>

#include "app/control_libraries_win.h"
#include "app/setup_wizard_dialog_win.h"
#include "app/worker_thread_win.h"
#include "resources/resource_ids.h"
#include "ui/panel_messages_win.h"
#include "ui/dib_canvas_win.h"
#include "win_support.h"

namespace {

const COLORREF kEtch = RGB(172, 168, 153);
const COLORREF kWhite = RGB(255, 255, 255);
// What a canvas holds where a copy put nothing.
const COLORREF kUnread = RGB(1, 2, 3);

BOOL CALLBACK MatchWizard(HWND hwnd, LPARAM param) {
  char className[16] = {};
  GetClassNameA(hwnd, className, sizeof className);
  if (std::strcmp(className, "#32770") != 0 || !IsWindowVisible(hwnd) || !GetDlgItem(hwnd, IDC_NEXT)) return TRUE;
  *reinterpret_cast<HWND*>(param) = hwnd;
  return FALSE;
}

// Two copies of the dialog's client area, taken while it runs.
struct Capture {
  DWORD uiThread = 0;
  // Run on the helper thread before the repaint: brings the wizard to what is read.
  std::function<void(HWND wizard)> prepare;
  bool found = false;
  RECT client = {0, 0, 0, 0};
  std::unique_ptr<ui::DibCanvas> fromWindow;
  std::unique_ptr<ui::DibCanvas> fromScreen;
};

// A context from GetDC goes back to the window it came from.
struct ReleaseToWindow {
  HWND window;
  void operator()(HDC dc) const { ReleaseDC(window, dc); }
};
using WindowContext = std::unique_ptr<std::remove_pointer_t<HDC>, ReleaseToWindow>;

// A copy of the client area out of the context window gives (null: the screen's).
std::unique_ptr<ui::DibCanvas> CopyClientArea(HWND wizard, HWND contextOf, const RECT& client) {
  auto canvas = std::make_unique<ui::DibCanvas>(client.right, client.bottom, kUnread);
  POINT origin = {0, 0};
  if (!contextOf) ClientToScreen(wizard, &origin);
  WindowContext source(GetDC(contextOf), ReleaseToWindow{contextOf});
  if (!source) return nullptr;
  BitBlt(canvas->Dc(), 0, 0, canvas->Width(), canvas->Height(), source.get(), origin.x, origin.y, SRCCOPY);
  return canvas;
}

DWORD CaptureThenCancel(void* raw) {
  auto* job = static_cast<Capture*>(raw);
  HWND wizard = nullptr;
  for (int waited = 0; waited < 30000 && !wizard; waited += 20) {
    EnumThreadWindows(job->uiThread, &MatchWizard, reinterpret_cast<LPARAM>(&wizard));
    if (!wizard) Sleep(20);
  }
  if (!wizard) return 1;
  job->found = true;
  if (job->prepare) job->prepare(wizard);
  GetClientRect(wizard, &job->client);
  // A full repaint, handled on the dialog's thread before this returns; the WM_NULL
  // behind it makes sure nothing of it is still queued.
  RedrawWindow(wizard, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  SendMessageA(wizard, WM_NULL, 0, 0);
  Sleep(200);
  SendMessageA(wizard, WM_NULL, 0, 0);

  job->fromWindow = CopyClientArea(wizard, wizard, job->client);
  job->fromScreen = CopyClientArea(wizard, nullptr, job->client);

  HWND cancel = GetDlgItem(wizard, IDC_CANCEL_FINISH);
  PostMessageA(wizard, WM_COMMAND, MAKEWPARAM(IDC_CANCEL_FINISH, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
  for (int i = 0; i < 250 && IsWindow(wizard); ++i) Sleep(20);
  return IsWindow(wizard) ? 2 : 0;
}

// The columns of row y whose colour differs from colour, as "x=N:RRGGBB" words
// (the first four), for a readable failure; empty when every column matches.
std::string ColumnsNotOf(const ui::DibCanvas& canvas, int y, int from, int to, COLORREF colour) {
  std::string out;
  int count = 0;
  for (int x = from; x <= to; ++x) {
    const COLORREF p = canvas.Pixel(x, y);
    if (p == colour) continue;
    if (++count <= 4) {
      char word[32];
      std::snprintf(word, sizeof word, " x=%d:%02X%02X%02X", x, GetRValue(p), GetGValue(p), GetBValue(p));
      out += word;
    }
  }
  if (count > 4) out += " (" + std::to_string(count) + " in all)";
  return out;
}

class WizardSeparatorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(libraries_.Load());
    // The dialog reads (and deletes) License.txt from the temporary folder: it
    // gets one of its own for this test.
    const DWORD length = GetEnvironmentVariableA("TMP", savedTmp_, sizeof savedTmp_);
    hadTmp_ = length > 0 && length < sizeof savedTmp_;
    SetEnvironmentVariableA("TMP", temp_.path().c_str());
  }
  void TearDown() override { SetEnvironmentVariableA("TMP", hadTmp_ ? savedTmp_ : nullptr); }

  ControlLibraries libraries_;
  win_support::ScratchDir temp_;
  char savedTmp_[MAX_PATH + 1] = {};
  bool hadTmp_ = false;
};

}  // namespace

TEST_F(WizardSeparatorTest, EtchedLineAndWhiteLineRunAcrossTheBottomStrip) {
  SetupWizardDialog wizard;
  wizard.SetApplicationLanguage(0);
  Capture job;
  job.uiThread = GetCurrentThreadId();
  WorkerThread helper;
  ASSERT_TRUE(helper.Start(&CaptureThenCancel, &job));
  wizard.DoModal();
  ASSERT_TRUE(helper.Wait(60000));
  ASSERT_TRUE(job.found) << "the wizard never appeared";
  ASSERT_EQ(helper.ExitCode(), 0u) << "the wizard could not be ended";

  const int dw = job.client.right;
  const int dh = job.client.bottom;
  ASSERT_GT(dw, 100);
  ASSERT_GT(dh, 100);
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  ASSERT_NE(face, kEtch);
  ASSERT_NE(face, kWhite);

  for (const ui::DibCanvas* canvas : {job.fromWindow.get(), job.fromScreen.get()}) {
    ASSERT_NE(canvas, nullptr);
    ASSERT_TRUE(canvas->Ready());
    const char* source = canvas == job.fromWindow.get() ? "window context" : "screen context";
    SCOPED_TRACE(source);
    EXPECT_EQ(ColumnsNotOf(*canvas, dh - 50, 1, dw - 2, kEtch), "") << "etched row DH - 50";
    EXPECT_EQ(ColumnsNotOf(*canvas, dh - 49, 1, dw - 2, kWhite), "") << "white row DH - 49";
    // Column 0 and the last column are left to the dialog's face, both rows.
    for (int y : {dh - 50, dh - 49}) {
      EXPECT_EQ(canvas->Pixel(0, y), face) << "column 0, row " << y;
      EXPECT_EQ(canvas->Pixel(dw - 1, y), face) << "last column, row " << y;
    }
    // Two rows only: the row under the white one is the face colour up to the
    // buttons (DH - 33) in every column.
    EXPECT_EQ(ColumnsNotOf(*canvas, dh - 48, 0, dw - 1, face), "") << "row DH - 48";
    EXPECT_EQ(ColumnsNotOf(*canvas, dh - 34, 0, dw - 1, face), "") << "row DH - 34";
    // Above the etched row the panel ends (its last row is DH - 51, white page
    // background); its right edge stops 2 columns short, where the face shows.
    EXPECT_EQ(canvas->Pixel(dw - 1, dh - 51), face);
    EXPECT_EQ(canvas->Pixel(dw - 2, dh - 51), face);
    EXPECT_NE(canvas->Pixel(dw / 2, dh - 51), kEtch) << "nothing etched inside the panel";
  }
}

// Where a radio or check box lies, the dialog's face colour never shows: the space
// around the box and behind the caption is the page's colour. Page 1 for the radios;
// the check box on page 5, shown as the engine shows it.
TEST_F(WizardSeparatorTest, CaptionsOfRadiosAndCheckBoxShowThePageColour) {
  const COLORREF page = RGB(236, 233, 216);
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  ASSERT_NE(face, page);
  for (int id : {IDC_LICENSE_ACCEPT, IDC_LICENSE_DECLINE, IDC_SET_DEFAULT}) {
    SCOPED_TRACE("control " + std::to_string(id));
    SetupWizardDialog wizard;
    wizard.SetApplicationLanguage(0);
    Capture job;
    job.uiThread = GetCurrentThreadId();
    RECT rect = {0, 0, 0, 0};
    job.prepare = [&](HWND dialog) {
      if (id == IDC_SET_DEFAULT) {
        SendPanelPage(FindWindowExA(dialog, nullptr, "SetupWizardPanel", nullptr), 5);
        SetDlgItemTextA(dialog, IDC_SET_DEFAULT, "Set Default Printer");
        ShowWindow(GetDlgItem(dialog, IDC_SET_DEFAULT), SW_SHOW);
      } else {
        SendMessageA(GetDlgItem(dialog, IDC_NEXT), BM_CLICK, 0, 0);
      }
      GetWindowRect(GetDlgItem(dialog, id), &rect);
      MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    };
    WorkerThread helper;
    ASSERT_TRUE(helper.Start(&CaptureThenCancel, &job));
    wizard.DoModal();
    ASSERT_TRUE(helper.Wait(60000));
    ASSERT_TRUE(job.found) << "the wizard never appeared";
    ASSERT_NE(job.fromWindow, nullptr);
    ASSERT_GT(rect.right - rect.left, 20);
    int faceCount = 0;
    int pageCount = 0;
    int all = 0;
    for (int y = rect.top; y < rect.bottom; ++y) {
      for (int x = rect.left; x < rect.right; ++x) {
        const COLORREF p = job.fromWindow->Pixel(x, y);
        faceCount += p == face ? 1 : 0;
        pageCount += p == page ? 1 : 0;
        ++all;
      }
    }
    EXPECT_EQ(faceCount, 0) << "pixels in the face colour";
    EXPECT_GT(pageCount, all / 2) << "pixels in the page colour, of " << all;
  }
}
