// The package's port monitor and its UI, as this tree built them for this process's
// architecture (the plain files in build/win32, the ".x64" ones in build/win64),
// copied into the system folder under a name of the test's own and registered with
// Wine's spooler as the setup program registers them. Through the spooler: add,
// list, configure and delete a port, and which ports exist. In process, initialised
// with a MONITORINIT of the test's: jobs of ESC/POS bytes into a folder and to a
// loopback TCP listener, jobs that leave no file (cancelled, never ended), a
// connection that stops taking bytes, a refused connection, what a caller without
// SERVER_ACCESS_ADMINISTER may not do, a monitor without ports, handles that outlive
// Shutdown, and the registry layout through both ways of reaching it. The UI's port
// dialog, in the installation's language, through the spooler's AddPort and
// ConfigurePort, also for a port whose stored target is unusable.
#include <gtest/gtest.h>
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <winspool.h>
#include <winsplp.h>
#include <shlobj.h>
#include <aclapi.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "app/unique_handle_win.h"
#include "monitor/monitor_ui_ids.h"
#include "win_support.h"

// winspool.drv exports it on every Windows since 2000, but the headers do not declare it.
extern "C" BOOL WINAPI AddPortExW(LPWSTR server, DWORD level, LPBYTE port, LPWSTR monitor);

namespace {

// Names of this run: "<tag>Mon.dll", the monitor "<tag> Monitor", ports "<tag>...:".
const std::wstring kTag = L"MonTest" + std::to_wstring(GetCurrentProcessId());
const std::wstring kMonitor = kTag + L" Monitor";
const std::wstring kMonitorsKey = L"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\";

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

std::wstring SystemFile(const std::wstring& name) {
  wchar_t folder[MAX_PATH] = {};
  GetSystemDirectoryW(folder, MAX_PATH);
  return std::wstring(folder) + L"\\" + name;
}

// This process's build in the tree's package.
std::wstring PackageFile(const char* name) {
  return Wide(win_support::PackagePath(std::string(name) + (sizeof(void*) == 8 ? ".x64" : "")));
}

const wchar_t* OwnEnvironment() { return sizeof(void*) == 8 ? L"Windows x64" : L"Windows NT x86"; }

std::wstring CommonAppData() {
  wchar_t path[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, path);
  return path;
}

// Calls to the monitor's configuration handle; the status it returned.
class Xcv {
 public:
  Xcv(const std::wstring& printer, bool administer) {
    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, SERVER_ACCESS_ADMINISTER};
    std::wstring name = printer;
    opened_ = OpenPrinterW(&name[0], &handle_, administer ? &defaults : nullptr) != FALSE;
  }
  ~Xcv() {
    if (opened_) ClosePrinter(handle_);
  }
  bool opened() const { return opened_; }
  DWORD Call(const wchar_t* data, const std::wstring& input = L"", std::wstring* output = nullptr) {
    wchar_t answer[512] = {};
    DWORD needed = 0, status = 0;
    BYTE* in = input.empty() ? nullptr : reinterpret_cast<BYTE*>(const_cast<wchar_t*>(input.c_str()));
    const DWORD inSize = input.empty() ? 0 : static_cast<DWORD>((input.size() + 1) * sizeof(wchar_t));
    if (!XcvDataW(handle_, data, in, inSize, reinterpret_cast<BYTE*>(answer), sizeof answer - 2, &needed, &status))
      return GetLastError();
    if (output) *output = answer;
    return status;
  }
  // The monitor's answer to "PortExists" (-1 when the call failed).
  int PortExists(const std::wstring& port) {
    DWORD exists = 7, needed = 0, status = 0;
    BYTE* in = reinterpret_cast<BYTE*>(const_cast<wchar_t*>(port.c_str()));
    if (!XcvDataW(handle_, L"PortExists", in, static_cast<DWORD>((port.size() + 1) * sizeof(wchar_t)),
                  reinterpret_cast<BYTE*>(&exists), sizeof exists, &needed, &status) ||
        status != 0)
      return -1;
    return static_cast<int>(exists);
  }

 private:
  HANDLE handle_ = nullptr;
  bool opened_ = false;
};

std::vector<std::wstring> PortsOf(const std::wstring& monitorName) {
  std::vector<std::wstring> ports;
  DWORD needed = 0, count = 0;
  EnumPortsW(nullptr, 2, nullptr, 0, &needed, &count);
  std::vector<BYTE> block(needed + 16);
  if (!EnumPortsW(nullptr, 2, block.data(), static_cast<DWORD>(block.size()), &needed, &count)) return ports;
  const auto* info = reinterpret_cast<const PORT_INFO_2W*>(block.data());
  for (DWORD i = 0; i < count; ++i) {
    if (!info[i].pMonitorName || monitorName != info[i].pMonitorName) continue;
    EXPECT_NE(info[i].pDescription, nullptr);
    if (info[i].pDescription) {
      EXPECT_NE(info[i].pDescription[0], L'\0');
    }
    ports.push_back(info[i].pPortName);
  }
  return ports;
}

// The monitor and its UI in the system folder, registered for this process's
// environment, for every test of the file.
class MonitorTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(CopyFileW(PackageFile("Rillo80PrinterMon.dll").c_str(), SystemFile(kTag + L"Mon.dll").c_str(), FALSE));
    ASSERT_TRUE(
        CopyFileW(PackageFile("Rillo80PrinterMonUI.dll").c_str(), SystemFile(kTag + L"MonUI.dll").c_str(), FALSE));
    std::wstring name = kMonitor, environment = OwnEnvironment(), dll = kTag + L"Mon.dll";
    MONITOR_INFO_2W info = {&name[0], &environment[0], &dll[0]};
    ASSERT_TRUE(AddMonitorW(nullptr, 2, reinterpret_cast<BYTE*>(&info))) << GetLastError();
  }
  static void TearDownTestSuite() {
    std::wstring environment = OwnEnvironment(), name = kMonitor;
    DeleteMonitorW(nullptr, &environment[0], &name[0]);
  }
};

