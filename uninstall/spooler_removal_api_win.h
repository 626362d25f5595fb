// The spooler's entry points the uninstaller needs, taken from winspool.drv in the
// system directory at run time (never imported: a planted copy beside the program
// must not be loaded). Those some Windows lack are null there.
#pragma once

#include <windows.h>
#include <winspool.h>

namespace uninstall {

struct SpoolerRemovalApi {
  decltype(&::OpenPrinterA) OpenPrinterA = nullptr;
  decltype(&::ClosePrinter) ClosePrinter = nullptr;
  decltype(&::DeletePrinter) DeletePrinter = nullptr;
  decltype(&::EnumPrintersA) EnumPrintersA = nullptr;
  decltype(&::EnumPrinterDriversA) EnumPrinterDriversA = nullptr;
  decltype(&::DeletePrinterDriverA) DeletePrinterDriverA = nullptr;
  decltype(&::EnumPortsA) EnumPortsA = nullptr;
  decltype(&::EnumMonitorsA) EnumMonitorsA = nullptr;
  decltype(&::DeleteMonitorA) DeleteMonitorA = nullptr;
  decltype(&::GetPrinterDriverDirectoryA) GetPrinterDriverDirectoryA = nullptr;
  // Windows 2000 and later.
  BOOL(WINAPI* DeletePrinterDriverExA)(LPSTR, LPSTR, LPSTR, DWORD, DWORD) = nullptr;
  BOOL(WINAPI* GetDefaultPrinterA)(LPSTR, LPDWORD) = nullptr;
  BOOL(WINAPI* SetDefaultPrinterA)(LPCSTR) = nullptr;
  BOOL(WINAPI* XcvDataW)(HANDLE, PCWSTR, PBYTE, DWORD, PBYTE, DWORD, PDWORD, PDWORD) = nullptr;

  // The process-wide table, loaded on first use; null when winspool.drv cannot be
  // loaded or lacks one of the functions every Windows has.
  static const SpoolerRemovalApi* Get();
};

// A printer handle from OpenPrinter, closed with ClosePrinter; move-only.
class PrinterHandle {
 public:
  explicit PrinterHandle(const SpoolerRemovalApi& api) : api_(api) {}
  ~PrinterHandle() {
    if (handle_) api_.ClosePrinter(handle_);
  }
  PrinterHandle(const PrinterHandle&) = delete;
  PrinterHandle& operator=(const PrinterHandle&) = delete;

  HANDLE get() const { return handle_; }
  HANDLE* Receive() { return &handle_; }

 private:
  const SpoolerRemovalApi& api_;
  HANDLE handle_ = nullptr;
};

}  // namespace uninstall
