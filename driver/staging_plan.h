// The staging of the driver files as a list of plain operations, worked out
// without touching the disk so the Windows side only has to carry them out in
// order and the order itself can be tested anywhere.
#pragma once

#include <string>
#include <vector>

#include "driver/driver_files.h"

namespace driver {

enum class DriverPath { kX64, kX86 };

enum class StagingAction {
  kWriteOemIni,      // create target ("wb") and write text, no NUL
  kCopyFile,         // copy source over target
  kCustomizeGpd,     // CustomizeGpd(source, target, text = resource DLL name, ...)
  kRewriteUiConfig,  // RewriteUIConfig(source, target, text = folder)
  kDeleteFile,       // delete target; a failure is ignored
  kCopySystemFile,   // copy into the system directory; on the 64-bit path with
                     // file-system redirection off, so it lands in the native one
};

struct StagingStep {
  StagingAction action;
  std::string source;
  std::string target;
  std::string text;
};

struct StagingRequest {
  const char* sourceFolder = nullptr;     // extraction folder, no trailing backslash
  const char* driverDirectory = nullptr;  // from the spooler
  const char* systemDirectory = nullptr;
  const char* printerName = nullptr;
  DriverPath path = DriverPath::kX86;
  bool copyGdiplus = false;  // 32-bit path on Windows 5.x or older; ignored on 64-bit
};

// Fills plan with, for every driver file in table order: its production step and
// the deletion of both its variants from the source folder; then, on the 32-bit
// path when asked, the gdiplus.dll copy; then each monitor DLL's copy and the
// deletion of its variants. A step whose path would not fit in kNameSize bytes is
// left out, and only that step. False, with plan empty, when the printer name is
// not usable or a folder is missing: nothing is staged then.
bool BuildStagingPlan(const StagingRequest& request, std::vector<StagingStep>* plan);

}  // namespace driver
