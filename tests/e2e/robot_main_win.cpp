// robot.exe SCRIPT OUTDIR
//
// Starts a program and drives it the way a person would, one script command at a
// time, and writes what it saw to OUTDIR/record.txt (plus one screenshot per step,
// OUTDIR/step-NNN.bmp). The commands are listed in Run() below and in README.md.
//
// Exit code: 0 every step passed and the program had ended; 1 a step failed; 2 bad
// usage or a script error; 3 every step passed but the program was still running at
// the end of the script (the robot killed it).
//
// The robot never blocks on the program: every message it sends carries a timeout
// (SendMessageTimeout), and actions that may open a modal window are delivered with
// SendNotifyMessage, which returns at once. A sent WM_NULL afterwards waits until the
// program's thread has handled everything the robot sent before it (sent messages are
// handled in order), which is what makes the following record deterministic.
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "robot_capture_win.h"
#include "robot_handles_win.h"
#include "robot_protocol.h"
#include "robot_script.h"

namespace {

constexpr DWORD kDefaultTimeoutMs = 10000;
constexpr UINT kSendTimeoutMs = 2000;
constexpr DWORD kPollMs = 50;
// Longest text the robot reads from one control.
constexpr LRESULT kMaxTextChars = 8192;

std::wstring Widen(const std::string& utf8) {
  if (utf8.empty()) return std::wstring();
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &out[0], n);
  return out;
}

std::string Narrow(const std::wstring& wide) {
  if (wide.empty()) return std::string();
  int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return std::string();
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &out[0], n, nullptr, nullptr);
  return out;
}

std::string Q(const std::wstring& text) { return QuoteForRecord(Narrow(text)); }

bool SendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result,
                     UINT timeoutMs = kSendTimeoutMs) {
  DWORD_PTR r = 0;
  if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG, timeoutMs, &r))
    return false;
  if (result) *result = static_cast<LRESULT>(r);
  return true;
}

// Waits until the window's thread has handled every message the robot sent before.
bool Settle(HWND window) { return IsWindow(window) && SendWithTimeout(window, WM_NULL, 0, 0, nullptr); }

std::wstring ClassOf(HWND window) {
  wchar_t name[256];
  int n = GetClassNameW(window, name, static_cast<int>(sizeof name / sizeof name[0]));
  return n > 0 ? std::wstring(name, static_cast<size_t>(n)) : std::wstring();
}

bool SameClass(HWND window, const wchar_t* name) { return lstrcmpiW(ClassOf(window).c_str(), name) == 0; }

// WM_GETTEXT carries the buffer size, so the program can never write past it.
std::wstring TextOf(HWND window) {
  LRESULT length = 0;
  if (!SendWithTimeout(window, WM_GETTEXTLENGTH, 0, 0, &length) || length <= 0) return std::wstring();
  if (length > kMaxTextChars) length = kMaxTextChars;
  std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
  LRESULT copied = 0;
  if (!SendWithTimeout(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()), &copied))
    return std::wstring();
  if (copied < 0) copied = 0;
  if (copied > length) copied = length;
  return std::wstring(buffer.data(), static_cast<size_t>(copied));
}

// LB_GETTEXT and CB_GETLBTEXT have no size argument: the length is asked first and
// the buffer gets generous room beyond it, for an item that grew in between.
std::wstring ItemText(HWND control, UINT lengthMessage, UINT textMessage, LRESULT index) {
  LRESULT length = 0;
  if (!SendWithTimeout(control, lengthMessage, static_cast<WPARAM>(index), 0, &length) || length < 0 ||
      length > kMaxTextChars)
    return std::wstring();
  std::vector<wchar_t> buffer(static_cast<size_t>(length) * 2 + 256, L'\0');
  LRESULT copied = 0;
  if (!SendWithTimeout(control, textMessage, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data()),
                       &copied) ||
      copied < 0)
    return std::wstring();
  buffer.back() = L'\0';
  return std::wstring(buffer.data());
}

std::wstring ListItemText(HWND list, LRESULT index) { return ItemText(list, LB_GETTEXTLEN, LB_GETTEXT, index); }
std::wstring ComboItemText(HWND combo, LRESULT index) {
  return ItemText(combo, CB_GETLBTEXTLEN, CB_GETLBTEXT, index);
}

// Named callbacks: a lambda cannot be WINAPI (stdcall) on 32-bit x86.
BOOL CALLBACK CollectChild(HWND child, LPARAM param) {
  reinterpret_cast<std::vector<HWND>*>(param)->push_back(child);
  return TRUE;
}

std::vector<HWND> Descendants(HWND parent) {
  std::vector<HWND> found;
  EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&found));
  return found;
}

struct ProcessWindows {
  DWORD pid;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectIfOfProcess(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<ProcessWindows*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid == search->pid) search->found.push_back(window);
  return TRUE;
}

