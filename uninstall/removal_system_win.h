// The machine the uninstaller works on: the spooler (SpoolerRemovalApi), files and
// folders, and HKEY_LOCAL_MACHINE in the 64-bit view.
#pragma once

#include "uninstall/removal.h"

namespace uninstall {

class WinRemovalSystem : public RemovalSystem {
 public:
  unsigned long ListPrinters(std::vector<PrinterInfo>* printers) override;
  bool DefaultPrinter(std::string* name) override;
  unsigned long MakeDefaultPrinter(const std::string& name) override;
  unsigned long DeletePrinter(const std::string& name) override;
  unsigned long ListDrivers(const char* environment, std::vector<DriverInfo>* drivers) override;
  unsigned long DeleteDriver(const std::string& driver, const char* environment, bool withFiles) override;
  std::string DriverFolder(const char* environment) override;
  unsigned long ListPorts(std::vector<PortInfo>* ports) override;
  unsigned long ListMonitors(std::vector<std::string>* monitors) override;
  unsigned long RemovePort(const std::string& monitor, const std::string& port) override;
  unsigned long RemoveMonitor(const std::string& monitor, const char* environment) override;
  std::string SystemFolder() override;
  unsigned long DeleteFileNow(const std::string& path, bool native) override;
  unsigned long MoveAside(const std::string& path, std::string* moved) override;
  unsigned long DeleteAfterRestart(const std::string& path, bool native) override;
  unsigned long IdentityOf(const std::string& path, bool native, sys::FileIdentity* identity) override;
  unsigned long RemoveFolder(const std::string& path) override;
  unsigned long ListFolder(const std::string& path, std::vector<std::string>* names) override;
  unsigned long DeleteKey(const std::string& subKey) override;
  unsigned long SetRunOnce(const char* valueName, const std::string& command) override;
};

}  // namespace uninstall
