// The print spooler's ANSI entry points, taken from winspool.drv in the system
// directory at run time: the program imports no DLL that a planted copy beside it
// could replace.
#pragma once

#include <windows.h>
#include <winspool.h>

namespace driver {

struct WinspoolApi {
  decltype(&::GetPrinterDriverDirectoryA) GetPrinterDriverDirectoryA = nullptr;
  decltype(&::AddMonitorA) AddMonitorA = nullptr;
  decltype(&::AddPrinterDriverA) AddPrinterDriverA = nullptr;
  decltype(&::AddPrinterA) AddPrinterA = nullptr;
  decltype(&::ClosePrinter) ClosePrinter = nullptr;
  decltype(&::EnumPortsA) EnumPortsA = nullptr;
  decltype(&::EnumPrintersA) EnumPrintersA = nullptr;
  decltype(&::SetPrinterDataA) SetPrinterDataA = nullptr;
  // The configured port's target and the test receipt.
  decltype(&::OpenPrinterA) OpenPrinterA = nullptr;
  decltype(&::StartDocPrinterA) StartDocPrinterA = nullptr;
  decltype(&::WritePrinter) WritePrinter = nullptr;
  decltype(&::EndDocPrinter) EndDocPrinter = nullptr;
  // Looked up by name: older systems lack them.
  BOOL(WINAPI* XcvDataW)(HANDLE, PCWSTR, PBYTE, DWORD, PBYTE, DWORD, PDWORD, PDWORD) = nullptr;
  BOOL(WINAPI* AddPortExA)(LPSTR, DWORD, LPBYTE, LPSTR) = nullptr;
  BOOL(WINAPI* SetDefaultPrinterA)(LPCSTR) = nullptr;

  // The process-wide table, loaded on first use. Null when winspool.drv cannot
  // be loaded or lacks one of the functions every path needs.
  static const WinspoolApi* Get();
};

}  // namespace driver
