#include "uninstall/removal_system_win.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "system/ansi_text.h"
#include "system/ansi_text_win.h"

#include "system/redirection_off_win.h"
#include "system/registry_key_win.h"
#include "uninstall/spooler_removal_api_win.h"

namespace uninstall {

namespace {

constexpr unsigned long kNoSpooler = ERROR_PROC_NOT_FOUND;


// The two-call pattern of the Enum* functions: the size first, then the data.
template <typename Call>
unsigned long Enumerate(Call call, std::vector<BYTE>* buffer, DWORD* count) {
  DWORD needed = 0;
  *count = 0;
  if (call(nullptr, 0, &needed, count)) return ERROR_SUCCESS;  // nothing to list
  const DWORD error = GetLastError();
  if (error != ERROR_INSUFFICIENT_BUFFER) return error;
  buffer->assign(needed, 0);
  if (!call(buffer->data(), needed, &needed, count)) return GetLastError();
  return ERROR_SUCCESS;
}

std::string Text(const char* text) { return text ? text : ""; }

// The spooler gives the driver's files as full paths in its version folder.
std::string BareName(const char* path) {
  const std::string folder = sys::FolderOfPath(path, sys::IsSystemLeadByte);
  return folder.empty() ? std::string(path) : std::string(path + folder.size() + 1);
}

// Some entry points take LPSTR for texts they only read.
char* Mutable(const std::string& text) { return const_cast<char*>(text.c_str()); }
char* Mutable(const char* text) { return const_cast<char*>(text); }

}  // namespace

unsigned long WinRemovalSystem::ListPrinters(std::vector<PrinterInfo>* printers) {
  printers->clear();
  const SpoolerRemovalApi* api = SpoolerRemovalApi::Get();
  if (!api) return kNoSpooler;
  std::vector<BYTE> buffer;
  DWORD count = 0;
  char empty[] = "";
  const unsigned long error = Enumerate(
      [api, &empty](BYTE* data, DWORD size, DWORD* needed, DWORD* returned) {
        return api->EnumPrintersA(PRINTER_ENUM_LOCAL, empty, 2, data, size, needed, returned);
      },
      &buffer, &count);
  if (error) return error;
  const auto* info = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) printers->push_back({Text(info[i].pPrinterName), Text(info[i].pDriverName)});
  return ERROR_SUCCESS;
}

bool WinRemovalSystem::DefaultPrinter(std::string* name) {
  const SpoolerRemovalApi* api = SpoolerRemovalApi::Get();
  if (!api || !api->GetDefaultPrinterA) return false;
  DWORD size = 0;
  api->GetDefaultPrinterA(nullptr, &size);
  if (size == 0) return false;
  std::vector<char> buffer(size + 1, '\0');
  if (!api->GetDefaultPrinterA(buffer.data(), &size)) return false;
  name->assign(buffer.data());
  return !name->empty();
}

unsigned long WinRemovalSystem::MakeDefaultPrinter(const std::string& name) {
  const SpoolerRemovalApi* api = SpoolerRemovalApi::Get();
  if (!api || !api->SetDefaultPrinterA) return kNoSpooler;
  return api->SetDefaultPrinterA(name.c_str()) ? ERROR_SUCCESS : GetLastError();
}

unsigned long WinRemovalSystem::DeletePrinter(const std::string& name) {
  const SpoolerRemovalApi* api = SpoolerRemovalApi::Get();
  if (!api) return kNoSpooler;
  PRINTER_DEFAULTSA defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
  PrinterHandle printer(*api);
  if (!api->OpenPrinterA(Mutable(name), printer.Receive(), &defaults)) return GetLastError();
  return api->DeletePrinter(printer.get()) ? ERROR_SUCCESS : GetLastError();
}

unsigned long WinRemovalSystem::ListDrivers(const char* environment, std::vector<DriverInfo>* drivers) {
  drivers->clear();
  const SpoolerRemovalApi* api = SpoolerRemovalApi::Get();
  if (!api) return kNoSpooler;
  std::vector<BYTE> buffer;
  DWORD count = 0;
  const unsigned long error = Enumerate(
      [api, environment](BYTE* data, DWORD size, DWORD* needed, DWORD* returned) {
        return api->EnumPrinterDriversA(nullptr, Mutable(environment), 3, data, size, needed, returned);
      },
      &buffer, &count);
  if (error) return error;
  const auto* info = reinterpret_cast<const DRIVER_INFO_3A*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) {
    DriverInfo driver;
    driver.name = Text(info[i].pName);
    for (const char* path : {info[i].pDriverPath, info[i].pDataFile, info[i].pConfigFile, info[i].pHelpFile}) {
      if (path && *path) driver.files.push_back(BareName(path));
    }
    // NUL-separated, ended by an empty one.
    for (const char* file = info[i].pDependentFiles; file && *file; file += strlen(file) + 1) {
      driver.files.push_back(BareName(file));
    }
    drivers->push_back(driver);
  }
  return ERROR_SUCCESS;
}

