#include "app/setup_app_win.h"

#include <cstdio>

#include "app/install_config.h"
#include "app/language_dialog_win.h"
#include "app/startup_files_win.h"
#include "payload/payload_resource_win.h"

bool SetupApp::InitInstance() {
  // The wizard's template holds a progress bar and a "RICHEDIT" licence view; both
  // classes must be registered before any dialog made from it is created.
  controls_.Load();

  payloadData_ = LoadPayloadResource(kPayloadResourceId, kPayloadResourceType, &payloadSize_);

  // The locale only picks the variant and its preselection; the answer decides.
  LanguageDialog question(LanguageDialog::ChineseVariantFor(GetSystemDefaultLCID()), instance());
  INT_PTR answer = question.DoModal();
  if (answer == IDCANCEL) {
    SetExitCode(kExitCancelled);  // nothing written or deleted
    return false;
  }
  if (answer != IDOK) {
    SetExitCode(kExitNoDialog);
    return false;
  }
  languageFlag_ = question.LanguageFlag();

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

  // The wizard (dialog 102) is not built yet, so start-up ends here instead of
  // running it.
  SetExitCode(extracted == kNoStartupArchive ? kExitNoPayload : kExitPayloadFound);
  return false;
}
