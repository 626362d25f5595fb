#include "ui/wizard_panel_win.h"

#include <vector>

#include "app/install_config.h"
#include "ui/page_layout.h"
#include "ui/page_painter_win.h"
#include "ui/panel_messages_win.h"

namespace ui {

namespace {

const char kPanelClass[] = "SetupWizardPanel";
const char kPleaseWaitChinese[] = "请稍候...";
const char kPleaseWaitEnglish[] = "Please wait...";

// The temporary folder as the platform gives it, ending in a backslash.
std::string TempFolder() {
  const DWORD needed = GetTempPathA(0, nullptr);
  if (needed == 0) return std::string();
  std::vector<char> buffer(static_cast<size_t>(needed) + 1, '\0');
  const DWORD length = GetTempPathA(static_cast<DWORD>(buffer.size()), buffer.data());
  if (length == 0 || length >= buffer.size()) return std::string();
  return std::string(buffer.data(), length);
}

}  // namespace

std::string DefaultDestinationFolder(const char* printerName) {
  char programFiles[kFolderBufferSize] = {};
  const DWORD needed = ExpandEnvironmentStringsA("%ProgramFiles%\\", programFiles, sizeof programFiles);
  // Longer than our buffer: the expansion is not usable, so start from nothing
  // rather than from a cut directory.
  if (needed == 0 || needed > sizeof programFiles) programFiles[0] = '\0';
  char folder[kFolderBufferSize] = {};
  ComposeDefaultFolder(programFiles, printerName, folder, sizeof folder);
  return folder;
}

WizardPanel::WizardPanel()
    : settingsConfirmedEvent_(CreateEventA(nullptr, TRUE, FALSE, "")),
      languageFlag_(1),
      statusText_(kPleaseWaitChinese),
      page_(0) {}

WizardPanel::~WizardPanel() {
  if (hwnd()) DestroyWindow(hwnd());
}

bool WizardPanel::Create(HWND ownerDialog, int languageFlag) {
  HINSTANCE module = GetModuleHandleA(nullptr);
  ownerDialog_ = ownerDialog;
  RECT dialogClient = {0, 0, 0, 0};
  if (ownerDialog == nullptr || !GetClientRect(ownerDialog, &dialogClient)) return false;
  if (!RegisterWindowClass(module, kPanelClass, CS_DBLCLKS, LoadCursor(nullptr, IDC_ARROW),
                           static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)))) {
    return false;
  }
  // Created after the dialog's template controls, the panel lies beneath them;
  // clipping its siblings keeps its painting out of any control shown over it.
  if (!Window::Create(0, kPanelClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
                      PanelWidth(dialogClient.right), PanelHeight(dialogClient.bottom), ownerDialog, 0, module)) {
    return false;
  }
  languageFlag_ = languageFlag;

  const RECT folderRect = {kFolderEditLeft, kFolderEditTop, kFolderEditRight, kFolderEditBottom};
  folderEdit_.Create(folderRect, hwnd());
  folderEdit_.SetText(DefaultDestinationFolder(g_installConfig.printerName()).c_str());

  statusText_ = languageFlag_ != 0 ? kPleaseWaitChinese : kPleaseWaitEnglish;
  return true;
}

void WizardPanel::ShowFolderEdit(bool show) {
  if (folderEdit_.hwnd()) ShowWindow(folderEdit_.hwnd(), show ? SW_SHOW : SW_HIDE);
  if (!hwnd()) return;
  InvalidateRect(hwnd(), nullptr, FALSE);
  UpdateWindow(hwnd());
}

bool WizardPanel::SetPage(int page) {
  if (!IsValidPage(page)) return false;
  page_ = page;
  if (hwnd()) InvalidateRect(hwnd(), nullptr, FALSE);
  return true;
}

void WizardPanel::SetStatusText(const char* text) {
  statusText_ = text != nullptr ? text : "";
  if (hwnd()) InvalidateRect(hwnd(), nullptr, FALSE);
}

void WizardPanel::RepaintNow() {
  if (hwnd()) UpdateWindow(hwnd());
}

void WizardPanel::Paint(HDC dc) {
  RECT client = {0, 0, 0, 0};
  GetClientRect(hwnd(), &client);
  PageState state;
  state.page = page_;
  state.languageFlag = languageFlag_;
  state.statusText = statusText_.c_str();
  state.config = &g_installConfig;
  state.imageFolder = imageFolder_.empty() ? TempFolder() : imageFolder_;
  HWND self = hwnd();
  HWND dialog = ownerDialog_;
  state.controlRect = [self, dialog](int id, RECT* rect) { return ControlRectIn(dialog, id, self, rect); };
  PaintPage(dc, client, state);
}

LRESULT WizardPanel::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd(), &ps);
      if (dc) Paint(dc);
      EndPaint(hwnd(), &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      // The same page into a context someone else gives (screenshots, tests).
      Paint(reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_DESTROY:
      if (destroyHandler_) destroyHandler_();
      return 0;
    case kPanelSetPage:
      if (!SetPage(static_cast<int>(wParam))) return 0;
      RepaintNow();
      return kPanelMessageDone;
    case kPanelSetStatusText:
      SetStatusText(reinterpret_cast<const char*>(lParam));
      RepaintNow();
      return kPanelMessageDone;
    case kPanelQueryPage:
      return kPanelPageAnswered | static_cast<LRESULT>(page_);
    default:
      return Window::OnMessage(message, wParam, lParam);
  }
}

}  // namespace ui