unsigned long WinRemovalSystem::DeleteDriver(const std::string& driver, const char* environment, bool withFiles) {
  const SpoolerRemovalApi* api = SpoolerRemovalApi::Get();
  if (!api) return kNoSpooler;
  BOOL ok;
  if (api->DeletePrinterDriverExA) {
    // Version 3, the only one the installation registers.
    ok = api->DeletePrinterDriverExA(nullptr, Mutable(environment), Mutable(driver),
                                     withFiles ? DPD_DELETE_UNUSED_FILES | DPD_DELETE_SPECIFIC_VERSION : 0, 3);
  } else {
    ok = api->DeletePrinterDriverA(nullptr, Mutable(environment), Mutable(driver));
  }
  return ok ? ERROR_SUCCESS : GetLastError();
}

std::string WinRemovalSystem::DriverFolder(const char* environment) {
  const SpoolerRemovalApi* api = SpoolerRemovalApi::Get();
  if (!api) return std::string();
  BYTE folder[MAX_PATH + 1] = {};
  DWORD needed = 0;
  if (!api->GetPrinterDriverDirectoryA(nullptr, Mutable(environment), 1, folder, MAX_PATH, &needed)) {
    return std::string();
  }
  return std::string(reinterpret_cast<const char*>(folder));
}

unsigned long WinRemovalSystem::ListPorts(std::vector<PortInfo>* ports) {
  ports->clear();
  const SpoolerRemovalApi* api = SpoolerRemovalApi::Get();
  if (!api) return kNoSpooler;
  std::vector<BYTE> buffer;
  DWORD count = 0;
  const unsigned long error = Enumerate(
      [api](BYTE* data, DWORD size, DWORD* needed, DWORD* returned) {
        return api->EnumPortsA(nullptr, 2, data, size, needed, returned);
      },
      &buffer, &count);
  if (error) return error;
  const auto* info = reinterpret_cast<const PORT_INFO_2A*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) ports->push_back({Text(info[i].pPortName), Text(info[i].pMonitorName)});
  return ERROR_SUCCESS;
}

unsigned long WinRemovalSystem::ListMonitors(std::vector<std::string>* monitors) {
  monitors->clear();
  const SpoolerRemovalApi* api = SpoolerRemovalApi::Get();
  if (!api || !api->EnumMonitorsA) return kNoSpooler;
  std::vector<BYTE> buffer;
  DWORD count = 0;
  const unsigned long error = Enumerate(
      [api](BYTE* data, DWORD size, DWORD* needed, DWORD* returned) {
        return api->EnumMonitorsA(nullptr, 1, data, size, needed, returned);
      },
      &buffer, &count);
  if (error) return error;
  const auto* info = reinterpret_cast<const MONITOR_INFO_1A*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) monitors->push_back(Text(info[i].pName));
  return ERROR_SUCCESS;
}

unsigned long WinRemovalSystem::RemovePort(const std::string& monitor, const std::string& port) {
  const SpoolerRemovalApi* api = SpoolerRemovalApi::Get();
  if (!api || !api->XcvDataW) return kNoSpooler;
  // The monitor's own port removal: XcvData "DeletePort" with the port's name as a
  // NUL-terminated UTF-16 string, on a handle to the monitor's transceiver.
  const std::string xcv = ",XcvMonitor " + monitor;
  PRINTER_DEFAULTSA defaults = {nullptr, nullptr, SERVER_ACCESS_ADMINISTER};
  PrinterHandle handle(*api);
  if (!api->OpenPrinterA(Mutable(xcv), handle.Receive(), &defaults)) return GetLastError();
  const int wide = MultiByteToWideChar(CP_ACP, 0, port.c_str(), -1, nullptr, 0);
  if (wide <= 0) return GetLastError();
  std::vector<wchar_t> name(static_cast<size_t>(wide));
  MultiByteToWideChar(CP_ACP, 0, port.c_str(), -1, name.data(), wide);
  DWORD needed = 0;
  DWORD status = ERROR_SUCCESS;
  if (!api->XcvDataW(handle.get(), L"DeletePort", reinterpret_cast<BYTE*>(name.data()),
                     static_cast<DWORD>(name.size() * sizeof(wchar_t)), nullptr, 0, &needed, &status)) {
    return GetLastError();
  }
  return status;
}

unsigned long WinRemovalSystem::RemoveMonitor(const std::string& monitor, const char* environment) {
  const SpoolerRemovalApi* api = SpoolerRemovalApi::Get();
  if (!api) return kNoSpooler;
  return api->DeleteMonitorA(nullptr, Mutable(environment), Mutable(monitor)) ? ERROR_SUCCESS : GetLastError();
}

