#include "system/run_log.h"

namespace sys {

RunLog::~RunLog() {
  if (file_) std::fclose(file_);
}

bool RunLog::Open(const std::string& path) {
  if (file_) std::fclose(file_);
  file_ = path.empty() ? nullptr : std::fopen(path.c_str(), "ab");
  return file_ != nullptr;
}

void RunLog::Line(const std::string& text) {
  if (!file_) return;
  std::fwrite(text.data(), 1, text.size(), file_);
  std::fwrite("\r\n", 1, 2, file_);
  std::fflush(file_);
}

}  // namespace sys
