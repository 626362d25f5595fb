#include "uninstall/uninstall_app_win.h"

#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/unique_handle_win.h"
#include "system/ansi_text_win.h"
#include "system/ansi_text.h"
#include "system/record_key_win.h"
#include "system/run_log.h"
#include "system/run_folder_win.h"
#include "system/run_lock_win.h"
#include "system/system_library_win.h"
#include "uninstall/command_line.h"
#include "uninstall/progress_dialog_win.h"
#include "uninstall/record_source_win.h"
#include "uninstall/removal_system_win.h"
#include "uninstall/uninstall_texts.h"

namespace uninstall {

namespace {

// The package's entry names (resources/package/package.list), written by the build.
const char* const kPackageEntries[] = {
#include "uninstall/package_entries.inc"
};

constexpr LCID kChineseLocale = 2052;

// The full path of this program; empty when it does not fit (no path the
// installation records is that long).
std::string OwnPath() {
  char path[MAX_PATH + 1] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::string();
  return std::string(path, length);
}

// The progress bar's class, from the version 6 common controls the manifest asks for.
bool LoadProgressBar(UniqueModule* commonControls) {
  commonControls->Reset(sys::LoadSideBySideLibrary("comctl32.dll"));
  if (!*commonControls) return false;
  using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  auto init = reinterpret_cast<InitFunction>(
      reinterpret_cast<void*>(GetProcAddress(commonControls->get(), "InitCommonControlsEx")));
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
  return init && init(&controls);
}

}  // namespace

int UninstallApp::ReportRecordProblem(const RecordCheck& check, int languageFlag, bool silent) {
  if (!silent) {
    MessageBoxA(nullptr, DescribeRecordProblem(check, languageFlag).c_str(),
                UninstallString(Text::kCaption, languageFlag), MB_OK | MB_ICONWARNING);
  }
  const bool nothing = check.state == RecordState::kNoIni || check.state == RecordState::kNoKey ||
                       check.state == RecordState::kOtherFolder;
  return nothing ? kExitNothingToUninstall : kExitFailure;
}

namespace {

// The log's last line for a removal that ran.
std::string ResultOf(int code) {
  if (code == kExitSuccess) return "Result: done";
  if (code == kExitRestartNeeded) return "Result: done; restart Windows to finish";
  return "Result: some of it could not be removed (see above)";
}

}  // namespace

bool UninstallApp::Finish(int code, const std::string& why) {
  log_.Line(why + " (exit code " + std::to_string(code) + ")");
  SetExitCode(code);
  return false;
}

bool UninstallApp::InitInstance() {
  sys::RestrictDllSearchToSystem();
  const int systemLanguage = GetSystemDefaultLCID() == kChineseLocale ? 1 : 0;

  UninstallOptions options;
  const bool parsed = ParseArguments(SkipProgramName(GetCommandLineA()), &options);
  const bool silent = options.silent;
  // No "There is no disk in the drive" box; under /S no crash box either.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX | (silent ? SEM_NOGPFAULTERRORBOX : 0));
  if (!options.logPath.empty()) log_.Open(options.logPath);
  SYSTEMTIME now;
  GetLocalTime(&now);
  char started[64];
  std::snprintf(started, sizeof started, "%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
                now.wMinute, now.wSecond);
  log_.Line(std::string("Uninstall, ") + started + ", command line: " + GetCommandLineA());
  if (!parsed) {
    // Unattended means no window, ever: the reason goes to the log.
    if (!silent) {
      MessageBoxA(nullptr, UninstallString(Text::kBadCommandLine, systemLanguage),
                  UninstallString(Text::kCaption, systemLanguage), MB_OK | MB_ICONINFORMATION);
    }
    return Finish(kExitBadCommandLine, "Command line refused: " + options.error);
  }

  RemovalContext context;
  context.ownProgramPath = OwnPath();
  for (const char* entry : kPackageEntries) context.packageEntries.push_back(entry);
  const std::string folder = sys::FolderOfPath(context.ownProgramPath.c_str(), sys::IsSystemLeadByte);

  WinRecordSource source;
  const RecordCheck check = ReadInstallationRecord(folder, source, options.printer);
  const int language = check.languageKnown ? check.record.languageFlag : systemLanguage;
  if (context.ownProgramPath.empty() || check.state != RecordState::kComplete) {
    const int code = ReportRecordProblem(check, language, silent);
    return Finish(code, "Record: " + DescribeRecordProblem(check, 0));
  }
  const InstallationRecord& record = check.record;
  log_.Line("Record: HKEY_LOCAL_MACHINE\\" + check.keyPath + ", printer " + record.printerName + ", folder " +
            record.programFolder);

  // One run of this printer at a time: a setup or another uninstall of it first
  // finishes (unattended, for at most ten minutes).
  sys::RunLock lock;
  for (;;) {
    sys::LockResult locked = lock.Take(record.printerName, silent ? sys::kUnattendedLockWait : 0);
    if (locked == sys::LockResult::kTaken) break;
    if (silent || locked == sys::LockResult::kFailed) {
      return Finish(locked == sys::LockResult::kBusy ? kExitAnotherRun : kExitFailure,
                    "Another setup or uninstall of this printer is still running");
    }
    std::vector<char> text(record.printerName.size() + 256, '\0');
    std::snprintf(text.data(), text.size(), UninstallString(Text::kAnotherRun, language), record.printerName.c_str());
    if (MessageBoxA(nullptr, text.data(), UninstallString(Text::kCaption, language), MB_RETRYCANCEL | MB_ICONWARNING) !=
        IDRETRY) {
      SetExitCode(kExitAnotherRun);
      return false;
    }
  }

  // A setup of this printer that was killed left its start-up files behind.
  sys::RunFolder::RemoveAbandoned();

  // Everything the installation's runs made, as its journal names it (a record of
  // an older setup has none: its files go by the package's names). Read once the
  // lock is held: no run changes it any more.
  sys::RegistryRecordKey key;
  if (key.Open(check.keyPath, false)) {
    const sys::JournalState journal = sys::ReadJournal(key);
    context.journal = sys::EntriesInOrder(journal);
    context.hasJournal = journal.kept || !journal.entries.empty();
    context.olderFiles = journal.olderFiles;
    // Another printer installed into the same folder uses the package's files too.
    context.usedElsewhere = sys::FilesOfOtherInstallations(record.printerName);
  }

  // The folder this program sits in is to go too: stop holding it as the current one.
  char systemFolder[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryA(systemFolder, sizeof systemFolder);
  if (length > 0 && length < sizeof systemFolder) SetCurrentDirectoryA(systemFolder);

  if (silent) {
    WinRemovalSystem system;
    const RemovalReport report = RemoveInstallation(record, context, system, nullptr);
    for (const std::string& line : ReportLines(report)) log_.Line(line);
    return Finish(ExitCodeFor(report), ResultOf(ExitCodeFor(report)));
  }

  std::vector<char> question(record.printerName.size() + 256, '\0');
  std::snprintf(question.data(), question.size(), UninstallString(Text::kConfirm, language),
                record.printerName.c_str());
  if (MessageBoxA(nullptr, question.data(), UninstallString(Text::kCaption, language),
                  MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES) {
    return Finish(kExitCancelled, "The question was answered No");
  }

  UniqueModule commonControls;
  const bool haveBar = LoadProgressBar(&commonControls);
  ProgressDialog dialog(record, context, instance());
  if (!haveBar || dialog.DoModal() == -1) {
    // No window to show the progress in: remove without one and say how it went.
    WinRemovalSystem system;
    const RemovalReport report = RemoveInstallation(record, context, system, nullptr);
    MessageBoxA(nullptr, SummaryText(report, record, language).c_str(), UninstallString(Text::kCaption, language),
                MB_OK | (report.failures.empty() ? MB_ICONINFORMATION : MB_ICONWARNING));
    for (const std::string& line : ReportLines(report)) log_.Line(line);
    return Finish(ExitCodeFor(report), ResultOf(ExitCodeFor(report)));
  }
  return Finish(dialog.exitCode(), ResultOf(dialog.exitCode()) + ", in the window");
}

}  // namespace uninstall
