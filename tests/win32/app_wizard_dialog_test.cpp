// The Setup wizard run modally on the test thread while a helper thread drives it
// as a person would: clicks, keys, the close box, and the folder message boxes.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app/control_libraries_win.h"
#include "app/folder_path_win.h"
#include "app/install_config.h"
#include "app/setup_app_win.h"
#include "app/setup_wizard_dialog_win.h"
#include "app/worker_thread_win.h"
#include "resources/resource_ids.h"
#include "ui/gdi_objects_win.h"
#include "ui/page_layout.h"
#include "ui/panel_messages_win.h"
#include "win_support.h"

using win_support::ScratchDir;
using win_support::WriteAll;

namespace {

bool IsFolder(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// Deletes a folder with everything in it (the scratch folders remove only files).
void RemoveTree(const std::string& path) {
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA((path + "\\*").c_str(), &found);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      const std::string child = path + "\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        DeleteFileA(child.c_str());
      }
    } while (FindNextFileA(h, &found));
    FindClose(h);
  }
  RemoveDirectoryA(path.c_str());
}

std::string TextOf(HWND hwnd) {
  char text[512] = {};
  GetWindowTextA(hwnd, text, sizeof text);
  return text;
}

struct ThreadWindowSearch {
  HWND owner;  // null: the wizard itself (a dialog with a Next button)
  HWND found;
};

BOOL CALLBACK MatchThreadWindow(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<ThreadWindowSearch*>(param);
  char className[16] = {};
  GetClassNameA(hwnd, className, sizeof className);
  if (std::strcmp(className, "#32770") != 0 || !IsWindowVisible(hwnd)) return TRUE;
  bool match = search->owner ? GetWindow(hwnd, GW_OWNER) == search->owner : GetDlgItem(hwnd, IDC_NEXT) != nullptr;
  if (!match) return TRUE;
  search->found = hwnd;
  return FALSE;
}

HWND FindOnThread(DWORD thread, HWND owner, int timeoutMs) {
  for (int waited = 0; waited <= timeoutMs; waited += 20) {
    ThreadWindowSearch search = {owner, nullptr};
    EnumThreadWindows(thread, &MatchThreadWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    Sleep(20);
  }
  return nullptr;
}

// What a message box showed.
struct Box {
  bool shown = false;
  std::string caption;
  std::string text;
  bool onlyOk = false;
};

BOOL CALLBACK CollectBox(HWND child, LPARAM param) {
  auto* box = reinterpret_cast<Box*>(param);
  char className[16] = {};
  GetClassNameA(child, className, sizeof className);
  if (std::strcmp(className, "Static") == 0 && box->text.empty()) box->text = TextOf(child);
  return TRUE;
}

// The driver's view of the running wizard.
class Driver {
 public:
  Driver(DWORD uiThread, HWND wizard) : thread_(uiThread), wizard_(wizard) {
    panel_ = FindWindowExA(wizard, nullptr, "SetupWizardPanel", nullptr);
  }
  HWND wizard() const { return wizard_; }
  HWND panel() const { return panel_; }
  HWND Item(int id) const { return GetDlgItem(wizard_, id); }
  int Page() const {
    LRESULT answer = SendMessageA(panel_, kPanelQueryPage, 0, 0);
    return (answer & kPanelPageAnswered) ? static_cast<int>(answer & 0xFF) : -1;
  }
  std::string Text(int id) const { return TextOf(Item(id)); }
  bool Visible(int id) const { return IsWindowVisible(Item(id)) != FALSE; }
  bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
  // A click that never opens a window: returns once handled.
  void Click(int id) const { SendMessageA(Item(id), BM_CLICK, 0, 0); }
  void SetFolder(const std::string& folder) const {
    HWND field = FindWindowExA(panel_, nullptr, nullptr, nullptr);
    HWND edit = GetDlgItem(field, 1001);
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folder.c_str()));
  }
  std::string Folder() const {
    HWND field = FindWindowExA(panel_, nullptr, nullptr, nullptr);
    return TextOf(GetDlgItem(field, 1001));
  }
  bool FolderFieldVisible() const {
    HWND field = FindWindowExA(panel_, nullptr, nullptr, nullptr);
    return field && IsWindowVisible(field);
  }
  // Next posted, so that a message box it opens does not block us; the box is
  // read and dismissed with OK.
  Box NextExpectingBox() const {
    PostMessageA(wizard_, WM_COMMAND, MAKEWPARAM(IDC_NEXT, BN_CLICKED), reinterpret_cast<LPARAM>(Item(IDC_NEXT)));
    Box box;
    HWND found = FindOnThread(thread_, wizard_, 10000);
    if (!found) return box;
    box.shown = true;
    box.caption = TextOf(found);
    EnumChildWindows(found, &CollectBox, reinterpret_cast<LPARAM>(&box));
    box.onlyOk = GetDlgItem(found, IDOK) != nullptr && GetDlgItem(found, IDCANCEL) == nullptr &&
                 GetDlgItem(found, IDNO) == nullptr;
    SendMessageA(GetDlgItem(found, IDOK), BM_CLICK, 0, 0);
    for (int i = 0; i < 250 && IsWindow(found); ++i) Sleep(20);
    return box;
  }
  // Posts a message and gives the wizard time to handle it; true while it is
  // still open afterwards.
  bool PostAndStillOpen(HWND target, UINT message, WPARAM wParam, LPARAM lParam) const {
    PostMessageA(target, message, wParam, lParam);
    Sleep(300);
    SendMessageA(wizard_, WM_NULL, 0, 0);
    return IsWindow(wizard_) && IsWindowVisible(wizard_);
  }

 private:
  DWORD thread_;
  HWND wizard_;
  HWND panel_;
};

