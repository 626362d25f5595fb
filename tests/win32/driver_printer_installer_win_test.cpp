// The driver installation engine under Wine: the Printer Settings page filled from
// a worker thread into the wizard's real template, and whole installations on
// both paths against Wine's own spooler, with the page confirmed as a person and
// the wizard's Next handler would.
//
// Wine runs its spooler inside the calling process, and AddPrinter looks the
// driver up under that process's own environment only. So the path that matches
// this test program's build (the 64-bit path, "Windows x64", in the x86_64 build;
// the 32-bit path, "Windows NT x86", in the i686 build, which runs in a 32-bit
// prefix) ends with a printer; on the other path the driver is registered for an
// environment this process cannot use, and AddPrinterA fails there.
#include <gtest/gtest.h>
#include <windows.h>
#include <winspool.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app/control_libraries_win.h"
#include "app/unique_handle_win.h"
#include "driver/driver_files.h"
#include "driver/install_log.h"
#include "driver/printer_installer_win.h"
#include "driver/printer_settings_page_win.h"
#include "resources/resource_ids.h"
#include "ui/wizard_panel_win.h"
#include "win_support.h"

using win_support::ReadAll;
using win_support::ScratchDir;

namespace {

// Every printer, port, driver and monitor these tests make starts with this.
const std::string kPrefix = "EngineTest" + std::to_string(GetCurrentProcessId());

std::string TextOf(HWND hwnd) {
  char text[512] = {};
  GetWindowTextA(hwnd, text, sizeof text);
  return text;
}

// What an ANSI text looks like after a trip through the wide controls and the
// process's code page: Chinese texts are compared that way.
std::string RoundTrip(const char* bytes) {
  wchar_t wide[256] = {};
  MultiByteToWideChar(CP_ACP, 0, bytes, -1, wide, 256);
  char narrow[512] = {};
  WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, sizeof narrow, nullptr, nullptr);
  return narrow;
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

// The wizard as the engine meets it: a modeless dialog from the wizard's template
// with the real painted panel, owned by the test thread, which serves the
// worker's messages in Serve.
class WizardHost {
 public:
  explicit WizardHost(int languageFlag) {
    EXPECT_TRUE(libraries_.Load());
    dialog_ = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_WIZARD), nullptr,
                                 &PlainDialogProc, 0);
    EXPECT_NE(dialog_, nullptr);
    EXPECT_TRUE(panel_.Create(dialog_, languageFlag));
  }
  ~WizardHost() {
    if (dialog_) DestroyWindow(dialog_);
  }
  WizardHost(const WizardHost&) = delete;
  WizardHost& operator=(const WizardHost&) = delete;

  HWND dialog() const { return dialog_; }
  ui::WizardPanel& panel() { return panel_; }
  HWND Item(int id) const { return GetDlgItem(dialog_, id); }
  // The dialog itself stays hidden (Wine takes two seconds to destroy a shown
  // top-level window without a window manager), so a control's own style tells
  // whether it was shown.
  bool Visible(int id) const { return (GetWindowLongA(Item(id), GWL_STYLE) & WS_VISIBLE) != 0; }
  bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
  bool Checked(int id) const { return SendMessageA(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
  int Selected(int id) const { return static_cast<int>(SendMessageA(Item(id), CB_GETCURSEL, 0, 0)); }
  std::vector<std::string> Items(int id) const {
    std::vector<std::string> items;
    const LRESULT count = SendMessageA(Item(id), CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) items.push_back(ItemText(id, static_cast<int>(i)));
    return items;
  }
  std::string ItemText(int id, int index) const {
    const LRESULT length = SendMessageA(Item(id), CB_GETLBTEXTLEN, index, 0);
    if (length < 0 || length > 255) return "";
    char text[256] = {};
    SendMessageA(Item(id), CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
    return text;
  }

  // Serves every message until thread ends, calling onIdle between rounds on this
  // thread (where the user and the wizard's Next handler live). False after 60 s.
  bool Serve(HANDLE thread, const std::function<void()>& onIdle = nullptr) {
    const DWORD start = GetTickCount();
    for (;;) {
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
      if (WaitForSingleObject(thread, 0) == WAIT_OBJECT_0) return true;
      if (onIdle) onIdle();
      if (GetTickCount() - start > 60000) return false;
      MsgWaitForMultipleObjects(1, &thread, FALSE, 20, QS_ALLINPUT);
    }
  }

 private:
  ControlLibraries libraries_;
  HWND dialog_ = nullptr;
  ui::WizardPanel panel_;
};

// Runs routine on a thread of its own while host serves the wizard.
template <typename Routine>
bool RunBeside(WizardHost& host, Routine routine, const std::function<void()>& onIdle = nullptr) {
  struct Call {
    static DWORD WINAPI Entry(void* raw) {
      (*static_cast<Routine*>(raw))();
      return 0;
    }
  };
  UniqueHandle thread(CreateThread(nullptr, 0, &Call::Entry, &routine, 0, nullptr));
  if (!thread) return false;
  return host.Serve(thread.get(), onIdle);
}

std::vector<std::string> Sorted(std::vector<std::string> items) {
  std::sort(items.begin(), items.end());
  return items;
}

struct PageCase {
  int languageFlag;
  const char* setDefault;
  const char* parity;
  const char* flow;
};

class PrinterSettingsPage : public testing::TestWithParam<PageCase> {};

TEST_P(PrinterSettingsPage, WorkerFillsEveryControlAndListsThePorts) {
  const PageCase& c = GetParam();
  WizardHost host(c.languageFlag);
  // The state page 4 leaves: progress shown, Cancel and Next disabled, box clear.
  ShowWindow(host.Item(IDC_PROGRESS), SW_SHOW);
  EnableWindow(host.Item(IDC_CANCEL_FINISH), FALSE);
  EnableWindow(host.Item(IDC_NEXT), FALSE);
  const std::string printer = kPrefix + " Page";
  const std::string port = kPrefix + "PAGE:";
  const driver::PrinterSettingsContent content = {printer.c_str(), port.c_str(), c.languageFlag};
  ASSERT_TRUE(RunBeside(host, [&] { driver::ShowPrinterSettingsPage(host.dialog(), host.panel().hwnd(), content); }));

  EXPECT_EQ(host.panel().page(), 5);
  EXPECT_FALSE(host.Visible(IDC_PROGRESS));
  EXPECT_TRUE(host.Enabled(IDC_CANCEL_FINISH));
  EXPECT_TRUE(host.Enabled(IDC_NEXT));

  EXPECT_EQ(TextOf(host.Item(IDC_SET_DEFAULT)), RoundTrip(c.setDefault));
  EXPECT_TRUE(host.Checked(IDC_SET_DEFAULT));
  EXPECT_TRUE(host.Visible(IDC_SET_DEFAULT));
  EXPECT_TRUE(host.Enabled(IDC_SET_DEFAULT));

  EXPECT_EQ(host.Items(IDC_MODEL_LIST), std::vector<std::string>{printer});
  EXPECT_EQ(host.Selected(IDC_MODEL_LIST), 0);
  EXPECT_TRUE(host.Visible(IDC_MODEL_LIST));
  EXPECT_EQ(TextOf(host.Item(IDC_PRINTER_NAME)), printer);
  EXPECT_TRUE(host.Visible(IDC_PRINTER_NAME));
  EXPECT_TRUE(GetWindowLongA(host.Item(IDC_PRINTER_NAME), GWL_STYLE) & ES_READONLY) << "nothing can be typed";

  // The configured port, then every port the spooler lists; the list sorts them
  // and the configured one stays selected.
  std::vector<std::string> expectedPorts = driver::ListPortNames();
  EXPECT_FALSE(expectedPorts.empty()) << "Wine lists COM, LPT and FILE: ports";
  expectedPorts.push_back(port);
  EXPECT_EQ(Sorted(host.Items(IDC_PORT_LIST)), Sorted(expectedPorts));
  ASSERT_GE(host.Selected(IDC_PORT_LIST), 0);
  EXPECT_EQ(host.ItemText(IDC_PORT_LIST, host.Selected(IDC_PORT_LIST)), port);
  EXPECT_TRUE(host.Visible(IDC_PORT_LIST));
  EXPECT_TRUE(host.Enabled(IDC_PORT_LIST));

  const struct {
    int id;
    std::string item;
  } fixed[] = {{IDC_BAUD_LIST, "19200"},
               {IDC_STOP_BITS_LIST, "1"},
               {IDC_DATA_BITS_LIST, "8"},
               {IDC_PARITY_LIST, RoundTrip(c.parity)},
               {IDC_FLOW_LIST, RoundTrip(c.flow)}};
  for (const auto& box : fixed) {
    SCOPED_TRACE(box.id);
    EXPECT_EQ(host.Items(box.id), std::vector<std::string>{box.item});
    EXPECT_EQ(host.Selected(box.id), 0);
    EXPECT_TRUE(host.Visible(box.id));
    EXPECT_FALSE(host.Enabled(box.id)) << "the serial parameters cannot be opened";
  }
}

INSTANTIATE_TEST_SUITE_P(Languages, PrinterSettingsPage,
                         testing::Values(PageCase{0, "Set Default Printer", "None", "Hardware"},
                                         PageCase{1, "设置为默认打印机", "无", "硬件"}),
                         [](const testing::TestParamInfo<PageCase>& info) {
                           return std::string(info.param.languageFlag ? "Chinese" : "English");
                         });

TEST(PrinterSettingsPageWin, ConfiguredPortThatExistsIsListedTwice) {
  WizardHost host(0);
  const std::vector<std::string> spoolerPorts = driver::ListPortNames();
  ASSERT_NE(std::find(spoolerPorts.begin(), spoolerPorts.end(), "FILE:"), spoolerPorts.end());
  const driver::PrinterSettingsContent content = {"P", "FILE:", 0};
  ASSERT_TRUE(RunBeside(host, [&] { driver::ShowPrinterSettingsPage(host.dialog(), host.panel().hwnd(), content); }));
  const std::vector<std::string> items = host.Items(IDC_PORT_LIST);
  EXPECT_EQ(std::count(items.begin(), items.end(), "FILE:"), 2);
  EXPECT_EQ(items.size(), spoolerPorts.size() + 1);
  EXPECT_EQ(host.ItemText(IDC_PORT_LIST, host.Selected(IDC_PORT_LIST)), "FILE:");
}

// ---- Whole installations ----

// The sample package's files in a folder, as the extraction leaves them: every
// name package.list holds, copied from the repository through Wine's Z: drive.
void CopyPackageInto(const std::string& folder) {
  const std::string list = ReadAll(win_support::PackagePath("package.list"));
  ASSERT_FALSE(list.empty());
  size_t copied = 0;
  for (size_t at = 0; at < list.size();) {
    size_t end = list.find('\n', at);
    if (end == std::string::npos) end = list.size();
    std::string name = list.substr(at, end - at);
    if (!name.empty() && name.back() == '\r') name.pop_back();
    at = end + 1;
    if (name.empty()) continue;
    EXPECT_TRUE(CopyFileA(win_support::PackagePath(name).c_str(), (folder + "\\" + name).c_str(), FALSE)) << name;
    ++copied;
  }
  EXPECT_GT(copied, 20u);
}

struct PrinterFacts {
  bool found = false;
  std::string port;
  std::string driver;
  std::string share;
  DWORD attributes = 0;
};

PrinterFacts FactsOf(const std::string& name) {
  PrinterFacts facts;
  HANDLE printer = nullptr;
  if (!OpenPrinterA(const_cast<char*>(name.c_str()), &printer, nullptr)) return facts;
  DWORD needed = 0;
  GetPrinterA(printer, 2, nullptr, 0, &needed);
  std::vector<BYTE> block(needed + 16);
  if (GetPrinterA(printer, 2, block.data(), static_cast<DWORD>(block.size()), &needed)) {
    const auto* info = reinterpret_cast<const PRINTER_INFO_2A*>(block.data());
    facts.found = true;
    facts.port = info->pPortName ? info->pPortName : "";
    facts.driver = info->pDriverName ? info->pDriverName : "";
    facts.share = info->pShareName ? info->pShareName : "";
    facts.attributes = info->Attributes;
  }
  ClosePrinter(printer);
  return facts;
}

// A value of the printer's data: its type and bytes; type 0 when it is missing.
struct DataValue {
  DWORD type = 0;
  std::string bytes;
};

DataValue PrinterData(const std::string& printerName, const char* valueName) {
  DataValue value;
  HANDLE printer = nullptr;
  if (!OpenPrinterA(const_cast<char*>(printerName.c_str()), &printer, nullptr)) return value;
  char data[256] = {};
  DWORD type = 0;
  DWORD size = 0;
  if (GetPrinterDataA(printer, const_cast<char*>(valueName), &type, reinterpret_cast<BYTE*>(data), sizeof data,
                      &size) == ERROR_SUCCESS) {
    value.type = type;
    value.bytes.assign(data, size);
  }
  ClosePrinter(printer);
  return value;
}

std::string DefaultPrinter() {
  char name[256] = {};
  DWORD size = sizeof name;
  return GetDefaultPrinterA(name, &size) ? name : "";
}

std::vector<std::string> PrinterNamesWithPrefix() {
  std::vector<std::string> names;
  DWORD needed = 0, count = 0;
  EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
  std::vector<BYTE> block(needed + 16);
  if (!EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, block.data(), static_cast<DWORD>(block.size()), &needed, &count))
    return names;
  const auto* printers = reinterpret_cast<const PRINTER_INFO_2A*>(block.data());
  for (DWORD i = 0; i < count; ++i) {
    std::string name = printers[i].pPrinterName ? printers[i].pPrinterName : "";
    if (name.compare(0, kPrefix.size(), kPrefix) == 0) names.push_back(name);
  }
  return names;
}

// The driver environment of this process: the only one Wine's AddPrinter finds
// drivers in.
const char* OwnEnvironment() { return sizeof(void*) == 8 ? "Windows x64" : "Windows NT x86"; }

// A printer that is there before the installation, on a driver of its own.
void AddExistingPrinter(const std::string& name) {
  const std::string driverName = kPrefix + " Existing Driver";
  DRIVER_INFO_3A driverInfo = {};
  driverInfo.cVersion = 3;
  driverInfo.pName = const_cast<char*>(driverName.c_str());
  driverInfo.pEnvironment = const_cast<char*>(OwnEnvironment());
  driverInfo.pDriverPath = const_cast<char*>("UNIDRV.dll");
  driverInfo.pDataFile = const_cast<char*>("existing.gpd");
  driverInfo.pConfigFile = const_cast<char*>("UNIDRVUI.dll");
  ASSERT_TRUE(AddPrinterDriverA(nullptr, 3, reinterpret_cast<BYTE*>(&driverInfo)));
  PRINTER_INFO_2A info = {};
  info.pPrinterName = const_cast<char*>(name.c_str());
  info.pPortName = const_cast<char*>("FILE:");
  info.pDriverName = const_cast<char*>(driverName.c_str());
  info.pPrintProcessor = const_cast<char*>("WinPrint");
  info.pDatatype = const_cast<char*>("RAW");
  HANDLE printer = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&info));
  ASSERT_NE(printer, nullptr) << name;
  ClosePrinter(printer);
}

