#include "app/installation_run_win.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <utility>
#include <string>
#include <vector>

#include "app/folder_path_win.h"
#include "app/install_config.h"
#include "app/spooler_jobs_win.h"
#include "app/test_receipt.h"
#include "app/setup_wizard_dialog_win.h"
#include "app/wizard_navigation.h"
#include "driver/printer_installer_win.h"
#include "payload/payload_extraction_win.h"
#include "resources/resource_ids.h"
#include "system/active_setup_win.h"
#include "system/ansi_text.h"
#include "system/start_menu_win.h"
#include "system/uninstall_record_win.h"
#include "system/uninstall_shortcut_win.h"
#include "ui/panel_messages_win.h"

namespace {

// The two start-up copies the full extraction also leaves in the destination
// folder; the file system compares names without regard to case, so "logo.bmp"
// is the package's "Logo.bmp".
void DeleteStartupCopies(const std::string& destination, const std::vector<std::string>& placed) {
  for (const char* name : {"InstallConfig.txt", "logo.bmp"}) {
    // Only a file this run placed there: a shop's own logo stays.
    bool ours = false;
    for (const std::string& each : placed) ours = ours || sys::EqualsIgnoringAsciiCase(each.c_str(), name);
    if (!ours) continue;
    char path[256] = {};
    const int length = std::snprintf(path, sizeof path, "%s\\%s", destination.c_str(), name);
    // A path that did not fit would name another file: leave it.
    if (length > 0 && static_cast<size_t>(length) < sizeof path) DeleteFileA(path);
  }
}

// The bytes the extraction put into the destination folder, in KB rounded up: the
// size Windows' list of installed programs shows. The package carries both builds of
// every driver file, so this errs on the large side.
unsigned long PlacedKilobytes(const std::string& destination, const std::vector<std::string>& names) {
  unsigned long long bytes = 0;
  for (const std::string& name : names) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    const std::string path = destination + "\\" + name;
    if (GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
      bytes += (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }
  }
  return static_cast<unsigned long>((bytes + 1023) / 1024);
}

// Passes the unpacking's reports on, keeps the names of the files it placed and
// records each file in the journal before it is written. A file another printer's
// installation shares with this one is left as it is: not written, not placed.
class RecordingObserver final : public payload::ExtractionObserver {
 public:
  RecordingObserver(payload::ExtractionObserver& next, InstallationSession& session)
      : next_(next), session_(session) {}
  void Placing(const char* name) override { pending_ = name; }
  bool Writing(const char* path) override {
    const std::string name = std::exchange(pending_, std::string());
    if (session_.IsShared(path)) {
      if (!session_.RecordShared(path)) journalFailed = true;
      return false;
    }
    if (!session_.WillWriteFile(path, false)) {
      journalFailed = true;
      return false;
    }
    if (!name.empty()) {
      placed.push_back(name);
      next_.Placing(name.c_str());
    }
    return true;
  }
  void StatusText(const char* text) override { next_.StatusText(text); }
  void SetPercent(int percent) override { next_.SetPercent(percent); }
  std::vector<std::string> placed;
  bool journalFailed = false;

 private:
  payload::ExtractionObserver& next_;
  InstallationSession& session_;
  std::string pending_;  // the entry Placing announced, for Writing to decide on
};

// The Start-menu paths of this run (none when there is no Programs folder).
sys::StartMenuPaths StartMenuPathsFor(const std::string& destination, int language, bool forAllUsers) {
  const std::string base = sys::StartMenuBase(language, forAllUsers);
  return sys::MakeStartMenuPaths(language, base.c_str(), g_installConfig.printerName(), destination.c_str());
}

sys::InstallationRecord RecordFor(const sys::StartMenuPaths& paths, const std::string& destination,
                                  const char* dataFolder, int language) {
  const InstallConfig& config = g_installConfig;
  sys::InstallationRecord record;
  record.startMenuFolder = paths.ok ? paths.folder.c_str() : nullptr;
  record.shortcutPath = paths.ok ? paths.shortcut.c_str() : nullptr;
  record.destinationFolder = destination.c_str();
  record.dataFolder = dataFolder;
  record.languageFlag = language;
  record.printerName = const_cast<InstallConfig&>(config).printerName();
  record.driverName = const_cast<InstallConfig&>(config).driverName();
  record.monitorName = const_cast<InstallConfig&>(config).monitorName();
  record.portName = const_cast<InstallConfig&>(config).portName();
  record.printerServiceName = const_cast<InstallConfig&>(config).serviceName();
  return record;
}

const char* ExtractionOutcome(int result) {
  switch (result) {
    case payload::kExtractComplete: return "every entry visited";
    case payload::kExtractNoProgram: return "the program file cannot be read";
    case payload::kExtractNoArchive: return "no package found";
    default: return "the package ended early";
  }
}

// The wizard as the run's front end. Each call is a message to a window of the
// user-interface thread, which answers while this worker waits.
class WizardFrontEnd final : public InstallationFrontEnd, private payload::ExtractionObserver {
 public:
  WizardFrontEnd(SetupWizardDialog& wizard, const driver::EngineWizard& engine)
      : wizard_(wizard), windowed_(engine, g_installConfig.portName()) {}

