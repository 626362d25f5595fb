// The monitor's ports: one registry key each under its "Ports" key, holding the
// port's target as the string value "Target" and, when an administrator set one,
// the DWORD "Timeout": how many seconds a write to a network or serial printer may
// make no progress before the job fails. The spooler keeps no list of its own (Wine
// even finds a port's monitor by this key), so the ports outlive restarts.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "monitor/registry_access_win.h"

namespace monitor {

class PortStore {
 public:
  // portsKey: the open "Ports" key, reached through access; the store owns both.
  PortStore(std::unique_ptr<RegistryAccess> access, HANDLE portsKey);
  PortStore(const PortStore&) = delete;
  PortStore& operator=(const PortStore&) = delete;

  // Results are Win32 error codes: ERROR_ALREADY_EXISTS for a port added twice,
  // ERROR_UNKNOWN_PORT for one that is not there (or a name no port can have: an
  // empty one never reaches the registry, where it would name "Ports" itself),
  // ERROR_INVALID_DATA for a target that is no string of a sensible length.
  DWORD List(std::vector<std::u16string>* ports) const;
  DWORD Add(const std::u16string& port, const std::u16string& target);
  DWORD Remove(const std::u16string& port);
  bool Exists(const std::u16string& port) const;
  DWORD ReadTarget(const std::u16string& port, std::u16string* target) const;
  DWORD WriteTarget(const std::u16string& port, const std::u16string& target);
  // The port's "Timeout" in milliseconds: 30 s when there is none or it is no
  // DWORD, and never under 1 s or over 5 minutes.
  DWORD WriteTimeoutMilliseconds(const std::u16string& port) const;

 private:
  DWORD OpenPort(const std::u16string& port, RegKey* key) const;

  std::unique_ptr<RegistryAccess> access_;
  RegKey ports_;
};

}  // namespace monitor
