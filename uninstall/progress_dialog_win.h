// The uninstaller's window: a status line and a progress bar while the removal
// worker runs, then the summary in the status line's place and Close. The worker
// reaches it only through the messages of uninstall_messages_win.h.
#pragma once

#include <windows.h>

#include <memory>

#include "app/dialog_win.h"
#include "app/worker_thread_win.h"
#include "uninstall/removal.h"

namespace uninstall {

class ProgressDialog : public Dialog {
 public:
  // record and context must outlive the dialog.
  ProgressDialog(const InstallationRecord& record, const RemovalContext& context, HINSTANCE module = nullptr);

  // After DoModal: the exit code of the run (1603 when the worker could not start).
  int exitCode() const { return exitCode_; }

 protected:
  BOOL OnInitDialog() override;
  bool OnCommand(int id, int notifyCode, HWND control) override;
  // Escape and the close box end the window only once the work is done.
  void OnCancel() override;
  void OnOK() override {}
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result) override;

 private:
  static DWORD Work(void* self);

  const InstallationRecord& record_;
  const RemovalContext& context_;
  WorkerThread worker_;
  bool done_ = false;
  int exitCode_ = kExitFailure;
};

}  // namespace uninstall
