// robot-target.exe [--mute-panel] [--ticker]
//
// A stand-in for the setup program while its windows are being written, and a fixed
// target for the robot's own tests: a button that opens a message box showing the
// edit's text, a list, a combo box, a Next button that advances the painted panel's
// page after a short delay (as a wizard does when its work ends), a disabled and a
// hidden button, an edit inside the panel whose id is the Press button's, and a line
// telling the last thing that happened. The exit code
// tells how the dialog ended: 3 OK (or Enter), 4 Cancel (or Escape), 5 WM_CLOSE.
// With --mute-panel the panel ignores the robot's page question. With --ticker a
// worker thread counts up every 10 ms and the dialog shows the count ("ticks N")
// every 50 ms: the count stands still exactly while the worker is suspended.
#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

#include "robot_protocol.h"
#include "target_ids.h"

namespace {

constexpr UINT kSetPage = WM_APP + 1;  // dialog -> panel, in-process only
constexpr UINT_PTR kNextTimer = 1;
constexpr UINT_PTR kTickTimer = 2;
constexpr wchar_t kPanelClass[] = L"RobotTargetPanel";

bool mutePanel = false;
bool ticker = false;
volatile LONG ticks = 0;

DWORD WINAPI CountTicks(void*) {
  for (;;) {
    Sleep(10);
    InterlockedIncrement(&ticks);
  }
}

class Brush {
 public:
  explicit Brush(COLORREF color) : brush_(CreateSolidBrush(color)) {}
  ~Brush() {
    if (brush_) DeleteObject(brush_);
  }
  Brush(const Brush&) = delete;
  Brush& operator=(const Brush&) = delete;
  HBRUSH get() const { return brush_; }

