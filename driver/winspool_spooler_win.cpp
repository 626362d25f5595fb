#include "driver/winspool_spooler_win.h"

#include "driver/local_memory_win.h"
#include "driver/winspool_api_win.h"

namespace driver {

namespace {

// A printer handle from AddPrinterA: the printer data go through it, and it is
// closed with ClosePrinter when the engine is done with the printer.
class WinspoolPrinter : public AddedPrinter {
 public:
  WinspoolPrinter(const WinspoolApi* api, HANDLE printer) : api_(api), printer_(printer) {}
  ~WinspoolPrinter() override { api_->ClosePrinter(printer_); }
  WinspoolPrinter(const WinspoolPrinter&) = delete;
  WinspoolPrinter& operator=(const WinspoolPrinter&) = delete;

  void SetData(const char* valueName, unsigned type, const unsigned char* data, size_t size) override {
    api_->SetPrinterDataA(printer_, const_cast<char*>(valueName), type, const_cast<BYTE*>(data),
                          static_cast<DWORD>(size));
  }

 private:
  const WinspoolApi* api_;
  HANDLE printer_;
};

char* Mutable(const char* text) { return const_cast<char*>(text); }

}  // namespace

bool WinspoolSpooler::Failed() {
  lastError_ = static_cast<int>(GetLastError());
  return false;
}

bool WinspoolSpooler::DriverDirectory(DriverPath path, char* directory, size_t size) {
  return QueryDriverDirectory(path, directory, size) || Failed();
}

bool WinspoolSpooler::StageFiles(DriverPath path, const char* directory) {
  StageDriverFilesInto(staging_, path, directory, &staged_);
  return !staged_.journalRefused;
}

bool WinspoolSpooler::RegisterMonitor(const MonitorRecord& monitor) {
  if (!api_) return Failed();
  MONITOR_INFO_2A info = {};
  info.pName = Mutable(monitor.name);
  info.pEnvironment = Mutable(monitor.environment);
  info.pDLLName = Mutable(monitor.dllName);
  return api_->AddMonitorA(nullptr, 2, reinterpret_cast<BYTE*>(&info)) || Failed();
}

PortResult WinspoolSpooler::RegisterPort(const char* portName, const char* monitorName) {
  if (!api_ || !api_->AddPortExA) return PortResult::kUnavailable;
  PORT_INFO_1A port = {};
  port.pName = Mutable(portName);
  if (api_->AddPortExA(nullptr, 1, reinterpret_cast<BYTE*>(&port), Mutable(monitorName))) return PortResult::kAdded;
  Failed();
  return PortResult::kFailed;
}

bool WinspoolSpooler::RegisterDriver(const DriverRecord& record) {
  if (!api_) return Failed();
  DRIVER_INFO_3A info = {};
  info.cVersion = record.version;
  info.pName = Mutable(record.name);
  info.pEnvironment = Mutable(record.environment);
  info.pDriverPath = Mutable(record.driverPath);
  info.pDataFile = Mutable(record.dataFile);
  info.pConfigFile = Mutable(record.configFile);
  info.pHelpFile = Mutable(record.helpFile);
  info.pDependentFiles = Mutable(record.dependentFiles);
  info.pMonitorName = nullptr;
  info.pDefaultDataType = nullptr;
  return api_->AddPrinterDriverA(nullptr, 3, reinterpret_cast<BYTE*>(&info)) || Failed();
}

bool WinspoolSpooler::PrinterNames(std::vector<std::string>* names) {
  names->clear();
  if (!api_) return Failed();
  const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
  char noName[] = "";
  DWORD needed = 0;
  DWORD count = 0;
  // The first call only learns the size; its own result does not matter.
  api_->EnumPrintersA(flags, noName, 2, nullptr, 0, &needed, &count);
  if (needed > MAXDWORD - 4) return Failed();
  const DWORD size = needed + 4;
  LocalMemory block = AllocateLocalMemory(size);
  if (!block) return Failed();
  count = 0;
  if (!api_->EnumPrintersA(flags, noName, 2, block.get(), size, &needed, &count)) return Failed();
  const auto* printers = reinterpret_cast<const PRINTER_INFO_2A*>(block.get());
  for (DWORD i = 0; i < count; ++i) {
    if (printers[i].pPrinterName) names->push_back(printers[i].pPrinterName);
  }
  return true;
}

std::unique_ptr<AddedPrinter> WinspoolSpooler::RegisterPrinter(const PrinterRecord& record) {
  if (!api_) {
    Failed();
    return nullptr;
  }
  PRINTER_INFO_2A info = {};
  info.pServerName = nullptr;
  info.pPrinterName = Mutable(record.printerName);
  info.pShareName = Mutable(record.shareName);
  info.pPortName = Mutable(record.portName);
  info.pDriverName = Mutable(record.driverName);
  info.pSepFile = Mutable(record.sepFile);
  info.pPrintProcessor = Mutable(record.printProcessor);
  info.pDatatype = Mutable(record.datatype);
  info.pParameters = Mutable(record.parameters);
  info.Attributes = record.attributes;
  HANDLE printer = api_->AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&info));
  if (!printer) {
    Failed();
    return nullptr;
  }
  return std::unique_ptr<AddedPrinter>(new WinspoolPrinter(api_, printer));
}

int WinspoolSpooler::MakeDefaultPrinter(const char* printerName) {
  if (!api_ || !api_->SetDefaultPrinterA) return ERROR_PROC_NOT_FOUND;
  return api_->SetDefaultPrinterA(printerName) ? 0 : static_cast<int>(GetLastError());
}

}  // namespace driver
