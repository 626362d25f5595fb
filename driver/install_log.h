// The Install log: engine failures and the 64-bit driver file list, appended one
// formatted message at a time. Nothing reads it back.
#pragma once

#include <cstdarg>
#include <cstddef>

#if defined(__GNUC__)
#define DRIVER_PRINTF_FORMAT(format_index, first_arg) \
  __attribute__((format(printf, format_index, first_arg)))
#else
#define DRIVER_PRINTF_FORMAT(format_index, first_arg)
#endif

namespace driver {

constexpr char kInstallLogPath[] = "C:\\InstallPrinter.txt";
constexpr size_t kInstallLogMessageSize = 1024;  // a message is cut at 1023 bytes

// Formats the message and appends it to logPath exactly as formatted (binary
// mode: a message ending in "\r\n" ends in one CR LF). The file is opened and
// closed for every message; when it cannot be opened the message is dropped
// without a word.
void AppendInstallLogV(const char* logPath, const char* format, va_list args);
void AppendInstallLog(const char* logPath, const char* format, ...) DRIVER_PRINTF_FORMAT(2, 3);

// The same, to the fixed log file at the root of drive C:.
void WriteInstallLog(const char* format, ...) DRIVER_PRINTF_FORMAT(1, 2);

}  // namespace driver
