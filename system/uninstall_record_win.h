// The installation record in the real registry and profile file.
#pragma once

#include "system/uninstall_record.h"
#include "system/registry_key_win.h"

namespace sys {

// HKEY_LOCAL_MACHINE\SOFTWARE\<printer> in the 64-bit view (so a 32-bit setup on
// 64-bit Windows writes where the uninstaller looks), WritePrivateProfileStringA for
// the ini, the entry under ...\CurrentVersion\Uninstall in the 64-bit view too (the
// one list Windows shows for all programs), and the machine's RunOnce key in the
// process's own view.
class RegistryRecordStore : public RecordStore {
 public:
  bool CreatePrinterKey(const char* subKey) override;
  bool SetString(const char* name, const char* value) override;
  void CloseKey() override;
  bool WriteUninstallIni(const char* iniPath, const char* section, const char* key,
                         const char* value) override;
  bool CreateUninstallEntryKey(const char* subKey) override;
  bool SetDword(const char* name, unsigned long value) override;
  bool DeleteRunOnceValue(const char* valueName) override;

 private:
  // The printer's key, then the entry of the list of installed programs.
  RegistryKey openKey_;
};

// RecordInstallation into the machine's registry.
void RecordInstallation(const InstallationRecord& record);

}  // namespace sys