TEST_F(MonitorTest, SpoolerAddsListsConfiguresAndDeletesAPort) {
  std::wstring name = kMonitor, environment = OwnEnvironment(), dll = kTag + L"Mon.dll";
  MONITOR_INFO_2W again = {&name[0], &environment[0], &dll[0]};
  EXPECT_FALSE(AddMonitorW(nullptr, 2, reinterpret_cast<BYTE*>(&again)));
  EXPECT_EQ(GetLastError(), 3006u) << "the monitor is installed already";

  std::wstring port = kTag + L"Spooler:";
  PORT_INFO_1W info = {&port[0]};
  ASSERT_TRUE(AddPortExW(nullptr, 1, reinterpret_cast<BYTE*>(&info), &name[0])) << GetLastError();
  EXPECT_FALSE(AddPortExW(nullptr, 1, reinterpret_cast<BYTE*>(&info), &name[0]));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS)) << "what the monitor says, Wine passes on";
  EXPECT_EQ(PortsOf(kMonitor), std::vector<std::wstring>{port});

  Xcv monitor(L",XcvMonitor " + kMonitor, true);
  ASSERT_TRUE(monitor.opened());
  std::wstring answer;
  EXPECT_EQ(monitor.Call(L"MonitorUI", L"", &answer), 0u);
  EXPECT_EQ(answer, kTag + L"MonUI.dll") << "the UI's name follows the monitor's file name";
  // What the UI adds and deletes ports with.
  EXPECT_EQ(monitor.Call(L"AddPort", kTag + L"Xcv:"), 0u);
  EXPECT_EQ(monitor.Call(L"AddPort", kTag + L"Xcv:"), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(monitor.Call(L"AddPort", L"no\\backslash"), static_cast<DWORD>(ERROR_INVALID_NAME));
  EXPECT_EQ(monitor.Call(L"AddPort", kTag + L"A:," + kTag + L"B:"), static_cast<DWORD>(ERROR_INVALID_NAME))
      << "a printer's port field is a comma-separated list";
  EXPECT_EQ(PortsOf(kMonitor).size(), 2u);
  EXPECT_EQ(monitor.Call(L"DeletePort", kTag + L"Xcv:"), 0u);
  // Whether a name is taken asks the whole spooler: Wine's built-in "FILE:" port
  // (another monitor's) counts, in any case, as the monitor's own do.
  EXPECT_EQ(monitor.PortExists(port), 1);
  EXPECT_EQ(monitor.PortExists(L"file:"), 1);
  EXPECT_EQ(monitor.PortExists(kTag + L"Xcv:"), 0) << "deleted";
  EXPECT_EQ(monitor.PortExists(L""), 0);

  // A new port sends its jobs into a folder named after the monitor.
  Xcv configure(L",XcvPort " + port, true);
  ASSERT_TRUE(configure.opened());
  EXPECT_EQ(configure.Call(L"GetTarget", L"", &answer), 0u);
  EXPECT_EQ(answer, CommonAppData() + L"\\" + kMonitor);
  EXPECT_EQ(configure.Call(L"SetTarget", L"  TCP:printer-7.local:9100 "), 0u);
  EXPECT_EQ(configure.Call(L"GetTarget", L"", &answer), 0u);
  EXPECT_EQ(answer, L"tcp:printer-7.local:9100") << "kept in its canonical form";
  EXPECT_EQ(configure.Call(L"SetTarget", L"relative\\folder"), static_cast<DWORD>(ERROR_INVALID_DATA));
  Xcv userOnly(L",XcvPort " + port, false);
  ASSERT_TRUE(userOnly.opened());
  EXPECT_EQ(userOnly.Call(L"SetTarget", L"C:\\Elsewhere"), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(configure.Call(L"GetTarget", L"", &answer), 0u);
  EXPECT_EQ(answer, L"tcp:printer-7.local:9100") << "neither refused change was made";

  EXPECT_TRUE(DeletePortW(nullptr, nullptr, &port[0])) << GetLastError();
  EXPECT_TRUE(PortsOf(kMonitor).empty());
}

// ---- In process ----

// The registry functions Windows' spooler hands a monitor, here on real keys.
namespace windows_like {
LONG WINAPI CreateKey(HANDLE key, LPCWSTR sub, DWORD options, REGSAM sam, PSECURITY_ATTRIBUTES security,
                      PHANDLE result, PDWORD disposition, HANDLE) {
  return RegCreateKeyExW(static_cast<HKEY>(key), sub, 0, nullptr, options, sam, security,
                         reinterpret_cast<PHKEY>(result), disposition);
}
LONG WINAPI OpenKey(HANDLE key, LPCWSTR sub, REGSAM sam, PHANDLE result, HANDLE) {
  return RegOpenKeyExW(static_cast<HKEY>(key), sub, 0, sam, reinterpret_cast<PHKEY>(result));
}
LONG WINAPI CloseKey(HANDLE key, HANDLE) { return RegCloseKey(static_cast<HKEY>(key)); }
LONG WINAPI DeleteKey(HANDLE key, LPCWSTR sub, HANDLE) { return RegDeleteKeyW(static_cast<HKEY>(key), sub); }
LONG WINAPI EnumKey(HANDLE key, DWORD index, LPWSTR name, PDWORD chars, PFILETIME time, HANDLE) {
  return RegEnumKeyExW(static_cast<HKEY>(key), index, name, chars, nullptr, nullptr, nullptr, time);
}
LONG WINAPI QueryInfoKey(HANDLE key, PDWORD subKeys, PDWORD keyChars, PDWORD values, PDWORD valueChars,
                         PDWORD dataBytes, PDWORD security, PFILETIME time, HANDLE) {
  return RegQueryInfoKeyW(static_cast<HKEY>(key), nullptr, nullptr, nullptr, subKeys, keyChars, nullptr, values,
                          valueChars, dataBytes, security, time);
}
LONG WINAPI SetValue(HANDLE key, LPCWSTR name, DWORD type, const BYTE* data, DWORD bytes, HANDLE) {
  return RegSetValueExW(static_cast<HKEY>(key), name, 0, type, data, bytes);
}
LONG WINAPI DeleteValue(HANDLE key, LPCWSTR name, HANDLE) { return RegDeleteValueW(static_cast<HKEY>(key), name); }
LONG WINAPI EnumValue(HANDLE key, DWORD index, LPWSTR name, PDWORD chars, PDWORD type, PBYTE data, PDWORD bytes,
                      HANDLE) {
  return RegEnumValueW(static_cast<HKEY>(key), index, name, chars, nullptr, type, data, bytes);
}
LONG WINAPI QueryValue(HANDLE key, LPCWSTR name, PDWORD type, PBYTE data, PDWORD bytes, HANDLE) {
  return RegQueryValueExW(static_cast<HKEY>(key), name, nullptr, type, data, bytes);
}
}  // namespace windows_like

// Wine's: every one fails with ERROR_CALL_NOT_IMPLEMENTED.
namespace wine_like {
LONG WINAPI CreateKey(HANDLE, LPCWSTR, DWORD, REGSAM, PSECURITY_ATTRIBUTES, PHANDLE, PDWORD, HANDLE) { return 120; }
LONG WINAPI OpenKey(HANDLE, LPCWSTR, REGSAM, PHANDLE, HANDLE) { return 120; }
}  // namespace wine_like

MONITORREG WindowsLikeRegistry() {
  using namespace windows_like;
  return {sizeof(MONITORREG), CreateKey, OpenKey,  CloseKey,    DeleteKey, EnumKey,
          QueryInfoKey,       SetValue,  DeleteValue, EnumValue, QueryValue};
}

MONITORREG WineLikeRegistry() {
  MONITORREG reg = {};
  reg.cbSize = sizeof reg;
  reg.fpCreateKey = wine_like::CreateKey;
  reg.fpOpenKey = wine_like::OpenKey;
  return reg;
}

using InitializeFn = LPMONITOR2(WINAPI*)(PMONITORINIT, PHANDLE);

// One initialised instance of the monitor, shut down at the end.
class Instance {
 public:
  Instance(HMODULE dll, const MONITORREG* reg, HANDLE root) {
    init_.cbSize = sizeof init_;
    init_.hckRegistryRoot = static_cast<decltype(init_.hckRegistryRoot)>(root);
    init_.pMonitorReg = const_cast<MONITORREG*>(reg);
    init_.bLocal = TRUE;
    const auto initialize =
        reinterpret_cast<InitializeFn>(reinterpret_cast<void*>(GetProcAddress(dll, "InitializePrintMonitor2")));
    if (initialize) table_ = initialize(&init_, &handle_);
  }
  ~Instance() { Shutdown(); }
  Instance(const Instance&) = delete;
  Instance& operator=(const Instance&) = delete;

  const MONITOR2* operator->() const { return table_; }
  explicit operator bool() const { return table_ != nullptr; }
  HANDLE handle() const { return handle_; }

  BOOL AddPort(const std::wstring& name) {
    std::wstring port = name, monitor = kMonitor;
    PORT_INFO_1W info = {&port[0]};
    return table_->pfnAddPortEx(handle_, nullptr, 1, reinterpret_cast<BYTE*>(&info), &monitor[0]);
  }
  DWORD SetTarget(const std::wstring& port, const std::wstring& target) {
    HANDLE xcv = OpenXcv(port, SERVER_ACCESS_ADMINISTER);
    if (!xcv) return GetLastError();
    const DWORD status = XcvData(xcv, L"SetTarget", target);
    table_->pfnXcvClosePort(xcv);
    return status;
  }
  // A configuration handle on object (a port's name, or the monitor's) with the
  // access the spooler would have granted; null when refused.
  HANDLE OpenXcv(const std::wstring& object, ACCESS_MASK granted) {
    HANDLE xcv = nullptr;
    return table_->pfnXcvOpenPort(handle_, object.c_str(), granted, &xcv) ? xcv : nullptr;
  }
  DWORD XcvData(HANDLE xcv, const wchar_t* name, const std::wstring& input, std::wstring* output = nullptr) {
    wchar_t answer[512] = {};
    DWORD needed = 0;
    const DWORD status = table_->pfnXcvDataPort(
        xcv, name, reinterpret_cast<BYTE*>(const_cast<wchar_t*>(input.c_str())),
        static_cast<DWORD>((input.size() + 1) * sizeof(wchar_t)), reinterpret_cast<BYTE*>(answer), sizeof answer - 2,
        &needed);
    if (output) *output = answer;
    return status;
  }
  // The ports EnumPorts lists at level 1, asked as Wine asks: no buffer first.
  std::vector<std::wstring> Ports() {
    std::vector<std::wstring> names;
    DWORD needed = 0, count = 0;
    if (table_->pfnEnumPorts(handle_, nullptr, 1, nullptr, 0, &needed, &count)) return names;
    std::vector<BYTE> block(needed);
    if (!table_->pfnEnumPorts(handle_, nullptr, 1, block.data(), needed, &needed, &count)) return names;
    for (DWORD i = 0; i < count; ++i) names.push_back(reinterpret_cast<PORT_INFO_1W*>(block.data())[i].pName);
    return names;
  }
  // What the spooler does when it is done with the monitor.
  void Shutdown() {
    if (table_ && !shutDown_) table_->pfnShutdown(handle_);
    shutDown_ = true;
  }

 private:
  MONITORINIT init_ = {};
  HANDLE handle_ = nullptr;
  const MONITOR2* table_ = nullptr;
  bool shutDown_ = false;
};

// A few KB of what a receipt printer gets: initialise, text lines, a raster image,
// feed and cut.
std::string EscPosJob() {
  std::string job = "\x1b@\x1b\x61\x01";
  for (int line = 0; line < 40; ++line) job += "Item " + std::to_string(line) + "      1 x 12.50\n";
  job += std::string("\x1dv0\x00\x30\x00\x40\x00", 8);
  for (int i = 0; i < 48 * 64; ++i) job.push_back(static_cast<char>((i * 37) & 0xFF));
  job += std::string("\x1b\x64\x04\x1dV\x00", 6);
  return job;
}

class InProcess : public MonitorTest {
 protected:
  void SetUp() override {
    dll_.Reset(LoadLibraryW(SystemFile(kTag + L"Mon.dll").c_str()));
    ASSERT_TRUE(dll_) << GetLastError();
  }

  // Sends job through port in steps of 1000 bytes; false at the first refusal, with
  // its error in *error.
  bool Print(Instance& monitor, const std::wstring& port, DWORD jobId, const std::string& job, DWORD* error) {
    HANDLE handle = nullptr;
    std::wstring name = port;
    if (!monitor->pfnOpenPort(monitor.handle(), &name[0], &handle)) return *error = GetLastError(), false;
    std::wstring document = L"Receipt: table 4/5";
    DOC_INFO_1W info = {&document[0], nullptr, nullptr};
    std::wstring printer = kTag + L" No Such Printer";
    bool ok = monitor->pfnStartDocPort(handle, &printer[0], jobId, 1, reinterpret_cast<BYTE*>(&info)) != FALSE;
    for (size_t at = 0; ok && at < job.size(); at += 1000) {
      const DWORD step = static_cast<DWORD>(std::min<size_t>(1000, job.size() - at));
      DWORD written = 0;
      ok = monitor->pfnWritePort(handle, reinterpret_cast<BYTE*>(const_cast<char*>(job.data() + at)), step,
                                 &written) != FALSE;
      if (ok) {
        EXPECT_EQ(written, step);
      }
    }
    if (ok) ok = monitor->pfnEndDocPort(handle) != FALSE;
    *error = ok ? 0 : GetLastError();
    EXPECT_TRUE(monitor->pfnClosePort(handle));
    return ok;
  }

  UniqueModule dll_;
};

TEST_F(InProcess, BothWaysToTheRegistryKeepPortsUnderTheMonitorsKey) {
  HKEY root = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, (kMonitorsKey + kMonitor).c_str(), 0, KEY_ALL_ACCESS, &root), 0);
  const MONITORREG windows = WindowsLikeRegistry();
  const std::wstring port = kTag + L"Layout:";
  {
    Instance monitor(dll_.get(), &windows, root);
    ASSERT_TRUE(monitor);
    // Built with XP's headers: the table ends before the functions Windows 7 added.
    EXPECT_EQ(monitor->cbSize, offsetof(MONITOR2, pfnNotifyUsedPorts));
    ASSERT_TRUE(monitor.AddPort(port)) << GetLastError();
  }
  RegCloseKey(root);
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, (kMonitorsKey + kMonitor + L"\\Ports\\" + port).c_str(), 0, KEY_READ,
                          &key),
            0);
  if (key) RegCloseKey(key);

  // Wine's way: the monitor finds its own key by the DLL's name.
  const MONITORREG wine = WineLikeRegistry();
  Instance monitor(dll_.get(), &wine, reinterpret_cast<HANDLE>(0x1234));
  ASSERT_TRUE(monitor);
  DWORD needed = 0, count = 7;
  EXPECT_FALSE(monitor->pfnEnumPorts(monitor.handle(), nullptr, 1, nullptr, 0, &needed, &count));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(needed, sizeof(PORT_INFO_1W) + (port.size() + 1) * sizeof(wchar_t)) << "the exact size";
  EXPECT_EQ(count, 0u);
  std::vector<BYTE> block(needed);
  ASSERT_TRUE(monitor->pfnEnumPorts(monitor.handle(), nullptr, 1, block.data(), needed, &needed, &count));
  ASSERT_EQ(count, 1u);
  EXPECT_EQ(reinterpret_cast<PORT_INFO_1W*>(block.data())->pName, port);

  std::wstring name = port;
  EXPECT_TRUE(monitor->pfnDeletePort(monitor.handle(), nullptr, nullptr, &name[0]));
  HANDLE handle = nullptr;
  EXPECT_FALSE(monitor->pfnOpenPort(monitor.handle(), &name[0], &handle));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_UNKNOWN_PORT));
}

