#include "app/dialog_win.h"

#include "app/dialog_init_data_win.h"

Dialog::Dialog(int templateId, HINSTANCE module)
    : templateId_(templateId), module_(module ? module : GetModuleHandleA(nullptr)) {}

INT_PTR Dialog::DoModal(HWND owner) {
  INT_PTR result = DialogBoxParamA(module_, MAKEINTRESOURCEA(templateId_), owner, &Dialog::DialogProc,
                                   reinterpret_cast<LPARAM>(this));
  hwnd_ = nullptr;
  return result;
}

bool Dialog::OnCommand(int id, int, HWND) {
  if (id == IDOK) {
    OnOK();
    return true;
  }
  if (id == IDCANCEL) {
    OnCancel();
    return true;
  }
  return false;
}

bool Dialog::OnMessage(UINT, WPARAM, LPARAM, INT_PTR*) { return false; }

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Dialog* self;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<Dialog*>(lParam);
    SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
    self->hwnd_ = hwnd;
    ApplyDialogInitData(hwnd, self->module_, self->templateId_);
    return self->OnInitDialog();
  }
  // Messages before WM_INITDIALOG (WM_SETFONT among them) find no object yet.
  self = reinterpret_cast<Dialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  if (!self) return FALSE;
  INT_PTR result = FALSE;
  switch (message) {
    case WM_COMMAND:
      return self->OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)) ? TRUE : FALSE;
    case WM_CLOSE:
      self->OnClose();
      return TRUE;
    case WM_NCDESTROY:
      SetWindowLongPtrA(hwnd, DWLP_USER, 0);
      self->hwnd_ = nullptr;
      return FALSE;
    default:
      return self->OnMessage(message, wParam, lParam, &result) ? result : FALSE;
  }
}