  payload::ExtractionObserver& Extraction() override { return *this; }
  // The unpacking's status line and the engine's: both on the panel.
  void ShowStatus(const char* text) override { SendPanelStatusText(wizard_.panel().hwnd(), text); }
  void Report(const std::string&) override {}  // the pages say it
  driver::InstallerWizard& Settings() override { return windowed_; }
  driver::InstallLogSink* LogCopy() override { return nullptr; }
  void Finished(const InstallationResult& result) override {
    const int language = wizard_.languageFlag();
    // The note pages 7 and 8 show under their result line.
    const char* note = "";
    if (result.installed && result.restartNeeded) note = WizardString(WizardText::kRestartToFinish, language);
    if (!result.installed)
      note = WizardString(result.undone ? WizardText::kUndone : WizardText::kNotAllUndone, language);
    SendPanelStatusText(wizard_.panel().hwnd(), note);
    if (result.installed) {
      // Posted, not sent: the page logic moves to "Setup Complete" on its own
      // thread once this worker is done with the wizard.
      PostMessageA(wizard_.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_NEXT, 0), 0);
    } else {
      SendMessageA(wizard_.hwnd(), kWizardInstallationFailed, 0, 0);
    }
  }

 private:
  void Placing(const char* name) override { wizard_.placedFiles().Add(name); }
  void StatusText(const char* text) override { ShowStatus(text); }
  void SetPercent(int percent) override {
    HWND bar = GetDlgItem(wizard_.hwnd(), IDC_PROGRESS);
    if (IsWindow(bar)) SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
  }

  SetupWizardDialog& wizard_;
  driver::WindowedWizard windowed_;
};

}  // namespace

void KeepRecordValues(InstallationSession& session, const std::string& destination, const char* dataFolder,
                      int languageFlag, bool forAllUsers) {
  const sys::StartMenuPaths paths = StartMenuPathsFor(destination, languageFlag, forAllUsers);
  session.SetRecordValues(RecordFor(paths, destination, dataFolder, languageFlag));
}

namespace {

// The setup program's own file version ("1.0.0.0"), from its version block; "" when
// it has none.
std::string OwnFileVersion() {
  HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16) /* RT_VERSION */);
  HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
  const unsigned char* data = loaded ? static_cast<const unsigned char*>(LockResource(loaded)) : nullptr;
  const DWORD size = found ? SizeofResource(nullptr, found) : 0;
  // VS_FIXEDFILEINFO begins with its signature 0xFEEF04BD, 4-byte aligned.
  for (DWORD at = 0; data && at + 52 <= size; at += 4) {
    DWORD signature;
    std::memcpy(&signature, data + at, 4);
    if (signature != 0xFEEF04BD) continue;
    DWORD ms, ls;
    std::memcpy(&ms, data + at + 8, 4);
    std::memcpy(&ls, data + at + 12, 4);
    char text[48];
    std::snprintf(text, sizeof text, "%lu.%lu.%lu.%lu", static_cast<unsigned long>(HIWORD(ms)),
                  static_cast<unsigned long>(LOWORD(ms)), static_cast<unsigned long>(HIWORD(ls)),
                  static_cast<unsigned long>(LOWORD(ls)));
    return text;
  }
  return std::string();
}

