// Small helpers shared by the native tests: a scratch folder and whole-file I/O.
#pragma once

#include <string>

namespace testing_support {

// A fresh, empty folder under the system's temporary directory, removed with
// everything in it when the object goes away.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);

// The sample package shipped in resources/package.
std::string PackageFile(const std::string& name);

}  // namespace testing_support
