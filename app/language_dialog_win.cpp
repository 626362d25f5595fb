#include "app/language_dialog_win.h"

#include "resources/resource_ids.h"

LanguageDialog::LanguageDialog(bool chineseVariant, HINSTANCE module)
    : Dialog(chineseVariant ? IDD_LANGUAGE_CHINESE : IDD_LANGUAGE_ENGLISH, module), chineseVariant_(chineseVariant) {}

BOOL LanguageDialog::OnInitDialog() {
  // Chinese variant: "中文" (index 0); English variant: "English" (index 1).
  SendDlgItemMessageA(hwnd(), IDC_LANGUAGE_LIST, CB_SETCURSEL, chineseVariant_ ? 0 : 1, 0);
  return TRUE;
}

void LanguageDialog::OnOK() {
  selection_ = static_cast<int>(SendDlgItemMessageA(hwnd(), IDC_LANGUAGE_LIST, CB_GETCURSEL, 0, 0));
  EndDialog(IDOK);
}