std::string DefaultPrinterLine(const driver::EngineResult& engine) {
  switch (engine.defaultOutcome) {
    case driver::DefaultOutcome::kSet:
      return "Default printer: " + engine.printerName + " (SetDefaultPrinter succeeded)";
    case driver::DefaultOutcome::kFailed:
      return "Default printer: " + engine.printerName + " is not the default: SetDefaultPrinter failed with error " +
             std::to_string(engine.defaultError);
    case driver::DefaultOutcome::kKept:
      return "Default printer: left as it was (an update keeps the printer's settings)";
    case driver::DefaultOutcome::kLeftToUsers:
      return "Default printer: not the service's own; each user's at their next logon (Active Setup)";
    case driver::DefaultOutcome::kNotAsked:
      break;
  }
  return "Default printer: left as it was (not asked for)";
}

// /TESTPRINT: a short receipt through the spooler; how it went is said, a failure
// never fails the installation.
void PrintTestReceipt(const std::string& printer, const std::string& port, const std::string& version,
                      InstallationFrontEnd& frontEnd) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  char when[32];
  std::snprintf(when, sizeof when, "%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
                now.wMinute, now.wSecond);
  TestReceipt receipt;
  receipt.printer = printer;
  receipt.port = port;
  receipt.target = GetPortTarget(port);
  receipt.when = when;
  receipt.version = version;
  const std::string bytes = BuildTestReceipt(receipt);
  const unsigned long error = SendRawJob(printer, "Test receipt", bytes);
  frontEnd.Report(error ? "Test receipt: not printed, error " + std::to_string(error)
                        : "Test receipt: " + std::to_string(bytes.size()) + " bytes sent to " + printer);
}

InstallationResult Failed(InstallationSession& session, InstallationFrontEnd& frontEnd, const std::string& why) {
  frontEnd.Report(why);
  InstallationResult result;
  result.undone = session.RollBack(&result.undoLines);
  for (const std::string& line : result.undoLines) frontEnd.Report("  " + line);
  frontEnd.Report(result.undone ? "Rollback: everything this run had made is undone"
                                : "Rollback: some of it could not be undone (see above)");
  frontEnd.Finished(result);
  return result;
}

}  // namespace

