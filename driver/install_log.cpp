#include "driver/install_log.h"

#include <cstdio>
#include <cstring>

#include "driver/stdio_file.h"

namespace driver {

void AppendInstallLogV(const char* logPath, const char* format, va_list args) {
  if (!logPath || !format) return;
  char message[kInstallLogMessageSize];
  memset(message, 0, sizeof message);
  vsnprintf(message, sizeof message, format, args);
  // The Windows C runtime's variant leaves a cut message unterminated.
  message[sizeof message - 1] = '\0';

  // Binary: the messages carry their own CR LF (in text mode each would end in
  // CR CR LF).
  StdioFile file = OpenStdioFile(logPath, "ab");
  if (file) fwrite(message, 1, strlen(message), file.get());
}

void AppendInstallLog(const char* logPath, const char* format, ...) {
  va_list args;
  va_start(args, format);
  AppendInstallLogV(logPath, format, args);
  va_end(args);
}

void WriteInstallLog(const char* format, ...) {
  va_list args;
  va_start(args, format);
  AppendInstallLogV(kInstallLogPath, format, args);
  va_end(args);
}

}  // namespace driver