struct Job {
  DWORD uiThread = 0;
  std::function<void(const Driver&)> script;
  bool found = false;
};

DWORD DriveWizard(void* raw) {
  Job* job = static_cast<Job*>(raw);
  HWND wizard = FindOnThread(job->uiThread, nullptr, 30000);
  if (!wizard) return 1;
  job->found = true;
  Driver driver(job->uiThread, wizard);
  job->script(driver);
  // Whatever the script left: no message box, and Cancel enabled and clicked.
  for (int i = 0; i < 100 && IsWindow(wizard); ++i) {
    if (HWND box = FindOnThread(job->uiThread, wizard, 0)) SendMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    HWND cancel = GetDlgItem(wizard, IDC_CANCEL_FINISH);
    EnableWindow(cancel, TRUE);
    PostMessageA(wizard, WM_COMMAND, MAKEWPARAM(IDC_CANCEL_FINISH, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
    Sleep(100);
  }
  return IsWindow(wizard) ? 2 : 0;
}

// A fresh temporary folder for the process (the licence is read from there), an
// install configuration of our own, and the data folder it leads to removed again.
class WizardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The template's progress bar and "RICHEDIT" view need their libraries.
    ASSERT_TRUE(libraries_.Load());
    char old[512] = {};
    GetEnvironmentVariableA("TMP", old, sizeof old);
    oldTmp_ = old;
    SetEnvironmentVariableA("TMP", temp_.path().c_str());
    savedConfig_ = g_installConfig;
    std::memset(&g_installConfig, 0, sizeof g_installConfig);
    std::snprintf(g_installConfig.printerName(), kConfigNameSize, "WizardTest-%lu",
                  static_cast<unsigned long>(GetCurrentProcessId()));
    std::memset(g_dataFolder, 0, sizeof g_dataFolder);
  }
  void TearDown() override {
    if (g_dataFolder[0] && std::strstr(g_dataFolder, "WizardTest-")) RemoveDirectoryA(g_dataFolder);
    for (const char* made : {"A", "Dest"}) RemoveTree(work_.File(made));
    g_installConfig = savedConfig_;
    SetEnvironmentVariableA("TMP", oldTmp_.empty() ? nullptr : oldTmp_.c_str());
  }

  // Runs the wizard modally here while script drives it; the modal result.
  INT_PTR Run(SetupWizardDialog& wizard, std::function<void(const Driver&)> script) {
    Job job;
    job.uiThread = GetCurrentThreadId();
    job.script = std::move(script);
    WorkerThread helper;
    EXPECT_TRUE(helper.Start(&DriveWizard, &job));
    INT_PTR result = wizard.DoModal();
    DWORD error = GetLastError();
    EXPECT_NE(result, -1) << "the wizard could not be created, error " << error;
    EXPECT_TRUE(helper.Wait(60000));
    EXPECT_TRUE(job.found) << "the wizard never appeared";
    EXPECT_EQ(helper.ExitCode(), 0u) << "the wizard could not be ended";
    return result;
  }

  ControlLibraries libraries_;
  ScratchDir temp_;
  ScratchDir work_;
  std::string oldTmp_;
  InstallConfig savedConfig_;
};

}  // namespace

