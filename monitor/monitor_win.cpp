// The port monitor: InitializePrintMonitor2 and the MONITOR2 functions the spooler
// calls. Each initialisation makes one Monitor (behind *phMonitor); Shutdown lets go
// of it, and so does every Port and Xcv handle when it is closed, so a handle the
// spooler still holds after Shutdown keeps working. Wine initialises and shuts a
// monitor down around nearly every call, so nothing lives in it that the registry
// does not hold. Every function catches what the C++ library may throw (only ever
// out of memory): nothing unwinds into the spooler.
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
#include "monitor/job_folder_win.h"
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

struct Monitor {
  LONG references = 1;  // the spooler's (until Shutdown) and one for each open handle
  std::u16string name;
  std::u16string uiDll;
  std::unique_ptr<PortStore> ports;
};

Monitor* Retain(Monitor* monitor) {
  InterlockedIncrement(&monitor->references);
  return monitor;
}

void Release(Monitor* monitor) {
  if (InterlockedDecrement(&monitor->references) == 0) delete monitor;
}

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
  Port(Monitor* owner, std::u16string portName) : monitor(Retain(owner)), name(std::move(portName)) {}
  ~Port() {
    sink.reset();
    printer.Reset();
    Release(monitor);
  }
  Port(const Port&) = delete;
  Port& operator=(const Port&) = delete;
  Monitor* monitor;
  std::u16string name;
  // The job between StartDocPort and EndDocPort, and its printer, to tell the
  // spooler at the end that the job went out.
  std::unique_ptr<JobSink> sink;
  UniquePrinter printer;
  DWORD jobId = 0;
};

