// The port monitor: InitializePrintMonitor2 and the MONITOR2 functions the spooler
// calls. Each initialisation makes one Monitor (behind *phMonitor) that Shutdown
// deletes; Wine initialises and shuts a monitor down around nearly every call, so
// nothing lives in it that the registry does not hold. Every function catches what
// the C++ library may throw (only ever out of memory): nothing unwinds into the
// spooler.
#include <windows.h>
#include <winspool.h>
#include <winsplp.h>

#include <cstddef>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "app/unique_handle_win.h"
#include "monitor/job_sink_win.h"
#include "monitor/monitor_names.h"
#include "monitor/port_info.h"
#include "monitor/port_store_win.h"
#include "monitor/port_target.h"
#include "monitor/text16.h"
#include "monitor/wide_win.h"
#include "system/registry_key_win.h"

// The records EnumPorts packs portably are the spooler's own.
static_assert(sizeof(monitor::PortInfo1) == sizeof(PORT_INFO_1W), "PORT_INFO_1W layout");
static_assert(sizeof(monitor::PortInfo2) == sizeof(PORT_INFO_2W), "PORT_INFO_2W layout");
static_assert(offsetof(monitor::PortInfo2, monitorName) == offsetof(PORT_INFO_2W, pMonitorName), "PORT_INFO_2W");
static_assert(offsetof(monitor::PortInfo2, description) == offsetof(PORT_INFO_2W, pDescription), "PORT_INFO_2W");
static_assert(offsetof(monitor::PortInfo2, portType) == offsetof(PORT_INFO_2W, fPortType), "PORT_INFO_2W");

namespace monitor {

namespace {

HINSTANCE g_module = nullptr;

const wchar_t kMonitorsKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors";
const char16_t kDescription[] = u"Receipt printer port";
// How long StartDocPort waits for a network printer to accept the connection.
constexpr DWORD kConnectMilliseconds = 10000;

struct Monitor {
  std::u16string name;
  std::u16string uiDll;
  std::unique_ptr<PortStore> ports;
};

// A printer handle from OpenPrinter, closed with ClosePrinter.
class UniquePrinter {
 public:
  UniquePrinter() = default;
  ~UniquePrinter() { Reset(); }
  UniquePrinter(const UniquePrinter&) = delete;
  UniquePrinter& operator=(const UniquePrinter&) = delete;
  HANDLE get() const { return printer_; }
  bool Open(LPWSTR name) {
    Reset();
    if (name && OpenPrinterW(name, &printer_, nullptr)) return true;
    printer_ = nullptr;
    return false;
  }
  void Reset() {
    if (printer_) ClosePrinter(printer_);
    printer_ = nullptr;
  }