// Every file of a folder, name and bytes; the folder and they removed.
std::vector<std::pair<std::wstring, std::string>> TakeFiles(const std::wstring& folder) {
  std::vector<std::pair<std::wstring, std::string>> files;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      std::string bytes;
      UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
      char chunk[4096];
      DWORD read = 0;
      while (file && ReadFile(file.get(), chunk, sizeof chunk, &read, nullptr) && read > 0) bytes.append(chunk, read);
      file.Reset();
      DeleteFileW(path.c_str());
      files.emplace_back(name, bytes);
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(folder.c_str());
  return files;
}

bool LooksLikeJobFile(const std::wstring& name, const std::wstring& tail) {
  // "YYYYMMDD-HHMMSS" then the rest.
  if (name.size() < 15 + tail.size() || name[8] != L'-') return false;
  for (size_t i = 0; i < 15; ++i)
    if (i != 8 && (name[i] < L'0' || name[i] > L'9')) return false;
  return name.compare(15, std::wstring::npos, tail) == 0;
}

TEST_F(InProcess, JobsBecomeFilesInAFolderMadeForThem) {
  const MONITORREG wine = WineLikeRegistry();
  Instance monitor(dll_.get(), &wine, nullptr);
  ASSERT_TRUE(monitor);
  const std::wstring port = kTag + L"Folder:";
  ASSERT_TRUE(monitor.AddPort(port));
  win_support::ScratchDir scratch;
  const std::wstring folder = Wide(scratch.path()) + L"\\made\\for jobs";
  ASSERT_EQ(monitor.SetTarget(port, folder), 0u);

  const std::string job = EscPosJob();
  ASSERT_GT(job.size(), 4000u);
  DWORD error = 0;
  EXPECT_TRUE(Print(monitor, port, 12, job, &error)) << error;
  // The same job id again (the spooler counts from 1 after a restart): a file of
  // its own, never the first one overwritten.
  EXPECT_TRUE(Print(monitor, port, 12, job.substr(0, 100), &error)) << error;

  auto files = TakeFiles(folder);
  RemoveDirectoryW((Wide(scratch.path()) + L"\\made").c_str());
  ASSERT_EQ(files.size(), 2u);
  if (files[0].second.size() < files[1].second.size()) std::swap(files[0], files[1]);
  EXPECT_EQ(files[0].second, job);
  EXPECT_EQ(files[1].second, job.substr(0, 100));
  // The document's name with its ':' and '/' made harmless.
  EXPECT_TRUE(LooksLikeJobFile(files[0].first, L"-job12-Receipt_ table 4_5.prn")) << files[0].first.c_str();
  EXPECT_NE(files[0].first, files[1].first);
  EXPECT_TRUE(monitor->pfnDeletePort(monitor.handle(), nullptr, nullptr, const_cast<wchar_t*>(port.c_str())));
}