std::vector<HWND> TopLevelWindowsOf(DWORD processId) {
  ProcessWindows search{processId, {}};
  EnumWindows(CollectIfOfProcess, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND ControlById(HWND window, int id) {
  if (HWND direct = GetDlgItem(window, id)) return direct;
  for (HWND child : Descendants(window))
    if (GetDlgCtrlID(child) == id) return child;
  return nullptr;
}

// A window of that class inside parent: a direct child first, else the first
// descendant in the order EnumChildWindows gives.
HWND WindowOfClass(HWND parent, const std::string& className) {
  const std::wstring wanted = Widen(className);
  if (HWND direct = FindWindowExW(parent, nullptr, wanted.c_str(), nullptr)) return direct;
  for (HWND child : Descendants(parent))
    if (SameClass(child, wanted.c_str())) return child;
  return nullptr;
}

std::wstring WithoutMnemonics(const std::wstring& text) {
  std::wstring out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'&') {
      if (i + 1 < text.size() && text[i + 1] == L'&') out += L'&', ++i;
      continue;
    }
    out += text[i];
  }
  return out;
}

class Record {
 public:
  bool Open(const std::wstring& path) {
    FILE* f = nullptr;
    if (_wfopen_s(&f, path.c_str(), L"wb") != 0 || !f) return false;
    file_.reset(f);
    return true;
  }
  void Line(const std::string& text) {
    if (!file_) return;
    std::fwrite(text.data(), 1, text.size(), file_.get());
    std::fputc('\n', file_.get());
    std::fflush(file_.get());  // a robot killed by its timeout still leaves its record
  }

 private:
  struct Closer {
    void operator()(FILE* f) const { std::fclose(f); }
  };
  std::unique_ptr<FILE, Closer> file_;
};

struct StepError {
  std::string reason;
};

class Robot {
 public:
  Robot(std::wstring outDir, Record* record) : outDir_(std::move(outDir)), record_(record) {}
  ~Robot() {
    ReleaseWorkers();
    KillIfRunning();
  }

  // Runs one command; returns false with error->reason when the step failed.
  bool Run(int step, const std::vector<std::string>& w, StepError* error);
  void RecordState(int step);
  bool ProcessRunning() const {
    return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
  }
  bool KillIfRunning() {
    if (!ProcessRunning()) return false;
    TerminateProcess(process_.get(), 0xDEAD);
    WaitForSingleObject(process_.get(), 5000);
    return true;
  }
  bool WindowStep() const { return windowStep_; }
  // Resumes every thread hold-workers suspended; returns how many there were.
  size_t ReleaseWorkers() {
    const size_t count = held_.size();
    for (const UniqueHandle& thread : held_) ResumeThread(thread.get());
    held_.clear();
    return count;
  }
  bool HoldingWorkers() const { return !held_.empty(); }
  // After RecordState of a wait-page step: whether the page had changed by the end
  // of its screenshot.
  bool AwaitedPageLeft(StepError* error) const {
    if (!pageLeft_) return false;
    error->reason = "page " + std::to_string(awaitedPage_) + " was left before its screenshot was taken";
    return true;
  }

 private:
  HWND Current() const { return stack_.empty() ? nullptr : stack_.back(); }
  bool NeedWindow(StepError* error) const {
    if (Current() && IsWindow(Current())) return true;
    error->reason = "no live window to act on (wait-window first)";
    return false;
  }
  // The control a script's address names, looked for step by step from the
  // current window (see ParseControlAddress).
  bool NeedControl(const std::string& word, HWND* control, StepError* error) const {
    std::vector<ControlAddressPart> parts;
    std::string why;
    if (!ParseControlAddress(word, &parts, &why)) {
      error->reason = "not a control address: " + word;
      return false;
    }
    HWND scope = Current();
    std::string scopeName;
    for (const ControlAddressPart& part : parts) {
      HWND found = part.byId ? ControlById(scope, static_cast<int>(part.id)) : WindowOfClass(scope, part.className);
      if (!found) {
        error->reason = part.byId ? "no control with id " + std::to_string(part.id) : "no window of class " + part.className;
        if (!scopeName.empty()) error->reason += " inside " + scopeName;
        return false;
      }
      scope = found;
      scopeName += (scopeName.empty() ? "" : "/") + (part.byId ? std::to_string(part.id) : part.className);
    }
    *control = scope;
    return true;
  }
  // The same for a combo box or a list box; combo tells which it is.
  bool NeedListControl(const std::string& word, HWND* control, bool* combo, StepError* error) const {
    if (!NeedControl(word, control, error)) return false;
    *combo = SameClass(*control, L"ComboBox");
    if (*combo || SameClass(*control, L"ListBox")) return true;
    error->reason = "control " + word + " is neither a combo box nor a list box";
    return false;
  }
  static bool Timeout(const std::vector<std::string>& w, size_t index, DWORD* ms, StepError* error) {
    *ms = kDefaultTimeoutMs;
    if (w.size() <= index) return true;
    long v = 0;
    if (!ParseInteger(w[index], &v) || v < 0) {
      error->reason = "bad timeout: " + w[index];
      return false;
    }
    *ms = static_cast<DWORD>(v);
    return true;
  }

