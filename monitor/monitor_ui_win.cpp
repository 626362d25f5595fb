// The monitor's UI DLL: InitializePrintMonitorUI and the three functions the printer
// folders call in the user's process to add, configure and delete a port. It holds
// no state: each call opens a configuration handle on the monitor (XcvData) and, for
// adding and configuring, shows the port dialog in the installation's language.
#include <windows.h>
#include <winspool.h>
#include <winsplp.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "monitor/monitor_names.h"
#include "monitor/port_dialog_win.h"
#include "monitor/ui_texts.h"
#include "monitor/wide_win.h"
#include "monitor/xcv_client_win.h"
#include "system/registry_key_win.h"

namespace monitor {

namespace {

HINSTANCE g_module = nullptr;

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

template <typename Body>
BOOL Guarded(Body body) {
  try {
    return body();
  } catch (...) {
    return Fail(ERROR_NOT_ENOUGH_MEMORY);
  }
}

// The language of the installation that put this DLL here as "<printer>MonUI.dll":
// its record HKLM\SOFTWARE\<printer> (in the 64-bit view, where the setup program
// writes it on every system) says "Chinese" or "English". Without one, the user's
// own UI language decides.
UiLanguage InstallationLanguage() {
  wchar_t path[MAX_PATH + 1] = {};
  const DWORD length = GetModuleFileNameW(g_module, path, MAX_PATH);
  std::u16string printer;
  if (length > 0 && length < MAX_PATH && PrinterNameFromUiDll(ToU16(path), &printer)) {
    const std::wstring key = L"SOFTWARE\\" + ToWide(printer);
    sys::RegistryKey record;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, record.Receive()) ==
        ERROR_SUCCESS) {
      wchar_t value[16] = {};
      DWORD bytes = sizeof value - sizeof(wchar_t);  // the last character stays a terminator
      DWORD type = 0;
      const LONG status =
          RegQueryValueExW(record.get(), L"Language", nullptr, &type, reinterpret_cast<BYTE*>(value), &bytes);
      UiLanguage language;
      if (status == ERROR_SUCCESS && type == REG_SZ && LanguageFromRecord(ToU16(value), &language)) return language;
    }
  }
  return LanguageFromLangId(GetUserDefaultUILanguage());
}

void Warn(HWND owner, const char* caption, const char* text) { MessageBoxA(owner, text, caption, MB_OK | MB_ICONWARNING); }

void WarnFailed(HWND owner, UiLanguage language, const char* caption, DWORD error) {
  char text[256];
  std::snprintf(text, sizeof text, DialogTexts(language).failed, static_cast<unsigned long>(error));
  Warn(owner, caption, text);
}

BOOL WINAPI AddPortUIFn(PCWSTR server, HWND owner, PCWSTR monitorName, PWSTR* portNameOut) {
  return Guarded([&] {
    if (portNameOut) *portNameOut = nullptr;
    if (!monitorName) return Fail(ERROR_INVALID_PARAMETER);
    if (!owner) return Fail(ERROR_CANCELLED);  // a new port needs a name from someone
    const std::u16string serverName = ToU16(server);
    XcvConnection monitor;
    const DWORD opened = monitor.Open(serverName, XcvObject::kMonitor, ToU16(monitorName));
    if (opened != ERROR_SUCCESS) return Fail(opened);
    const UiLanguage language = InstallationLanguage();
    const char* caption = DialogTexts(language).addCaption;
    PortDialog dialog(g_module, PortDialog::Mode::kAdd, language, u"", u"",
                      [&](HWND window, const std::u16string& port, const std::u16string& target) {
                        std::vector<BYTE> answer;
                        DWORD status = monitor.Call(L"PortExists", port, &answer);
                        if (status == ERROR_SUCCESS && XcvConnection::AsNumber(answer) != 0) {
                          Warn(window, caption, DialogTexts(language).portExists);
                          return false;
                        }
                        status = monitor.Call(L"AddPort", port);
                        if (status == ERROR_SUCCESS && !target.empty()) {
                          XcvConnection added;
                          status = added.Open(serverName, XcvObject::kPort, port);
                          if (status == ERROR_SUCCESS) status = added.Call(L"SetTarget", target);
                          // Half a port is no port: the user tries again with it gone.
                          if (status != ERROR_SUCCESS) monitor.Call(L"DeletePort", port);
                        }
                        if (status != ERROR_SUCCESS) {
                          WarnFailed(window, language, caption, status);
                          return false;
                        }
                        return true;
                      });
    if (dialog.DoModal(owner) != IDOK) return Fail(ERROR_CANCELLED);
    // The documentation names no allocator for the name handed out; LocalAlloc's
    // memory is what both LocalFree and GlobalFree release.
    if (portNameOut) {
      const std::wstring name = ToWide(dialog.port());
      const SIZE_T bytes = (name.size() + 1) * sizeof(wchar_t);
      auto* copy = static_cast<wchar_t*>(LocalAlloc(LMEM_FIXED, bytes));
      if (copy) {
        std::memcpy(copy, name.c_str(), bytes);
        *portNameOut = copy;
      }
    }
    return TRUE;
  });
}