 private:
  HBRUSH brush_;
};

class Paint {
 public:
  explicit Paint(HWND window) : window_(window) { dc_ = BeginPaint(window, &ps_); }
  ~Paint() { EndPaint(window_, &ps_); }
  Paint(const Paint&) = delete;
  Paint& operator=(const Paint&) = delete;
  HDC dc() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT ps_;
  HDC dc_;
};

LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: {
      RECT client;
      GetClientRect(window, &client);
      CreateWindowExW(0, L"Edit", L"", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, 4, 4, client.right - 8, 20,
                      window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_PANEL_EDIT)),
                      reinterpret_cast<CREATESTRUCTW*>(lParam)->hInstance, nullptr);
      return 0;
    }
    case kRobotQueryPage:
      if (mutePanel) break;
      return kRobotPageAnswered | (GetWindowLongPtrW(window, GWLP_USERDATA) & kRobotPageMask);
    case kSetPage:
      SetWindowLongPtrW(window, GWLP_USERDATA, static_cast<LONG_PTR>(wParam));
      InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_PAINT: {
      Paint paint(window);
      const int page = static_cast<int>(GetWindowLongPtrW(window, GWLP_USERDATA));
      static const COLORREF kColors[] = {RGB(40, 90, 200), RGB(30, 160, 60), RGB(200, 120, 20), RGB(160, 30, 120)};
      Brush fill(kColors[page % 4]);
      RECT rect;
      GetClientRect(window, &rect);
      FillRect(paint.dc(), &rect, fill.get());
      wchar_t text[32];
      swprintf(text, sizeof text / sizeof text[0], L"Page %d", page);
      SetBkMode(paint.dc(), TRANSPARENT);
      SetTextColor(paint.dc(), RGB(255, 255, 255));
      DrawTextW(paint.dc(), text, -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      return 0;
    }
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

std::wstring ItemText(HWND control, bool combo, LRESULT index) {
  LRESULT length = SendMessageW(control, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, index, 0);
  if (length < 0) return std::wstring();
  std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
  SendMessageW(control, combo ? CB_GETLBTEXT : LB_GETTEXT, index, reinterpret_cast<LPARAM>(buffer.data()));
  buffer.back() = L'\0';
  return buffer.data();
}

void ShowEvent(HWND dialog, const std::wstring& text) { SetDlgItemTextW(dialog, IDC_EVENT, text.c_str()); }

void OnSelection(HWND dialog, int id, bool combo) {
  HWND control = GetDlgItem(dialog, id);
  const LRESULT index = SendMessageW(control, combo ? CB_GETCURSEL : LB_GETCURSEL, 0, 0);
  ShowEvent(dialog, std::wstring(combo ? L"combo " : L"list ") + std::to_wstring(index) + L" " +
                        (index >= 0 ? ItemText(control, combo, index) : std::wstring()));
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: {
      HWND list = GetDlgItem(dialog, IDC_LIST);
      for (const wchar_t* item : {L"Alpha", L"Beta", L"\x4e2d\x6587"})
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
      HWND combo = GetDlgItem(dialog, IDC_COMBO);
      for (const wchar_t* item : {L"Red", L"Green", L"Blue"})
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
      DWORD needed = GetCurrentDirectoryW(0, nullptr);
      std::vector<wchar_t> dir(needed + 1, L'\0');
      DWORD got = GetCurrentDirectoryW(static_cast<DWORD>(dir.size()), dir.data());
      SetDlgItemTextW(dialog, IDC_WORKDIR, got > 0 && got < dir.size() ? dir.data() : L"?");
      ShowEvent(dialog, L"ready");
      if (ticker) SetTimer(dialog, kTickTimer, 50, nullptr);
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_PRESS:
          if (HIWORD(wParam) == BN_CLICKED) {
            wchar_t text[256];
            GetDlgItemTextW(dialog, IDC_EDIT, text, static_cast<int>(sizeof text / sizeof text[0]));
            const std::wstring body = std::wstring(L"Edit holds: ") + text;
            MessageBoxW(dialog, body.c_str(), L"Robot target says", MB_OK | MB_ICONINFORMATION);
            ShowEvent(dialog, L"message box closed");
          }
          return TRUE;
        case IDC_LIST:
          if (HIWORD(wParam) == LBN_SELCHANGE) OnSelection(dialog, IDC_LIST, false);
          return TRUE;
        case IDC_COMBO:
          if (HIWORD(wParam) == CBN_SELCHANGE) OnSelection(dialog, IDC_COMBO, true);
          return TRUE;
        case IDC_NEXT:
          SetTimer(dialog, kNextTimer, 300, nullptr);
          ShowEvent(dialog, L"next pressed");
          return TRUE;
        case IDOK:
          EndDialog(dialog, 3);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, 4);
          return TRUE;
      }
      break;
    case WM_TIMER:
      if (wParam == kTickTimer) {
        const std::wstring text = L"ticks " + std::to_wstring(InterlockedCompareExchange(&ticks, 0, 0));
        SetDlgItemTextW(dialog, IDC_TICKS, text.c_str());
        return TRUE;
      }
      if (wParam == kNextTimer) {
        KillTimer(dialog, kNextTimer);
        HWND panel = GetDlgItem(dialog, IDC_PANEL);
        const LONG_PTR page = GetWindowLongPtrW(panel, GWLP_USERDATA) + 1;
        SendMessageW(panel, kSetPage, static_cast<WPARAM>(page), 0);
        ShowEvent(dialog, L"page " + std::to_wstring(page));
        return TRUE;
      }
      break;
    case WM_CLOSE:
      EndDialog(dialog, 5);
      return TRUE;
  }
  return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  mutePanel = std::wcsstr(GetCommandLineW(), L"--mute-panel") != nullptr;
  WNDCLASSW panel = {};
  panel.lpfnWndProc = PanelProc;
  panel.hInstance = instance;
  panel.hCursor = LoadCursor(nullptr, IDC_ARROW);
  panel.lpszClassName = kPanelClass;
  if (!RegisterClassW(&panel)) return 10;
  ticker = std::wcsstr(GetCommandLineW(), L"--ticker") != nullptr;
  // The counting thread runs until the process ends.
  if (ticker) {
    HANDLE worker = CreateThread(nullptr, 0, CountTicks, nullptr, 0, nullptr);
    if (!worker) return 12;
    CloseHandle(worker);
  }
  INT_PTR result = DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_TARGET), nullptr, DialogProc, 0);
  return result < 0 ? 11 : static_cast<int>(result);
}