std::string LineEnd() { return "\r\n"; }  // each message ends in one CR LF

// One installation: configured names unique to the test, the sample package in a
// source folder, the wizard served on this thread, the page confirmed when it is
// complete.
class EngineRun : public testing::Test {
 protected:
  void SetUp() override {
    CopyPackageInto(source_.path());
    savedDefault_ = DefaultPrinter();
    logBefore_ = ReadAll(driver::kInstallLogPath).size();
  }
  void TearDown() override {
    for (const std::string& name : PrinterNamesWithPrefix()) {
      HANDLE printer = nullptr;
      if (OpenPrinterA(const_cast<char*>(name.c_str()), &printer, nullptr)) {
        DeletePrinter(printer);
        ClosePrinter(printer);
      }
    }
    if (!savedDefault_.empty()) SetDefaultPrinterA(savedDefault_.c_str());
    // The monitor took its port with it: a run again in this prefix starts afresh.
    if (!monitor_.empty()) DeleteMonitorA(nullptr, nullptr, &monitor_[0]);
  }

  // Names of one test: "<prefix> <tag>", its driver, monitor and port.
  void Configure(const std::string& tag) {
    printer_ = kPrefix + " " + tag;
    driverName_ = printer_ + " Driver";
    monitor_ = printer_ + " Monitor";
    port_ = kPrefix + tag + ":";
    config_ = {printer_.c_str(), driverName_.c_str(), monitor_.c_str(), port_.c_str(), "Svc", "Model=Rillo5"};
  }