 private:
  HANDLE printer_ = nullptr;
};

struct Port {
  Port(Monitor* owner, std::u16string portName) : monitor(owner), name(std::move(portName)) {}
  Monitor* monitor;
  std::u16string name;
  // The job between StartDocPort and EndDocPort, and its printer, to tell the
  // spooler at the end that the job went out.
  std::unique_ptr<JobSink> sink;
  UniquePrinter printer;
  DWORD jobId = 0;
};

struct Xcv {
  Monitor* monitor;
  std::u16string object;  // the monitor's name (",XcvMonitor") or a port's (",XcvPort")
  ACCESS_MASK granted;
};

template <typename Body>
BOOL Guarded(Body body) {
  try {
    return body();
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
}

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

std::u16string OwnPath() {
  wchar_t path[MAX_PATH + 1] = {};
  const DWORD length = GetModuleFileNameW(g_module, path, MAX_PATH);
  return length > 0 && length < MAX_PATH ? ToU16(path) : std::u16string();
}

// The Monitors subkey whose "Driver" names this DLL's file. The spooler writes it
// before it initialises the monitor; a DLL registered under two names serves the
// first (the setup program gives each printer a DLL of its own name).
bool FindOwnName(const std::u16string& ownFile, std::u16string* name) {
  sys::RegistryKey monitors;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kMonitorsKey, 0, KEY_READ, monitors.Receive()) != ERROR_SUCCESS) return false;
  for (DWORD index = 0;; ++index) {
    wchar_t subKey[256];
    DWORD chars = 256;
    const LONG status = RegEnumKeyExW(monitors.get(), index, subKey, &chars, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_MORE_DATA) continue;
    if (status != ERROR_SUCCESS) return false;
    sys::RegistryKey key;
    if (RegOpenKeyExW(monitors.get(), subKey, 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) continue;
    wchar_t driver[MAX_PATH + 1] = {};
    DWORD bytes = MAX_PATH * sizeof(wchar_t);  // the last character stays a terminator
    DWORD type = 0;
    if (RegQueryValueExW(key.get(), L"Driver", nullptr, &type, reinterpret_cast<BYTE*>(driver), &bytes) ==
            ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ) && EqualsIgnoreCase(BaseName(ToU16(driver)), ownFile)) {
      *name = ToU16(subKey);
      return true;
    }
  }
}

// The common application-data folder (C:\ProgramData, or "All Users\Application
// Data" on XP). shell32 is loaded only here, when a port is added.
std::u16string CommonAppData() {
  using GetFolderPathFn = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPWSTR);
  wchar_t path[MAX_PATH + 1] = {};
  const UniqueModule shell(LoadLibraryW(L"shell32.dll"));
  const auto getFolderPath = reinterpret_cast<GetFolderPathFn>(
      reinterpret_cast<void*>(shell ? GetProcAddress(shell.get(), "SHGetFolderPathW") : nullptr));
  if (getFolderPath && getFolderPath(nullptr, 0x0023 /* CSIDL_COMMON_APPDATA */, nullptr, 0, path) == S_OK)
    return ToU16(path);
  const DWORD length = GetEnvironmentVariableW(L"ALLUSERSPROFILE", path, MAX_PATH);
  return length > 0 && length < MAX_PATH ? ToU16(path) : u"C:\\ProgramData";
}

std::u16string DefaultTarget(const Monitor& monitor) {
  std::u16string folder = DefaultFolderFor(CommonAppData(), monitor.name);
  Target target;
  if (ParseTarget(folder, &target) != TargetError::kNone) {
    // A monitor name that leaves no usable folder name, or a very deep base folder.
    folder = DefaultFolderFor(CommonAppData(), u"Receipt printer");
    if (ParseTarget(folder, &target) != TargetError::kNone) return u"C:\\Receipt printer";
  }
  return FormatTarget(target);
}

DWORD AddPort(Monitor* monitor, const std::u16string& port) {
  switch (CheckPortName(port)) {
    case PortNameError::kNone:
      break;
    case PortNameError::kTooLong:
      return ERROR_FILENAME_EXCED_RANGE;
    default:
      return ERROR_INVALID_NAME;
  }
  return monitor->ports->Add(port, DefaultTarget(*monitor));
}

// ---- MONITOR2 ----

BOOL WINAPI EnumPortsFn(HANDLE hMonitor, LPWSTR, DWORD level, LPBYTE ports, DWORD size, LPDWORD needed,
                        LPDWORD returned) {
  return Guarded([&] {
    const Monitor* monitor = static_cast<Monitor*>(hMonitor);
    if (!needed || !returned) return Fail(ERROR_INVALID_PARAMETER);
    *needed = 0;
    *returned = 0;
    if (level != 1 && level != 2) return Fail(ERROR_INVALID_LEVEL);
    PortListing listing;
    listing.monitorName = monitor->name;
    listing.description = kDescription;
    const DWORD listed = monitor->ports->List(&listing.ports);
    if (listed != ERROR_SUCCESS) return Fail(listed);
    *needed = static_cast<DWORD>(PortInfoBytes(static_cast<int>(level), listing));
    if (!ports || size < *needed) return Fail(ERROR_INSUFFICIENT_BUFFER);
    const long count = PackPortInfo(static_cast<int>(level), listing, ports, size);
    if (count < 0) return Fail(ERROR_INSUFFICIENT_BUFFER);
    *returned = static_cast<DWORD>(count);
    return TRUE;
  });
}