BOOL WINAPI ConfigurePortUIFn(PCWSTR server, HWND owner, PCWSTR portName) {
  return Guarded([&] {
    if (!portName) return Fail(ERROR_INVALID_PARAMETER);
    if (!owner) return Fail(ERROR_CANCELLED);
    const std::u16string port = ToU16(portName);
    XcvConnection xcv;
    DWORD status = xcv.Open(ToU16(server), XcvObject::kPort, port);
    std::vector<BYTE> answer;
    if (status == ERROR_SUCCESS) status = xcv.Call(L"GetTarget", u"", &answer);
    // A stored value that is no target (another type, or text the monitor no longer
    // takes): the administrator repairs it here, starting from the default.
    const bool unusable = status == ERROR_INVALID_DATA;
    if (unusable) status = xcv.Call(L"DefaultTarget", u"", &answer);
    if (status != ERROR_SUCCESS) return Fail(status);
    const UiLanguage language = InstallationLanguage();
    PortDialog dialog(
        g_module, PortDialog::Mode::kConfigure, language, port, XcvConnection::AsString(answer),
        [&](HWND window, const std::u16string&, const std::u16string& target) {
          const DWORD set = xcv.Call(L"SetTarget", target);
          if (set == ERROR_SUCCESS) return true;
          WarnFailed(window, language, DialogTexts(language).configureCaption, set);
          return false;
        },
        unusable);
    return dialog.DoModal(owner) == IDOK ? TRUE : Fail(ERROR_CANCELLED);
  });
}

// The printer folders ask the user before they call this; nothing more to ask.
BOOL WINAPI DeletePortUIFn(PCWSTR server, HWND, PCWSTR portName) {
  return Guarded([&] {
    if (!portName) return Fail(ERROR_INVALID_PARAMETER);
    const std::u16string port = ToU16(portName);
    XcvConnection xcv;
    DWORD status = xcv.Open(ToU16(server), XcvObject::kPort, port);
    if (status == ERROR_SUCCESS) status = xcv.Call(L"DeletePort", port);
    return status == ERROR_SUCCESS ? TRUE : Fail(status);
  });
}

MONITORUI MakeTable() {
  MONITORUI table = {};
  table.dwMonitorUISize = sizeof table;
  table.pfnAddPortUI = AddPortUIFn;
  table.pfnConfigurePortUI = ConfigurePortUIFn;
  table.pfnDeletePortUI = DeletePortUIFn;
  return table;
}

MONITORUI g_table = MakeTable();

}  // namespace

}  // namespace monitor

extern "C" __declspec(dllexport) PMONITORUI WINAPI InitializePrintMonitorUI() { return &monitor::g_table; }

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    monitor::g_module = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}
