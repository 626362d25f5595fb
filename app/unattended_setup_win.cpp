#include "app/unattended_setup_win.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "app/folder_path_win.h"
#include "app/install_config.h"
#include "app/installation_run_win.h"
#include "app/installation_session_win.h"
#include "app/language_dialog_win.h"
#include "app/setup_exit_codes.h"
#include "app/startup_files_win.h"
#include "app/wizard_navigation.h"
#include "driver/driver_files.h"
#include "driver/printer_settings_page_win.h"
#include "driver/stdio_file.h"
#include "monitor/port_target.h"
#include "payload/payload_check.h"
#include "payload/win32_file_source.h"
#include "system/account_win.h"
#include "system/ansi_text.h"
#include "system/destination_cleanup_win.h"
#include "system/run_folder_win.h"
#include "system/run_lock_win.h"
#include "system/run_log.h"
#include "ui/wizard_panel_win.h"

namespace {

using sys::RunLog;

std::string Formatted(const char* format, va_list args) {
  char text[1024];
  std::vsnprintf(text, sizeof text, format, args);
  return text;
}

// The Install log's lines, copied into the account with their line end dropped.
class InstallLogCopy final : public driver::InstallLogSink {
 public:
  explicit InstallLogCopy(RunLog& log) : log_(log) {}
  void WriteV(const char* format, va_list args) override {
    std::string line = Formatted(format, args);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    log_.Line("  Install log: " + line);
  }

 private:
  RunLog& log_;
};

// The Printer Settings page answered from the command line.
class CommandLineSettings final : public driver::InstallerWizard {
 public:
  CommandLineSettings(const SetupOptions& options, RunLog& log) : options_(options), log_(log) {}
  void ShowPrinterSettings(const driver::PrinterSettingsContent& content) override {
    port_ = options_.hasPort ? options_.port : content.portName;
  }
  bool WaitForSettings(driver::PrinterSettingsChoice* choice) override {
    std::snprintf(choice->port, sizeof choice->port, "%s", port_.c_str());
    choice->setDefault = !options_.noDefault;
    log_.Line("Printer settings: port " + port_ +
              (choice->setDefault ? ", the default printer asked for" : ", not the default printer (/NODEFAULT)"));
    return true;
  }
  void ShowFailurePage() override {}

 private:
  const SetupOptions& options_;
  RunLog& log_;
  std::string port_;
};

class UnattendedFrontEnd final : public InstallationFrontEnd, private payload::ExtractionObserver {
 public:
  UnattendedFrontEnd(const SetupOptions& options, RunLog& log) : log_(log), settings_(options, log), copy_(log) {}

  payload::ExtractionObserver& Extraction() override { return *this; }
  void ShowStatus(const char* text) override { log_.Line(text); }
  void Report(const std::string& line) override { log_.Line(line); }
  driver::InstallerWizard& Settings() override { return settings_; }
  driver::InstallLogSink* LogCopy() override { return &copy_; }
  void Finished(const InstallationResult&) override {}
  const sys::PlacedFiles& placed() const { return placed_; }

 private:
  void Placing(const char* name) override { placed_.Add(name); }
  void StatusText(const char* text) override { log_.Line(std::string("  ") + text); }
  void SetPercent(int) override {}

  RunLog& log_;
  CommandLineSettings settings_;
  InstallLogCopy copy_;
  sys::PlacedFiles placed_;
};

int Finish(RunLog& log, int code, const std::string& why) {
  log.Line(why + " (exit code " + std::to_string(code) + ")");
  return code;
}

// target by the port monitor's own parser: its canonical text in *normal, or why not.
bool CheckedTarget(const std::string& text, std::string* normal, std::string* why) {
  const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::vector<wchar_t> wide(length > 0 ? length : 1, L'\0');
  if (length > 0) MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), length);
  monitor::Target parsed;
  const std::u16string u16(wide.data(), wide.data() + std::char_traits<wchar_t>::length(wide.data()));
  if (monitor::ParseTarget(u16, &parsed) != monitor::TargetError::kNone) {
    *why = "not a target the port monitor takes (tcp:HOST[:PORT], COMn[:BAUD] or a folder such as C:\\Receipts)";
    return false;
  }
  const std::u16string canonical = monitor::FormatTarget(parsed);
  const std::wstring back(canonical.begin(), canonical.end());
  const int bytes = WideCharToMultiByte(CP_ACP, 0, back.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::vector<char> ansi(bytes > 0 ? bytes : 1, '\0');
  if (bytes > 0) WideCharToMultiByte(CP_ACP, 0, back.c_str(), -1, ansi.data(), bytes, nullptr, nullptr);
  *normal = ansi.data();
  return true;
}

