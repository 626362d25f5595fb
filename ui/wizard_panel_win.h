// The painted upper part of the wizard dialog: every page is drawn here from the
// panel's state (page, language, status line) by PaintPage. It owns the
// destination-folder field and the Settings-confirmed event the driver engine
// waits on.
//
// Threads: the panel's fields belong to the user-interface thread. The
// installation worker changes the page and the status line only through the
// messages of ui/panel_messages_win.h (SendPanelPage, SendPanelStatusText); it may
// wait on settingsConfirmedEvent(), which is safe from any thread.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "app/unique_handle_win.h"
#include "app/window_win.h"
#include "ui/framed_edit_win.h"

namespace ui {

class WizardPanel : public Window {
 public:
  // page 0, Chinese, status "请稍候...", and the Settings-confirmed event: manual
  // reset, not signalled.
  WizardPanel();
  // Destroys the window (and so runs the destroy handler) while the fields exist.
  ~WizardPanel() override;

  // Creates the panel over ownerDialog's client area less 2 pixels on the right and
  // 50 at the bottom, and the hidden folder field inside it, filled with the default
  // destination folder; languageFlag is the language chosen at start-up. False when
  // the window cannot be made: then nothing is created and only the owner is kept.
  bool Create(HWND ownerDialog, int languageFlag);

  // Shows or hides the folder field, then repaints the whole panel at once.
  void ShowFolderEdit(bool show);

  // User-interface thread only. Each invalidates the panel without erasing; the
  // paint follows with the next WM_PAINT (or RepaintNow). SetPage refuses numbers
  // outside 0..8 and returns false.
  bool SetPage(int page);
  void SetStatusText(const char* text);
  void RepaintNow();

  // Where the pictures are (ending in a backslash); the temporary folder when none
  // is set. Set before the panel first paints.
  void SetImageFolder(const std::string& folder) { imageFolder_ = folder; }

  // Run when the window receives WM_DESTROY (the destination-folder clean-up).
  void SetDestroyHandler(std::function<void()> handler) { destroyHandler_ = std::move(handler); }

  HWND ownerDialog() const { return ownerDialog_; }
  HANDLE settingsConfirmedEvent() const { return settingsConfirmedEvent_.get(); }
  int languageFlag() const { return languageFlag_; }
  const std::string& statusText() const { return statusText_; }
  FramedEdit& folderEdit() { return folderEdit_; }
  const FramedEdit& folderEdit() const { return folderEdit_; }
  int page() const { return page_; }

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Paint(HDC dc);

  HWND ownerDialog_ = nullptr;
  UniqueHandle settingsConfirmedEvent_;
  int languageFlag_ = 1;
  std::string statusText_;
  std::string imageFolder_;
  FramedEdit folderEdit_;
  int page_ = 0;
  std::function<void()> destroyHandler_;
};

// The default destination folder for the configured printer name: the program
// files directory, one backslash, and the name ("USB Printer" when it is empty).
std::string DefaultDestinationFolder(const char* printerName);

}  // namespace ui