  bool Start(const std::vector<std::string>& w, StepError* error);
  bool WaitWindow(const std::vector<std::string>& w, StepError* error);
  bool WaitMessageBox(int step, const std::vector<std::string>& w, StepError* error);
  bool MessageBoxOk(const std::vector<std::string>& w, StepError* error);
  bool Select(const std::vector<std::string>& w, bool byText, StepError* error);
  bool Type(const std::vector<std::string>& w, StepError* error);
  bool Key(const std::vector<std::string>& w, StepError* error);
  bool WaitPage(const std::vector<std::string>& w, StepError* error);
  bool WaitGone(const std::vector<std::string>& w, StepError* error);
  bool WaitExit(int step, const std::vector<std::string>& w, StepError* error);
  bool HoldWorkers(int step, StepError* error);
  bool ListItems(int step, const std::vector<std::string>& w, StepError* error);
  void Click(HWND control) {
    SendNotifyMessageW(control, BM_CLICK, 0, 0);
    Settle(GetAncestor(control, GA_ROOT));
  }
  // Asks the panel for its page: -1 and a reason when there is no answer.
  int QueryPage(std::string* why) const;
  void BringToTopAndWaitForPaint(HWND window) const;

  std::wstring outDir_;
  Record* record_;
  std::wstring workDir_;
  std::wstring panelClass_;
  UniqueHandle process_;
  DWORD processId_ = 0;
  std::vector<HWND> stack_;  // the wizard, and a message box above it while one is up
  bool windowStep_ = false;
  std::vector<UniqueHandle> held_;  // threads of the program that hold-workers suspended
  int awaitedPage_ = -1;            // the page a wait-page step found, until the next step
  bool pageLeft_ = false;           // that page changed before its screenshot was taken
};

bool Robot::Run(int step, const std::vector<std::string>& w, StepError* error) {
  const std::string& c = w[0];
  const size_t n = w.size();
  windowStep_ = true;
  awaitedPage_ = -1;
  pageLeft_ = false;
  auto args = [&](size_t lo, size_t hi) {
    if (n - 1 >= lo && n - 1 <= hi) return true;
    error->reason = "wrong number of arguments for " + c;
    return false;
  };
  HWND control = nullptr;

  if (c == "cd") {  // cd DIR: working directory (and base of relative paths) for start
    windowStep_ = false;
    if (!args(1, 1)) return false;
    wchar_t full[MAX_PATH];
    DWORD len = GetFullPathNameW(Widen(w[1]).c_str(), MAX_PATH, full, nullptr);
    if (len == 0 || len >= MAX_PATH) {
      error->reason = "bad directory " + w[1];
      return false;
    }
    workDir_.assign(full, len);
    return true;
  }
  if (c == "start") return args(1, 64) && Start(w, error);  // start PROGRAM [ARG...]
  if (c == "panel") {  // panel CLASS: window class of the painted panel to ask for its page
    windowStep_ = false;
    if (!args(1, 1)) return false;
    panelClass_ = Widen(w[1]);
    return true;
  }
  if (c == "sleep") {  // sleep MS
    windowStep_ = false;
    long ms = 0;
    if (!args(1, 1) || !ParseInteger(w[1], &ms) || ms < 0) {
      if (error->reason.empty()) error->reason = "bad sleep time";
      return false;
    }
    Sleep(static_cast<DWORD>(ms));
    return true;
  }
  if (c == "wait-window") return args(2, 3) && WaitWindow(w, error);  // wait-window CLASS|* TITLE|* [MS]
  if (c == "wait-msgbox") return args(0, 1) && NeedWindow(error) && WaitMessageBox(step, w, error);
  if (c == "msgbox-ok") return args(0, 1) && NeedWindow(error) && MessageBoxOk(w, error);
  if (c == "wait-page") return args(1, 2) && NeedWindow(error) && WaitPage(w, error);  // wait-page N [MS]
  if (c == "wait-gone") return args(0, 1) && WaitGone(w, error);
  if (c == "wait-exit") {
    windowStep_ = false;
    return args(0, 1) && WaitExit(step, w, error);
  }
  if (c == "record") return args(0, 0) && NeedWindow(error);  // only the record that follows every step
  if (c == "hold-workers") return args(0, 0) && NeedWindow(error) && HoldWorkers(step, error);
  if (c == "release-workers") {  // release-workers: resumes what hold-workers suspended
    if (!args(0, 0)) return false;
    if (held_.empty()) {
      error->reason = "no threads are held (hold-workers first)";
      return false;
    }
    record_->Line("RELEASE " + std::to_string(step) + " threads=" + std::to_string(ReleaseWorkers()));
    // The released threads run on their own; the step's record is taken now.
    return true;
  }
  if (c == "list-items") return args(1, 1) && NeedWindow(error) && ListItems(step, w, error);
  if (c == "inspect") {  // inspect CONTROL: its style bits and, for a button, its check state
    if (!args(1, 1) || !NeedWindow(error) || !NeedControl(w[1], &control, error)) return false;
    char style[32];
    std::snprintf(style, sizeof style, "0x%08lX", static_cast<unsigned long>(GetWindowLongW(control, GWL_STYLE)));
    std::string line = "INSPECT " + std::to_string(step) + " id=" + std::to_string(GetDlgCtrlID(control)) +
                       " class=" + Q(ClassOf(control)) + " style=" + style;
    LRESULT check = 0;
    if (SameClass(control, L"Button") && SendWithTimeout(control, BM_GETCHECK, 0, 0, &check))
      line += " check=" + std::to_string(check);
    record_->Line(line);
    return true;
  }

  if (!NeedWindow(error)) return false;
  HWND window = Current();
  if (c == "click") {  // click ID
    if (!args(1, 1) || !NeedControl(w[1], &control, error)) return false;
    Click(control);
    return true;
  }
  if (c == "click-text") {  // click-text CAPTION: the button whose caption (without &) matches
    if (!args(1, 1)) return false;
    const std::wstring wanted = WithoutMnemonics(Widen(w[1]));
    for (HWND child : Descendants(window)) {
      if (SameClass(child, L"Button") && WithoutMnemonics(TextOf(child)) == wanted) {
        Click(child);
        return true;
      }
    }
    error->reason = "no button captioned " + QuoteForRecord(w[1]);
    return false;
  }
  if (c == "command") {  // command ID: WM_COMMAND as the button or the dialog manager sends it
    long id = 0;
    if (!args(1, 1) || !ParseInteger(w[1], &id)) {
      if (error->reason.empty()) error->reason = "bad command id";
      return false;
    }
    HWND from = GetDlgItem(window, static_cast<int>(id));
    SendNotifyMessageW(window, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED),
                       reinterpret_cast<LPARAM>(from));
    Settle(window);
    return true;
  }
  if (c == "select") return args(2, 2) && Select(w, false, error);        // select ID INDEX
  if (c == "select-text") return args(2, 2) && Select(w, true, error);    // select-text ID TEXT
  if (c == "set-text") {  // set-text ID TEXT: WM_SETTEXT
    if (!args(2, 2) || !NeedControl(w[1], &control, error)) return false;
    const std::wstring text = Widen(w[2]);
    LRESULT ok = 0;
    if (!SendWithTimeout(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), &ok) || !ok) {
      error->reason = "WM_SETTEXT refused";
      return false;
    }
    return true;
  }
  if (c == "type") return args(2, 2) && Type(w, error);  // type ID TEXT: one WM_CHAR per character
  if (c == "key") return args(1, 1) && Key(w, error);    // key enter|escape|tab|space|VK
  if (c == "press") {  // press CONTROL: BM_CLICK, returning at once, recording nothing
    windowStep_ = false;
    if (!args(1, 1) || !NeedControl(w[1], &control, error)) return false;
    SendNotifyMessageW(control, BM_CLICK, 0, 0);
    return true;
  }
  if (c == "close") {  // close: WM_CLOSE, as the close box sends it
    if (!args(0, 0)) return false;
    PostMessageW(window, WM_CLOSE, 0, 0);
    Sleep(100);
    Settle(window);
    return true;
  }
  windowStep_ = false;
  error->reason = "unknown command " + c;
  return false;
}

