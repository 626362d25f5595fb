#include "app/install_config.h"

#include <cstdio>
#include <cstring>

#include "driver/stdio_file.h"

InstallConfig g_installConfig;

namespace {

// A line is read as at most 254 bytes (a 255 limit and the NUL), up to and
// including the line feed; a longer line arrives in pieces.
constexpr int kLineLimit = 255;

bool IsSeparator(const char* line) {
  static const char kRun[] = "====================";  // 20
  return std::strstr(line, kRun) != nullptr;
}

bool EndsInCrLf(const char* line, size_t length) {
  return std::strstr(line, "\r\n") != nullptr && length >= 2;
}

// Appends text to a fixed buffer, cutting it at the buffer's last byte.
void AppendCut(char* buffer, size_t size, const char* text) {
  size_t used = std::strlen(buffer);
  if (used + 1 >= size) return;
  size_t room = size - 1 - used;
  size_t n = std::strlen(text);
  if (n > room) n = room;
  std::memcpy(buffer + used, text, n);
  buffer[used + n] = '\0';
}

void CopyCut(char* buffer, size_t size, const char* text) {
  buffer[0] = '\0';
  AppendCut(buffer, size, text);
}

}  // namespace

bool ReadInstallConfig(const char* path, InstallConfig* config) {
  StdioFile owned = OpenStdioFile(path, "rb");
  FILE* file = owned.get();
  if (!file) {
    CopyCut(config->printerName(), kConfigNameSize, "USB Printer");
    CopyCut(config->driverName(), kConfigNameSize, "USB Printer Driver");
    CopyCut(config->monitorName(), kConfigNameSize, "USB Printer Monitor");
    CopyCut(config->portName(), kConfigNameSize, "USB PRINTER PORT:");
    return false;
  }

  char line[256];
  int section = 0;
  bool inSections = true;
  while (!std::feof(file)) {
    std::memset(line, 0, sizeof line);
    if (!std::fgets(line, kLineLimit, file) && std::ferror(file)) break;
    size_t length = std::strlen(line);
    if (inSections) {
      if (EndsInCrLf(line, length)) {
        line[length - 2] = '\n';
        line[length - 1] = '\0';
      }
      if (IsSeparator(line)) {
        if (++section > 5) inSections = false;
        continue;
      }
      AppendCut(config->sections[section], kConfigSectionSize, line);
    } else {
      if (EndsInCrLf(line, length)) {
        line[length - 2] = '\0';
        line[length - 1] = '\0';
      }
      if (IsSeparator(line)) continue;
      // The first empty field takes the line; an empty line leaves it empty and so
      // takes no field. Once all seven are filled, lines are dropped.
      for (int i = 0; i < kConfigNameCount; ++i) {
        if (config->names[i][0] == '\0') {
          CopyCut(config->names[i], kConfigNameSize, line);
          break;
        }
      }
    }
  }
  owned.reset();  // closed before it is deleted
  std::remove(path);
  return true;
}
