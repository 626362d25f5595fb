#include "app/setup_wizard_dialog_win.h"

#include <commctrl.h>
#include <objbase.h>
#include <richedit.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/dialog_template.h"
#include "app/folder_path_win.h"
#include "app/installation_run_win.h"
#include "app/installation_session_win.h"
#include "system/run_folder_win.h"
#include "app/install_config.h"
#include "driver/stdio_file.h"
#include "resources/resource_ids.h"
#include "system/destination_cleanup_win.h"
#include "ui/gdi_objects_win.h"
#include "ui/page_layout.h"
#include "ui/page_painter_win.h"

namespace {

constexpr int kWizardWidth = 503;  // frame included
constexpr int kWizardHeight = 365;
constexpr int kButtonWidth = 78;
constexpr int kButtonHeight = 23;
constexpr COLORREF kEtchColour = RGB(172, 168, 153);

// COM for the folder browser, on this thread, for as long as the object lives.
class ComApartment {
 public:
  ComApartment() : initialised_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComApartment() {
    if (initialised_) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  bool initialised_;
};

// An item id list the shell allocated for us.
struct ItemIdListFree {
  void operator()(ITEMIDLIST* list) const { CoTaskMemFree(list); }
};
using ItemIdList = std::unique_ptr<ITEMIDLIST, ItemIdListFree>;

}  // namespace

SetupWizardDialog::SetupWizardDialog(HINSTANCE module)
    : Dialog(IDD_WIZARD, module), installationRoutine_(&RunInstallation) {
  icon_ = LoadIconA(this->module(), MAKEINTRESOURCEA(IDI_SETUP));
}

BOOL SetupWizardDialog::OnInitDialog() {
  SendMessageA(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  SendMessageA(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
  // At the top left of the screen, never centred.
  SetWindowPos(hwnd(), nullptr, 0, 0, kWizardWidth, kWizardHeight, SWP_NOZORDER | SWP_NOACTIVATE);

  languageFlag_ = applicationLanguage_;
  panel_.SetImageFolder(sys::CurrentRunFolder());
  panel_.Create(hwnd(), languageFlag_);
  // When the wizard goes, whichever way, the files this run unpacked and does not
  // keep leave the destination folder; the field still exists at that point.
  panel_.SetDestroyHandler(
      [this] { sys::CleanDestinationFolder(panel_.folderEdit().GetText().c_str(), placedFiles_); });
  PlacePageControls();
  PlaceButtons();
  SendMessageA(Item(IDC_PROGRESS), PBM_SETRANGE, 0, MAKELPARAM(0, 100));
  SendMessageA(Item(IDC_PROGRESS), PBM_SETPOS, 0, 0);

  const char* title = g_installConfig.title();
  SetWindowTextA(hwnd(), title[0] != '\0' ? title : WizardString(WizardText::kTitle, languageFlag_));
  SetDlgItemTextA(hwnd(), IDC_BACK, WizardString(WizardText::kBackInitial, languageFlag_));
  SetDlgItemTextA(hwnd(), IDC_NEXT, WizardString(WizardText::kNextInitial, languageFlag_));
  SetDlgItemTextA(hwnd(), IDC_CANCEL_FINISH, WizardString(WizardText::kCancelInitial, languageFlag_));
  SetDlgItemTextA(hwnd(), IDC_BROWSE, WizardString(WizardText::kBrowse, languageFlag_));
  CheckDlgButton(hwnd(), IDC_LICENSE_DECLINE, BST_CHECKED);

  LoadLicence();
  // Lines wrap at the control's width (no target device, line width 0).
  SendMessageA(Item(IDC_LICENSE_TEXT), EM_SETTARGETDEVICE, 0, 0);
  return TRUE;
}

void SetupWizardDialog::PlacePageControls() {
  // The template places the page controls in dialog units, which follow the dialog
  // font's metrics (they differ between Windows versions, display settings and
  // Wine); the frames and labels painted around them are drawn in pixels. Put each
  // control where the painted layout expects it: its template rectangle at the
  // fixed scale that layout was drawn for. The bottom buttons and Browse are placed
  // in pixels by PlaceButtons.
  HRSRC found = FindResourceA(module(), MAKEINTRESOURCEA(IDD_WIZARD), MAKEINTRESOURCEA(5) /* RT_DIALOG */);
  HGLOBAL loaded = found ? LoadResource(module(), found) : nullptr;
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes) return;
  std::vector<TemplateControl> controls;
  ParseDialogTemplate(static_cast<const unsigned char*>(bytes), SizeofResource(module(), found), &controls);
  for (const TemplateControl& control : controls) {
    if (control.id == IDC_NEXT || control.id == IDC_BACK || control.id == IDC_CANCEL_FINISH ||
        control.id == IDC_BROWSE)
      continue;
    HWND item = Item(control.id);
    if (!item) continue;
    const PixelRect rect = ScaleToWizardPixels(control);
    MoveWindow(item, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, FALSE);
  }
}

void SetupWizardDialog::PlaceButtons() {
  RECT client = {0, 0, 0, 0};
  GetClientRect(hwnd(), &client);
  const int dw = client.right;
  const int dh = client.bottom;
  const int top = dh - 33;
  MoveWindow(Item(IDC_BACK), dw - 277, top, kButtonWidth, kButtonHeight, TRUE);
  MoveWindow(Item(IDC_NEXT), dw - 187, top, kButtonWidth, kButtonHeight, TRUE);
  MoveWindow(Item(IDC_CANCEL_FINISH), dw - 97, top, kButtonWidth, kButtonHeight, TRUE);
  MoveWindow(Item(IDC_BROWSE), dw - 130, dh - 151, 68, 23, TRUE);
}

void SetupWizardDialog::LoadLicence() {
  // The run's own folder, where the start-up put the licence of the language.
  std::string folder = sys::CurrentRunFolder();
  if (folder.empty()) {
    char tempDir[256] = {};
    const DWORD length = GetTempPathA(sizeof tempDir, tempDir);
    if (length == 0 || length >= sizeof tempDir) return;
    folder = tempDir;
  }
  const std::string path = folder + "License.txt";
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return;
  // A licence is a few kilobytes; anything that does not fit 32 bits is not one.
  if (data.nFileSizeHigh != 0 || data.nFileSizeLow > 0x7FFFFFF0u) {
    DeleteFileA(path.c_str());
    return;
  }
  const size_t size = data.nFileSizeLow;
  std::vector<char> text(size + 32, '\0');
  {
    StdioFile file = OpenStdioFile(path.c_str(), "rb");
    if (file) {
      const size_t got = std::fread(text.data(), 1, size, file.get());
      text[got] = '\0';
      SetDlgItemTextA(hwnd(), IDC_LICENSE_TEXT, text.data());
    }
  }
  DeleteFileA(path.c_str());
}

bool SetupWizardDialog::OnCommand(int id, int notifyCode, HWND control) {
  if (notifyCode == BN_CLICKED) {
    switch (id) {
      case IDC_NEXT:
        if (NextAccepted(panel_.page(), IsWindowEnabled(Item(IDC_NEXT)) != FALSE)) OnNext();
        return true;
      case IDC_BACK:
        if (BackAvailable(panel_.page()) && IsWindowEnabled(Item(IDC_BACK))) OnBack();
        return true;
      case IDC_BROWSE:
        if (panel_.page() == kFolderPage) OnBrowse();
        return true;
      case IDC_CANCEL_FINISH:
        // A click can only come from the enabled button ("Cancel" or "Finish").
        if (IsWindowEnabled(Item(IDC_CANCEL_FINISH))) EndDialog(IDCANCEL);
        return true;
      case IDC_LICENSE_ACCEPT:
        EnableWindow(Item(IDC_NEXT), TRUE);
        return true;
      case IDC_LICENSE_DECLINE:
        EnableWindow(Item(IDC_NEXT), FALSE);
        return true;
      default:
        break;
    }
  }
  return Dialog::OnCommand(id, notifyCode, control);
}

void SetupWizardDialog::OnCancel() {
  // While the installation runs Cancel is disabled, and Escape and the close box
  // must not end the program behind the worker's back either.
  if (EscapeEndsWizard(panel_.page())) EndDialog(IDCANCEL);
}

void SetupWizardDialog::ShowFolderMessage(FolderVerdict verdict) {
  const FolderMessage message = FolderMessageFor(verdict, languageFlag_);
  if (!message.text) return;
  if (verdict == FolderVerdict::kForeignFile && session_) {
    std::vector<char> text(std::strlen(message.text) + session_->foreignFile().size() + 1, '\0');
    std::snprintf(text.data(), text.size(), message.text, session_->foreignFile().c_str());
    MessageBoxA(hwnd(), text.data(), message.caption, MB_OK);
    return;
  }
  MessageBoxA(hwnd(), message.text, message.caption, MB_OK);
}

void SetupWizardDialog::OnNext() {
  const int page = panel_.page();
  // The folder is checked again when the destination page is left: it may have
  // been typed over or browsed there, and an empty or unusable one would unpack
  // the package into the root of the current drive.
  if (page == kPreparePage || page == kFolderPage) {
    const std::string folder = panel_.folderEdit().GetText();
    const FolderVerdict verdict = SettleDestinationFolder(folder, g_installConfig.printerName(), session_);
    if (verdict != FolderVerdict::kAccepted) {
      ShowFolderMessage(verdict);
      return;
    }
    if (session_) KeepRecordValues(*session_, folder, g_dataFolder, languageFlag_);
  }
  if (!panel_.SetPage(page + 1)) return;
  Apply(ControlsAfterNext(page + 1, languageFlag_));
}

void SetupWizardDialog::OnBack() {
  const int page = panel_.page();
  panel_.SetPage(page > kWelcomePage ? page - 1 : page);
  Apply(ControlsAfterBack(panel_.page(), languageFlag_));
}

void SetupWizardDialog::ShowControl(int id, Change change) {
  if (change != Change::kKeep) ShowWindow(Item(id), change == Change::kOn ? SW_SHOW : SW_HIDE);
}

void SetupWizardDialog::EnableControl(int id, Change change) {
  if (change != Change::kKeep) EnableWindow(Item(id), change == Change::kOn ? TRUE : FALSE);
}

void SetupWizardDialog::SetNextFromLicence() {
  EnableWindow(Item(IDC_NEXT), IsDlgButtonChecked(hwnd(), IDC_LICENSE_DECLINE) == BST_CHECKED ? FALSE : TRUE);
}

void SetupWizardDialog::PlaceLicence() {
  // Under the prompt, as wide as the radios' left margin allows, down to just
  // above the accept radio.
  RECT radio = {0, 0, 0, 0};
  GetWindowRect(Item(IDC_LICENSE_ACCEPT), &radio);
  MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&radio), 2);
  RECT client = {0, 0, 0, 0};
  GetClientRect(hwnd(), &client);
  const int top = ui::LicenceViewTop(
      ui::PromptLineCount(kLicensePage, languageFlag_, ui::PanelWidth(client.right), radio.left));
  MoveWindow(Item(IDC_LICENSE_TEXT), radio.left, top, client.right - 2 * radio.left, radio.top - 5 - top, TRUE);
}