bool Robot::Start(const std::vector<std::string>& w, StepError* error) {
  windowStep_ = false;
  if (process_) {
    error->reason = "a program is already running";
    return false;
  }
  std::wstring program = Widen(w[1]);
  const bool relative = !(program.size() > 1 && program[1] == L':') && !(program.size() > 0 &&
                                                                         (program[0] == L'\\' || program[0] == L'/'));
  if (relative && !workDir_.empty()) program = workDir_ + L"\\" + program;
  wchar_t full[MAX_PATH];
  DWORD len = GetFullPathNameW(program.c_str(), MAX_PATH, full, nullptr);
  if (len == 0 || len >= MAX_PATH) {
    error->reason = "bad program path " + w[1];
    return false;
  }
  program.assign(full, len);
  std::wstring commandLine = L"\"" + program + L"\"";
  for (size_t i = 2; i < w.size(); ++i) commandLine += L" \"" + Widen(w[i]) + L"\"";
  std::vector<wchar_t> mutableLine(commandLine.begin(), commandLine.end());
  mutableLine.push_back(L'\0');

  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(program.c_str(), mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      workDir_.empty() ? nullptr : workDir_.c_str(), &startup, &info)) {
    error->reason = "CreateProcess failed with " + std::to_string(GetLastError());
    return false;
  }
  process_.Reset(info.hProcess);
  UniqueHandle thread(info.hThread);
  processId_ = info.dwProcessId;
  record_->Line("STARTED pid=" + std::to_string(processId_) + " program=" + Q(program) +
                " dir=" + Q(workDir_.empty() ? L"." : workDir_));
  return true;
}

