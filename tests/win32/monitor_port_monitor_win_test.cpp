// The package's port monitor and its UI, as this tree built them for this process's
// architecture (the plain files in build/win32, the ".x64" ones in build/win64),
// copied into the system folder under a name of the test's own and registered with
// Wine's spooler as the setup program registers them. Through the spooler: add,
// list, configure and delete a port. In process, initialised with a MONITORINIT of
// the test's: jobs of ESC/POS bytes into a folder and to a loopback TCP listener,
// a refused connection and the registry layout through both ways of reaching it.
// The UI's port dialog, in the installation's language, through the spooler's
// AddPort and ConfigurePort.
#include <gtest/gtest.h>
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <winspool.h>
#include <winsplp.h>
#include <shlobj.h>

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
  EXPECT_EQ(PortsOf(kMonitor).size(), 2u);
  EXPECT_EQ(monitor.Call(L"DeletePort", kTag + L"Xcv:"), 0u);

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
  ~Instance() {
    if (table_) table_->pfnShutdown(handle_);
  }
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
    HANDLE xcv = nullptr;
    if (!table_->pfnXcvOpenPort(handle_, port.c_str(), SERVER_ACCESS_ADMINISTER, &xcv)) return GetLastError();
    DWORD needed = 0;
    const DWORD status = table_->pfnXcvDataPort(xcv, L"SetTarget", reinterpret_cast<BYTE*>(const_cast<wchar_t*>(target.c_str())),
                                                static_cast<DWORD>((target.size() + 1) * sizeof(wchar_t)), nullptr, 0,
                                                &needed);
    table_->pfnXcvClosePort(xcv);
    return status;
  }

 private:
  MONITORINIT init_ = {};
  HANDLE handle_ = nullptr;
  const MONITOR2* table_ = nullptr;
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
class Listener {
 public:
  Listener() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    socket_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    if (bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && listen(socket_, 1) == 0 &&
        getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) == 0)
      port_ = ntohs(address.sin_port);
  }
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

// ---- The port dialog ----

struct DialogCase {
  const char* language;  // the installation record's "Language"
  bool add;              // AddPort (a new port) or ConfigurePort (an existing one)
  const char* caption;
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
    EXPECT_EQ(std::wstring(text), CommonAppData() + L"\\" + kMonitor) << "the new port's folder";
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
                         testing::Values(DialogCase{"English", true, "Add a port"},
                                         DialogCase{"Chinese", false, "端口设置"}),
                         [](const testing::TestParamInfo<DialogCase>& info) {
                           return std::string(info.param.language) + (info.param.add ? "Add" : "Configure");
                         });

}  // namespace
