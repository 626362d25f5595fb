#include "app/spooler_jobs_win.h"

#include <windows.h>
#include <winspool.h>

#include <vector>

#include "driver/winspool_api_win.h"

namespace {

using driver::WinspoolApi;

// A printer (or configuration) handle from OpenPrinterA, closed with ClosePrinter.
class Printer {
 public:
  explicit Printer(const WinspoolApi& api) : api_(api) {}
  ~Printer() {
    if (handle_) api_.ClosePrinter(handle_);
  }
  Printer(const Printer&) = delete;
  Printer& operator=(const Printer&) = delete;
  bool Open(const std::string& name, ACCESS_MASK access) {
    PRINTER_DEFAULTSA defaults = {nullptr, nullptr, access};
    return api_.OpenPrinterA(const_cast<char*>(name.c_str()), &handle_, access ? &defaults : nullptr) != FALSE;
  }
  HANDLE get() const { return handle_; }

 private:
  const WinspoolApi& api_;
  HANDLE handle_ = nullptr;
};

std::wstring Wide(const std::string& text) {
  const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::vector<wchar_t> wide(length > 0 ? length : 1, L'\0');
  if (length > 0) MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), length);
  return wide.data();
}

}  // namespace

unsigned long SetPortTarget(const std::string& port, const std::string& target) {
  const WinspoolApi* api = WinspoolApi::Get();
  if (!api || !api->XcvDataW) return ERROR_PROC_NOT_FOUND;
  Printer xcv(*api);
  if (!xcv.Open(",XcvPort " + port, SERVER_ACCESS_ADMINISTER)) return GetLastError();
  const std::wstring text = Wide(target);
  DWORD needed = 0, status = ERROR_SUCCESS;
  if (!api->XcvDataW(xcv.get(), L"SetTarget", reinterpret_cast<BYTE*>(const_cast<wchar_t*>(text.c_str())),
                     static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)), nullptr, 0, &needed, &status))
    return GetLastError();
  return status;
}

std::string GetPortTarget(const std::string& port) {
  const WinspoolApi* api = WinspoolApi::Get();
  if (!api || !api->XcvDataW) return std::string();
  Printer xcv(*api);
  if (!xcv.Open(",XcvPort " + port, SERVER_ACCESS_ADMINISTER)) return std::string();
  std::vector<wchar_t> text(1024, L'\0');
  DWORD needed = 0, status = ERROR_SUCCESS;
  // One character short of the buffer: the answer always ends in a NUL.
  if (!api->XcvDataW(xcv.get(), L"GetTarget", nullptr, 0, reinterpret_cast<BYTE*>(text.data()),
                     static_cast<DWORD>((text.size() - 1) * sizeof(wchar_t)), &needed, &status) ||
      status != ERROR_SUCCESS)
    return std::string();
  const int length = WideCharToMultiByte(CP_ACP, 0, text.data(), -1, nullptr, 0, nullptr, nullptr);
  std::vector<char> ansi(length > 0 ? length : 1, '\0');
  if (length > 0) WideCharToMultiByte(CP_ACP, 0, text.data(), -1, ansi.data(), length, nullptr, nullptr);
  return ansi.data();
}

unsigned long SendRawJob(const std::string& printer, const std::string& document, const std::string& bytes) {
  const WinspoolApi* api = WinspoolApi::Get();
  if (!api) return ERROR_PROC_NOT_FOUND;
  Printer handle(*api);
  if (!handle.Open(printer, 0)) return GetLastError();
  DOC_INFO_1A info = {};
  info.pDocName = const_cast<char*>(document.c_str());
  info.pDatatype = const_cast<char*>("RAW");
  if (!api->StartDocPrinterA(handle.get(), 1, reinterpret_cast<BYTE*>(&info))) return GetLastError();
  DWORD written = 0;
  const bool wrote = api->WritePrinter(handle.get(), const_cast<char*>(bytes.data()),
                                       static_cast<DWORD>(bytes.size()), &written) &&
                     written == bytes.size();
  const unsigned long writeError = wrote ? 0 : (GetLastError() ? GetLastError() : ERROR_WRITE_FAULT);
  if (!api->EndDocPrinter(handle.get()) && !writeError) return GetLastError();
  return writeError;
}