bool Robot::WaitWindow(const std::vector<std::string>& w, StepError* error) {
  DWORD timeout = 0;
  if (!Timeout(w, 3, &timeout, error)) return false;
  if (!process_) {
    error->reason = "no program started";
    return false;
  }
  const std::wstring cls = Widen(w[1]);
  const std::wstring title = Widen(w[2]);
  const DWORD begin = GetTickCount();
  do {
    for (HWND window : TopLevelWindowsOf(processId_)) {
      if (!IsWindowVisible(window)) continue;
      if (w[1] != "*" && lstrcmpiW(ClassOf(window).c_str(), cls.c_str()) != 0) continue;
      if (w[2] != "*" && TextOf(window) != title) continue;
      stack_.assign(1, window);
      Settle(window);
      return true;
    }
    Sleep(kPollMs);
  } while (GetTickCount() - begin < timeout);
  error->reason = "no window of class " + QuoteForRecord(w[1]) + " titled " + QuoteForRecord(w[2]) + " within " +
                  std::to_string(timeout) + " ms";
  return false;
}

// A message box: a dialog of class "#32770" owned by the current window, holding a
// static text. Both Windows and Wine give the text static the id 0xFFFF.
bool Robot::WaitMessageBox(int step, const std::vector<std::string>& w, StepError* error) {
  DWORD timeout = 0;
  if (!Timeout(w, 1, &timeout, error)) return false;
  HWND owner = Current();
  const DWORD begin = GetTickCount();
  do {
    for (HWND window : TopLevelWindowsOf(processId_)) {
      if (window == owner || !IsWindowVisible(window) || !SameClass(window, L"#32770")) continue;
      if (GetWindow(window, GW_OWNER) != owner) continue;
      HWND text = GetDlgItem(window, 0xFFFF);
      if (!text) {
        for (HWND child : Descendants(window))
          if (SameClass(child, L"Static") && !TextOf(child).empty()) {
            text = child;
            break;
          }
      }
      if (!text) continue;
      Settle(window);
      record_->Line("MSGBOX " + std::to_string(step) + " caption=" + Q(TextOf(window)) + " text=" + Q(TextOf(text)));
      stack_.push_back(window);
      return true;
    }
    Sleep(kPollMs);
  } while (GetTickCount() - begin < timeout);
  error->reason = "no message box within " + std::to_string(timeout) + " ms";
  return false;
}

bool Robot::MessageBoxOk(const std::vector<std::string>& w, StepError* error) {
  DWORD timeout = 0;
  if (!Timeout(w, 1, &timeout, error)) return false;
  HWND box = Current();
  if (stack_.size() < 2 || !SameClass(box, L"#32770")) {
    error->reason = "no message box is up (wait-msgbox first)";
    return false;
  }
  HWND ok = GetDlgItem(box, IDOK);
  if (!ok) {
    error->reason = "the message box has no OK button";
    return false;
  }
  Click(ok);
  const DWORD begin = GetTickCount();
  while (IsWindow(box) && IsWindowVisible(box)) {
    if (GetTickCount() - begin >= timeout) {
      error->reason = "the message box stayed after OK";
      return false;
    }
    Sleep(kPollMs);
  }
  stack_.pop_back();
  Settle(Current());
  return true;
}

bool Robot::Select(const std::vector<std::string>& w, bool byText, StepError* error) {
  HWND control = nullptr;
  bool combo = false;
  if (!NeedListControl(w[1], &control, &combo, error)) return false;
  LRESULT index = -1;
  if (byText) {
    const std::wstring text = Widen(w[2]);
    if (!SendWithTimeout(control, combo ? CB_FINDSTRINGEXACT : LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                         reinterpret_cast<LPARAM>(text.c_str()), &index) ||
        index < 0) {
      error->reason = "no item " + QuoteForRecord(w[2]);
      return false;
    }
  } else {
    long v = 0;
    if (!ParseInteger(w[2], &v) || v < 0) {
      error->reason = "bad item index " + w[2];
      return false;
    }
    index = v;
  }
  LRESULT result = -1;
  if (!SendWithTimeout(control, combo ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(index), 0, &result) ||
      result == (combo ? CB_ERR : LB_ERR)) {
    error->reason = "no item at index " + std::to_string(index);
    return false;
  }
  // A person's choice also tells the parent; setting the selection alone does not.
  HWND parent = GetParent(control);
  SendNotifyMessageW(parent, WM_COMMAND,
                     MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID(control)), combo ? CBN_SELCHANGE : LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(control));
  Settle(parent);
  return true;
}

// Typed characters are posted, as keyboard input is; posted messages come after sent
// ones, so the robot waits until the control's text has grown by what it typed. An
// edit control gets its caret at the end first, as a person clicking after the text
// would put it (WM_SETTEXT leaves it at the start).
bool Robot::Type(const std::vector<std::string>& w, StepError* error) {
  HWND control = nullptr;
  if (!NeedControl(w[1], &control, error)) return false;
  const std::wstring text = Widen(w[2]);
  const size_t before = TextOf(control).size();
  if (SameClass(control, L"Edit")) SendWithTimeout(control, EM_SETSEL, before, before, nullptr);
  for (wchar_t ch : text) PostMessageW(control, WM_CHAR, ch, 1);
  const DWORD begin = GetTickCount();
  while (TextOf(control).size() < before + text.size()) {
    if (GetTickCount() - begin >= kDefaultTimeoutMs) {
      error->reason = "the control did not take the typed text";
      return false;
    }
    Sleep(kPollMs);
  }
  return true;
}

