// The folder of this run under the temporary folder: the start-up files (the
// install configuration, the licence, the wizard's pictures, Setup.ini) are
// unpacked there rather than straight into %TEMP%, where two runs would share them
// and one would delete what the other still reads. Made once at start-up, removed
// with everything in it when the run ends; a folder that a killed run left is
// removed by the next run.
#pragma once

#include <windows.h>

#include <string>

namespace sys {

class RunFolder {
 public:
  RunFolder() = default;
  ~RunFolder() { Remove(); }
  RunFolder(const RunFolder&) = delete;
  RunFolder& operator=(const RunFolder&) = delete;

  // Makes "<temp>\PrinterSetup.<n>" under a name no other folder has, and marks
  // it as in use for as long as this process lives. False when there is no usable
  // temporary folder.
  bool Create();
  // Ends with a backslash, as GetTempPath's folder does; empty before Create.
  const std::string& path() const { return path_; }
  // Deletes the folder's files and the folder.
  void Remove();

  // Removes the folders of runs whose process has ended (their mark is gone).
  static void RemoveAbandoned();

 private:
  std::string path_;
  HANDLE mark_ = INVALID_HANDLE_VALUE;
};

// The run's folder, for whoever reads the start-up files (the wizard, its painter,
// the unattended run); set once at start-up, before any window or thread exists,
// and read-only afterwards. Empty when there is none.
const std::string& CurrentRunFolder();
void SetCurrentRunFolder(const std::string& folder);

}  // namespace sys