// A listener on a free loopback port that takes one connection and keeps what
// arrives until the sender ends the stream. It answers once, as a printer answers a
// status request in a job: the monitor must read that before it closes, or the
// connection is reset.
// A socket listening on a free loopback port (WSAStartup done; the caller's
// WSACleanup), its port in *port (0 when that failed); receiveBuffer, when given,
// is the receive buffer every accepted connection gets.
SOCKET ListenOnLoopback(int* port, int receiveBuffer = 0) {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (receiveBuffer > 0)
    setsockopt(s, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&receiveBuffer), sizeof receiveBuffer);
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int length = sizeof address;
  *port = 0;
  if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && listen(s, 1) == 0 &&
      getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) == 0)
    *port = ntohs(address.sin_port);
  return s;
}

class Listener {
 public:
  Listener() { socket_ = ListenOnLoopback(&port_); }
  ~Listener() {
    closesocket(socket_);
    if (thread_) WaitForSingleObject(thread_.get(), 10000);
    WSACleanup();
  }
  Listener(const Listener&) = delete;
  Listener& operator=(const Listener&) = delete;

  int port() const { return port_; }
  void Start() { thread_.Reset(CreateThread(nullptr, 0, &Listener::Run, this, 0, nullptr)); }
  std::string Received() {
    WaitForSingleObject(thread_.get(), 20000);
    return received_;
  }

