#include "app/setup_app_win.h"

#include <cstdio>
#include <memory>
#include <new>

#include "app/command_line.h"
#include "app/install_config.h"
#include "app/installation_session_win.h"
#include "system/run_folder_win.h"
#include "app/language_dialog_win.h"
#include "app/setup_wizard_dialog_win.h"
#include "app/wizard_navigation.h"
#include "driver/driver_files.h"
#include "app/startup_files_win.h"
#include "app/unattended_setup_win.h"
#include "driver/stdio_file.h"
#include "payload/payload_resource_win.h"
#include "system/run_lock_win.h"

bool AcceptPrinterName(const char* printerName, int languageFlag, HWND owner) {
  if (driver::IsPrinterNameUsable(printerName)) return true;
  MessageBoxA(owner, WizardString(WizardText::kPrinterNameUnusable, languageFlag),
              WizardString(WizardText::kMessageCaption, languageFlag), MB_OK | MB_ICONERROR);
  return false;
}

void ReportStartupFailure(const char* missingLibrary, int languageFlag, HWND owner) {
  char text[512] = {};
  if (missingLibrary) {
    std::snprintf(text, sizeof text, WizardString(WizardText::kSystemLibraryMissing, languageFlag), missingLibrary);
  } else {
    std::snprintf(text, sizeof text, "%s", WizardString(WizardText::kWizardNotCreated, languageFlag));
  }
  MessageBoxA(owner, text, WizardString(WizardText::kMessageCaption, languageFlag), MB_OK | MB_ICONERROR);
}

bool SetupApp::InitInstance() {
  // Before anything loads a DLL.
  sys::RestrictDllSearchToSystem();

  SetupOptions options = ParseSetupCommandLine(arguments_.c_str());
  // /? shows its text in a window, which an unattended run never opens: under /S it
  // is a refused command line like any other.
  if (options.silent && options.help && options.error.empty())
    options.error = "/? shows the usage in a window, and /S opens none";
  // Windows' own boxes ("There is no disk in the drive" for a folder on an empty
  // drive) never show: the program reports what failed. Under /S not even a crash
  // opens a window; the exit code says it.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX | (options.silent ? SEM_NOGPFAULTERRORBOX : 0));
  // Messages about the command line itself come in the language the question
  // would be asked in: nobody has chosen one yet.
  const int localeLanguage = LanguageDialog::ChineseVariantFor(GetSystemDefaultLCID()) ? 1 : 0;
  if (!options.error.empty()) {
    // Unattended means no window, ever: the reason goes to the log when there is one.
    if (!options.silent) {
      const std::string text = options.error + "\n\n" + SetupUsage(localeLanguage);
      MessageBoxA(nullptr, text.c_str(), WizardString(WizardText::kMessageCaption, localeLanguage),
                  MB_OK | MB_ICONERROR);
    } else if (!options.logPath.empty()) {
      StdioFile log = OpenStdioFile(options.logPath.c_str(), "ab");
      if (log) std::fprintf(log.get(), "Command line refused: %s (exit code %d)\r\n", options.error.c_str(),
                            setup_exit::kBadCommandLine);
    }
    SetExitCode(setup_exit::kBadCommandLine);
    return false;
  }
  if (options.help) {
    MessageBoxA(nullptr, SetupUsage(localeLanguage), WizardString(WizardText::kMessageCaption, localeLanguage),
                MB_OK | MB_ICONINFORMATION);
    SetExitCode(setup_exit::kDone);
    return false;
  }
  if (options.silent) {
    payloadData_ = LoadPayloadResource(kPayloadResourceId, kPayloadResourceType, &payloadSize_);
    SetExitCode(RunUnattendedSetup(options, payloadData_, payloadSize_, GetSystemDefaultLCID()));
    return false;
  }
  return RunWizard();
}

namespace {

// Until the wizard's worker has ended, serving whatever messages come meanwhile.
void WaitForWorker(const SetupWizardDialog& wizard) {
  while (wizard.installationRunning()) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    Sleep(20);
  }
}

}  // namespace