const char* KindName(RunKind kind) {
  switch (kind) {
    case RunKind::kNew: return "a new installation";
    case RunKind::kAdd: return "another printer beside the installed one";
    case RunKind::kUpdate: return "an update of the installed printer";
  }
  return "";
}

}  // namespace

int RunUnattendedSetup(const SetupOptions& options, const unsigned char* payloadData, size_t payloadSize,
                       LCID systemLocale) {
  RunLog log;
  if (!options.logPath.empty() && !log.Open(options.logPath)) return setup_exit::kBadCommandLine;
  SYSTEMTIME now;
  GetLocalTime(&now);
  char started[64];
  std::snprintf(started, sizeof started, "%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay,
                now.wHour, now.wMinute, now.wSecond);
  log.Line(std::string("Unattended installation, ") + started + ", command line: " + GetCommandLineA());

  const int language = options.languageFlag >= 0 ? options.languageFlag
                                                 : (LanguageDialog::ChineseVariantFor(systemLocale) ? 1 : 0);
  log.Line(std::string("Language: ") + (language ? "Chinese" : "English"));

  // The package is checked whole before anything is changed.
  payload::PayloadCheck check;
  if (payloadData) {
    check = payload::CheckResourcePayload(payloadData, payloadSize);
  } else {
    payload::Win32FileSource program;
    if (program.OpenOwnProgram()) check = payload::CheckAppendedPayload(program);
  }
  if (check.health == payload::PayloadHealth::kMissing)
    return Finish(log, setup_exit::kBadPayload, "Package: none in this program");
  if (check.health == payload::PayloadHealth::kDamaged)
    return Finish(log, setup_exit::kBadPayload, "Package: damaged, " + check.problem);
  log.Line("Package: " + std::to_string(check.entries) + " entries, whole");

  // The start-up files in this run's own folder: the install configuration of the
  // language, as the wizard's start-up reads it, and Setup.ini; the licence and the
  // pictures are only for the wizard's pages and go with the folder.
  sys::RunFolder runFolder;
  if (!runFolder.Create())
    return Finish(log, setup_exit::kUnusableFolder, "Temporary folder: no folder of this run can be made in it");
  sys::SetCurrentRunFolder(runFolder.path());
  ExtractStartupFiles(language, payloadData, payloadSize, runFolder.path().c_str());
  ReadInstallConfig((runFolder.path() + "InstallConfig.txt").c_str(), &g_installConfig);
  setup_info::SetupInfo info;
  const bool haveInfo = ReadPackageSetupInfo(payloadData, payloadSize, runFolder.path().c_str(), &info);
  const char* printer = g_installConfig.printerName();
  if (!driver::IsPrinterNameUsable(printer))
    return Finish(log, setup_exit::kUnusableName,
                  std::string("Printer name \"") + printer + "\": " +
                      WizardString(WizardText::kPrinterNameUnusable, 0));
  const std::string version = setup_info::FormatVersion(info.version);
  log.Line(std::string("Printer: ") + printer + (haveInfo && !version.empty() ? ", package version " + version : ""));

  // The port's target, checked by the port monitor's own rules before anything
  // changes; it is set once the port exists.
  std::string target;
  if (options.hasTarget) {
    std::string why;
    if (!CheckedTarget(WithDefaultTcpPort(options.target), &target, &why))
      return Finish(log, setup_exit::kBadCommandLine, "Target \"" + options.target + "\": " + why);
    log.Line("Port target to set: " + target);
  }

  // One run of this printer at a time: a second one waits for the first.
  sys::RunLock lock;
  sys::LockResult locked = lock.Take(printer, 0);
  if (locked == sys::LockResult::kBusy) {
    log.Line("Waiting for another setup or uninstall of this printer to finish (at most 10 minutes)");
    locked = lock.Take(printer, sys::kUnattendedLockWait);
  }
  if (locked == sys::LockResult::kBusy)
    return Finish(log, setup_exit::kAnotherRun, "Another setup or uninstall of this printer is still running");
  if (locked == sys::LockResult::kFailed)
    return Finish(log, setup_exit::kInstallFailed, "The lock of this printer's runs cannot be made");

  InstallationSession::Names names;
  names.printerName = printer;
  names.driverName = g_installConfig.driverName();
  names.monitorName = g_installConfig.monitorName();
  names.portName = g_installConfig.portName();
  InstallationSession session(names);
  session.SetPackage(payloadData, payloadSize);
  std::vector<std::string> undone;
  const RunPlan plan = session.Prepare(info.version, true, options.addAnother, &undone);
  if (plan.undoUnfinished) {
    log.Line("An earlier run of this printer never finished; what it had made:");
    for (const std::string& line : undone) log.Line("  " + line);
  }
  if (plan.verdict == RunVerdict::kNewerInstalled) {
    return Finish(log, setup_exit::kNewerInstalled,
                  "Version " + session.Recorded(sys::kVersionValue) + " is installed, newer than this package's" +
                      (version.empty() ? std::string(" (none)") : " " + version) + ": nothing was changed");
  }
  log.Line(std::string("This run: ") + KindName(plan.kind));

  std::string folder = options.hasFolder ? options.folder : ui::DefaultDestinationFolder(printer);
  if (plan.kind == RunKind::kUpdate) {
    // An update stays where the installation is.
    const std::string recorded = session.Recorded("Program Directory");
    if (options.hasFolder && !recorded.empty() && !sys::EqualsIgnoringAsciiCase(recorded.c_str(), folder.c_str()))
      return Finish(log, setup_exit::kUnusableFolder,
                    "Destination folder \"" + folder + "\": the printer is installed in \"" + recorded +
                        "\"; an update stays there (/ADD installs another printer)");
    if (!recorded.empty()) folder = recorded;
  }
  const FolderVerdict verdict = SettleDestinationFolder(folder, printer, &session);
  if (verdict == FolderVerdict::kNotRecorded) {
    session.RollBack(nullptr);
    return Finish(log, setup_exit::kInstallFailed,
                  "Record HKLM\\SOFTWARE\\" + std::string(printer) + ": " + FolderMessageFor(verdict, 0).text);
  }
  if (verdict != FolderVerdict::kAccepted) {
    std::vector<std::string> lines;
    session.RollBack(&lines);
    for (const std::string& line : lines) log.Line("  " + line);
    std::string why = FolderMessageFor(verdict, 0).text;
    if (verdict == FolderVerdict::kForeignFile) {
      std::vector<char> text(why.size() + session.foreignFile().size() + 1, '\0');
      std::snprintf(text.data(), text.size(), why.c_str(), session.foreignFile().c_str());
      why = text.data();
    }
    return Finish(log, setup_exit::kUnusableFolder, "Destination folder \"" + folder + "\": " + why);
  }
  log.Line("Destination folder: " + folder + ", data folder: " + g_dataFolder);

  // A service (LocalSystem) has a default printer and a Start menu of its own
  // nobody sees.
  const bool asSystem = sys::RunsAsLocalSystem();
  if (asSystem)
    log.Line("Account: LocalSystem; the default printer is each user's at their next logon, the shortcut all users'");

  // A port other than the configured one (which the installation adds) must be one
  // the spooler has: a printer on a port that does not exist prints nowhere.
  if (options.hasPort && options.port != g_installConfig.portName()) {
    const std::vector<std::string> ports = driver::ListPortNames();
    if (std::find(ports.begin(), ports.end(), options.port) == ports.end()) {
      session.RollBack(nullptr);
      return Finish(log, setup_exit::kBadCommandLine, "Port \"" + options.port + "\": the spooler has no such port");
    }
  }

  InstallationInputs inputs;
  inputs.portTarget = target;
  inputs.testPrint = options.testPrint;
  inputs.asSystem = asSystem;
  inputs.payloadData = payloadData;
  inputs.payloadSize = payloadSize;
  inputs.destination = folder;
  inputs.dataFolder = g_dataFolder;
  inputs.languageFlag = language;
  inputs.session = &session;
  inputs.setupInfo = &info;
  UnattendedFrontEnd frontEnd(options, log);
  const InstallationResult result = RunInstallationSteps(inputs, frontEnd);
  // What the wizard's clean-up does when it closes.
  sys::CleanDestinationFolder(folder.c_str(), frontEnd.placed());
  if (!result.installed) return Finish(log, setup_exit::kInstallFailed, "Result: the installation failed");
  if (result.restartNeeded)
    return Finish(log, setup_exit::kRestartNeeded, "Result: installed; restart Windows to finish");
  return Finish(log, setup_exit::kDone, "Result: installed");
}
