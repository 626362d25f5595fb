#include "monitor/xcv_client_win.h"

#include <winspool.h>

#include <cstring>

#include "monitor/wide_win.h"

namespace monitor {

namespace {

// More than any answer of our monitor's; a bigger claim is not believed.
constexpr DWORD kMaxAnswerBytes = 65536;

}  // namespace

XcvConnection::~XcvConnection() {
  if (handle_) ClosePrinter(handle_);
}

DWORD XcvConnection::Open(const std::u16string& server, XcvObject kind, const std::u16string& name) {
  std::wstring printer = ToWide(XcvPrinterName(server, kind, name));
  PRINTER_DEFAULTSW defaults = {nullptr, nullptr, SERVER_ACCESS_ADMINISTER};
  if (handle_) ClosePrinter(handle_);
  handle_ = nullptr;
  return OpenPrinterW(&printer[0], &handle_, &defaults) ? ERROR_SUCCESS : GetLastError();
}

DWORD XcvConnection::Call(const wchar_t* dataName, const std::u16string& input, std::vector<BYTE>* output) {
  if (!handle_) return ERROR_INVALID_HANDLE;
  const std::wstring wide = ToWide(input);
  BYTE* in = input.empty() ? nullptr : reinterpret_cast<BYTE*>(const_cast<wchar_t*>(wide.c_str()));
  const DWORD inSize = input.empty() ? 0 : static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t));
  std::vector<BYTE> answer(512);
  for (;;) {
    DWORD needed = 0;
    DWORD status = ERROR_SUCCESS;
    if (!XcvDataW(handle_, dataName, in, inSize, answer.data(), static_cast<DWORD>(answer.size()), &needed, &status))
      return GetLastError();
    if (status == ERROR_INSUFFICIENT_BUFFER && needed > answer.size() && needed <= kMaxAnswerBytes) {
      answer.resize(needed);
      continue;
    }
    if (status == ERROR_SUCCESS && output) {
      answer.resize(needed < answer.size() ? needed : answer.size());
      *output = answer;
    }
    return status;
  }
}

std::u16string XcvConnection::AsString(const std::vector<BYTE>& output) {
  std::u16string text;
  for (size_t at = 0; at + 1 < output.size(); at += 2) {
    const char16_t c = static_cast<char16_t>(output[at] | (output[at + 1] << 8));
    if (c == 0) break;
    text.push_back(c);
  }
  return text;
}

DWORD XcvConnection::AsNumber(const std::vector<BYTE>& output) {
  DWORD value = 0;
  if (output.size() >= sizeof value) std::memcpy(&value, output.data(), sizeof value);
  return value;
}

}  // namespace monitor