InstallationResult RunInstallationSteps(const InstallationInputs& inputs, InstallationFrontEnd& frontEnd) {
  const std::string& destination = inputs.destination;
  const int language = inputs.languageFlag;
  InstallConfig& config = g_installConfig;  // read-only since start-up
  InstallationSession& session = *inputs.session;

  KeepRecordValues(session, destination, inputs.dataFolder, language, inputs.asSystem);
  if (!session.Begin()) return Failed(session, frontEnd, "Record: HKLM\\SOFTWARE\\" +
                                                             std::string(config.printerName()) + " cannot be written");

  // The folder was made when it was chosen; make sure of it again, level by level,
  // in case it went away since.
  if (CreateFolderPath(destination.c_str(), &session) < 0)
    return Failed(session, frontEnd, "Journal: the destination folder cannot be recorded");
  RecordingObserver extraction(frontEnd.Extraction(), session);
  const int extracted = payload::ExtractPayload(inputs.payloadData, inputs.payloadSize, destination.c_str(),
                                                inputs.dataFolder, extraction);
  frontEnd.Report(std::string("Unpacking into ") + destination + ": " + ExtractionOutcome(extracted));
  if (extraction.journalFailed) return Failed(session, frontEnd, "Journal: a file cannot be recorded");
  const unsigned long installedKb = PlacedKilobytes(destination, extraction.placed);
  DeleteStartupCopies(destination, extraction.placed);

  // The uninstaller that runs elevated (from the shortcut, the list of installed
  // programs, a re-run after a restart) lives where ordinary users cannot write:
  // the printer's own data folder, not a destination the shop may have made.
  const std::string elevated = InstallationSession::ElevatedFolder(destination, inputs.dataFolder);
  const std::string elevatedCopy = elevated + "\\Uninstaller.exe";
  if (!sys::EqualsIgnoringAsciiCase(elevated.c_str(), destination.c_str())) {
    if (!session.WillWriteFile(elevatedCopy.c_str(), false))
      return Failed(session, frontEnd, "Journal: the uninstaller's copy cannot be recorded");
    const bool copied = CopyFileA((destination + "\\Uninstaller.exe").c_str(), elevatedCopy.c_str(), FALSE) != FALSE;
    frontEnd.Report("Uninstaller for the Start menu and the list of installed programs: " + elevatedCopy +
                    (copied ? "" : " could not be made"));
  }
  sys::StartMenuPaths paths = StartMenuPathsFor(destination, language, inputs.asSystem);
  if (paths.ok) paths.target = elevatedCopy;
  if (paths.ok) {
    if (GetFileAttributesA(paths.folder.c_str()) == INVALID_FILE_ATTRIBUTES) {
      if (!session.WillCreateFolder(paths.folder)) return Failed(session, frontEnd, "Journal: the Start menu folder");
      CreateDirectoryA(paths.folder.c_str(), nullptr);
    }
    if (!session.WillWriteFile(paths.shortcut.c_str(), false))
      return Failed(session, frontEnd, "Journal: the Start-menu shortcut");
    sys::CreateUninstallShortcut(paths.target.c_str(), paths.shortcut.c_str());
    const bool made = GetFileAttributesA(paths.shortcut.c_str()) != INVALID_FILE_ATTRIBUTES;
    frontEnd.Report("Start-menu shortcut " + paths.shortcut + (made ? ": made" : ": could not be made"));
  } else {
    frontEnd.Report("Start-menu shortcut: no Programs folder to put it in");
  }

  frontEnd.ShowStatus(WizardString(WizardText::kInstallingDriver, language));

  driver::EngineConfig names;
  names.printerName = config.printerName();
  names.driverName = config.driverName();
  names.monitorName = config.monitorName();
  names.portName = config.portName();
  names.printerServiceName = config.serviceName();
  names.modelLine = config.modelLine();
  names.updateInPlace = session.plan().kind == RunKind::kUpdate;
  names.defaultLeftToUsers = inputs.asSystem;
  driver::EngineOutcome outcome;
  if (driver::InstallPrinterDriver(frontEnd.Settings(), language, names, destination.c_str(), frontEnd.LogCopy(),
                                   &session, &outcome) == 0) {
    return Failed(session, frontEnd, "Printer driver: the spooler refused it, or the run was cancelled (see above)");
  }
  const std::string printer = outcome.engine.printerName;
  frontEnd.Report(std::string("Printer driver and printer: ") + (names.updateInPlace ? "updated" : "registered") +
                  ", printer " + printer);
  frontEnd.Report(DefaultPrinterLine(outcome.engine));
  if (outcome.restartNeeded)
    frontEnd.Report("Monitor DLL: held by the spooler; the new one takes its place when Windows restarts");
  const std::string version =
      inputs.setupInfo ? setup_info::FormatVersion(inputs.setupInfo->version) : std::string();

  // A port this run did not make keeps its target after a failure: the old one is
  // put back before the rollback (which removes a port the run made).
  std::string targetBefore;
  auto failedAfterTarget = [&](const std::string& why) {
    if (!targetBefore.empty()) {
      const unsigned long error = SetPortTarget(config.portName(), targetBefore);
      frontEnd.Report("  Port target: " + (error ? "could not be put back to " + targetBefore + " (error " +
                                                       std::to_string(error) + ")"
                                                 : "back to " + targetBefore));
    }
    return Failed(session, frontEnd, why);
  };
  if (!inputs.portTarget.empty()) {
    const std::string before = GetPortTarget(config.portName());
    const unsigned long error = SetPortTarget(config.portName(), inputs.portTarget);
    if (error) {
      return Failed(session, frontEnd, "Port target " + inputs.portTarget + ": the port monitor refused it (error " +
                                           std::to_string(error) + ")");
    }
    targetBefore = before;
    frontEnd.Report(std::string("Port target: ") + config.portName() + " sends to " + inputs.portTarget);
  }
  if (outcome.engine.defaultOutcome == driver::DefaultOutcome::kLeftToUsers) {
    const sys::ActiveSetupEntry entry = sys::ActiveSetupFor(printer, version);
    if (!session.WillCreateKey(entry.subKey))
      return failedAfterTarget("Journal: the Active Setup component cannot be recorded");
    frontEnd.Report("Active Setup: HKLM\\" + entry.subKey + " runs \"" + entry.stubPath + "\" once for each user" +
                    (sys::WriteActiveSetup(entry) ? "" : ": could not be written"));
  }

  sys::InstallationRecord record = RecordFor(paths, destination, inputs.dataFolder, language);
  record.estimatedSizeKb = installedKb;
  record.uninstallerPath = elevatedCopy.c_str();
  record.version = version.c_str();
  record.publisher = inputs.setupInfo ? inputs.setupInfo->publisher.c_str() : "";
  // What a detection rule reads in the list of installed programs: the package's
  // version and publisher, else the setup program's own version and nobody's name.
  const std::string displayVersion = version.empty() ? OwnFileVersion() : version;
  const std::string displayPublisher =
      inputs.setupInfo && !inputs.setupInfo->publisher.empty() ? inputs.setupInfo->publisher : "Unknown publisher";
  SYSTEMTIME today;
  GetLocalTime(&today);
  char installDate[16];
  std::snprintf(installDate, sizeof installDate, "%04u%02u%02u", today.wYear, today.wMonth, today.wDay);
  record.displayVersion = displayVersion.c_str();
  record.displayPublisher = displayPublisher.c_str();
  record.installDate = installDate;
  if (!session.Commit(record)) return failedAfterTarget("Record: the installation cannot be recorded");
  // Uninstall.ini is a copy for others; the uninstaller reads the registry record.
  const std::string ini = destination + "\\Uninstall.ini";
  const DWORD iniAttributes = GetFileAttributesA(ini.c_str());
  const bool iniWritten = iniAttributes != INVALID_FILE_ATTRIBUTES && !(iniAttributes & FILE_ATTRIBUTE_DIRECTORY);
  frontEnd.Report(std::string("Uninstall record: HKLM\\SOFTWARE\\") + config.printerName() +
                  (iniWritten ? " and " + ini : ", but " + ini + " could not be written") +
                  (version.empty() ? "" : ", version " + version));
  if (inputs.testPrint) PrintTestReceipt(printer, config.portName(), version, frontEnd);
  InstallationResult result;
  result.installed = true;
  result.restartNeeded = outcome.restartNeeded;
  frontEnd.Finished(result);
  return result;
}

