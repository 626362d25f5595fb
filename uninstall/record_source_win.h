// The record as the installation left it: "Uninstall.ini" through the profile
// functions, the printer's key in the 64-bit view of the registry.
#pragma once

#include <string>
#include <vector>

#include "uninstall/installation_record.h"

namespace uninstall {

class WinRecordSource : public RecordSource {
 public:
  bool ReadIniPrinterName(const std::string& iniPath, std::string* name) override;
  bool KeyExists(const std::string& subKey) override;
  ValueRead ReadString(const std::string& subKey, const char* name, std::string* text) override;
  std::vector<std::string> SoftwareKeyNames() override;
};

}  // namespace uninstall