bool Robot::Key(const std::vector<std::string>& w, StepError* error) {
  HWND window = Current();
  UINT vk = 0;
  const std::string& k = w[1];
  if (k == "enter") vk = VK_RETURN;
  else if (k == "escape") vk = VK_ESCAPE;
  else if (k == "tab") vk = VK_TAB;
  else if (k == "space") vk = VK_SPACE;
  else {
    long v = 0;
    if (!ParseInteger(k, &v) || v <= 0 || v > 0xFE) {
      error->reason = "unknown key " + k;
      return false;
    }
    vk = static_cast<UINT>(v);
  }
  // Keys go where a person's keystrokes would: the focus window of the program's
  // thread; the dialog manager there turns Enter and Escape into IDOK and IDCANCEL.
  HWND target = window;
  GUITHREADINFO gui = {};
  gui.cbSize = sizeof gui;
  if (GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &gui) && gui.hwndFocus) target = gui.hwndFocus;
  const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)) << 16;
  PostMessageW(target, WM_KEYDOWN, vk, scan | 1);
  PostMessageW(target, WM_KEYUP, vk, scan | 1 | (LPARAM(1) << 30) | (LPARAM(1) << 31));
  Sleep(100);
  Settle(window);
  return true;
}

int Robot::QueryPage(std::string* why) const {
  if (panelClass_.empty()) {
    *why = "no-panel-class";
    return -1;
  }
  HWND window = stack_.empty() ? nullptr : stack_.front();
  if (!window || !IsWindow(window)) {
    *why = "no-window";
    return -1;
  }
  for (HWND child : Descendants(window)) {
    if (lstrcmpiW(ClassOf(child).c_str(), panelClass_.c_str()) != 0) continue;
    LRESULT answer = 0;
    if (!SendWithTimeout(child, kRobotQueryPage, 0, 0, &answer, 500)) {
      *why = "timeout";
      return -1;
    }
    if (!(answer & kRobotPageAnswered)) {
      *why = "no-answer";
      return -1;
    }
    return static_cast<int>(answer & kRobotPageMask);
  }
  *why = "no-panel";
  return -1;
}

bool Robot::WaitPage(const std::vector<std::string>& w, StepError* error) {
  long wanted = 0;
  if (!ParseInteger(w[1], &wanted) || wanted < 0) {
    error->reason = "bad page " + w[1];
    return false;
  }
  DWORD timeout = 0;
  if (!Timeout(w, 2, &timeout, error)) return false;
  const DWORD begin = GetTickCount();
  std::string why;
  int page = -1;
  do {
    page = QueryPage(&why);
    if (page == wanted) {
      awaitedPage_ = page;
      return true;
    }
    Sleep(kPollMs);
  } while (GetTickCount() - begin < timeout);
  error->reason = page < 0 ? "the panel gave no page (" + why + ")"
                           : "the page stayed " + std::to_string(page) + ", not " + w[1];
  return false;
}

bool Robot::WaitGone(const std::vector<std::string>& w, StepError* error) {
  DWORD timeout = 0;
  if (!Timeout(w, 1, &timeout, error)) return false;
  HWND window = Current();
  if (!window) {
    error->reason = "no window to wait for";
    return false;
  }
  const DWORD begin = GetTickCount();
  while (IsWindow(window)) {
    if (GetTickCount() - begin >= timeout) {
      error->reason = "the window is still there";
      return false;
    }
    Sleep(kPollMs);
  }
  stack_.pop_back();
  return true;
}

// hold-workers: suspends every thread of the program except the one that owns the
// current window, so that a page the program passes in an instant stays on the
// screen while the window keeps answering. A suspended thread keeps whatever lock it
// holds, so scripts hold only where the program's other threads are parked in a
// wait. The robot resumes them at release-workers and, whatever happens, before it
// ends.
bool Robot::HoldWorkers(int step, StepError* error) {
  if (!held_.empty()) {
    error->reason = "threads are held already";
    return false;
  }
  if (!ProcessRunning()) {
    error->reason = "no program running";
    return false;
  }
  const DWORD windowThread = GetWindowThreadProcessId(Current(), nullptr);
  UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  if (!snapshot) {
    error->reason = "no thread snapshot (" + std::to_string(GetLastError()) + ")";
    return false;
  }
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot.get(), &entry); more; more = Thread32Next(snapshot.get(), &entry)) {
    if (entry.th32OwnerProcessID != processId_ || entry.th32ThreadID == windowThread) continue;
    UniqueHandle thread(OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID));
    // A thread that ended since the snapshot cannot be opened or suspended: skipped.
    if (!thread || SuspendThread(thread.get()) == static_cast<DWORD>(-1)) continue;
    held_.push_back(std::move(thread));
  }
  record_->Line("HOLD " + std::to_string(step) + " threads=" + std::to_string(held_.size()));
  return true;
}

