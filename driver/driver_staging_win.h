// Stages the per-printer driver file set into the spooler's driver directory and
// the monitor DLLs into the system directory: the first stage of both paths of
// the driver installation.
#pragma once

#include <cstddef>

#include "driver/driver_files.h"
#include "driver/printer_installer.h"
#include "driver/staging_plan.h"

namespace driver {

struct StagingInput {
  const char* sourceFolder = nullptr;  // where the payload was extracted, no trailing backslash
  const char* printerName = nullptr;
  const char* modelLine = nullptr;
  int languageFlag = 0;  // 0 English (option names translated), nonzero Chinese
  ChangeJournal* journal = nullptr;  // told of every file before it is written; may be null
};

struct StagedDriver {
  DriverFileNames names;  // the 11 targets in table order and the monitor DLL names
  char driverDirectory[kNameSize] = {};
  char systemDirectory[kNameSize] = {};
  // A file in the system directory was held (the spooler has the monitor loaded):
  // its new version waits beside it and takes its place when Windows restarts.
  bool restartNeeded = false;
  bool journalRefused = false;  // the journal could not record a file: staging stopped
};

// The environment whose driver directory a path stages into and registers for:
// "Windows x64" on the 64-bit path; null (the process's own) on the 32-bit path.
const char* DriverEnvironment(DriverPath path);

// The spooler's driver directory for the path's environment into directory (size
// bytes, at most kNameSize used). False when the spooler cannot name it; the
// thread's last error then tells why.
bool QueryDriverDirectory(DriverPath path, char* directory, size_t size);

// Carries out the staging into a driver directory already known. False when
// nothing could be staged because the printer name is refused, or when the journal
// could not record a file (the staging stops there). Copy, write and delete
// failures are not reported; they surface when the driver is registered.
bool StageDriverFilesInto(const StagingInput& input, DriverPath path, const char* driverDirectory,
                          StagedDriver* staged);

// Both: the directory query, logged as "GetPrinterDriverDirectory = %d" when it
// fails, then the staging.
bool StageDriverFiles(const StagingInput& input, DriverPath path, StagedDriver* staged);

}  // namespace driver