void SetupWizardDialog::Apply(const PageControls& c) {
  if (c.labelRadios) {
    SetDlgItemTextA(hwnd(), IDC_LICENSE_ACCEPT, WizardString(WizardText::kAccept, languageFlag_));
    SetDlgItemTextA(hwnd(), IDC_LICENSE_DECLINE, WizardString(WizardText::kDecline, languageFlag_));
  }
  if (c.placeLicence) PlaceLicence();
  if (c.folderEditVisible != Change::kKeep) {
    const bool show = c.folderEditVisible == Change::kOn;
    if (c.repaintNow) {
      panel_.ShowFolderEdit(show);
    } else if (panel_.folderEdit().hwnd()) {
      ShowWindow(panel_.folderEdit().hwnd(), show ? SW_SHOW : SW_HIDE);
    }
  }
  for (int id : {IDC_LICENSE_ACCEPT, IDC_LICENSE_DECLINE, IDC_LICENSE_TEXT}) ShowControl(id, c.licenceVisible);
  for (int id : kPrinterSettingsControls) ShowControl(id, c.settingsVisible);
  ShowControl(IDC_BROWSE, c.browseVisible);
  ShowControl(IDC_BACK, c.backVisible);
  ShowControl(IDC_NEXT, c.nextVisible);
  if (c.progressVisible != Change::kKeep) {
    ShowControl(IDC_PROGRESS, c.progressVisible);
    UpdateWindow(Item(IDC_PROGRESS));
  }
  EnableControl(IDC_CANCEL_FINISH, c.cancelEnabled);
  EnableControl(IDC_BACK, c.backEnabled);
  EnableControl(IDC_NEXT, c.nextEnabled);
  if (c.nextFollowsLicence) SetNextFromLicence();
  if (c.nextCaption) SetDlgItemTextA(hwnd(), IDC_NEXT, c.nextCaption);
  if (c.cancelCaption) SetDlgItemTextA(hwnd(), IDC_CANCEL_FINISH, c.cancelCaption);
  if (c.repaintNow) panel_.RepaintNow();
  if (c.confirmSettings) ConfirmSettings();
  if (c.startInstallation) StartInstallation();
}