BOOL WINAPI OpenPortFn(HANDLE hMonitor, LPWSTR name, PHANDLE handle) {
  return Guarded([&] {
    Monitor* monitor = static_cast<Monitor*>(hMonitor);
    if (!handle) return Fail(ERROR_INVALID_PARAMETER);
    const std::u16string port = ToU16(name);
    if (!monitor->ports->Exists(port)) return Fail(ERROR_UNKNOWN_PORT);
    *handle = new Port(monitor, port);
    return TRUE;
  });
}

void EndJob(Port* port) {
  port->sink.reset();
  port->printer.Reset();
}

BOOL WINAPI StartDocPortFn(HANDLE hPort, LPWSTR printerName, DWORD jobId, DWORD level, LPBYTE docInfo) {
  return Guarded([&] {
    Port* port = static_cast<Port*>(hPort);
    EndJob(port);  // a job the spooler never ended
    std::u16string text;
    const DWORD read = port->monitor->ports->ReadTarget(port->name, &text);
    if (read != ERROR_SUCCESS) return Fail(read);
    if (text.empty()) text = DefaultTarget(*port->monitor);
    Target target;
    if (ParseTarget(text, &target) != TargetError::kNone) return Fail(ERROR_INVALID_DATA);
    JobStart job;
    job.jobId = jobId;
    // DOC_INFO_1 and DOC_INFO_2 both start with the document's name.
    if (docInfo && (level == 1 || level == 2)) job.document = ToU16(reinterpret_cast<DOC_INFO_1W*>(docInfo)->pDocName);
    const DWORD opened = OpenJobSink(target, job, kConnectMilliseconds, &port->sink);
    if (opened != ERROR_SUCCESS) return Fail(opened);
    port->printer.Open(printerName);  // without it the job still goes out, unreported
    port->jobId = jobId;
    return TRUE;
  });
}

BOOL WINAPI WritePortFn(HANDLE hPort, LPBYTE buffer, DWORD size, LPDWORD written) {
  return Guarded([&] {
    Port* port = static_cast<Port*>(hPort);
    DWORD done = 0;
    if (written) *written = 0;
    if (!port->sink) return Fail(ERROR_INVALID_HANDLE);
    if (size > 0 && !buffer) return Fail(ERROR_INVALID_PARAMETER);
    const DWORD result = port->sink->Write(buffer, size, &done);
    if (written) *written = done;
    return result == ERROR_SUCCESS ? TRUE : Fail(result);
  });
}

// Nothing comes back from a file or a raw connection that the spooler could use.
BOOL WINAPI ReadPortFn(HANDLE, LPBYTE, DWORD, LPDWORD read) {
  if (read) *read = 0;
  return Fail(ERROR_NOT_SUPPORTED);
}

BOOL WINAPI EndDocPortFn(HANDLE hPort) {
  return Guarded([&] {
    Port* port = static_cast<Port*>(hPort);
    if (!port->sink) return Fail(ERROR_INVALID_HANDLE);
    const DWORD finished = port->sink->Finish();
    // A port monitor, not the print processor, tells the spooler that the job left.
    if (finished == ERROR_SUCCESS && port->printer.get())
      SetJobW(port->printer.get(), port->jobId, 0, nullptr, JOB_CONTROL_SENT_TO_PRINTER);
    EndJob(port);
    return finished == ERROR_SUCCESS ? TRUE : Fail(finished);
  });
}

BOOL WINAPI ClosePortFn(HANDLE hPort) {
  Port* port = static_cast<Port*>(hPort);
  EndJob(port);
  delete port;
  return TRUE;
}

