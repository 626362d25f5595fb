// A record key of HKEY_LOCAL_MACHINE in the 64-bit view (where a 32-bit program on
// 64-bit Windows finds what the uninstaller, a 32-bit program too, reads), behind
// the journal's RecordKeyAccess.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "system/install_journal.h"
#include "system/registry_key_win.h"

namespace sys {

class RegistryRecordKey final : public RecordKeyAccess {
 public:
  // Opens HKEY_LOCAL_MACHINE\subKey; create: makes it when missing. False when it
  // cannot be opened (then every call fails).
  bool Open(const std::string& subKey, bool create);
  bool IsOpen() const { return static_cast<bool>(key_); }
  const std::string& subKey() const { return subKey_; }

  bool ValueNames(std::vector<std::string>* names) override;
  bool ReadString(const char* name, std::string* text) override;
  bool ReadDword(const char* name, unsigned long* value) override;
  bool ReadStrings(const char* name, std::vector<std::string>* strings) override;
  bool WriteString(const char* name, const std::string& text) override;
  bool WriteDword(const char* name, unsigned long value) override;
  bool WriteStrings(const char* name, const std::vector<std::string>& strings) override;
  bool DeleteValue(const char* name) override;

 private:
  bool Read(const char* name, DWORD* type, std::vector<char>* data);
  RegistryKey key_;
  std::string subKey_;
};

// Whether HKEY_LOCAL_MACHINE\subKey exists in the 64-bit view.
bool RecordKeyExists(const std::string& subKey);

// The files the journals of the other installations name (every record under
// HKEY_LOCAL_MACHINE\SOFTWARE that keeps a journal, but exceptPrinter's), as paths
// in lower case: two printers in one folder share the package's files.
std::vector<std::string> FilesOfOtherInstallations(const std::string& exceptPrinter);

// The path in lower case (ASCII letters only), as the file system compares names.
std::string FoldedPath(const std::string& path);

}  // namespace sys