void SetupWizardDialog::ConfirmSettings() {
  HWND ports = Item(IDC_PORT_LIST);
  const LRESULT selected = SendMessageA(ports, CB_GETCURSEL, 0, 0);
  if (selected != CB_ERR) {
    const LRESULT length = SendMessageA(ports, CB_GETLBTEXTLEN, static_cast<WPARAM>(selected), 0);
    // CB_GETLBTEXT has no size argument: only a text that fits is copied.
    if (length >= 0 && length < kSelectedPortSize) {
      SendMessageA(ports, CB_GETLBTEXT, static_cast<WPARAM>(selected), reinterpret_cast<LPARAM>(selectedPort_));
    }
  }
  setDefaultFlag_ = IsDlgButtonChecked(hwnd(), IDC_SET_DEFAULT) == BST_CHECKED ? 1 : 0;
  // The engine reads both after its wait returns.
  SetEvent(panel_.settingsConfirmedEvent());
}

void SetupWizardDialog::CancelInstallation() {
  InterlockedExchange(const_cast<LONG*>(&cancelled_), 1);
  SetEvent(panel_.settingsConfirmedEvent());
}

void SetupWizardDialog::StartInstallation() {
  // Only one installation per run: a second start would find the thread taken.
  installation_.Start(installationRoutine_, this);
}