  // Runs the engine on a worker. When the page is complete, pick (may change the
  // port or the box, as the user would) runs, then the choice is stored and the
  // event set, as the wizard's Next handler does.
  enum class Path { kChosenByTheEntry, kX64, kX86 };
  // The path whose driver this process's spooler can use, and the other one.
  static Path NativePath() { return sizeof(void*) == 8 ? Path::kX64 : Path::kX86; }
  static Path ForeignPath() { return sizeof(void*) == 8 ? Path::kX86 : Path::kX64; }

  int Install(Path path, int languageFlag, const std::function<void(WizardHost&)>& pick = nullptr) {
    WizardHost host(languageFlag);
    driver::EngineWizard wizard;
    wizard.dialog = host.dialog();
    wizard.panel = host.panel().hwnd();
    wizard.settingsConfirmed = host.panel().settingsConfirmedEvent();
    wizard.languageFlag = languageFlag;
    wizard.setDefaultFlag = &setDefault_;
    wizard.selectedPort = selectedPort_;
    int result = -1;
    bool confirmed = false;
    const std::string source = source_.path();
    const bool served = RunBeside(
        host,
        [&] {
          result = path == Path::kChosenByTheEntry
                       ? driver::InstallPrinterDriver(wizard, config_, source.c_str())
                       : driver::InstallPrinterDriverOnPath(path == Path::kX64, wizard, config_, source.c_str());
        },
        [&] {
          if (confirmed || host.panel().page() != 5) return;
          // The page is complete once the spooler's ports follow the configured one.
          const size_t listed = host.Items(IDC_PORT_LIST).size();
          if (listed < driver::ListPortNames().size() + 1) return;
          if (pick) pick(host);
          pageSeen_ = host.Items(IDC_PORT_LIST);
          const int selected = host.Selected(IDC_PORT_LIST);
          std::snprintf(selectedPort_, sizeof selectedPort_, "%s", host.ItemText(IDC_PORT_LIST, selected).c_str());
          setDefault_ = host.Checked(IDC_SET_DEFAULT) ? 1 : 0;
          confirmed = true;
          SetEvent(host.panel().settingsConfirmedEvent());
        });
    EXPECT_TRUE(served) << "the engine did not finish";
    EXPECT_TRUE(confirmed) << "the Printer Settings page never became complete";
    finalPage_ = host.panel().page();
    return result;
  }

