// Helpers for the Windows-side tests: scratch folders and whole files through Win32.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace win_support {

// A fresh folder under the temporary directory, removed with its files afterwards.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

std::string ReadAll(const std::string& path);
bool WriteAll(const std::string& path, const std::string& bytes);
std::string OwnProgramPath();
// A file of the repository's sample package, reached through Wine's Z: drive.
std::string PackagePath(const std::string& name);
// The sample package's entry names, in the order of its package.list.
std::vector<std::string> PackageEntries();
// This process's environment block with TMP and TEMP pointing at temp, for a child
// program that must unpack into a folder of the test's own.
std::string EnvironmentWithTemp(const std::string& temp);

}  // namespace win_support
