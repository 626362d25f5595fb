#include "uninstall/progress_dialog_win.h"

#include <commctrl.h>

#include <new>

#include "uninstall/removal_system_win.h"
#include "uninstall/uninstall_ids.h"
#include "uninstall/uninstall_messages_win.h"
#include "uninstall/uninstall_texts.h"

namespace uninstall {

namespace {

class PostingProgress : public ProgressSink {
 public:
  explicit PostingProgress(HWND window) : window_(window) {}
  void Phase(int index, int count, const char* text) override {
    PostMessageA(window_, kUninstallPhase, MAKEWPARAM(index, count), reinterpret_cast<LPARAM>(text));
  }

 private:
  HWND window_;
};

}  // namespace

ProgressDialog::ProgressDialog(const InstallationRecord& record, const RemovalContext& context, HINSTANCE module)
    : Dialog(IDD_UNINSTALL, module), record_(record), context_(context) {}

BOOL ProgressDialog::OnInitDialog() {
  const int language = record_.languageFlag;
  SetWindowTextA(hwnd(), UninstallString(Text::kCaption, language));
  SetDlgItemTextA(hwnd(), IDC_UNINSTALL_STATUS, UninstallString(Text::kPreparing, language));
  SetDlgItemTextA(hwnd(), IDC_UNINSTALL_CLOSE, UninstallString(Text::kClose, language));
  SendDlgItemMessageA(hwnd(), IDC_UNINSTALL_PROGRESS, PBM_SETRANGE32, 0, 100);
  if (!worker_.Start(&ProgressDialog::Work, this)) {
    // Nothing was removed; say so in the summary's place.
    done_ = true;
    SetDlgItemTextA(hwnd(), IDC_UNINSTALL_STATUS, UninstallString(Text::kRecordKept, language));
    EnableWindow(Item(IDC_UNINSTALL_CLOSE), TRUE);
  }
  return TRUE;
}

DWORD ProgressDialog::Work(void* self) {
  auto* dialog = static_cast<ProgressDialog*>(self);
  const HWND window = dialog->hwnd();
  PostingProgress progress(window);
  WinRemovalSystem system;
  // Handed over with the message; the window deletes it.
  auto* report = new (std::nothrow) RemovalReport(
      RemoveInstallation(dialog->record_, dialog->context_, system, &progress));
  PostMessageA(window, kUninstallDone, 0, reinterpret_cast<LPARAM>(report));
  return 0;
}

bool ProgressDialog::OnCommand(int id, int notifyCode, HWND control) {
  if (id == IDC_UNINSTALL_CLOSE) {
    OnCancel();
    return true;
  }
  return Dialog::OnCommand(id, notifyCode, control);
}

void ProgressDialog::OnCancel() {
  if (done_) EndDialog(IDOK);
}

bool ProgressDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result) {
  if (message == kUninstallPhase) {
    const int index = LOWORD(wParam);
    const int count = HIWORD(wParam);
    SetDlgItemTextA(hwnd(), IDC_UNINSTALL_STATUS, reinterpret_cast<const char*>(lParam));
    if (count > 0) SendDlgItemMessageA(hwnd(), IDC_UNINSTALL_PROGRESS, PBM_SETPOS, index * 100 / count, 0);
    *result = TRUE;
    return true;
  }
  if (message == kUninstallDone) {
    std::unique_ptr<RemovalReport> report(reinterpret_cast<RemovalReport*>(lParam));
    done_ = true;
    const int language = record_.languageFlag;
    SendDlgItemMessageA(hwnd(), IDC_UNINSTALL_PROGRESS, PBM_SETPOS, 100, 0);
    if (report) {
      exitCode_ = ExitCodeFor(*report);
      SetDlgItemTextA(hwnd(), IDC_UNINSTALL_STATUS, SummaryText(*report, record_, language).c_str());
    } else {
      SetDlgItemTextA(hwnd(), IDC_UNINSTALL_STATUS, UninstallString(Text::kRecordKept, language));
    }
    const HWND close = Item(IDC_UNINSTALL_CLOSE);
    EnableWindow(close, TRUE);
    SetFocus(close);
    *result = TRUE;
    return true;
  }
  return Dialog::OnMessage(message, wParam, lParam, result);
}

}  // namespace uninstall