 private:
  static DWORD WINAPI Run(void* self) {
    auto* listener = static_cast<Listener*>(self);
    SOCKET client = accept(listener->socket_, nullptr, nullptr);
    if (client == INVALID_SOCKET) return 1;
    char chunk[1500];
    int got;
    while ((got = recv(client, chunk, sizeof chunk, 0)) > 0) {
      if (listener->received_.empty()) send(client, "\x12", 1, 0);
      listener->received_.append(chunk, got);
    }
    closesocket(client);
    return 0;
  }

  SOCKET socket_ = INVALID_SOCKET;
  int port_ = 0;
  UniqueHandle thread_;
  std::string received_;
};

TEST_F(InProcess, JobGoesOverTcpToTheListener) {
  const MONITORREG wine = WineLikeRegistry();
  Instance monitor(dll_.get(), &wine, nullptr);
  ASSERT_TRUE(monitor);
  const std::wstring port = kTag + L"Tcp:";
  ASSERT_TRUE(monitor.AddPort(port));
  Listener listener;
  ASSERT_NE(listener.port(), 0);
  ASSERT_EQ(monitor.SetTarget(port, L"tcp:127.0.0.1:" + std::to_wstring(listener.port())), 0u);
  listener.Start();
  const std::string job = EscPosJob();
  DWORD error = 0;
  EXPECT_TRUE(Print(monitor, port, 3, job, &error)) << error;
  EXPECT_EQ(listener.Received(), job);
  EXPECT_TRUE(monitor->pfnDeletePort(monitor.handle(), nullptr, nullptr, const_cast<wchar_t*>(port.c_str())));
}

TEST_F(InProcess, RefusedConnectionFailsTheJobWithItsError) {
  const MONITORREG wine = WineLikeRegistry();
  Instance monitor(dll_.get(), &wine, nullptr);
  ASSERT_TRUE(monitor);
  const std::wstring port = kTag + L"Refused:";
  ASSERT_TRUE(monitor.AddPort(port));
  int closedPort = 0;
  {
    Listener gone;  // bound and closed again: nobody listens there now
    closedPort = gone.port();
  }
  ASSERT_NE(closedPort, 0);
  ASSERT_EQ(monitor.SetTarget(port, L"tcp:127.0.0.1:" + std::to_wstring(closedPort)), 0u);
  DWORD error = 0;
  EXPECT_FALSE(Print(monitor, port, 4, EscPosJob(), &error));
  EXPECT_EQ(error, static_cast<DWORD>(WSAECONNREFUSED));
  EXPECT_TRUE(monitor->pfnDeletePort(monitor.handle(), nullptr, nullptr, const_cast<wchar_t*>(port.c_str())));
}

TEST_F(InProcess, WithoutAdministerNothingIsAddedOrDeletedAndNoNameDeletesThePortsKey) {
  const MONITORREG wine = WineLikeRegistry();
  Instance monitor(dll_.get(), &wine, nullptr);
  ASSERT_TRUE(monitor);
  // No ports: EnumPorts succeeds with nothing, needing nothing, buffer or not.
  for (DWORD level = 1; level <= 2; ++level) {
    DWORD needed = 5, count = 5;
    EXPECT_TRUE(monitor->pfnEnumPorts(monitor.handle(), nullptr, level, nullptr, 0, &needed, &count)) << level;
    EXPECT_EQ(needed, 0u);
    EXPECT_EQ(count, 0u);
  }
  const std::wstring port = kTag + L"Guarded:";
  HANDLE user = monitor.OpenXcv(kMonitor, SERVER_ACCESS_ENUMERATE);
  ASSERT_NE(user, nullptr);
  EXPECT_EQ(monitor.XcvData(user, L"AddPort", port), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(monitor.Ports().empty());
  ASSERT_TRUE(monitor.AddPort(port));
  EXPECT_EQ(monitor.XcvData(user, L"DeletePort", port), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(monitor.Ports(), std::vector<std::wstring>{port});

  // Handles the spooler still holds keep working after Shutdown, until closed.
  HANDLE handle = nullptr;
  std::wstring name = port;
  ASSERT_TRUE(monitor->pfnOpenPort(monitor.handle(), &name[0], &handle));
  HANDLE admin = monitor.OpenXcv(port, SERVER_ACCESS_ADMINISTER);
  ASSERT_NE(admin, nullptr);
  monitor.Shutdown();
  std::wstring target;
  EXPECT_EQ(monitor.XcvData(admin, L"GetTarget", L"", &target), 0u);
  EXPECT_EQ(target, CommonAppData() + L"\\" + kMonitor);
  const std::wstring ownFolder = CommonAppData() + L"\\" + kMonitor;
  EXPECT_NE(GetFileAttributesW(ownFolder.c_str()), INVALID_FILE_ATTRIBUTES) << "made with the port";
  EXPECT_EQ(monitor.XcvData(admin, L"DeletePort", port), 0u);
  EXPECT_EQ(GetFileAttributesW(ownFolder.c_str()), INVALID_FILE_ATTRIBUTES) << "empty, and no port sends jobs there";
  EXPECT_EQ(monitor.XcvData(user, L"AddPort", port), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(monitor->pfnClosePort(handle));
  EXPECT_TRUE(monitor->pfnXcvClosePort(admin));
  EXPECT_TRUE(monitor->pfnXcvClosePort(user));

  // An empty name deletes no port, and never the "Ports" key itself, which then has
  // no subkey that would keep it.
  Instance again(dll_.get(), &wine, nullptr);
  ASSERT_TRUE(again);
  EXPECT_TRUE(again.Ports().empty());
  std::wstring empty;
  EXPECT_FALSE(again->pfnDeletePort(again.handle(), nullptr, nullptr, &empty[0]));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_UNKNOWN_PORT));
  HKEY ports = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, (kMonitorsKey + kMonitor + L"\\Ports").c_str(), 0, KEY_READ, &ports), 0);
  if (ports) RegCloseKey(ports);
}