struct Xcv {
  Xcv(Monitor* owner, std::u16string name, ACCESS_MASK access)
      : monitor(Retain(owner)), object(std::move(name)), granted(access) {}
  ~Xcv() { Release(monitor); }
  Xcv(const Xcv&) = delete;
  Xcv& operator=(const Xcv&) = delete;
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

// A folder target is made (and checked) when it is set, not at its first job, so
// that nobody else can make it first.
DWORD PrepareTarget(const Target& target) {
  if (target.kind != TargetKind::kFolder) return ERROR_SUCCESS;
  UniqueHandle folder;
  return OpenJobFolder(target.folder, &folder);
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
  const std::u16string text = DefaultTarget(*monitor);
  DWORD result = monitor->ports->Add(port, text);
  if (result != ERROR_SUCCESS) return result;
  Target target;
  result = ParseTarget(text, &target) == TargetError::kNone ? PrepareTarget(target) : ERROR_INVALID_DATA;
  if (result != ERROR_SUCCESS) monitor->ports->Remove(port);  // no port whose folder could not be made
  return result;
}

// Deletes the port; when it was the last to send its jobs to the monitor's own
// folder, that folder goes too if no job file is left in it (what AddPort made, the
// last DeletePort takes away; receipts stay).
DWORD RemovePort(Monitor* monitor, const std::u16string& port) {
  std::u16string text;
  if (monitor->ports->ReadTarget(port, &text) != ERROR_SUCCESS) text.clear();
  const DWORD removed = monitor->ports->Remove(port);
  if (removed != ERROR_SUCCESS) return removed;
  const std::u16string own = DefaultTarget(*monitor);
  if (!text.empty() && !EqualsIgnoreCase(text, own)) return ERROR_SUCCESS;
  std::vector<std::u16string> others;
  if (monitor->ports->List(&others) != ERROR_SUCCESS) return ERROR_SUCCESS;
  for (const std::u16string& other : others) {
    std::u16string target;
    if (monitor->ports->ReadTarget(other, &target) != ERROR_SUCCESS || target.empty() ||
        EqualsIgnoreCase(target, own))
      return ERROR_SUCCESS;
  }
  RemoveEmptyJobFolder(own);
  return ERROR_SUCCESS;
}

// The port's stored target, parsed; the default folder for a port key made by hand
// without one. ERROR_INVALID_DATA for a value that is no target (of another type,
// too long, or text the parser refuses).
DWORD ReadTarget(Monitor* monitor, const std::u16string& port, Target* target) {
  std::u16string text;
  const DWORD read = monitor->ports->ReadTarget(port, &text);
  if (read != ERROR_SUCCESS) return read;
  if (text.empty()) text = DefaultTarget(*monitor);
  return ParseTarget(text, target) == TargetError::kNone ? ERROR_SUCCESS : ERROR_INVALID_DATA;
}

// Whether a port of that name exists anywhere in the spooler: this monitor's, another
// monitor's or a built-in one ("LPT1:"), compared as the spooler compares names.
bool SpoolerHasPort(Monitor* monitor, const std::u16string& port) {
  if (monitor->ports->Exists(port)) return true;
  DWORD needed = 0, count = 0;
  if (EnumPortsW(nullptr, 1, nullptr, 0, &needed, &count) || GetLastError() != ERROR_INSUFFICIENT_BUFFER) return false;
  std::vector<BYTE> block(needed);
  if (!EnumPortsW(nullptr, 1, block.data(), needed, &needed, &count)) return false;
  const std::wstring wanted = ToWide(port);
  const auto* listed = reinterpret_cast<const PORT_INFO_1W*>(block.data());
  for (DWORD i = 0; i < count; ++i)
    if (listed[i].pName && CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, listed[i].pName, -1, wanted.c_str(),
                                          -1) == CSTR_EQUAL)
      return true;
  return false;
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
    if (*needed == 0) return TRUE;  // no ports: nothing to fill, with or without a buffer
    // Wine asks with no buffer first and takes the size it is told.
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

// A job the spooler never ended leaves nothing.
void EndJob(Port* port) {
  port->sink.reset();
  port->printer.Reset();
}

// Whether the spooler still wants the job whose last byte has come: not when it is
// being deleted (cancelled) or restarted, nor when it has no such job any more
// (ERROR_INVALID_PARAMETER; Wine's GetJob fails for a job it does not have without
// setting any error). Wine hands StartDocPort job id 0, which no GetJob answers
// (and its SetJob ignores cancelling); a job the spooler cannot be asked about
// counts as wanted: all its bytes are there.
bool JobStillWanted(const Port& port) {
  if (!port.printer.get() || port.jobId == 0) return true;
  DWORD needed = 0;
  SetLastError(ERROR_SUCCESS);
  if (GetJobW(port.printer.get(), port.jobId, 1, nullptr, 0, &needed)) return true;  // no status to read
  const DWORD error = GetLastError();
  if (error == ERROR_INVALID_PARAMETER || error == ERROR_SUCCESS) return false;
  if (error != ERROR_INSUFFICIENT_BUFFER || needed < sizeof(JOB_INFO_1W)) return true;
  std::vector<BYTE> block(needed);
  if (!GetJobW(port.printer.get(), port.jobId, 1, block.data(), needed, &needed)) return true;
  const DWORD status = reinterpret_cast<const JOB_INFO_1W*>(block.data())->Status;
  return (status & (JOB_STATUS_DELETING | JOB_STATUS_DELETED | JOB_STATUS_RESTART)) == 0;
}

BOOL WINAPI StartDocPortFn(HANDLE hPort, LPWSTR printerName, DWORD jobId, DWORD level, LPBYTE docInfo) {
  return Guarded([&] {
    Port* port = static_cast<Port*>(hPort);
    EndJob(port);  // a job the spooler never ended
    Target target;
    const DWORD read = ReadTarget(port->monitor, port->name, &target);
    if (read != ERROR_SUCCESS) return Fail(read);
    JobStart job;
    job.jobId = jobId;
    job.stallMilliseconds = port->monitor->ports->WriteTimeoutMilliseconds(port->name);
    // DOC_INFO_1 and DOC_INFO_2 both start with the document's name.
    if (docInfo && (level == 1 || level == 2)) job.document = ToU16(reinterpret_cast<DOC_INFO_1W*>(docInfo)->pDocName);
    const DWORD opened = OpenJobSink(target, job, &port->sink);
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
    if (result == ERROR_SUCCESS) return TRUE;
    // The spooler would retry the write on a connection that is gone or into a file
    // that was thrown away; only the whole job again makes it whole. (Under Wine the
    // job id is 0: the job just fails.)
    if (port->sink->MustRestart() && port->printer.get() && port->jobId != 0)
      SetJobW(port->printer.get(), port->jobId, 0, nullptr, JOB_CONTROL_RESTART);
    return Fail(result);
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
    if (!JobStillWanted(*port)) {
      port->sink->Discard();
      EndJob(port);
      return TRUE;
    }
    const DWORD finished = port->sink->Finish();
    // A port monitor, not the print processor, tells the spooler that the job left.
    if (finished == ERROR_SUCCESS && port->printer.get())
      SetJobW(port->printer.get(), port->jobId, 0, nullptr, JOB_CONTROL_SENT_TO_PRINTER);
    EndJob(port);
    return finished == ERROR_SUCCESS ? TRUE : Fail(finished);
  });
}

BOOL WINAPI ClosePortFn(HANDLE hPort) {
  delete static_cast<Port*>(hPort);
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
    const DWORD removed = RemovePort(static_cast<Monitor*>(hMonitor), ToU16(portName));
    return removed == ERROR_SUCCESS ? TRUE : Fail(removed);
  });
}

