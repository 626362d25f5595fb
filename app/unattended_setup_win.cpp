#include "app/unattended_setup_win.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "app/folder_path_win.h"
#include "app/install_config.h"
#include "app/installation_run_win.h"
#include "app/language_dialog_win.h"
#include "app/setup_exit_codes.h"
#include "app/startup_files_win.h"
#include "app/wizard_navigation.h"
#include "driver/driver_files.h"
#include "driver/printer_settings_page_win.h"
#include "driver/stdio_file.h"
#include "payload/payload_check.h"
#include "payload/win32_file_source.h"
#include "system/destination_cleanup_win.h"
#include "ui/wizard_panel_win.h"

namespace {

// The /LOG file: one line a step, appended, each ended by CR LF. Without /LOG the
// lines go nowhere.
class RunLog {
 public:
  bool Open(const std::string& path) {
    file_ = OpenStdioFile(path.c_str(), "ab");
    return static_cast<bool>(file_);
  }
  void Line(const std::string& text) {
    if (!file_) return;
    std::fwrite(text.data(), 1, text.size(), file_.get());
    std::fwrite("\r\n", 1, 2, file_.get());
    std::fflush(file_.get());
  }

 private:
  StdioFile file_;
};

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
    log_.Line("Printer settings: port " + port_ + (choice->setDefault ? ", made the default printer" : ""));
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
  void Finished(bool) override {}
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

std::string TempFolder() {
  char folder[256] = {};
  const DWORD length = GetTempPathA(sizeof folder, folder);
  return length > 0 && length < sizeof folder ? folder : "";
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

  // The install configuration of the language, as the wizard's start-up reads it;
  // the licence and the pictures it also unpacks are only for the wizard's pages.
  const std::string temp = TempFolder();
  ExtractStartupFiles(language, payloadData, payloadSize);
  ReadInstallConfig(temp.empty() ? "" : (temp + "\\InstallConfig.txt").c_str(), &g_installConfig);
  for (const char* name : {"License.txt", "Logo.bmp", "left.bmp"}) {
    if (!temp.empty()) DeleteFileA((temp + name).c_str());
  }
  const char* printer = g_installConfig.printerName();
  if (!driver::IsPrinterNameUsable(printer))
    return Finish(log, setup_exit::kUnusableName,
                  std::string("Printer name \"") + printer + "\": " +
                      WizardString(WizardText::kPrinterNameUnusable, 0));
  log.Line(std::string("Printer: ") + printer);

  const std::string folder = options.hasFolder ? options.folder : ui::DefaultDestinationFolder(printer);
  const FolderVerdict verdict = SettleDestinationFolder(folder, printer);
  if (verdict != FolderVerdict::kAccepted) {
    return Finish(log, setup_exit::kUnusableFolder,
                  "Destination folder \"" + folder + "\": " + FolderMessageFor(verdict, 0).text);
  }
  log.Line("Destination folder: " + folder + ", data folder: " + g_dataFolder);

  // A port other than the configured one (which the installation adds) must be one
  // the spooler has: a printer on a port that does not exist prints nowhere.
  if (options.hasPort && options.port != g_installConfig.portName()) {
    const std::vector<std::string> ports = driver::ListPortNames();
    if (std::find(ports.begin(), ports.end(), options.port) == ports.end())
      return Finish(log, setup_exit::kBadCommandLine, "Port \"" + options.port + "\": the spooler has no such port");
  }

  InstallationInputs inputs;
  inputs.payloadData = payloadData;
  inputs.payloadSize = payloadSize;
  inputs.destination = folder;
  inputs.dataFolder = g_dataFolder;
  inputs.languageFlag = language;
  UnattendedFrontEnd frontEnd(options, log);
  const bool installed = RunInstallationSteps(inputs, frontEnd);
  // What the wizard's clean-up does when it closes.
  sys::CleanDestinationFolder(folder.c_str(), frontEnd.placed());
  if (!installed) return Finish(log, setup_exit::kInstallFailed, "Result: the installation failed");
  return Finish(log, setup_exit::kDone, "Result: installed");
}
