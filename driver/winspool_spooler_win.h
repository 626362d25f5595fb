// The engine's spooler over the real print spooler (winspool.drv, ANSI entry
// points, local machine) and the staging of the driver files on disk.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "driver/driver_staging_win.h"
#include "driver/printer_installer.h"
#include "driver/winspool_api_win.h"

namespace driver {

class WinspoolSpooler : public Spooler {
 public:
  // staging names the extraction folder, printer name, model line and language
  // the driver files are staged with; its texts must outlive this object.
  explicit WinspoolSpooler(const StagingInput& staging) : api_(WinspoolApi::Get()), staging_(staging) {}

  bool DriverDirectory(DriverPath path, char* directory, size_t size) override;
  bool StageFiles(DriverPath path, const char* directory) override;
  bool RegisterMonitor(const MonitorRecord& monitor) override;
  // kUnavailable when winspool.drv has no AddPortExA.
  PortResult RegisterPort(const char* portName, const char* monitorName) override;
  bool RegisterDriver(const DriverRecord& record) override;
  // EnumPrintersA, flags PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, level 2.
  bool PrinterNames(std::vector<std::string>* names) override;
  std::unique_ptr<AddedPrinter> RegisterPrinter(const PrinterRecord& record) override;
  int MakeDefaultPrinter(const char* printerName) override;
  int LastError() override { return lastError_; }

  // What the last staging produced (names, directories).
  const StagedDriver& staged() const { return staged_; }

 private:
  // Keeps the thread's error code of a failed call for LastError.
  bool Failed();

  const WinspoolApi* api_;  // null when winspool.drv cannot be loaded: every call fails
  StagingInput staging_;
  StagedDriver staged_;
  int lastError_ = 0;
};

}  // namespace driver