  std::string NewLog() const { return ReadAll(driver::kInstallLogPath).substr(logBefore_); }

  // The log up to the printer, in the wording of path. On this process's own path
  // the package's monitor loads and takes the port, and nothing is logged. On the
  // other path the staged monitor DLL is of the other architecture: Wine's spooler,
  // running in this process, cannot load it (126) and then knows no monitor that
  // could take the port (87). The 64-bit path also logs the eleven dependent files
  // before the driver; the 32-bit path does not.
  std::string LogBeforeThePrinter(Path path) const {
    std::string log;
    if (path != NativePath())
      log = (path == Path::kX64 ? "AddPrinterMonitor64 Error=126" : "AddPrinterMonitor32 = 126") + LineEnd() +
            "AddPortEx = 87" + LineEnd();
    if (path == Path::kX64) log += FileLines();
    return log;
  }

  std::string FileLines() const {
    driver::DriverFileNames names;
    EXPECT_TRUE(driver::BuildDriverFileNames(printer_.c_str(), &names));
    std::string lines;
    for (const char* name : names.targets) lines += std::string(name) + LineEnd();
    return lines;
  }

  ScratchDir source_;
  std::string savedDefault_;
  size_t logBefore_ = 0;
  std::string printer_, driverName_, monitor_, port_;
  driver::EngineConfig config_ = {};
  int setDefault_ = 0;
  char selectedPort_[256] = {};
  std::vector<std::string> pageSeen_;
  int finalPage_ = -1;
};

