#include "monitor/port_dialog_win.h"

#include <utility>
#include <vector>

#include "monitor/monitor_names.h"
#include "monitor/monitor_ui_ids.h"
#include "monitor/port_target.h"
#include "monitor/wide_win.h"

namespace monitor {

namespace {

// What the target field takes: a folder or a host with room for "tcp:", brackets and
// a port (a serial port is shorter); ParseTarget refuses what is still too long.
constexpr size_t kTargetFieldChars = kMaxHostChars + 16;

}  // namespace

PortDialog::PortDialog(HINSTANCE module, Mode mode, UiLanguage language, std::u16string port, std::u16string target,
                       Apply apply, bool storedUnusable)
    : Dialog(IDD_PORT, module),
      mode_(mode),
      language_(language),
      port_(std::move(port)),
      target_(std::move(target)),
      apply_(std::move(apply)),
      storedUnusable_(storedUnusable) {}

BOOL PortDialog::OnInitDialog() {
  const PortDialogTexts& texts = DialogTexts(language_);
  SetWindowTextA(hwnd(), mode_ == Mode::kAdd ? texts.addCaption : texts.configureCaption);
  SetDlgItemTextA(hwnd(), IDC_PORT_LABEL, texts.portLabel);
  SetDlgItemTextA(hwnd(), IDC_TARGET_LABEL, texts.targetLabel);
  SetDlgItemTextA(hwnd(), IDC_HINT, texts.hint);
  SetDlgItemTextA(hwnd(), IDC_NOTE, mode_ == Mode::kAdd ? texts.addHint : storedUnusable_ ? texts.unusable : "");
  SetDlgItemTextA(hwnd(), IDOK, texts.ok);
  SetDlgItemTextA(hwnd(), IDCANCEL, texts.cancel);
  SendDlgItemMessageW(hwnd(), IDC_PORT_NAME, EM_LIMITTEXT, kMaxPortNameChars, 0);
  SendDlgItemMessageW(hwnd(), IDC_TARGET, EM_LIMITTEXT, kTargetFieldChars, 0);
  SetDlgItemTextW(hwnd(), IDC_PORT_NAME, ToWide(port_).c_str());
  SetDlgItemTextW(hwnd(), IDC_TARGET, ToWide(target_).c_str());
  if (mode_ == Mode::kConfigure) {
    SendDlgItemMessageW(hwnd(), IDC_PORT_NAME, EM_SETREADONLY, TRUE, 0);
    SetFocus(Item(IDC_TARGET));
    return FALSE;
  }
  return TRUE;
}

std::u16string PortDialog::ItemText(int id, size_t limit) const {
  std::vector<wchar_t> text(limit + 2, L'\0');
  GetDlgItemTextW(hwnd(), id, text.data(), static_cast<int>(text.size()));
  text.back() = L'\0';
  return ToU16(text.data());
}

void PortDialog::Warn(const char* text) const {
  const PortDialogTexts& texts = DialogTexts(language_);
  MessageBoxA(hwnd(), text, mode_ == Mode::kAdd ? texts.addCaption : texts.configureCaption, MB_OK | MB_ICONWARNING);
}

void PortDialog::OnOK() {
  const std::u16string port = mode_ == Mode::kAdd ? ItemText(IDC_PORT_NAME, kMaxPortNameChars) : port_;
  const PortNameError portError = CheckPortName(port);
  if (portError != PortNameError::kNone) {
    Warn(PortNameErrorText(language_, portError));
    SetFocus(Item(IDC_PORT_NAME));
    return;
  }
  std::u16string target;  // left empty only for a new port: the monitor's own folder
  Target parsed;
  const TargetError targetError = ParseTarget(ItemText(IDC_TARGET, kTargetFieldChars), &parsed);
  if (targetError == TargetError::kNone) {
    target = FormatTarget(parsed);
  } else if (mode_ == Mode::kConfigure || targetError != TargetError::kEmpty) {
    Warn(TargetErrorText(language_, targetError));
    SetFocus(Item(IDC_TARGET));
    return;
  }
  if (apply_ && !apply_(hwnd(), port, target)) return;
  port_ = port;
  EndDialog(IDOK);
}

}  // namespace monitor