// list-items CONTROL: every item of a combo or list box, in its order, as one line
// ITEMS n id=N count=N "item" ...
bool Robot::ListItems(int step, const std::vector<std::string>& w, StepError* error) {
  HWND control = nullptr;
  bool combo = false;
  if (!NeedListControl(w[1], &control, &combo, error)) return false;
  LRESULT count = 0;
  if (!SendWithTimeout(control, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0, &count) || count < 0) {
    error->reason = "the control gave no item count";
    return false;
  }
  std::string line = "ITEMS " + std::to_string(step) + " id=" + std::to_string(GetDlgCtrlID(control)) +
                     " count=" + std::to_string(count);
  for (LRESULT i = 0; i < count; ++i)
    line += " " + Q(combo ? ComboItemText(control, i) : ListItemText(control, i));
  record_->Line(line);
  return true;
}

bool Robot::WaitExit(int step, const std::vector<std::string>& w, StepError* error) {
  DWORD timeout = 0;
  if (!Timeout(w, 1, &timeout, error)) return false;
  if (!process_) {
    error->reason = "no program started";
    return false;
  }
  if (WaitForSingleObject(process_.get(), timeout) != WAIT_OBJECT_0) {
    KillIfRunning();
    record_->Line("EXIT " + std::to_string(step) + " killed");
    error->reason = "the program was still running after " + std::to_string(timeout) + " ms; killed";
    return false;
  }
  DWORD code = 0;
  GetExitCodeProcess(process_.get(), &code);
  record_->Line("EXIT " + std::to_string(step) + " code=" + std::to_string(code));
  stack_.clear();
  return true;
}

void Robot::BringToTopAndWaitForPaint(HWND window) const {
  // Asynchronous: a plain SetWindowPos on another thread's window waits for it.
  SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
  const DWORD begin = GetTickCount();
  while (GetTickCount() - begin < 1500) {
    Settle(window);
    bool pending = GetUpdateRect(window, nullptr, FALSE) != FALSE;
    for (HWND child : Descendants(window))
      if (IsWindowVisible(child) && GetUpdateRect(child, nullptr, FALSE)) pending = true;
    if (!pending) break;
    Sleep(30);
  }
  Sleep(50);  // the display server draws what was painted just before
}

void Robot::RecordState(int step) {
  const std::string s = std::to_string(step);
  HWND window = Current();
  if (!window) return;
  if (!IsWindow(window)) {
    record_->Line("WINDOW " + s + " gone");
    return;
  }
  RECT r = {};
  GetWindowRect(window, &r);
  record_->Line("WINDOW " + s + " class=" + Q(ClassOf(window)) + " title=" + Q(TextOf(window)) +
                " visible=" + (IsWindowVisible(window) ? "1" : "0") + " enabled=" +
                (IsWindowEnabled(window) ? "1" : "0") + " rect=" + std::to_string(r.left) + "," +
                std::to_string(r.top) + "," + std::to_string(r.right) + "," + std::to_string(r.bottom));
  for (HWND child : Descendants(window)) {
    // An icon or picture static keeps the resource reference as its "text"; a
    // person sees the picture, so the record says which kind it is instead.
    const char* image = nullptr;
    if (SameClass(child, L"Static")) {
      switch (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) {
        case SS_ICON: image = "icon"; break;
        case SS_BITMAP: image = "bitmap"; break;
        case SS_ENHMETAFILE: image = "metafile"; break;
      }
    }
    std::string line = "CONTROL " + s + " id=" + std::to_string(GetDlgCtrlID(child)) + " class=" +
                       Q(ClassOf(child)) + " visible=" + (IsWindowVisible(child) ? "1" : "0") +
                       " enabled=" + (IsWindowEnabled(child) ? "1" : "0") +
                       " text=" + (image ? std::string("\"\" image=") + image : Q(TextOf(child)));
    LRESULT count = 0, selected = 0;
    if (SameClass(child, L"ComboBox") && SendWithTimeout(child, CB_GETCOUNT, 0, 0, &count) &&
        SendWithTimeout(child, CB_GETCURSEL, 0, 0, &selected)) {
      line += " items=" + std::to_string(count) + " sel=" + std::to_string(selected);
    } else if (SameClass(child, L"ListBox") && SendWithTimeout(child, LB_GETCOUNT, 0, 0, &count) &&
               SendWithTimeout(child, LB_GETCURSEL, 0, 0, &selected)) {
      line += " items=" + std::to_string(count) + " sel=" + std::to_string(selected);
      if (selected >= 0) line += " item=" + Q(ListItemText(child, selected));
    }
    record_->Line(line);
  }
  std::string why;
  const int page = QueryPage(&why);
  record_->Line("PAGE " + s + " " + (page >= 0 ? std::to_string(page) : "- why=" + why));
  if (!IsWindowVisible(window)) {
    record_->Line("SHOT " + s + " none why=hidden");
    return;
  }
  BringToTopAndWaitForPaint(window);
  wchar_t name[32];
  swprintf(name, sizeof name / sizeof name[0], L"step-%03d.bmp", step);
  const CaptureResult shot = CaptureWindowToBmp(window, outDir_ + L"\\" + name);
  if (shot.ok)
    record_->Line("SHOT " + s + " file=" + Narrow(name) + " width=" + std::to_string(shot.width) +
                  " height=" + std::to_string(shot.height));
  else
    record_->Line("SHOT " + s + " none why=" + QuoteForRecord(shot.error));
  // A page the program passes quickly may be gone by the time the picture is taken:
  // then the picture is not of the page the step waited for, and the step fails.
  if (awaitedPage_ >= 0) {
    const int after = QueryPage(&why);
    if (after != awaitedPage_) {
      record_->Line("PAGE " + s + " " + (after >= 0 ? std::to_string(after) : "- why=" + why) + " after-shot");
      pageLeft_ = true;
    }
  }
}

