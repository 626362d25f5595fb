#include "driver/driver_staging_win.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "driver/gpd_customizer.h"
#include "driver/install_log.h"
#include "driver/stdio_file.h"
#include "driver/ui_config_rewriter.h"
#include "driver/winspool_api_win.h"
#include "system/redirection_off_win.h"

namespace driver {

namespace {


bool IsWindows5OrOlder() {
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;  // 148
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExA(&version)) return false;
#pragma GCC diagnostic pop
  return version.dwMajorVersion <= 5;
}

void WriteOemIni(const StagingStep& step) {
  StdioFile file = OpenStdioFile(step.target.c_str(), "wb");
  if (file) std::fwrite(step.text.data(), 1, step.text.size(), file.get());
}

bool Produces(StagingAction action) { return action != StagingAction::kDeleteFile; }

// A file of the system directory that something holds open (the spooler keeps its
// monitor DLLs loaded): the new version goes beside it and replaces it when Windows
// next starts. True when that is arranged.
bool ReplaceAtRestart(const StagingStep& step, const StagingInput& input, bool native) {
  const std::string waiting = step.target + ".new";
  if (waiting.size() >= kNameSize) return false;
  if (input.journal && !input.journal->WillWriteFile(waiting.c_str(), native)) return false;
  if (!CopyFileA(step.source.c_str(), waiting.c_str(), FALSE)) return false;
  if (MoveFileExA(waiting.c_str(), step.target.c_str(), MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING))
    return true;
  DeleteFileA(waiting.c_str());
  return false;
}

// False only when the journal could not record the step's file.
bool Carry(const StagingStep& step, const StagingInput& input, bool native, StagedDriver* staged) {
  if (Produces(step.action) && input.journal && !input.journal->WillWriteFile(step.target.c_str(), native)) {
    staged->journalRefused = true;
    return false;
  }
  switch (step.action) {
    case StagingAction::kWriteOemIni:
      WriteOemIni(step);
      break;
    case StagingAction::kCopyFile:
      CopyFileA(step.source.c_str(), step.target.c_str(), FALSE);
      break;
    case StagingAction::kCopySystemFile:
      if (!CopyFileA(step.source.c_str(), step.target.c_str(), FALSE)) {
        const DWORD error = GetLastError();
        const bool held = error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
                          error == ERROR_USER_MAPPED_FILE || error == ERROR_LOCK_VIOLATION;
        if (held && GetFileAttributesA(step.target.c_str()) != INVALID_FILE_ATTRIBUTES &&
            ReplaceAtRestart(step, input, native))
          staged->restartNeeded = true;
      }
      break;
    case StagingAction::kCustomizeGpd:
      CustomizeGpd(step.source.c_str(), step.target.c_str(), step.text.c_str(), input.printerName,
                   input.modelLine ? input.modelLine : "", input.languageFlag);
      break;
    case StagingAction::kRewriteUiConfig:
      RewriteUIConfig(step.source.c_str(), step.target.c_str(), step.text.c_str());
      break;
    case StagingAction::kDeleteFile:
      DeleteFileA(step.target.c_str());
      break;
  }
  return true;
}

}  // namespace

const char* DriverEnvironment(DriverPath path) { return path == DriverPath::kX64 ? "Windows x64" : nullptr; }

bool QueryDriverDirectory(DriverPath path, char* directory, size_t size) {
  const WinspoolApi* spooler = WinspoolApi::Get();
  if (!spooler || !directory || size == 0) return false;
  directory[0] = '\0';
  char found[kNameSize] = {};
  DWORD needed = 0;
  char* environment = const_cast<char*>(DriverEnvironment(path));
  if (!spooler->GetPrinterDriverDirectoryA(nullptr, environment, 1, reinterpret_cast<BYTE*>(found), sizeof found,
                                           &needed))
    return false;
  found[sizeof found - 1] = '\0';
  if (strlen(found) >= size) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return false;
  }
  memcpy(directory, found, strlen(found) + 1);
  return true;
}

bool StageDriverFiles(const StagingInput& input, DriverPath path, StagedDriver* staged) {
  if (!IsPrinterNameUsable(input.printerName)) return false;
  char directory[kNameSize] = {};
  if (!QueryDriverDirectory(path, directory, sizeof directory)) {
    WriteInstallLog("GetPrinterDriverDirectory = %d\r\n", static_cast<int>(GetLastError()));
    return false;
  }
  return StageDriverFilesInto(input, path, directory, staged);
}

bool StageDriverFilesInto(const StagingInput& input, DriverPath path, const char* driverDirectory,
                          StagedDriver* staged) {
  if (!IsPrinterNameUsable(input.printerName) || !BuildDriverFileNames(input.printerName, &staged->names))
    return false;
  if (!driverDirectory || strlen(driverDirectory) >= sizeof staged->driverDirectory) return false;
  memcpy(staged->driverDirectory, driverDirectory, strlen(driverDirectory) + 1);
  UINT length = GetSystemDirectoryA(staged->systemDirectory, sizeof staged->systemDirectory);
  if (length == 0 || length >= sizeof staged->systemDirectory) staged->systemDirectory[0] = '\0';

  StagingRequest request;
  request.sourceFolder = input.sourceFolder;
  request.driverDirectory = staged->driverDirectory;
  request.systemDirectory = staged->systemDirectory;
  request.printerName = input.printerName;
  request.path = path;
  request.copyGdiplus = path == DriverPath::kX86 && IsWindows5OrOlder();
  std::vector<StagingStep> plan;
  if (!BuildStagingPlan(request, &plan)) return false;

  // Driver files first; the system-directory copies (and their deletes) follow,
  // on the 64-bit path with redirection off for just that stretch.
  size_t i = 0;
  for (; i < plan.size() && plan[i].action != StagingAction::kCopySystemFile; ++i) {
    if (!Carry(plan[i], input, false, staged)) return false;
  }
  const bool native = path == DriverPath::kX64;
  if (native) {
    sys::RedirectionOff redirectionOff;
    for (; i < plan.size(); ++i) {
      if (!Carry(plan[i], input, true, staged)) return false;
    }
  } else {
    for (; i < plan.size(); ++i) {
      if (!Carry(plan[i], input, false, staged)) return false;
    }
  }
  return true;
}

}  // namespace driver
