#include "app/setup_app_win.h"

#include <cstdio>
#include <memory>
#include <new>

#include "app/command_line.h"
#include "app/install_config.h"
#include "app/language_dialog_win.h"
#include "app/setup_wizard_dialog_win.h"
#include "app/wizard_navigation.h"
#include "driver/driver_files.h"
#include "app/startup_files_win.h"
#include "app/unattended_setup_win.h"
#include "driver/stdio_file.h"
#include "payload/payload_resource_win.h"

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

  const SetupOptions options = ParseSetupCommandLine(arguments_.c_str());
  // Messages about the command line itself come in the language the question
  // would be asked in: nobody has chosen one yet.
  const int localeLanguage = LanguageDialog::ChineseVariantFor(GetSystemDefaultLCID()) ? 1 : 0;
  if (!options.error.empty()) {
    // Unattended means no window, ever: the reason goes to the log when there is one.
    if (!options.silent) {
      const std::string text = options.error + "\n\n" + SetupUsage(localeLanguage);
      MessageBoxA(nullptr, text.c_str(), WizardString(WizardText::kMessageCaption, localeLanguage), MB_OK | MB_ICONERROR);
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

  // A logo left by an earlier run must never show. GetTempPathA ends the folder with
  // a backslash, so these paths hold two in a row, which the platform accepts.
  char tempDir[256] = {};
  DWORD length = GetTempPathA(sizeof tempDir, tempDir);
  bool haveTemp = length > 0 && length < sizeof tempDir;
  char path[512] = {};
  if (haveTemp) {
    std::snprintf(path, sizeof path, "%s\\Logo.bmp", tempDir);
    DeleteFileA(path);
  }

  int extracted = ExtractStartupFiles(languageFlag_, payloadData_, payloadSize_);

  // Without a temporary directory the empty path cannot be opened, which gives the
  // built-in names, as a missing configuration does.
  path[0] = '\0';
  if (haveTemp) std::snprintf(path, sizeof path, "%s\\InstallConfig.txt", tempDir);
  ReadInstallConfig(path, &g_installConfig);

  // Every name the engine derives from the printer name lives in fixed buffers and
  // file names: a name that cannot fit them stops the run before anything else
  // is touched.
  if (!AcceptPrinterName(g_installConfig.printerName(), languageFlag_, nullptr)) {
    SetExitCode(kExitUnusableName);
    return false;
  }

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
  if (wizard->DoModal() == -1) {
    // The template could not be made into a window (a control class missing).
    ReportStartupFailure(nullptr, languageFlag_, nullptr);
    SetExitCode(kExitNoWizard);
    return false;
  }
  // Cancel on the Printer Settings page leaves the installation worker waiting for
  // a confirmation that will never come, with pointers into the wizard. End the
  // process here, before the wizard and its event go away under it; the
  // destination folder was cleaned when the panel was destroyed.
  if (wizard->installationRunning()) ExitProcess(static_cast<UINT>(ExitCode()));
  return false;
}
