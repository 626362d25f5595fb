#include "driver/driver_staging_win.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "driver/gpd_customizer.h"
#include "driver/install_log.h"
#include "driver/stdio_file.h"
#include "driver/ui_config_rewriter.h"
#include "driver/winspool_api_win.h"

namespace driver {

namespace {

// Switches WOW64 file-system redirection off for this thread while it lives, so
// that a 32-bit process writes into the native system directory. The functions
// are looked up at run time; where they do not exist there is nothing to switch.
class FileSystemRedirectionOff {
 public:
  FileSystemRedirectionOff() : kernel_(LoadLibraryA("Kernel32.dll")) {
    if (!kernel_) return;
    disable_ = reinterpret_cast<Disable>(reinterpret_cast<void*>(
        GetProcAddress(kernel_, "Wow64DisableWow64FsRedirection")));
    revert_ = reinterpret_cast<Revert>(reinterpret_cast<void*>(
        GetProcAddress(kernel_, "Wow64RevertWow64FsRedirection")));
    if (disable_ && revert_) switchedOff_ = disable_(&saved_) != FALSE;
  }
  ~FileSystemRedirectionOff() {
    if (switchedOff_) revert_(saved_);
    if (kernel_) FreeLibrary(kernel_);
  }
  FileSystemRedirectionOff(const FileSystemRedirectionOff&) = delete;
  FileSystemRedirectionOff& operator=(const FileSystemRedirectionOff&) = delete;

 private:
  using Disable = BOOL(WINAPI*)(PVOID*);
  using Revert = BOOL(WINAPI*)(PVOID);
  HMODULE kernel_;
  Disable disable_ = nullptr;
  Revert revert_ = nullptr;
  PVOID saved_ = nullptr;
  bool switchedOff_ = false;
};

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

void Carry(const StagingStep& step, const StagingInput& input) {
  switch (step.action) {
    case StagingAction::kWriteOemIni:
      WriteOemIni(step);
      break;
    case StagingAction::kCopyFile:
    case StagingAction::kCopySystemFile:
      CopyFileA(step.source.c_str(), step.target.c_str(), FALSE);
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
  for (; i < plan.size() && plan[i].action != StagingAction::kCopySystemFile; ++i) Carry(plan[i], input);
  if (path == DriverPath::kX64) {
    FileSystemRedirectionOff redirectionOff;
    for (; i < plan.size(); ++i) Carry(plan[i], input);
  } else {
    for (; i < plan.size(); ++i) Carry(plan[i], input);
  }
  return true;
}

}  // namespace driver