// The folder's files, names only.
std::vector<std::wstring> NamesIn(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (std::wstring(found.cFileName) != L"." && std::wstring(found.cFileName) != L"..") names.push_back(found.cFileName);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

// Whether the file's DACL lets Everyone or Users at it (a null DACL lets everyone).
bool OpenToUsers(const std::wstring& path) {
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl, nullptr,
                            &descriptor) != ERROR_SUCCESS)
    return true;
  bool open = dacl == nullptr;
  SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY, nt = SECURITY_NT_AUTHORITY;
  PSID everyone = nullptr, users = nullptr;
  AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone);
  AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS, 0, 0, 0, 0, 0, 0, &users);
  for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
    ACCESS_ALLOWED_ACE* ace = nullptr;
    if (!GetAce(dacl, i, reinterpret_cast<void**>(&ace)) || ace->Header.AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
    PSID sid = &ace->SidStart;
    if (EqualSid(sid, everyone) || EqualSid(sid, users)) open = true;
  }
  FreeSid(everyone);
  FreeSid(users);
  LocalFree(descriptor);
  return open;
}

// A printer in the spooler to ask about jobs (on Wine's "FILE:" port, a driver of
// placeholder files), and a job the spooler has for it.
class SpoolerJob {
 public:
  SpoolerJob() : name_(kTag + L" Job Printer"), driver_(kTag + L" Job Driver") {
    std::wstring environment = OwnEnvironment(), driverPath = L"UNIDRV.dll", data = L"job.gpd", config = L"UNIDRVUI.dll";
    DRIVER_INFO_3W driver = {};
    driver.cVersion = 3;
    driver.pName = &driver_[0];
    driver.pEnvironment = &environment[0];
    driver.pDriverPath = &driverPath[0];
    driver.pDataFile = &data[0];
    driver.pConfigFile = &config[0];
    if (!AddPrinterDriverW(nullptr, 3, reinterpret_cast<BYTE*>(&driver))) return;
    std::wstring filePort = L"FILE:", processor = L"WinPrint", datatype = L"RAW";
    PRINTER_INFO_2W info = {};
    info.pPrinterName = &name_[0];
    info.pPortName = &filePort[0];
    info.pDriverName = &driver_[0];
    info.pPrintProcessor = &processor[0];
    info.pDatatype = &datatype[0];
    const HANDLE added = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    if (added) ClosePrinter(added);
    if (!OpenPrinterW(&name_[0], &printer_, nullptr)) return;
    std::wstring document = L"Spooled", output = Wide(scratch_.File("spooled.bin"));
    DOC_INFO_1W doc = {&document[0], &output[0], &datatype[0]};
    jobId_ = StartDocPrinterW(printer_, 1, reinterpret_cast<BYTE*>(&doc));
  }
  ~SpoolerJob() {
    if (jobId_) EndDocPrinter(printer_);
    if (printer_) {
      DeletePrinter(printer_);
      ClosePrinter(printer_);
    }
    std::wstring environment = OwnEnvironment();
    DeletePrinterDriverW(nullptr, &environment[0], &driver_[0]);
  }
  SpoolerJob(const SpoolerJob&) = delete;
  SpoolerJob& operator=(const SpoolerJob&) = delete;

  std::wstring& name() { return name_; }
  DWORD jobId() const { return jobId_; }

 private:
  std::wstring name_, driver_;
  win_support::ScratchDir scratch_;
  HANDLE printer_ = nullptr;
  DWORD jobId_ = 0;
};