void SetupWizardDialog::OnBrowse() {
  ComApartment com;
  char displayName[MAX_PATH] = {};
  BROWSEINFOA info = {};
  info.hwndOwner = hwnd();
  info.pidlRoot = nullptr;  // the whole namespace
  info.pszDisplayName = displayName;
  info.lpszTitle = "Selection ";
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  ItemIdList chosen(reinterpret_cast<ITEMIDLIST*>(SHBrowseForFolderA(&info)));
  if (!chosen) return;
  char path[MAX_PATH] = {};
  if (SHGetPathFromIDListA(chosen.get(), path)) panel_.folderEdit().SetText(path);
}

void SetupWizardDialog::PaintSeparator() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd(), &ps);
  if (dc) {
    RECT client = {0, 0, 0, 0};
    GetClientRect(hwnd(), &client);
    const int dw = client.right;
    const int dh = client.bottom;
    ui::Pen etch = ui::MakeSolidPen(1, kEtchColour);
    ui::Pen white = ui::MakeSolidPen(1, RGB(255, 255, 255));
    {
      ui::SelectedObject selected(dc, etch.Get());
      MoveToEx(dc, 1, dh - 50, nullptr);
      LineTo(dc, dw - 1, dh - 50);
    }
    {
      ui::SelectedObject selected(dc, white.Get());
      MoveToEx(dc, 1, dh - 49, nullptr);
      LineTo(dc, dw - 1, dh - 49);
    }
  }
  EndPaint(hwnd(), &ps);
}

bool SetupWizardDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result) {
  switch (message) {
    case WM_PAINT:
      PaintSeparator();
      *result = TRUE;
      return true;
    case WM_QUERYDRAGICON:
      *result = reinterpret_cast<INT_PTR>(icon_);
      return true;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      // The licence radios and the default-printer box lie on the painted page:
      // their captions get the page's colour behind them, not the system's face.
      const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
      if (id != IDC_LICENSE_ACCEPT && id != IDC_LICENSE_DECLINE && id != IDC_SET_DEFAULT) break;
      if (!pageBrush_) pageBrush_ = ui::Brush(CreateSolidBrush(ui::kPageBackgroundColour));
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetBkColor(dc, ui::kPageBackgroundColour);
      SetBkMode(dc, TRANSPARENT);
      *result = reinterpret_cast<INT_PTR>(pageBrush_.Get());
      return true;
    }
    case kWizardInstallationFailed:
      // The engine has put the panel on page 8 already.
      Apply(ControlsAfterFailure(languageFlag_));
      InvalidateRect(panel_.hwnd(), nullptr, FALSE);
      *result = TRUE;
      return true;
    default:
      break;
  }
  return Dialog::OnMessage(message, wParam, lParam, result);
}