TEST_F(EngineRun, NativePathAddsTheNextFreeNameWithItsDataAndDefault) {
  Configure("Full");
  AddExistingPrinter(printer_);
  AddExistingPrinter(printer_ + " (1)");
  const std::string added = printer_ + " (2)";

  EXPECT_EQ(Install(NativePath(), 1), 1);
  EXPECT_EQ(finalPage_, 5) << "success leaves the page to the installation run";

  const PrinterFacts facts = FactsOf(added);
  ASSERT_TRUE(facts.found);
  EXPECT_EQ(facts.port, port_) << "the configured port, kept selected";
  EXPECT_EQ(facts.driver, driverName_);
  EXPECT_EQ(facts.share, added);
  EXPECT_EQ(facts.attributes & PRINTER_ATTRIBUTE_SHARED, 0u);

  const DataValue position = PrinterData(added, "Position");
  EXPECT_EQ(position.type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(position.bytes, std::string("\1\0\0\0", 4));
  const DataValue language = PrinterData(added, "Language");
  EXPECT_EQ(language.type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(language.bytes, std::string("\1\0\0\0", 4));
  const DataValue service = PrinterData(added, "PrinterService");
  EXPECT_EQ(service.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(service.bytes, std::string("Svc\0", 4));

  EXPECT_EQ(DefaultPrinter(), added) << "the box was left ticked";

  // Nothing went wrong: the monitor and the port were registered, and the spooler
  // lists the port.
  EXPECT_EQ(NewLog(), LogBeforeThePrinter(NativePath()));
  const std::vector<std::string> ports = driver::ListPortNames();
  EXPECT_NE(std::find(ports.begin(), ports.end(), port_), ports.end());

  // The driver was registered for this process's environment with the staged
  // files, copied from that environment's driver folder into its "3" subfolder.
  HANDLE printer = nullptr;
  ASSERT_TRUE(OpenPrinterA(const_cast<char*>(added.c_str()), &printer, nullptr));
  DWORD needed = 0;
  GetPrinterDriverA(printer, const_cast<char*>(OwnEnvironment()), 3, nullptr, 0, &needed);
  std::vector<BYTE> block(needed + 16);
  ASSERT_TRUE(GetPrinterDriverA(printer, const_cast<char*>(OwnEnvironment()), 3, block.data(),
                                static_cast<DWORD>(block.size()), &needed));
  ClosePrinter(printer);
  const auto* info = reinterpret_cast<const DRIVER_INFO_3A*>(block.data());
  ASSERT_NE(info->pDataFile, nullptr);
  const std::string dataFile = info->pDataFile;
  const std::string gpd = std::string(sizeof(void*) == 8 ? "\\x64" : "\\w32x86") + "\\3\\" + printer_ + ".gpd";
  ASSERT_GE(dataFile.size(), gpd.size()) << dataFile;
  EXPECT_EQ(dataFile.substr(dataFile.size() - gpd.size()), gpd);
  EXPECT_NE(ReadAll(dataFile).find("*ResourceDLL:\"" + printer_ + "RES.dll\""), std::string::npos)
      << "the customised GPD was copied into the driver's folder";
}

TEST_F(EngineRun, NativePathObeysAnotherPortAndAClearedBox) {
  Configure("Other");
  AddExistingPrinter(kPrefix + " Keeps Default");
  ASSERT_TRUE(SetDefaultPrinterA((kPrefix + " Keeps Default").c_str()));

  const int result = Install(NativePath(), 0, [](WizardHost& host) {
    const std::vector<std::string> items = host.Items(IDC_PORT_LIST);
    const auto file = std::find(items.begin(), items.end(), "LPT1:");
    ASSERT_NE(file, items.end());
    SendMessageA(host.Item(IDC_PORT_LIST), CB_SETCURSEL, file - items.begin(), 0);
    SendMessageA(host.Item(IDC_SET_DEFAULT), BM_SETCHECK, BST_UNCHECKED, 0);
  });
  EXPECT_EQ(result, 1);
  const PrinterFacts facts = FactsOf(printer_);
  ASSERT_TRUE(facts.found) << "no printer of that name existed: the plain name";
  EXPECT_EQ(facts.port, "LPT1:");
  EXPECT_EQ(PrinterData(printer_, "Language").bytes, std::string("\0\0\0\0", 4));
  EXPECT_EQ(DefaultPrinter(), kPrefix + " Keeps Default");
}

// The entry takes the 64-bit path on 64-bit Windows, whether the program is a
// 64-bit build or, as nearly every user has it, the 32-bit one under WOW64 (the
// i686 build in a 64-bit prefix); the 32-bit path only on 32-bit Windows.
TEST_F(EngineRun, EntryTakesTheSixtyFourBitPathOnSixtyFourBitWindows) {
  char wow64Directory[MAX_PATH] = {};
  const bool underWow64 =
      sizeof(void*) == 4 && GetSystemWow64DirectoryA(wow64Directory, sizeof wow64Directory) > 0;
  EXPECT_EQ(driver::IsWow64(), underWow64);
  Configure("Entry");
  const int result = Install(Path::kChosenByTheEntry, 0);
  if (underWow64) {
    // Wine has no spooler service: the spooler runs inside this 32-bit process and
    // finds drivers only under "Windows NT x86", so the "Windows x64" driver is not
    // found for the printer (87 from Wine's ANSI wrapper). On Windows the 64-bit
    // spooler service takes it.
    EXPECT_EQ(result, 0);
    EXPECT_EQ(finalPage_, 8);
    EXPECT_EQ(NewLog(), LogBeforeThePrinter(Path::kX64) + "AddPrinter Error=87" + LineEnd());
  } else {
    EXPECT_EQ(result, 1);
    EXPECT_EQ(NewLog(), LogBeforeThePrinter(NativePath()));
    EXPECT_TRUE(FactsOf(printer_).found);
  }
}

TEST_F(EngineRun, ForeignPathFailsAtThePrinter) {
  Configure("Foreign");
  EXPECT_EQ(Install(ForeignPath(), 0), 0);
  EXPECT_EQ(finalPage_, 8) << "the engine turned the wizard to \"Installing Fail\"";
  EXPECT_FALSE(FactsOf(printer_).found);
  // The driver was accepted for the other environment, which this process cannot
  // use: AddPrinterW would say 1797 (unknown driver), but Wine's AddPrinterA
  // reports 87 whatever went wrong (its ANSI wrapper).
  const std::string printerFailed = ForeignPath() == Path::kX64 ? "AddPrinter Error=87" : "AddPrinter = 87";
  EXPECT_EQ(NewLog(), LogBeforeThePrinter(ForeignPath()) + printerFailed + LineEnd());
  EXPECT_NE(DefaultPrinter(), printer_);
}

}  // namespace