BOOL WINAPI AddPortExFn(HANDLE hMonitor, LPWSTR, DWORD level, LPBYTE buffer, LPWSTR) {
  return Guarded([&] {
    if (level != 1) return Fail(ERROR_INVALID_LEVEL);
    if (!buffer) return Fail(ERROR_INVALID_PARAMETER);
    const DWORD added = AddPort(static_cast<Monitor*>(hMonitor), ToU16(reinterpret_cast<PORT_INFO_1W*>(buffer)->pName));
    return added == ERROR_SUCCESS ? TRUE : Fail(added);
  });
}

BOOL WINAPI DeletePortFn(HANDLE hMonitor, LPWSTR, HWND, LPWSTR portName) {
  return Guarded([&] {
    const DWORD removed = static_cast<Monitor*>(hMonitor)->ports->Remove(ToU16(portName));
    return removed == ERROR_SUCCESS ? TRUE : Fail(removed);
  });
}

BOOL WINAPI XcvOpenPortFn(HANDLE hMonitor, LPCWSTR object, ACCESS_MASK granted, PHANDLE handle) {
  return Guarded([&] {
    if (!handle) return Fail(ERROR_INVALID_PARAMETER);
    *handle = new Xcv{static_cast<Monitor*>(hMonitor), ToU16(object), granted};
    return TRUE;
  });
}

// A string of the input: up to its first NUL, never past the bytes given.
std::u16string InputString(const BYTE* data, DWORD size) {
  std::u16string text;
  for (DWORD at = 0; data && at + 1 < size; at += 2) {
    const char16_t c = static_cast<char16_t>(data[at] | (data[at + 1] << 8));
    if (c == 0) break;
    text.push_back(c);
  }
  return text;
}

DWORD Output(const void* data, DWORD size, BYTE* out, DWORD outSize, DWORD* needed) {
  if (needed) *needed = size;
  if (!out || outSize < size) return ERROR_INSUFFICIENT_BUFFER;
  memcpy(out, data, size);
  return ERROR_SUCCESS;
}

DWORD OutputString(const std::u16string& text, BYTE* out, DWORD outSize, DWORD* needed) {
  return Output(text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(char16_t)), out, outSize, needed);
}

// The data names the port's UI uses: the spooler's "AddPort", "DeletePort",
// "MonitorUI" and "PortExists", and "GetTarget" / "SetTarget" on a port's handle.
DWORD XcvData(Xcv* xcv, const std::u16string& name, const BYTE* in, DWORD inSize, BYTE* out, DWORD outSize,
              DWORD* needed) {
  if (needed) *needed = 0;
  Monitor* monitor = xcv->monitor;
  const bool administrator = (xcv->granted & SERVER_ACCESS_ADMINISTER) != 0;
  if (name == u"MonitorUI") return OutputString(monitor->uiDll, out, outSize, needed);
  if (name == u"PortExists") {
    const DWORD exists = monitor->ports->Exists(InputString(in, inSize)) ? 1 : 0;
    return Output(&exists, sizeof exists, out, outSize, needed);
  }
  if (name == u"GetTarget") {
    std::u16string target;
    const DWORD read = monitor->ports->ReadTarget(xcv->object, &target);
    if (read != ERROR_SUCCESS) return read;
    return OutputString(target.empty() ? DefaultTarget(*monitor) : target, out, outSize, needed);
  }
  if (name == u"AddPort" || name == u"DeletePort" || name == u"SetTarget") {
    if (!administrator) return ERROR_ACCESS_DENIED;
    const std::u16string text = InputString(in, inSize);
    if (name == u"AddPort") return AddPort(monitor, text);
    if (name == u"DeletePort") return monitor->ports->Remove(text);
    Target target;
    if (ParseTarget(text, &target) != TargetError::kNone) return ERROR_INVALID_DATA;
    return monitor->ports->WriteTarget(xcv->object, FormatTarget(target));
  }
  return ERROR_INVALID_PARAMETER;
}

DWORD WINAPI XcvDataPortFn(HANDLE hXcv, LPCWSTR dataName, PBYTE in, DWORD inSize, PBYTE out, DWORD outSize,
                           PDWORD needed) {
  try {
    return XcvData(static_cast<Xcv*>(hXcv), ToU16(dataName), in, inSize, out, outSize, needed);
  } catch (...) {
    return ERROR_NOT_ENOUGH_MEMORY;
  }
}