TEST_F(InProcess, OnlyAWholeJobTheSpoolerStillWantsLeavesAFile) {
  const MONITORREG wine = WineLikeRegistry();
  Instance monitor(dll_.get(), &wine, nullptr);
  ASSERT_TRUE(monitor);
  const std::wstring port = kTag + L"Whole:";
  ASSERT_TRUE(monitor.AddPort(port));
  win_support::ScratchDir scratch;
  const std::wstring folder = Wide(scratch.path()) + L"\\jobs";
  TakeFiles(folder);  // left by a failed run of a process with the same id
  ASSERT_EQ(monitor.SetTarget(port, folder), 0u);
  const DWORD made = GetFileAttributesW(folder.c_str());
  EXPECT_TRUE(made != INVALID_FILE_ATTRIBUTES && (made & FILE_ATTRIBUTE_DIRECTORY)) << "made when the target was set";
  SpoolerJob spooled;
  ASSERT_NE(spooled.jobId(), 0u);
  const std::string job = EscPosJob();
  std::wstring name = port;
  DOC_INFO_1W info = {const_cast<wchar_t*>(L"Receipt"), nullptr, nullptr};
  auto start = [&](DWORD jobId, HANDLE* handle) {
    ASSERT_TRUE(monitor->pfnOpenPort(monitor.handle(), &name[0], handle));
    ASSERT_TRUE(monitor->pfnStartDocPort(*handle, &spooled.name()[0], jobId, 1, reinterpret_cast<BYTE*>(&info)));
    DWORD written = 0;
    ASSERT_TRUE(monitor->pfnWritePort(*handle, reinterpret_cast<BYTE*>(const_cast<char*>(job.data())),
                                      static_cast<DWORD>(job.size()), &written));
    EXPECT_EQ(written, job.size());
  };

  // A job the spooler has: while it comes, its file has a name no reader takes for
  // a job's; at its end, its own, with a DACL that keeps users out.
  HANDLE handle = nullptr;
  start(spooled.jobId(), &handle);
  std::vector<std::wstring> names = NamesIn(folder);
  ASSERT_EQ(names.size(), 1u);
  EXPECT_TRUE(names[0][0] == L'~' && names[0].size() > 5 && names[0].compare(names[0].size() - 5, 5, L".part") == 0)
      << names[0].c_str();
  EXPECT_TRUE(monitor->pfnEndDocPort(handle)) << GetLastError();
  EXPECT_TRUE(monitor->pfnClosePort(handle));
  names = NamesIn(folder);
  ASSERT_EQ(names.size(), 1u);
  const std::wstring kept = names[0];
  EXPECT_TRUE(LooksLikeJobFile(kept, L"-job" + std::to_wstring(spooled.jobId()) + L"-Receipt.prn")) << kept.c_str();
  EXPECT_EQ(win_support::ReadAll(scratch.path() + "\\jobs\\" + std::string(kept.begin(), kept.end())), job);
  EXPECT_FALSE(OpenToUsers(folder + L"\\" + kept));
  EXPECT_FALSE(OpenToUsers(folder));

  // A job the spooler no longer has ends without a file. (Windows marks a cancelled
  // job JOB_STATUS_DELETING until the port lets go of it; Wine's SetJob ignores
  // cancelling, so the test names a job id the spooler never gave, for which Wine's
  // GetJob fails as for a deleted job, though without setting an error.)
  start(spooled.jobId() + 1000, &handle);
  EXPECT_EQ(NamesIn(folder).size(), 2u);
  EXPECT_TRUE(monitor->pfnEndDocPort(handle)) << "nothing to report for a job that is gone";
  EXPECT_TRUE(monitor->pfnClosePort(handle));
  EXPECT_EQ(NamesIn(folder), std::vector<std::wstring>{kept});
  // A job the spooler never ends (the port closed, or the next job started first).
  start(spooled.jobId(), &handle);
  EXPECT_TRUE(monitor->pfnStartDocPort(handle, &spooled.name()[0], spooled.jobId(), 1, reinterpret_cast<BYTE*>(&info)));
  EXPECT_TRUE(monitor->pfnClosePort(handle));
  EXPECT_EQ(NamesIn(folder), std::vector<std::wstring>{kept});
  TakeFiles(folder);
  EXPECT_TRUE(monitor->pfnDeletePort(monitor.handle(), nullptr, nullptr, const_cast<wchar_t*>(port.c_str())));
}

// A printer that takes a connection and then stops reading (out of paper): a small
// receive buffer, nothing read until Drain, which then reads until the connection
// ends and tells how it ended.
class StalledPrinter {
 public:
  StalledPrinter() {
    socket_ = ListenOnLoopback(&port_, 4096);
    drain_.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    thread_.Reset(CreateThread(nullptr, 0, &StalledPrinter::Run, this, 0, nullptr));
  }
  ~StalledPrinter() {
    SetEvent(drain_.get());
    closesocket(socket_);
    WaitForSingleObject(thread_.get(), 10000);
    WSACleanup();
  }
  StalledPrinter(const StalledPrinter&) = delete;
  StalledPrinter& operator=(const StalledPrinter&) = delete;

  int port() const { return port_; }
  // Reads what is left; true when the connection ended within 10 s.
  bool Drain() {
    SetEvent(drain_.get());
    return WaitForSingleObject(thread_.get(), 10000) == WAIT_OBJECT_0;
  }

 private:
  static DWORD WINAPI Run(void* self) {
    auto* printer = static_cast<StalledPrinter*>(self);
    SOCKET client = accept(printer->socket_, nullptr, nullptr);
    if (client == INVALID_SOCKET) return 1;
    WaitForSingleObject(printer->drain_.get(), INFINITE);
    char chunk[65536];
    while (recv(client, chunk, sizeof chunk, 0) > 0) {
    }
    closesocket(client);
    return 0;
  }

  SOCKET socket_ = INVALID_SOCKET;
  int port_ = 0;
  UniqueHandle drain_, thread_;
};

TEST_F(InProcess, ConnectionThatStopsTakingBytesIsDroppedAndTheJobFails) {
  const MONITORREG wine = WineLikeRegistry();
  Instance monitor(dll_.get(), &wine, nullptr);
  ASSERT_TRUE(monitor);
  const std::wstring port = kTag + L"Stalled:";
  ASSERT_TRUE(monitor.AddPort(port));
  StalledPrinter printer;
  ASSERT_NE(printer.port(), 0);
  ASSERT_EQ(monitor.SetTarget(port, L"tcp:127.0.0.1:" + std::to_wstring(printer.port())), 0u);
  // The port's "Timeout", in seconds, shortened for the test.
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, (kMonitorsKey + kMonitor + L"\\Ports\\" + port).c_str(), 0, KEY_SET_VALUE,
                          &key),
            0);
  const DWORD seconds = 1;
  RegSetValueExW(key, L"Timeout", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&seconds), sizeof seconds);
  RegCloseKey(key);

  HANDLE handle = nullptr;
  std::wstring name = port;
  ASSERT_TRUE(monitor->pfnOpenPort(monitor.handle(), &name[0], &handle));
  DOC_INFO_1W info = {const_cast<wchar_t*>(L"Receipt"), nullptr, nullptr};
  ASSERT_TRUE(monitor->pfnStartDocPort(handle, const_cast<wchar_t*>(L"No Such Printer"), 5, 1,
                                       reinterpret_cast<BYTE*>(&info)));
  // Megabytes until the connection's buffers are full and a write stalls.
  std::vector<BYTE> block(1 << 20, 0x1B);
  DWORD error = 0, written = 0, stalled = 0;
  for (int i = 0; i < 256 && error == 0; ++i) {
    const DWORD before = GetTickCount();
    if (!monitor->pfnWritePort(handle, block.data(), static_cast<DWORD>(block.size()), &written)) {
      error = GetLastError();
      stalled = GetTickCount() - before;
    }
  }
  EXPECT_EQ(error, static_cast<DWORD>(WSAETIMEDOUT));
  EXPECT_GE(stalled, 900u) << "the port's timeout, 1 s";
  EXPECT_LT(stalled, 10000u);
  // The connection is gone: the spooler's retry fails at once, and so does the end.
  const DWORD before = GetTickCount();
  EXPECT_FALSE(monitor->pfnWritePort(handle, block.data(), 100, &written));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(WSAETIMEDOUT));
  EXPECT_EQ(written, 0u);
  EXPECT_LT(GetTickCount() - before, 500u);
  EXPECT_FALSE(monitor->pfnEndDocPort(handle));
  EXPECT_TRUE(printer.Drain()) << "the printer's side of the connection did not end";
  EXPECT_TRUE(monitor->pfnClosePort(handle));
  EXPECT_TRUE(monitor->pfnDeletePort(monitor.handle(), nullptr, nullptr, const_cast<wchar_t*>(port.c_str())));
}