BOOL WINAPI XcvOpenPortFn(HANDLE hMonitor, LPCWSTR object, ACCESS_MASK granted, PHANDLE handle) {
  return Guarded([&] {
    if (!handle) return Fail(ERROR_INVALID_PARAMETER);
    *handle = new Xcv(static_cast<Monitor*>(hMonitor), ToU16(object), granted);
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
// "MonitorUI" and "PortExists", "DefaultTarget", and "GetTarget" / "SetTarget" on a
// port's handle. GetTarget gives ERROR_INVALID_DATA for a stored value that is no
// target, so that the dialog can offer the default in its place.
DWORD XcvData(Xcv* xcv, const std::u16string& name, const BYTE* in, DWORD inSize, BYTE* out, DWORD outSize,
              DWORD* needed) {
  if (needed) *needed = 0;
  Monitor* monitor = xcv->monitor;
  const bool administrator = (xcv->granted & SERVER_ACCESS_ADMINISTER) != 0;
  if (name == u"MonitorUI") return OutputString(monitor->uiDll, out, outSize, needed);
  if (name == u"PortExists") {
    const DWORD exists = SpoolerHasPort(monitor, InputString(in, inSize)) ? 1 : 0;
    return Output(&exists, sizeof exists, out, outSize, needed);
  }
  if (name == u"DefaultTarget") return OutputString(DefaultTarget(*monitor), out, outSize, needed);
  if (name == u"GetTarget") {
    Target target;
    const DWORD read = ReadTarget(monitor, xcv->object, &target);
    if (read != ERROR_SUCCESS) return read;
    return OutputString(FormatTarget(target), out, outSize, needed);
  }
  if (name == u"AddPort" || name == u"DeletePort" || name == u"SetTarget") {
    if (!administrator) return ERROR_ACCESS_DENIED;
    const std::u16string text = InputString(in, inSize);
    if (name == u"AddPort") return AddPort(monitor, text);
    if (name == u"DeletePort") return RemovePort(monitor, text);
    Target target;
    if (ParseTarget(text, &target) != TargetError::kNone) return ERROR_INVALID_DATA;
    if (!monitor->ports->Exists(xcv->object)) return ERROR_UNKNOWN_PORT;
    const DWORD prepared = PrepareTarget(target);
    if (prepared != ERROR_SUCCESS) return prepared;
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

VOID WINAPI ShutdownFn(HANDLE hMonitor) { Release(static_cast<Monitor*>(hMonitor)); }

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
