// The one dialog of the monitor UI: a port's name and where it sends jobs (a folder,
// a network printer or a serial port), for a new port (both editable; an empty
// target keeps the monitor's default folder) or for an existing one (the name
// read-only; when its stored target could not be used, the dialog shows the default
// one and says so). Texts in the installation's language. OK checks what was typed
// and hands it to the caller's apply step, which talks to the monitor and may
// refuse; the dialog then stays open.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "app/dialog_win.h"
#include "monitor/ui_texts.h"

namespace monitor {

class PortDialog : public Dialog {
 public:
  enum class Mode { kAdd, kConfigure };
  // Returns true when done; on false it has told the user why (owner: the dialog).
  using Apply = std::function<bool(HWND dialog, const std::u16string& port, const std::u16string& target)>;

  PortDialog(HINSTANCE module, Mode mode, UiLanguage language, std::u16string port, std::u16string target,
             Apply apply, bool storedUnusable = false);

  // The port's name as the user confirmed it.
  const std::u16string& port() const { return port_; }

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;

 private:
  std::u16string ItemText(int id, size_t limit) const;
  void Warn(const char* text) const;

  Mode mode_;
  UiLanguage language_;
  std::u16string port_;
  std::u16string target_;  // shown when the dialog opens
  Apply apply_;
  bool storedUnusable_;
};

}  // namespace monitor