bool SetupApp::RunWizard() {
  // The wizard's template holds a progress bar and a "RICHEDIT" licence view; both
  // classes must be registered before any dialog made from it is created. A
  // failure is reported once the language is known.
  const bool controlsLoaded = controls_.Load();

  payloadData_ = LoadPayloadResource(kPayloadResourceId, kPayloadResourceType, &payloadSize_);

  // The locale only picks the variant and its preselection; the answer decides.
  LanguageDialog question(LanguageDialog::ChineseVariantFor(GetSystemDefaultLCID()), instance());
  INT_PTR answer = question.DoModal();
  if (answer == IDCANCEL) {
    SetExitCode(kExitCancelled);  // nothing written or deleted
    return false;
  }
  if (answer != IDOK) {
    // No answer to go by: the language the question would have been asked in.
    ReportStartupFailure(nullptr, question.chineseVariant() ? 1 : 0, nullptr);
    SetExitCode(kExitNoDialog);
    return false;
  }
  languageFlag_ = question.LanguageFlag();
  if (!controlsLoaded) {
    ReportStartupFailure(controls_.failedLibrary(), languageFlag_, nullptr);
    SetExitCode(kExitNoLibrary);
    return false;
  }

  // The start-up files go into a folder of this run's own: another run's files
  // (a logo, a configuration) can never show here, nor this run's be deleted under
  // it. Without one, the built-in names apply, as with a missing configuration.
  sys::RunFolder runFolder;
  const bool haveFolder = runFolder.Create();
  sys::SetCurrentRunFolder(runFolder.path());
  const int extracted =
      haveFolder ? ExtractStartupFiles(languageFlag_, payloadData_, payloadSize_, runFolder.path().c_str()) : 0;
  ReadInstallConfig(haveFolder ? (runFolder.path() + "InstallConfig.txt").c_str() : "", &g_installConfig);

  // Every name the engine derives from the printer name lives in fixed buffers and
  // file names: a name that cannot fit them stops the run before anything else
  // is touched.
  if (!AcceptPrinterName(g_installConfig.printerName(), languageFlag_, nullptr)) {
    SetExitCode(kExitUnusableName);
    return false;
  }
  setup_info::SetupInfo info;
  if (haveFolder) ReadPackageSetupInfo(payloadData_, payloadSize_, runFolder.path().c_str(), &info);

  // One run of this printer at a time: the person decides whether to wait.
  sys::RunLock lock;
  for (;;) {
    const sys::LockResult locked = lock.Take(g_installConfig.printerName(), 0);
    if (locked == sys::LockResult::kTaken) break;
    if (locked == sys::LockResult::kFailed) {
      ReportStartupFailure(nullptr, languageFlag_, nullptr);
      SetExitCode(kExitNoWizard);
      return false;
    }
    char text[512] = {};
    std::snprintf(text, sizeof text, WizardString(WizardText::kAnotherRun, languageFlag_),
                  g_installConfig.printerName());
    if (MessageBoxA(nullptr, text, WizardString(WizardText::kMessageCaption, languageFlag_),
                    MB_RETRYCANCEL | MB_ICONWARNING) != IDRETRY) {
      SetExitCode(setup_exit::kAnotherRun);
      return false;
    }
  }
  InstallationSession::Names names;
  names.printerName = g_installConfig.printerName();
  names.driverName = g_installConfig.driverName();
  names.monitorName = g_installConfig.monitorName();
  names.portName = g_installConfig.portName();
  InstallationSession session(names);
  session.SetPackage(payloadData_, payloadSize_);
  // A run of this printer that was cut off is undone before the wizard shows.
  session.Prepare(info.version, false, false, nullptr);

  SetExitCode(extracted == kNoStartupArchive ? kExitNoPayload : kExitPayloadFound);
  // The wizard lives for the modal run only; its result says nothing more.
  std::unique_ptr<SetupWizardDialog> wizard(new (std::nothrow) SetupWizardDialog(instance()));
  if (!wizard) {
    ReportStartupFailure(nullptr, languageFlag_, nullptr);
    SetExitCode(kExitNoWizard);
    return false;
  }
  wizard->SetPayload(payloadData_, payloadSize_);
  wizard->SetApplicationLanguage(languageFlag_);
  wizard->SetSession(&session);
  wizard->SetSetupInfo(info);
  const INT_PTR ended = wizard->DoModal();
  // Cancel on the Printer Settings page leaves the installation worker waiting for
  // a confirmation: it is told, undoes what it made and ends, before the wizard and
  // its event go away under it. The destination folder was cleaned when the panel
  // was destroyed.
  if (wizard->installationRunning()) {
    wizard->CancelInstallation();
    WaitForWorker(*wizard);
  }
  // Cancelled before the installation ran (the folders are made when the prepare
  // page is left): what this run made goes again.
  session.RollBack(nullptr);
  if (ended == -1) {
    // The template could not be made into a window (a control class missing).
    ReportStartupFailure(nullptr, languageFlag_, nullptr);
    SetExitCode(kExitNoWizard);
  }
  return false;
}
