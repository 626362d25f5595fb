#include "driver/winspool_api_win.h"

#include "system/system_library_win.h"

namespace driver {

namespace {

template <typename T>
bool Resolve(HMODULE module, const char* name, T* slot) {
  *slot = reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  return *slot != nullptr;
}

WinspoolApi Load(bool* ok) {
  WinspoolApi api;
  *ok = false;
  // Never unloaded: the table lives as long as the process.
  HMODULE module = sys::LoadSystemLibrary("winspool.drv");
  if (!module) return api;
  bool all = Resolve(module, "GetPrinterDriverDirectoryA", &api.GetPrinterDriverDirectoryA) &&
             Resolve(module, "AddMonitorA", &api.AddMonitorA) &&
             Resolve(module, "AddPrinterDriverA", &api.AddPrinterDriverA) &&
             Resolve(module, "AddPrinterA", &api.AddPrinterA) && Resolve(module, "ClosePrinter", &api.ClosePrinter) &&
             Resolve(module, "EnumPortsA", &api.EnumPortsA) && Resolve(module, "EnumPrintersA", &api.EnumPrintersA) &&
             Resolve(module, "SetPrinterDataA", &api.SetPrinterDataA) &&
             Resolve(module, "OpenPrinterA", &api.OpenPrinterA) &&
             Resolve(module, "StartDocPrinterA", &api.StartDocPrinterA) &&
             Resolve(module, "WritePrinter", &api.WritePrinter) && Resolve(module, "EndDocPrinter", &api.EndDocPrinter);
  Resolve(module, "AddPortExA", &api.AddPortExA);
  Resolve(module, "SetDefaultPrinterA", &api.SetDefaultPrinterA);
  Resolve(module, "XcvDataW", &api.XcvDataW);
  *ok = all;
  return api;
}

}  // namespace

const WinspoolApi* WinspoolApi::Get() {
  // Static initialisation is thread-safe; the worker and the UI thread may both ask.
  static bool ok = false;
  static const WinspoolApi api = Load(&ok);
  return ok ? &api : nullptr;
}

}  // namespace driver