BOOL WINAPI XcvClosePortFn(HANDLE hXcv) {
  delete static_cast<Xcv*>(hXcv);
  return TRUE;
}

VOID WINAPI ShutdownFn(HANDLE hMonitor) { delete static_cast<Monitor*>(hMonitor); }

MONITOR2 MakeTable() {
  MONITOR2 table = {};
  // Built with Windows XP's headers (see CMakeLists.txt): the size XP's spooler
  // knows; later spoolers take a smaller table as an older monitor's.
  table.cbSize = sizeof table;
  table.pfnEnumPorts = EnumPortsFn;
  table.pfnOpenPort = OpenPortFn;
  table.pfnStartDocPort = StartDocPortFn;
  table.pfnWritePort = WritePortFn;
  table.pfnReadPort = ReadPortFn;
  table.pfnEndDocPort = EndDocPortFn;
  table.pfnClosePort = ClosePortFn;
  table.pfnAddPortEx = AddPortExFn;
  table.pfnDeletePort = DeletePortFn;
  table.pfnXcvOpenPort = XcvOpenPortFn;
  table.pfnXcvDataPort = XcvDataPortFn;
  table.pfnXcvClosePort = XcvClosePortFn;
  table.pfnShutdown = ShutdownFn;
  return table;
}

const MONITOR2 g_table = MakeTable();

// The "Ports" key: through the spooler's functions where they work (Windows), else
// under the monitor's own key in HKLM (Wine, where they fail with 120).
DWORD OpenPortsKey(const MONITORINIT* init, const std::u16string& name, bool named,
                   std::unique_ptr<PortStore>* store) {
  if (init && init->pMonitorReg && init->pMonitorReg->fpCreateKey && init->hckRegistryRoot) {
    std::unique_ptr<RegistryAccess> access(new SpoolerRegistry(init->pMonitorReg, init->hSpooler));
    HANDLE key = nullptr;
    if (access->Create(init->hckRegistryRoot, L"Ports", &key, nullptr) == ERROR_SUCCESS) {
      store->reset(new PortStore(std::move(access), key));
      return ERROR_SUCCESS;
    }
  }
  if (!named) return ERROR_FILE_NOT_FOUND;
  std::unique_ptr<RegistryAccess> access(new SystemRegistry);
  const std::wstring path = std::wstring(kMonitorsKey) + L"\\" + ToWide(name) + L"\\Ports";
  HANDLE key = nullptr;
  const LONG status = access->Create(HKEY_LOCAL_MACHINE, path.c_str(), &key, nullptr);
  if (status != ERROR_SUCCESS) return static_cast<DWORD>(status);
  store->reset(new PortStore(std::move(access), key));
  return ERROR_SUCCESS;
}

}  // namespace

LPMONITOR2 Initialize(PMONITORINIT init, PHANDLE handle) {
  if (!handle) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const std::u16string path = OwnPath();
  std::unique_ptr<Monitor> monitor(new Monitor);
  const bool named = FindOwnName(BaseName(path), &monitor->name);
  if (!named) {
    // Reachable only through the spooler's own key: name the ports after the file.
    const std::u16string file = BaseName(path);
    monitor->name = file.substr(0, file.rfind(u'.'));
  }
  monitor->uiDll = UiDllNameFor(path);
  const DWORD opened = OpenPortsKey(init, monitor->name, named, &monitor->ports);
  if (opened != ERROR_SUCCESS) {
    SetLastError(opened);
    return nullptr;
  }
  *handle = monitor.release();
  return const_cast<LPMONITOR2>(&g_table);
}

}  // namespace monitor

extern "C" __declspec(dllexport) LPMONITOR2 WINAPI InitializePrintMonitor2(PMONITORINIT init, PHANDLE handle) {
  try {
    return monitor::Initialize(init, handle);
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    monitor::g_module = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}
