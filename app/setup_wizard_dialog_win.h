// The Setup wizard: one modal dialog (template 102) whose pages are painted by the
// WizardPanel while this class shows, hides, enables and relabels the template's
// own controls as Next and Back move the page. The choices come from
// wizard_navigation; this class applies them and does the disk and shell work.
//
// Ending the run: the Cancel button (while enabled; "Finish" on the last pages),
// Escape and the close box end it, except while the installation runs with Cancel
// disabled (pages 4 and 6). Enter (IDOK) never ends it.
#pragma once

#include <windows.h>

#include <cstddef>

#include "app/dialog_win.h"
#include "app/setup_info.h"
#include "app/wizard_navigation.h"
#include "app/worker_thread_win.h"
#include "system/placed_files_win.h"
#include "ui/gdi_objects_win.h"
#include "ui/wizard_panel_win.h"

class InstallationSession;

class SetupWizardDialog : public Dialog {
 public:
  static constexpr int kSelectedPortSize = 256;

  // Template 102; language Chinese, "Set Default Printer" ticked and no port chosen
  // until the application and the Printer Settings page say otherwise.
  explicit SetupWizardDialog(HINSTANCE module = nullptr);

  // The heap copy of the INSTALL resource (null when there is none) and its length.
  void SetPayload(unsigned char* data, size_t size) {
    payloadData_ = data;
    payloadSize_ = size;
  }
  unsigned char* payloadData() const { return payloadData_; }
  size_t payloadSize() const { return payloadSize_; }

  // The language chosen at start-up, copied into the dialog when it initialises.
  void SetApplicationLanguage(int languageFlag) { applicationLanguage_ = languageFlag; }
  int languageFlag() const { return languageFlag_; }

  int setDefaultFlag() const { return setDefaultFlag_; }
  const char* selectedPort() const { return selectedPort_; }
  // For the driver engine, which reads both only after the Settings-confirmed event
  // (set by Next on the Printer Settings page, after they were stored).
  const int* setDefaultFlagAddress() const { return &setDefaultFlag_; }

  // The files this run put into the destination folder: the installation worker
  // adds them, the clean-up at the end deletes only those.
  sys::SharedPlacedFiles& placedFiles() { return placedFiles_; }

  // What the installation worker runs: RunInstallation unless a test puts a routine
  // of its own in (before Next on page 3).
  void SetInstallationRoutine(WorkerThread::Routine routine) { installationRoutine_ = routine; }

  // True while the installation worker has not ended: after the modal run this
  // means it waits on the Printer Settings page, which Cancel left.
  bool installationRunning() const { return installation_.started() && !installation_.Wait(0); }

  // The run's record and journal (the folders made on leaving the prepare page go
  // into it) and the package's Setup.ini; both set before the modal run. Without a
  // session the installation worker makes one of its own.
  void SetSession(InstallationSession* session) { session_ = session; }
  InstallationSession* session() const { return session_; }
  void SetSetupInfo(const setup_info::SetupInfo& info) { setupInfo_ = info; }
  const setup_info::SetupInfo& setupInfo() const { return setupInfo_; }

  // After the modal run, while the worker still waits on the Printer Settings page:
  // ends that wait without a choice, so the worker undoes what it made and ends.
  void CancelInstallation();
  const volatile LONG* cancelledAddress() const { return &cancelled_; }

  ui::WizardPanel& panel() { return panel_; }
  // User-interface thread only; other threads ask the panel (kPanelQueryPage).
  int page() const { return panel_.page(); }

 protected:
  BOOL OnInitDialog() override;
  bool OnCommand(int id, int notifyCode, HWND control) override;
  // Enter: nothing. The wizard ends only through Cancel, Escape or the close box.
  void OnOK() override {}
  // Escape and the close box.
  void OnCancel() override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result) override;

 private:
  void OnNext();
  void OnBack();
  void OnBrowse();
  void Apply(const PageControls& controls);
  void ShowControl(int id, Change change);
  void EnableControl(int id, Change change);
  void SetNextFromLicence();
  void PlaceLicence();
  void LoadLicence();
  void PlacePageControls();
  void PlaceButtons();
  void PaintSeparator();
  void ShowFolderMessage(FolderVerdict verdict);
  void ConfirmSettings();
  void StartInstallation();

  size_t payloadSize_ = 0;
  unsigned char* payloadData_ = nullptr;
  int setDefaultFlag_ = 1;
  char selectedPort_[kSelectedPortSize] = {};
  int languageFlag_ = 1;
  int applicationLanguage_ = 1;
  sys::SharedPlacedFiles placedFiles_;
  ui::WizardPanel panel_;
  HICON icon_ = nullptr;  // a shared resource icon: never destroyed
  ui::Brush pageBrush_;   // behind the captions of the radios and the check box
  WorkerThread::Routine installationRoutine_;
  WorkerThread installation_;
  InstallationSession* session_ = nullptr;
  setup_info::SetupInfo setupInfo_;
  volatile LONG cancelled_ = 0;
};
