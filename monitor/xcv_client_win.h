// The monitor UI's line to the monitor: a configuration handle from OpenPrinter on
// ",XcvMonitor NAME" or ",XcvPort NAME", and XcvData calls on it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "monitor/monitor_names.h"

namespace monitor {

class XcvConnection {
 public:
  XcvConnection() = default;
  ~XcvConnection();
  XcvConnection(const XcvConnection&) = delete;
  XcvConnection& operator=(const XcvConnection&) = delete;

  // server: empty for this machine. A Win32 error code.
  DWORD Open(const std::u16string& server, XcvObject kind, const std::u16string& name);

  // Sends input (nothing when empty, else the string with its NUL) under dataName;
  // *output gets what the monitor answered. The monitor's status, or the spooler's
  // error when the call did not reach it.
  DWORD Call(const wchar_t* dataName, const std::u16string& input, std::vector<BYTE>* output = nullptr);

  // The answer as a string / as a 32-bit number (0 when it is none).
  static std::u16string AsString(const std::vector<BYTE>& output);
  static DWORD AsNumber(const std::vector<BYTE>& output);

 private:
  HANDLE handle_ = nullptr;
};

}  // namespace monitor