// ---- The port dialog ----

struct DialogCase {
  const char* language;  // the installation record's "Language"
  bool add;              // AddPort (a new port) or ConfigurePort (an existing one)
  const char* caption;
  bool unusable;  // the port's stored target a DWORD, not a string
};

class PortDialog : public MonitorTest, public testing::WithParamInterface<DialogCase> {};

// What an ANSI text looks like after a trip through the wide window and the
// process's code page: Chinese captions are compared that way.
std::string RoundTrip(const char* bytes) {
  wchar_t wide[256] = {};
  MultiByteToWideChar(CP_ACP, 0, bytes, -1, wide, 256);
  char narrow[512] = {};
  WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, sizeof narrow, nullptr, nullptr);
  return narrow;
}

struct DialogCall {
  bool add;
  std::wstring port;
  BOOL result = FALSE;
  DWORD error = 0;
};

// The spooler's AddPort or ConfigurePort, as the printer folders call them: it asks
// the monitor for its UI ("MonitorUI"), loads that DLL from the system folder and
// hands it the monitor or the port. The dialog is modal on this thread; the test
// drives it from its own.
DWORD WINAPI DialogOnOwnThread(void* raw) {
  auto* call = static_cast<DialogCall*>(raw);
  HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  std::wstring monitor = kMonitor;
  call->result = call->add ? AddPortW(nullptr, owner, &monitor[0]) : ConfigurePortW(nullptr, owner, &call->port[0]);
  call->error = GetLastError();
  DestroyWindow(owner);
  return 0;
}

TEST_P(PortDialog, ShowsTheInstallationsLanguageAndSetsTheTarget) {
  const DialogCase& c = GetParam();
  std::wstring name = kMonitor, port = kTag + L"Dialog:";
  PORT_INFO_1W info = {&port[0]};
  if (!c.add) {
    ASSERT_TRUE(AddPortExW(nullptr, 1, reinterpret_cast<BYTE*>(&info), &name[0]));
  }
  if (c.unusable) {
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, (kMonitorsKey + kMonitor + L"\\Ports\\" + port).c_str(), 0,
                            KEY_SET_VALUE, &key),
              0);
    const DWORD number = 9100;
    RegSetValueExW(key, L"Target", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
    RegCloseKey(key);
  }
  // The installation record of printer "<tag>", whose UI DLL is "<tag>MonUI.dll".
  HKEY record = nullptr;
  const std::wstring recordKey = L"SOFTWARE\\" + kTag;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, recordKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY,
                            nullptr, &record, nullptr),
            0);
  RegSetValueExA(record, "Language", 0, REG_SZ, reinterpret_cast<const BYTE*>(c.language),
                 static_cast<DWORD>(std::strlen(c.language) + 1));
  RegCloseKey(record);

  DialogCall call{c.add, port};
  UniqueHandle thread(CreateThread(nullptr, 0, &DialogOnOwnThread, &call, 0, nullptr));
  ASSERT_TRUE(thread);
  HWND dialog = nullptr;
  for (int i = 0; i < 200 && !dialog; ++i) {
    Sleep(50);
    dialog = FindWindowA("#32770", RoundTrip(c.caption).c_str());
  }
  ASSERT_NE(dialog, nullptr) << "no dialog captioned in the installation's language";
  wchar_t text[512] = {};
  GetDlgItemTextW(dialog, IDC_TARGET, text, 512);
  if (c.add) {
    EXPECT_EQ(std::wstring(text), L"") << "empty: the monitor's own folder";
    SetDlgItemTextW(dialog, IDC_PORT_NAME, port.c_str());
  } else {
    // The new port's folder, or in place of a stored value that is no target, the
    // default with a line that says so.
    EXPECT_EQ(std::wstring(text), CommonAppData() + L"\\" + kMonitor);
    char note[256] = {};
    GetDlgItemTextA(dialog, IDC_NOTE, note, sizeof note);
    EXPECT_EQ(std::string(note),
              c.unusable ? "The stored target could not be used: the monitor's own folder is shown instead." : "");
  }
  SetDlgItemTextA(dialog, IDC_TARGET, "tcp:[::1]:9101");
  SendMessageA(dialog, WM_COMMAND, IDOK, 0);
  ASSERT_EQ(WaitForSingleObject(thread.get(), 10000), WAIT_OBJECT_0);
  EXPECT_TRUE(call.result) << call.error;

  EXPECT_EQ(PortsOf(kMonitor), std::vector<std::wstring>{port});
  Xcv xcv(L",XcvPort " + port, true);
  std::wstring target;
  EXPECT_EQ(xcv.Call(L"GetTarget", L"", &target), 0u);
  EXPECT_EQ(target, L"tcp:[::1]:9101");
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, recordKey.c_str());

  // Wine's DeletePort goes to the monitor itself; the UI's way, as Windows' printer
  // folders take it, is called here directly.
  UniqueModule ui(LoadLibraryW(SystemFile(kTag + L"MonUI.dll").c_str()));
  const auto initialize = reinterpret_cast<PMONITORUI(WINAPI*)()>(
      reinterpret_cast<void*>(ui ? GetProcAddress(ui.get(), "InitializePrintMonitorUI") : nullptr));
  ASSERT_NE(initialize, nullptr);
  EXPECT_TRUE(initialize()->pfnDeletePortUI(nullptr, nullptr, port.c_str())) << GetLastError();
  EXPECT_TRUE(PortsOf(kMonitor).empty());
}

INSTANTIATE_TEST_SUITE_P(Languages, PortDialog,
                         testing::Values(DialogCase{"English", true, "Add a port", false},
                                         DialogCase{"Chinese", false, "端口设置", false},
                                         DialogCase{"English", false, "Port settings", true}),
                         [](const testing::TestParamInfo<DialogCase>& info) {
                           return std::string(info.param.language) + (info.param.add ? "Add" : "Configure") +
                                  (info.param.unusable ? "Unusable" : "");
                         });

}  // namespace