DWORD RunInstallation(void* argument) {
  SetupWizardDialog& wizard = *static_cast<SetupWizardDialog*>(argument);
  driver::EngineWizard engine;
  engine.dialog = wizard.hwnd();
  engine.panel = wizard.panel().hwnd();
  engine.settingsConfirmed = wizard.panel().settingsConfirmedEvent();
  engine.languageFlag = wizard.languageFlag();
  engine.setDefaultFlag = wizard.setDefaultFlagAddress();
  engine.selectedPort = wizard.selectedPort();

  InstallationInputs inputs;
  inputs.payloadData = wizard.payloadData();
  inputs.payloadSize = wizard.payloadSize();
  // The field is read through window messages, so the user-interface thread answers.
  inputs.destination = wizard.panel().folderEdit().GetText();
  inputs.dataFolder = g_dataFolder;
  inputs.languageFlag = wizard.languageFlag();
  inputs.session = wizard.session();
  inputs.setupInfo = &wizard.setupInfo();
  engine.cancelled = wizard.cancelledAddress();
  // A wizard started without one (the tests' own) gets a session of its own here.
  std::unique_ptr<InstallationSession> own;
  if (!inputs.session) {
    InstallationSession::Names names;
    names.printerName = g_installConfig.printerName();
    names.driverName = g_installConfig.driverName();
    names.monitorName = g_installConfig.monitorName();
    names.portName = g_installConfig.portName();
    own.reset(new InstallationSession(names));
    own->Prepare(wizard.setupInfo().version, false, false, nullptr);
    inputs.session = own.get();
  }
  WizardFrontEnd frontEnd(wizard, engine);
  RunInstallationSteps(inputs, frontEnd);
  return 0;
}