TEST_F(WizardTest, InitialisationPlacesTheWindowAndLabelsItsControls) {
  ASSERT_TRUE(WriteAll(temp_.File("License.txt"), "Licence line one\r\nline two"));
  std::strcpy(g_installConfig.title(), "Rillo Printer Setup");
  SetupWizardDialog wizard;
  wizard.SetApplicationLanguage(0);
  RECT window = {}, client = {}, next = {}, back = {}, cancel = {}, browse = {};
  std::string title, licence;
  bool declineChecked = false;
  LRESULT range = 0;
  INT_PTR result = Run(wizard, [&](const Driver& d) {
    GetWindowRect(d.wizard(), &window);
    GetClientRect(d.wizard(), &client);
    auto place = [&](int id, RECT* r) {
      GetWindowRect(d.Item(id), r);
      MapWindowPoints(nullptr, d.wizard(), reinterpret_cast<POINT*>(r), 2);
    };
    place(IDC_NEXT, &next);
    place(IDC_BACK, &back);
    place(IDC_CANCEL_FINISH, &cancel);
    place(IDC_BROWSE, &browse);
    title = TextOf(d.wizard());
    licence = d.Text(IDC_LICENSE_TEXT);
    declineChecked = SendMessageA(d.Item(IDC_LICENSE_DECLINE), BM_GETCHECK, 0, 0) == BST_CHECKED;
    range = SendMessageA(d.Item(IDC_PROGRESS), PBM_GETRANGE, FALSE, 0);
    EXPECT_EQ(d.Page(), 0);
    EXPECT_EQ(d.Text(IDC_NEXT), "Next");
    EXPECT_EQ(d.Text(IDC_BACK), "Back");
    EXPECT_EQ(d.Text(IDC_CANCEL_FINISH), "Cancel");
    EXPECT_EQ(d.Text(IDC_BROWSE), "Browse");
    EXPECT_TRUE(d.Visible(IDC_NEXT));
    EXPECT_TRUE(d.Visible(IDC_CANCEL_FINISH));
    EXPECT_FALSE(d.Visible(IDC_BACK));
    EXPECT_FALSE(d.Visible(IDC_BROWSE));
    EXPECT_FALSE(d.Visible(IDC_LICENSE_TEXT));
    EXPECT_FALSE(d.Visible(IDC_PROGRESS));
    EXPECT_NE(d.panel(), nullptr);
    char className[32] = {};
    GetClassNameA(d.Item(IDC_LICENSE_TEXT), className, sizeof className);
    EXPECT_STRCASEEQ(className, "RICHEDIT");
    EXPECT_TRUE(d.PostAndStillOpen(d.wizard(), WM_CLOSE, 0, 0) == false) << "the close box ends page 0";
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(window.left, 0);
  EXPECT_EQ(window.top, 0);
  EXPECT_EQ(window.right - window.left, 503);
  EXPECT_EQ(window.bottom - window.top, 365);
  const int dw = client.right, dh = client.bottom;
  EXPECT_EQ(back.left, dw - 277);
  EXPECT_EQ(next.left, dw - 187);
  EXPECT_EQ(cancel.left, dw - 97);
  for (const RECT& r : {back, next, cancel}) {
    EXPECT_EQ(r.top, dh - 33);
    EXPECT_EQ(r.right - r.left, 78);
    EXPECT_EQ(r.bottom - r.top, 23);
  }
  EXPECT_EQ(browse.left, dw - 130);
  EXPECT_EQ(browse.top, dh - 151);
  EXPECT_EQ(browse.right, dw - 62);
  EXPECT_EQ(browse.bottom, dh - 128);
  EXPECT_EQ(title, "Rillo Printer Setup");
  EXPECT_NE(licence.find("Licence line one"), std::string::npos) << licence;
  EXPECT_NE(licence.find("line two"), std::string::npos) << licence;
  EXPECT_EQ(GetFileAttributesA(temp_.File("License.txt").c_str()), INVALID_FILE_ATTRIBUTES)
      << "the licence file is deleted once read";
  EXPECT_TRUE(declineChecked);
  EXPECT_EQ(range, 100);
  EXPECT_EQ(wizard.languageFlag(), 0);
}

TEST_F(WizardTest, BuiltInTitleAndNoLicenceFile) {
  SetupWizardDialog wizard;
  wizard.SetApplicationLanguage(0);
  std::string title, licence;
  Run(wizard, [&](const Driver& d) {
    title = TextOf(d.wizard());
    licence = d.Text(IDC_LICENSE_TEXT);
  });
  EXPECT_EQ(title, "The Printer driver installation Wizard");
  EXPECT_EQ(licence, "");
}

TEST_F(WizardTest, NextAndBackThroughTheFirstFourPages) {
  const std::string destination = work_.File("A") + "\\B\\C";
  SetupWizardDialog wizard;
  wizard.SetApplicationLanguage(0);
  INT_PTR result = Run(wizard, [&](const Driver& d) {
    d.Click(IDC_NEXT);
    ASSERT_EQ(d.Page(), 1);
    EXPECT_EQ(d.Text(IDC_NEXT), "Next") << "Next keeps its caption when page 1 comes from page 0";
    EXPECT_TRUE(d.Visible(IDC_LICENSE_ACCEPT));
    EXPECT_TRUE(d.Visible(IDC_LICENSE_DECLINE));
    EXPECT_TRUE(d.Visible(IDC_LICENSE_TEXT));
    EXPECT_TRUE(d.Visible(IDC_BACK));
    EXPECT_EQ(d.Text(IDC_LICENSE_ACCEPT), "I have read and accept the license terms");
    EXPECT_EQ(d.Text(IDC_LICENSE_DECLINE), "I do not accept the license terms");
    // The licence view sits at the radios' left edge, ending 5 above them, and below
    // the prompt: at y = 80 under a one-line prompt, 16 lower for each further line.
    RECT radio = {}, view = {}, client = {};
    GetWindowRect(d.Item(IDC_LICENSE_ACCEPT), &radio);
    MapWindowPoints(nullptr, d.wizard(), reinterpret_cast<POINT*>(&radio), 2);
    GetWindowRect(d.Item(IDC_LICENSE_TEXT), &view);
    MapWindowPoints(nullptr, d.wizard(), reinterpret_cast<POINT*>(&view), 2);
    GetClientRect(d.wizard(), &client);
    EXPECT_EQ(view.left, radio.left);
    EXPECT_GE(view.top, 80);
    EXPECT_EQ((view.top - 80) % 16, 0) << view.top;
    EXPECT_EQ(view.right - view.left, client.right - 2 * radio.left);
    EXPECT_EQ(view.bottom, radio.top - 5);

    // Gating: decline is preselected.
    EXPECT_FALSE(d.Enabled(IDC_NEXT));
    d.Click(IDC_NEXT);
    EXPECT_EQ(d.Page(), 1) << "a disabled Next does not move";
    d.Click(IDC_LICENSE_ACCEPT);
    EXPECT_TRUE(d.Enabled(IDC_NEXT));
    d.Click(IDC_LICENSE_DECLINE);
    EXPECT_FALSE(d.Enabled(IDC_NEXT));
    d.Click(IDC_LICENSE_ACCEPT);
    EXPECT_TRUE(d.Enabled(IDC_NEXT));

    d.Click(IDC_NEXT);
    ASSERT_EQ(d.Page(), 2);
    EXPECT_EQ(d.Text(IDC_NEXT), "Install");
    EXPECT_FALSE(d.Visible(IDC_LICENSE_ACCEPT));
    EXPECT_FALSE(d.Visible(IDC_LICENSE_TEXT));
    EXPECT_TRUE(d.Visible(IDC_BACK));

    d.Click(IDC_BACK);
    ASSERT_EQ(d.Page(), 1);
    EXPECT_EQ(d.Text(IDC_NEXT), "Next>>");
    EXPECT_TRUE(d.Enabled(IDC_NEXT)) << "accept is still chosen";
    d.Click(IDC_BACK);
    ASSERT_EQ(d.Page(), 0);
    EXPECT_EQ(d.Text(IDC_NEXT), "Next>>");
    EXPECT_FALSE(d.Visible(IDC_BACK));
    EXPECT_FALSE(d.Visible(IDC_LICENSE_TEXT));
    EXPECT_TRUE(d.Enabled(IDC_NEXT));
    d.Click(IDC_NEXT);
    ASSERT_EQ(d.Page(), 1);
    EXPECT_EQ(SendMessageA(d.Item(IDC_LICENSE_ACCEPT), BM_GETCHECK, 0, 0), BST_CHECKED) << "the choice is kept";
    d.Click(IDC_NEXT);
    ASSERT_EQ(d.Page(), 2);

    d.SetFolder(destination);
    d.Click(IDC_NEXT);
    ASSERT_EQ(d.Page(), 3);
    EXPECT_EQ(d.Text(IDC_NEXT), "Next>>");
    EXPECT_TRUE(d.Visible(IDC_BROWSE));
    EXPECT_TRUE(d.Visible(IDC_BACK));
    EXPECT_TRUE(d.FolderFieldVisible());
    EXPECT_TRUE(IsFolder(work_.File("A")));
    EXPECT_TRUE(IsFolder(work_.File("A") + "\\B"));
    EXPECT_TRUE(IsFolder(destination));

    d.Click(IDC_BACK);
    ASSERT_EQ(d.Page(), 2);
    EXPECT_EQ(d.Text(IDC_NEXT), "Install");
    EXPECT_FALSE(d.Visible(IDC_BROWSE));
    EXPECT_FALSE(d.FolderFieldVisible());
    d.Click(IDC_NEXT);
    ASSERT_EQ(d.Page(), 3);
    // Escape ends the wizard on the destination page.
    EXPECT_FALSE(d.PostAndStillOpen(d.wizard(), WM_COMMAND, IDCANCEL, 0));
  });
  EXPECT_EQ(result, IDCANCEL);
}

TEST_F(WizardTest, ChineseCaptions) {
  SetupWizardDialog wizard;
  wizard.SetApplicationLanguage(1);
  std::string back, next, cancel, browse, title;
  Run(wizard, [&](const Driver& d) {
    back = d.Text(IDC_BACK);
    next = d.Text(IDC_NEXT);
    cancel = d.Text(IDC_CANCEL_FINISH);
    browse = d.Text(IDC_BROWSE);
    title = TextOf(d.wizard());
  });
  // The ANSI texts come back through the process's code page; compare with the
  // same round trip of the expected bytes.
  auto roundTrip = [](const char* bytes) {
    wchar_t wide[128] = {};
    MultiByteToWideChar(CP_ACP, 0, bytes, -1, wide, 128);
    char narrow[256] = {};
    WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, sizeof narrow, nullptr, nullptr);
    return std::string(narrow);
  };
  EXPECT_EQ(back, roundTrip(WizardString(WizardText::kBackInitial, 1)));
  EXPECT_EQ(next, roundTrip(WizardString(WizardText::kNextInitial, 1)));
  EXPECT_EQ(cancel, roundTrip(WizardString(WizardText::kCancelInitial, 1)));
  EXPECT_EQ(browse, roundTrip(WizardString(WizardText::kBrowse, 1)));
  EXPECT_EQ(title, roundTrip(WizardString(WizardText::kTitle, 1)));
  EXPECT_EQ(wizard.languageFlag(), 1);
}

TEST_F(WizardTest, FolderChecksShowTheirMessagesAndStayOnPage2) {
  SetupWizardDialog wizard;
  wizard.SetApplicationLanguage(0);
  Run(wizard, [&](const Driver& d) {
    d.Click(IDC_NEXT);
    d.Click(IDC_LICENSE_ACCEPT);
    d.Click(IDC_NEXT);
    ASSERT_EQ(d.Page(), 2);

    d.SetFolder("");
    Box box = d.NextExpectingBox();
    ASSERT_TRUE(box.shown);
    EXPECT_EQ(box.caption, "The wizard");
    EXPECT_EQ(box.text, "The folder is empty!");
    EXPECT_TRUE(box.onlyOk);
    EXPECT_EQ(d.Page(), 2);

    const std::string longFolder = work_.path() + "\\" + std::string(300, 'L');
    for (const std::string& bad : {std::string("\\Program Files\\X"), std::string("Q:\\No\\Such\\Drive"), longFolder}) {
      d.SetFolder(bad);
      box = d.NextExpectingBox();
      ASSERT_TRUE(box.shown) << bad;
      EXPECT_EQ(box.caption, "The wizard") << bad;
      EXPECT_EQ(box.text, "The folder is not a valid folder!") << bad;
      EXPECT_TRUE(box.onlyOk);
      EXPECT_EQ(d.Page(), 2) << bad;
      EXPECT_EQ(d.Text(IDC_NEXT), "Install");
    }
    EXPECT_EQ(g_dataFolder[0], '\0') << "no data folder while the checks fail";

    // Passed on page 2, then typed over on page 3: checked there again, with the
    // same messages; an empty field would unpack into the root of the drive.
    d.SetFolder(work_.File("Dest"));
    d.Click(IDC_NEXT);
    ASSERT_EQ(d.Page(), 3);
    for (const std::string& bad : {std::string(""), std::string("Q:\\No\\Such\\Drive"), longFolder}) {
      d.SetFolder(bad);
      box = d.NextExpectingBox();
      ASSERT_TRUE(box.shown) << bad;
      EXPECT_EQ(box.caption, "The wizard") << bad;
      EXPECT_EQ(box.text, bad.empty() ? "The folder is empty!" : "The folder is not a valid folder!") << bad;
      EXPECT_EQ(d.Page(), 3) << bad;
      EXPECT_TRUE(d.FolderFieldVisible()) << bad;
    }
  });
}

// The page controls land where the painted layout expects them, whatever the
// dialog font's metrics: every one inside the panel, the licence radios above its
// bottom edge, each Printer Settings control and painted label inside one of the
// three frames, the folder field and Browse inside the "Target folder" frame, and
// the one-line prompt within the panel. English here; Chinese under the Chinese
// locale (tests/scripts/windows_app_chinese_locale.sh), where the texts are
// measured as Chinese.
TEST_F(WizardTest, PageControlsLieInsideThePanelAndTheirFrames) {
  const int language = std::getenv("APP_CHINESE_LOCALE") ? 1 : 0;
  SetupWizardDialog wizard;
  wizard.SetApplicationLanguage(language);
  Run(wizard, [&](const Driver& d) {
    RECT panel = {};
    GetClientRect(d.panel(), &panel);
    ASSERT_GT(panel.right, 400);
    auto rectOf = [&](HWND control) {
      RECT r = {};
      GetWindowRect(control, &r);
      MapWindowPoints(nullptr, d.panel(), reinterpret_cast<POINT*>(&r), 2);
      return r;
    };
    auto describe = [](const RECT& r) {
      return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
             std::to_string(r.bottom) + ")";
    };
    // Strictly inside the frame's lines (its right column and bottom row are drawn).
    auto inside = [](const RECT& r, const ui::FrameRect& f) {
      return r.left > f.left && r.top > f.top && r.right <= f.right && r.bottom <= f.bottom;
    };
    d.Click(IDC_NEXT);  // page 1 places the licence view
    ASSERT_EQ(d.Page(), 1);

    for (HWND child = GetWindow(d.wizard(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      const int id = GetDlgCtrlID(child);
      if (child == d.panel() || id == IDC_NEXT || id == IDC_BACK || id == IDC_CANCEL_FINISH) continue;
      const RECT r = rectOf(child);
      EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= panel.right && r.bottom <= panel.bottom)
          << "control " << id << " at " << describe(r) << " leaves the panel " << describe(panel);
    }
    const RECT accept = rectOf(d.Item(IDC_LICENSE_ACCEPT));
    const RECT decline = rectOf(d.Item(IDC_LICENSE_DECLINE));
    const RECT licence = rectOf(d.Item(IDC_LICENSE_TEXT));
    EXPECT_LE(decline.bottom, panel.bottom);
    EXPECT_LE(accept.bottom, decline.top + 1);
    EXPECT_LT(licence.bottom, accept.top);

    ui::Font body = ui::MakePlainFont(ui::kBodyFont.height, ui::kBodyFont.weight, ui::kPageFontFace);
    HDC screen = GetDC(nullptr);
    auto extent = [&](const char* text) {
      ui::SelectedObject font(screen, body.Get());
      SIZE size = {0, 0};
      GetTextExtentPoint32A(screen, text, static_cast<int>(std::strlen(text)), &size);
      return size;
    };
    // The prompt's lines, 16 pixels apart from y = 58 and at most 10 pixels short of
    // the right edge, leave room for the whole prompt above the licence view.
    const SIZE prompt = extent(ui::PagePrompt(1, language));
    const int lines = (licence.top - 6 - 58) / 16;
    EXPECT_GE(lines * (panel.right - 10 - accept.left), prompt.cx) << "the licence prompt is cut";

    std::vector<ui::FrameRect> frames;
    for (size_t k = 0; k < ui::kSettingsFrameCount; ++k) frames.push_back(ui::SettingsFrame(k, language, panel.right).frame);
    auto inOneFrame = [&](const RECT& r) {
      int count = 0;
      for (const ui::FrameRect& f : frames) count += inside(r, f) ? 1 : 0;
      return count == 1;
    };
    for (int id : kPrinterSettingsControls) {
      const RECT r = rectOf(d.Item(id));
      EXPECT_TRUE(inOneFrame(r)) << "control " << id << " at " << describe(r);
    }
    for (const ui::FieldLabel& label : ui::kFieldLabels) {
      const RECT anchor = rectOf(d.Item(label.controlId));
      const SIZE size = extent(ui::ByLanguage(language, label.chinese, label.english));
      const RECT painted = {ui::LabelLeft(anchor.right, size.cx), anchor.top, anchor.right, anchor.top + size.cy};
      EXPECT_TRUE(inOneFrame(painted)) << "label of " << label.controlId << " at " << describe(painted);
    }
    ReleaseDC(nullptr, screen);

    HWND field = FindWindowExA(d.panel(), nullptr, nullptr, nullptr);
    EXPECT_TRUE(inside(rectOf(field), ui::kTargetFolderFrame)) << describe(rectOf(field));
    EXPECT_TRUE(inside(rectOf(d.Item(IDC_BROWSE)), ui::kTargetFolderFrame)) << describe(rectOf(d.Item(IDC_BROWSE)));
  });
}

// Stands in for the installation run: keeps the wizard on page 4 until the test
// lets it go, so nothing is installed and the page cannot move on by itself.
HANDLE g_installationHeld = nullptr;
DWORD HeldInstallation(void*) {
  WaitForSingleObject(g_installationHeld, 30000);
  return 0;
}

TEST_F(WizardTest, InstallingPageIgnoresEscapeCloseAndEnter) {
  UniqueHandle held(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  ASSERT_TRUE(held.valid());
  g_installationHeld = held.get();
  SetupWizardDialog wizard;
  wizard.SetApplicationLanguage(0);
  wizard.SetInstallationRoutine(&HeldInstallation);
  const std::string destination = work_.File("Dest");
  INT_PTR result = Run(wizard, [&](const Driver& d) {
    // Enter on the welcome and licence pages does nothing either.
    EXPECT_TRUE(d.PostAndStillOpen(d.wizard(), WM_COMMAND, IDOK, 0));
    EXPECT_EQ(d.Page(), 0);
    d.Click(IDC_NEXT);
    d.Click(IDC_LICENSE_ACCEPT);
    EXPECT_TRUE(d.PostAndStillOpen(d.Item(IDC_LICENSE_ACCEPT), WM_KEYDOWN, VK_RETURN, 0x001C0001));
    EXPECT_TRUE(d.PostAndStillOpen(d.wizard(), WM_COMMAND, IDOK, 0));
    EXPECT_EQ(d.Page(), 1);
    d.Click(IDC_NEXT);
    d.SetFolder(destination);
    d.Click(IDC_NEXT);
    ASSERT_EQ(d.Page(), 3);
    d.Click(IDC_NEXT);
    ASSERT_EQ(d.Page(), 4);
    EXPECT_FALSE(d.FolderFieldVisible());
    EXPECT_FALSE(d.Visible(IDC_BROWSE));
    EXPECT_TRUE(d.Visible(IDC_PROGRESS));
    EXPECT_FALSE(d.Enabled(IDC_CANCEL_FINISH));
    EXPECT_FALSE(d.Enabled(IDC_BACK));
    EXPECT_FALSE(d.Enabled(IDC_NEXT));
    EXPECT_EQ(d.Text(IDC_NEXT), "Next>>");

    EXPECT_TRUE(d.PostAndStillOpen(d.wizard(), WM_COMMAND, IDCANCEL, 0)) << "Escape (IDCANCEL)";
    EXPECT_TRUE(d.PostAndStillOpen(d.wizard(), WM_SYSCOMMAND, SC_CLOSE, 0)) << "close box";
    EXPECT_TRUE(d.PostAndStillOpen(d.wizard(), WM_CLOSE, 0, 0)) << "WM_CLOSE";
    EXPECT_TRUE(d.PostAndStillOpen(d.wizard(), WM_COMMAND, IDOK, 0)) << "Enter (IDOK)";
    EXPECT_TRUE(d.PostAndStillOpen(d.Item(IDC_PROGRESS), WM_KEYDOWN, VK_ESCAPE, 0x00010001)) << "Escape key";
    // A Cancel command while the button is disabled (only another program can send
    // one) is ignored too.
    EXPECT_TRUE(d.PostAndStillOpen(d.wizard(), WM_COMMAND, MAKEWPARAM(IDC_CANCEL_FINISH, BN_CLICKED),
                                   reinterpret_cast<LPARAM>(d.Item(IDC_CANCEL_FINISH))))
        << "disabled Cancel";
    EXPECT_EQ(d.Page(), 4);

    // The engine's Printer Settings page enables Cancel again: Escape ends it there.
    EnableWindow(d.Item(IDC_CANCEL_FINISH), TRUE);
    ASSERT_TRUE(SendPanelPage(d.panel(), 5));
    EXPECT_FALSE(d.PostAndStillOpen(d.wizard(), WM_COMMAND, IDCANCEL, 0));
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_TRUE(IsFolder(destination));
  EXPECT_TRUE(wizard.installationRunning()) << "the stand-in still waits";
  SetEvent(held.get());
  for (int i = 0; i < 500 && wizard.installationRunning(); ++i) Sleep(10);
  EXPECT_FALSE(wizard.installationRunning());
}

TEST_F(WizardTest, ConfirmingPrinterSettingsStoresPortAndDefaultFlagThenFinish) {
  SetupWizardDialog wizard;
  wizard.SetApplicationLanguage(0);
  bool eventSet = false;
  INT_PTR result = Run(wizard, [&](const Driver& d) {
    // Stand in for the engine: page 5 with a port chosen and "default" unticked.
    HWND ports = d.Item(IDC_PORT_LIST);
    SendMessageA(ports, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("COM3:"));
    SendMessageA(ports, CB_SETCURSEL, 0, 0);
    SendMessageA(d.Item(IDC_SET_DEFAULT), BM_SETCHECK, BST_UNCHECKED, 0);
    for (int id : kPrinterSettingsControls) ShowWindow(d.Item(id), SW_SHOW);
    ASSERT_TRUE(SendPanelPage(d.panel(), 5));
    EnableWindow(d.Item(IDC_NEXT), TRUE);
    d.Click(IDC_NEXT);
    ASSERT_EQ(d.Page(), 6);
    for (int id : kPrinterSettingsControls) EXPECT_FALSE(d.Visible(id)) << id;
    EXPECT_FALSE(d.Enabled(IDC_NEXT));
    EXPECT_FALSE(d.Enabled(IDC_CANCEL_FINISH));
    eventSet = WaitForSingleObject(wizard.panel().settingsConfirmedEvent(), 0) == WAIT_OBJECT_0;
    EXPECT_TRUE(d.PostAndStillOpen(d.wizard(), WM_COMMAND, IDCANCEL, 0)) << "Escape on page 6";
    // The worker's Next after a good installation.
    PostMessageA(d.wizard(), WM_COMMAND, MAKEWPARAM(IDC_NEXT, BN_CLICKED), reinterpret_cast<LPARAM>(d.Item(IDC_NEXT)));
    Sleep(300);
    ASSERT_EQ(d.Page(), 7);
    EXPECT_FALSE(d.Visible(IDC_NEXT));
    EXPECT_FALSE(d.Visible(IDC_BACK));
    EXPECT_TRUE(d.Enabled(IDC_CANCEL_FINISH));
    EXPECT_EQ(d.Text(IDC_CANCEL_FINISH), "Finish");
    EXPECT_TRUE(d.PostAndStillOpen(d.wizard(), WM_COMMAND, IDOK, 0)) << "Enter on page 7";
    d.Click(IDC_CANCEL_FINISH);
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_TRUE(eventSet);
  EXPECT_STREQ(wizard.selectedPort(), "COM3:");
  EXPECT_EQ(wizard.setDefaultFlag(), 0);
}

namespace {

BOOL CALLBACK FindSelectionPrompt(HWND child, LPARAM param) {
  char text[64] = {};
  GetWindowTextA(child, text, sizeof text);
  if (std::strcmp(text, "Selection ") == 0) *reinterpret_cast<std::string*>(param) = text;
  return TRUE;
}

}  // namespace

TEST_F(WizardTest, BrowseOpensTheFolderBrowserAndCancellingItKeepsTheFolder) {
  SetupWizardDialog wizard;
  wizard.SetApplicationLanguage(0);
  const std::string destination = work_.File("Dest");
  std::string browserText, folderAfter;
  bool browserShown = false, browserGone = false;
  Run(wizard, [&](const Driver& d) {
    d.Click(IDC_NEXT);
    d.Click(IDC_LICENSE_ACCEPT);
    d.Click(IDC_NEXT);
    d.SetFolder(destination);
    d.Click(IDC_NEXT);
    ASSERT_EQ(d.Page(), 3);
    PostMessageA(d.wizard(), WM_COMMAND, MAKEWPARAM(IDC_BROWSE, BN_CLICKED), reinterpret_cast<LPARAM>(d.Item(IDC_BROWSE)));
    HWND browser = FindOnThread(GetWindowThreadProcessId(d.wizard(), nullptr), d.wizard(), 15000);
    ASSERT_NE(browser, nullptr) << "no folder browser owned by the wizard";
    browserShown = true;
    // The title we gave is the browser's prompt text, not its caption.
    EnumChildWindows(browser, &FindSelectionPrompt, reinterpret_cast<LPARAM>(&browserText));
    SendMessageA(GetDlgItem(browser, IDCANCEL), BM_CLICK, 0, 0);
    for (int i = 0; i < 250 && IsWindow(browser); ++i) Sleep(20);
    browserGone = !IsWindow(browser);
    folderAfter = d.Folder();
    EXPECT_EQ(d.Page(), 3);
  });
  EXPECT_TRUE(browserShown);
  EXPECT_TRUE(browserGone);
  EXPECT_EQ(browserText, "Selection ");
  EXPECT_EQ(folderAfter, destination) << "cancelling the browser changes nothing";
}

TEST_F(WizardTest, CancelButtonEndsThePreparePage) {
  SetupWizardDialog wizard;
  wizard.SetApplicationLanguage(0);
  INT_PTR result = Run(wizard, [&](const Driver& d) {
    d.Click(IDC_NEXT);
    d.Click(IDC_LICENSE_ACCEPT);
    d.Click(IDC_NEXT);
    ASSERT_EQ(d.Page(), 2);
    d.Click(IDC_CANCEL_FINISH);
    for (int i = 0; i < 100 && IsWindow(d.wizard()); ++i) Sleep(20);
    EXPECT_FALSE(IsWindow(d.wizard()));
  });
  EXPECT_EQ(result, IDCANCEL);
}

TEST(AppFolderPath, CreatesEveryMissingLevel) {
  ScratchDir dir;
  const std::string top = dir.File("L1");
  EXPECT_EQ(CreateFolderPath((top + "\\L2\\L3").c_str()), 1);
  EXPECT_TRUE(IsFolder(top));
  EXPECT_TRUE(IsFolder(top + "\\L2"));
  EXPECT_TRUE(IsFolder(top + "\\L2\\L3"));
  EXPECT_EQ(CreateFolderPath((top + "\\L2\\L3").c_str()), 1) << "an existing folder";
  EXPECT_EQ(CreateFolderPath((top + "\\T1\\T2\\").c_str()), 1) << "a trailing backslash";
  EXPECT_TRUE(IsFolder(top + "\\T1\\T2"));
  ASSERT_TRUE(WriteAll(dir.File("plain.txt"), "x"));
  EXPECT_EQ(CreateFolderPath((dir.File("plain.txt") + "\\Sub").c_str()), 0) << "a file in the way";
  EXPECT_EQ(CreateFolderPath(dir.File("plain.txt").c_str()), 0) << "a file is not a folder";
  EXPECT_EQ(CreateFolderPath("\\Program Files\\X"), 0);
  EXPECT_EQ(CreateFolderPath("Q:\\A"), 0);
  EXPECT_EQ(CreateFolderPath("C:"), 0);
  EXPECT_EQ(CreateFolderPath(""), 0);
  EXPECT_EQ(CreateFolderPath(nullptr), 0);
  EXPECT_EQ(CreateFolderPath((dir.path() + "\\" + std::string(260, 'x')).c_str()), 0);
  RemoveTree(top);
}

TEST(AppFolderPath, DataFolderFollowsTheWindowsVersion) {
  ScratchDir dir;
  char name[64];
  std::snprintf(name, sizeof name, "WizardData-%lu", static_cast<unsigned long>(GetCurrentProcessId()));
  std::memset(g_dataFolder, 0, sizeof g_dataFolder);
  ASSERT_EQ(SettleDestinationFolder(dir.File("Dest"), name), FolderVerdict::kAccepted);

  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  ASSERT_TRUE(GetVersionExA(&version));
#pragma GCC diagnostic pop
  char windows[256] = {};
  ASSERT_GT(GetWindowsDirectoryA(windows, 255), 2u);
  if (version.dwMajorVersion > 5) {
    const std::string expected = std::string(windows, 2) + "\\ProgramData\\" + name;
    EXPECT_EQ(std::string(g_dataFolder), expected);
    EXPECT_TRUE(IsFolder(expected)) << "created at once";
    RemoveDirectoryA(expected.c_str());
  } else {
    EXPECT_EQ(std::string(g_dataFolder), dir.File("Dest"));
  }
  EXPECT_TRUE(IsFolder(dir.File("Dest")));
  RemoveDirectoryA(dir.File("Dest").c_str());
  std::memset(g_dataFolder, 0, sizeof g_dataFolder);
}

namespace {

struct NameBoxJob {
  DWORD thread;
  Box box;
};

BOOL CALLBACK MatchAnyDialog(HWND hwnd, LPARAM param) {
  char className[16] = {};
  GetClassNameA(hwnd, className, sizeof className);
  if (std::strcmp(className, "#32770") != 0 || !IsWindowVisible(hwnd)) return TRUE;
  *reinterpret_cast<HWND*>(param) = hwnd;
  return FALSE;
}

DWORD DismissTopLevelBox(void* raw) {
  auto* job = static_cast<NameBoxJob*>(raw);
  for (int i = 0; i < 500; ++i) {
    HWND found = nullptr;
    EnumThreadWindows(job->thread, &MatchAnyDialog, reinterpret_cast<LPARAM>(&found));
    if (found) {
      job->box.shown = true;
      job->box.caption = TextOf(found);
      EnumChildWindows(found, &CollectBox, reinterpret_cast<LPARAM>(&job->box));
      SendMessageA(GetDlgItem(found, IDOK), BM_CLICK, 0, 0);
      return 0;
    }
    Sleep(20);
  }
  return 1;
}

}  // namespace

TEST(AppStartup, PrinterNameOf300CharactersIsRefusedWithAMessage) {
  const std::string longName(300, 'N');
  NameBoxJob job = {GetCurrentThreadId(), {}};
  WorkerThread helper;
  ASSERT_TRUE(helper.Start(&DismissTopLevelBox, &job));
  EXPECT_FALSE(AcceptPrinterName(longName.c_str(), 0, nullptr));
  EXPECT_TRUE(helper.Wait(30000));
  ASSERT_TRUE(job.box.shown);
  EXPECT_EQ(job.box.text,
            "The printer name in the install configuration is too long or holds characters a file name cannot hold "
            "(at most 67 characters).");
  EXPECT_EQ(job.box.caption, "The wizard");
}

TEST(AppStartup, UsablePrinterNameShowsNothing) {
  EXPECT_TRUE(AcceptPrinterName("Rillo-58-Series", 0, nullptr));
  EXPECT_TRUE(AcceptPrinterName(std::string(67, 'p').c_str(), 1, nullptr));
}

// What start-up says when it cannot go on, in the language chosen.
TEST(AppStartup, FailuresAreReportedInTheChosenLanguage) {
  struct Case {
    const char* library;
    int language;
    const char* text;
    const char* caption;
  } cases[] = {
      {"riched32.dll", 0, "Setup cannot start: the system component riched32.dll could not be loaded.", "The wizard"},
      {"comctl32.dll", 1, "安装程序无法启动：无法加载系统组件 comctl32.dll。", "安裝Marlo打印机驱动"},
      {nullptr, 0, "Setup cannot start: the wizard window could not be created.", "The wizard"},
  };
  for (const Case& c : cases) {
    NameBoxJob job = {GetCurrentThreadId(), {}};
    WorkerThread helper;
    ASSERT_TRUE(helper.Start(&DismissTopLevelBox, &job));
    ReportStartupFailure(c.library, c.language, nullptr);
    EXPECT_TRUE(helper.Wait(30000));
    ASSERT_TRUE(job.box.shown);
    EXPECT_EQ(job.box.text, c.text);
    EXPECT_EQ(job.box.caption, c.caption);
  }
}

