// The account an unattended run writes with /LOG=: one line a step, appended,
// each ended by CR LF, on disk before the next step begins. Without a file the
// lines go nowhere.
#pragma once

#include <cstdio>
#include <string>

namespace sys {

class RunLog {
 public:
  RunLog() = default;
  ~RunLog();
  RunLog(const RunLog&) = delete;
  RunLog& operator=(const RunLog&) = delete;

  // False when the file cannot be opened for appending.
  bool Open(const std::string& path);
  bool open() const { return file_ != nullptr; }
  void Line(const std::string& text);

 private:
  std::FILE* file_ = nullptr;
};

}  // namespace sys
