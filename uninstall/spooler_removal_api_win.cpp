#include "uninstall/spooler_removal_api_win.h"

#include "system/system_library_win.h"

namespace uninstall {

namespace {

template <typename T>
bool Resolve(HMODULE module, const char* name, T* slot) {
  *slot = reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  return *slot != nullptr;
}

SpoolerRemovalApi Load(bool* ok) {
  SpoolerRemovalApi api;
  *ok = false;
  // Never unloaded: the table lives as long as the process.
  HMODULE module = sys::LoadSystemLibrary("winspool.drv");
  if (!module) return api;
  *ok = Resolve(module, "OpenPrinterA", &api.OpenPrinterA) && Resolve(module, "ClosePrinter", &api.ClosePrinter) &&
        Resolve(module, "DeletePrinter", &api.DeletePrinter) && Resolve(module, "EnumPrintersA", &api.EnumPrintersA) &&
        Resolve(module, "EnumPrinterDriversA", &api.EnumPrinterDriversA) &&
        Resolve(module, "DeletePrinterDriverA", &api.DeletePrinterDriverA) &&
        Resolve(module, "EnumPortsA", &api.EnumPortsA) && Resolve(module, "DeleteMonitorA", &api.DeleteMonitorA) &&
        Resolve(module, "GetPrinterDriverDirectoryA", &api.GetPrinterDriverDirectoryA);
  Resolve(module, "DeletePrinterDriverExA", &api.DeletePrinterDriverExA);
  Resolve(module, "EnumMonitorsA", &api.EnumMonitorsA);
  Resolve(module, "GetDefaultPrinterA", &api.GetDefaultPrinterA);
  Resolve(module, "SetDefaultPrinterA", &api.SetDefaultPrinterA);
  Resolve(module, "XcvDataW", &api.XcvDataW);
  return api;
}

}  // namespace

const SpoolerRemovalApi* SpoolerRemovalApi::Get() {
  static bool ok = false;
  static const SpoolerRemovalApi api = Load(&ok);
  return ok ? &api : nullptr;
}

}  // namespace uninstall