bool ReadLines(const std::wstring& path, std::vector<std::string>* lines) {
  FILE* raw = nullptr;
  if (_wfopen_s(&raw, path.c_str(), L"rb") != 0 || !raw) return false;
  std::string all;
  char chunk[4096];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, raw)) > 0) all.append(chunk, got);
  std::fclose(raw);
  size_t start = 0;
  while (start <= all.size()) {
    size_t end = all.find('\n', start);
    if (end == std::string::npos) end = all.size();
    lines->push_back(all.substr(start, end - start));
    start = end + 1;
  }
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fputs("usage: robot SCRIPT OUTDIR\n", stderr);
    return 2;
  }
  std::vector<std::string> lines;
  if (!ReadLines(argv[1], &lines)) {
    std::fputs("robot: cannot read the script\n", stderr);
    return 2;
  }
  // Check the whole script before starting anything.
  std::vector<std::vector<std::string>> steps;
  std::vector<std::string> texts;
  for (size_t i = 0; i < lines.size(); ++i) {
    std::vector<std::string> words;
    std::string why;
    if (!SplitScriptLine(lines[i], &words, &why)) {
      std::fprintf(stderr, "robot: script line %u: %s\n", static_cast<unsigned>(i + 1), why.c_str());
      return 2;
    }
    if (words.empty()) continue;
    if (!CheckCommandShape(words, &why)) {
      std::fprintf(stderr, "robot: script line %u: %s\n", static_cast<unsigned>(i + 1), why.c_str());
      return 2;
    }
    steps.push_back(words);
    std::string text = lines[i];
    while (!text.empty() && (text.back() == '\r' || text.back() == ' ')) text.pop_back();
    texts.push_back(text);
  }
  const std::wstring outDir = argv[2];
  CreateDirectoryW(outDir.c_str(), nullptr);
  Record record;
  if (!record.Open(outDir + L"\\record.txt")) {
    std::fputs("robot: cannot write the record\n", stderr);
    return 2;
  }

  // Where the robot, and so the program it starts, keeps temporary files: tests
  // compare that folder before and after a run.
  wchar_t temp[MAX_PATH + 1];
  const DWORD tempLength = GetTempPathW(MAX_PATH + 1, temp);
  record.Line("ROBOT temp=" + Q(tempLength > 0 && tempLength <= MAX_PATH ? std::wstring(temp, tempLength) : L""));

  Robot robot(outDir, &record);
  // Step times count from here; the state record and screenshot of a step come
  // after its end, so they are not part of its time.
  const DWORD robotStart = GetTickCount();
  for (size_t i = 0; i < steps.size(); ++i) {
    const int step = static_cast<int>(i + 1);
    record.Line("STEP " + std::to_string(step) + " " + texts[i]);
    StepError error;
    const DWORD stepStart = GetTickCount() - robotStart;
    bool ok = robot.Run(step, steps[i], &error);
    const DWORD stepEnd = GetTickCount() - robotStart;
    if (robot.WindowStep()) robot.RecordState(step);
    if (ok && robot.AwaitedPageLeft(&error)) ok = false;
    record.Line("TIME " + std::to_string(step) + " start=" + std::to_string(stepStart) +
                " end=" + std::to_string(stepEnd));
    if (!ok) {
      record.Line("FAIL " + std::to_string(step) + " " + QuoteForRecord(error.reason));
      std::fprintf(stderr, "robot: step %d (%s) failed: %s\n", step, texts[i].c_str(), error.reason.c_str());
      // Never leave the program frozen, not even for the moment before it is killed.
      if (robot.HoldingWorkers())
        record.Line("RELEASE " + std::to_string(step) + " threads=" + std::to_string(robot.ReleaseWorkers()));
      if (robot.KillIfRunning()) record.Line("KILLED " + std::to_string(step));
      record.Line("END failed");
      return 1;
    }
    record.Line("OK " + std::to_string(step));
  }
  if (robot.HoldingWorkers()) record.Line("RELEASE end threads=" + std::to_string(robot.ReleaseWorkers()));
  if (robot.KillIfRunning()) {
    record.Line("KILLED end");
    record.Line("END leftover");
    return 3;
  }
  record.Line("END ok");
  return 0;
}
