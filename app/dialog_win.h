// A modal dialog made from a dialog template of the program's resources. The static
// dialog procedure finds the object through DWLP_USER (stored at WM_INITDIALOG from
// the DialogBoxParam argument) and hands messages to virtual handlers.
#pragma once

#include <windows.h>

class Dialog {
 public:
  // module null: this program's resources.
  explicit Dialog(int templateId, HINSTANCE module = nullptr);
  virtual ~Dialog() = default;
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Runs the dialog modally. Its result: what EndDialog was given (IDOK, IDCANCEL,
  // ...), or -1 when the template could not be made into a window.
  INT_PTR DoModal(HWND owner = nullptr);

  int templateId() const { return templateId_; }
  HWND hwnd() const { return hwnd_; }
  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }

 protected:
  // Called after the template's initialisation data filled its lists. Return TRUE
  // to let the system put the focus on the first tab stop.
  virtual BOOL OnInitDialog() { return TRUE; }
  // WM_COMMAND. The default sends IDOK to OnOK and IDCANCEL (the Cancel button and
  // Escape) to OnCancel. True when handled.
  virtual bool OnCommand(int id, int notifyCode, HWND control);
  virtual void OnOK() { EndDialog(IDOK); }
  virtual void OnCancel() { EndDialog(IDCANCEL); }
  // The close box (WM_CLOSE): cancels.
  virtual void OnClose() { OnCancel(); }
  // Anything else. Return true and set *result when handled; the result is what the
  // dialog procedure returns for that message (SetWindowLongPtr DWLP_MSGRESULT is the
  // handler's business where a message needs it).
  virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result);

  void EndDialog(INT_PTR result) { ::EndDialog(hwnd_, result); }
  HINSTANCE module() const { return module_; }

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  int templateId_;
  HINSTANCE module_;
  HWND hwnd_ = nullptr;
};