std::string WinRemovalSystem::SystemFolder() {
  // "...\system32" also in a WOW64 process: with redirection off it is the native one.
  char folder[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryA(folder, sizeof folder);
  return length > 0 && length < sizeof folder ? std::string(folder, length) : std::string();
}

unsigned long WinRemovalSystem::DeleteFileNow(const std::string& path, bool native) {
  sys::RedirectionOff off(native);
  return DeleteFileA(path.c_str()) ? ERROR_SUCCESS : GetLastError();
}

unsigned long WinRemovalSystem::IdentityOf(const std::string& path, bool native, sys::FileIdentity* identity) {
  sys::RedirectionOff off(native);
  *identity = sys::FileIdentity();
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return GetLastError();
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return ERROR_DIRECTORY;
  identity->known = true;
  identity->size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  identity->writeTime = (static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                        data.ftLastWriteTime.dwLowDateTime;
  return ERROR_SUCCESS;
}

unsigned long WinRemovalSystem::MoveAside(const std::string& path, std::string* moved) {
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    char suffix[48];
    std::snprintf(suffix, sizeof suffix, ".%08lx.removed", static_cast<unsigned long>(GetTickCount() + attempt));
    const std::string target = path + suffix;
    if (MoveFileA(path.c_str(), target.c_str())) {
      *moved = target;
      return ERROR_SUCCESS;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS && GetLastError() != ERROR_FILE_EXISTS) return GetLastError();
  }
  return ERROR_FILE_EXISTS;
}

unsigned long WinRemovalSystem::DeleteAfterRestart(const std::string& path, bool native) {
  sys::RedirectionOff off(native);
  return MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) ? ERROR_SUCCESS : GetLastError();
}

unsigned long WinRemovalSystem::RemoveFolder(const std::string& path) {
  if (RemoveDirectoryA(path.c_str())) return ERROR_SUCCESS;
  const DWORD error = GetLastError();
  // Some file systems answer a folder with files in it with "access denied".
  if (error != ERROR_DIR_NOT_EMPTY && error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
    std::vector<std::string> names;
    if (ListFolder(path, &names) == ERROR_SUCCESS && !names.empty()) return ERROR_DIR_NOT_EMPTY;
  }
  return error;
}

unsigned long WinRemovalSystem::ListFolder(const std::string& path, std::vector<std::string>* names) {
  names->clear();
  WIN32_FIND_DATAA found;
  const std::string pattern = path + "\\*";
  HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    return error == ERROR_NO_MORE_FILES ? ERROR_SUCCESS : error;
  }
  struct SearchCloser {
    HANDLE handle;
    ~SearchCloser() { FindClose(handle); }
  } closer{search};
  do {
    const std::string name = found.cFileName;
    if (name != "." && name != "..") names->push_back(name);
  } while (FindNextFileA(search, &found));
  return ERROR_SUCCESS;
}

unsigned long WinRemovalSystem::DeleteKey(const std::string& subKey) {
  const size_t slash = subKey.rfind('\\');
  if (slash == std::string::npos) return ERROR_INVALID_PARAMETER;
  // The parent in the 64-bit view; the key is deleted relative to it, which keeps
  // the view also where RegDeleteKeyExA does not exist (XP, 2000).
  sys::RegistryKey parent;
  LONG error = RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey.substr(0, slash).c_str(), 0,
                             KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_WOW64_64KEY,
                             parent.Receive());
  if (error != ERROR_SUCCESS) return static_cast<unsigned long>(error);
  const std::string leaf = subKey.substr(slash + 1);
  HMODULE advapi = GetModuleHandleA("advapi32.dll");
  auto deleteKeyEx = advapi ? reinterpret_cast<LONG(WINAPI*)(HKEY, LPCSTR, REGSAM, DWORD)>(
                                  reinterpret_cast<void*>(GetProcAddress(advapi, "RegDeleteKeyExA")))
                            : nullptr;
  error = deleteKeyEx ? deleteKeyEx(parent.get(), leaf.c_str(), KEY_WOW64_64KEY, 0)
                      : RegDeleteKeyA(parent.get(), leaf.c_str());
  return static_cast<unsigned long>(error);
}

unsigned long WinRemovalSystem::SetRunOnce(const char* valueName, const std::string& command) {
  // The process's own view, without KEY_WOW64_64KEY: where setup.exe deletes the value.
  sys::RegistryKey runOnce;
  LONG error = RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce", 0,
                               nullptr, 0, KEY_SET_VALUE, nullptr, runOnce.Receive(), nullptr);
  if (error != ERROR_SUCCESS) return static_cast<unsigned long>(error);
  error = RegSetValueExA(runOnce.get(), valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                         static_cast<DWORD>(command.size() + 1));
  return static_cast<unsigned long>(error);
}

}  // namespace uninstall
