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

// True when nothing is left to read; the stream is left as it was.
bool AtEnd(FILE* file) {
  int c = std::getc(file);
  if (c == EOF) return true;
  std::ungetc(c, file);
  return false;
}

void CopyCut(char* buffer, size_t size, const char* text) {
  buffer[0] = '\0';
  AppendCut(buffer, size, text);
}

}  // namespace

void ParseInstallConfig(FILE* file, InstallConfig* config, InstallConfigLines* lines) {
  InstallConfigLines unused;
  if (!lines) lines = &unused;
  *lines = InstallConfigLines();

  char line[256];
  int section = 0;
  bool inSections = true;
  int lineNumber = 1;        // of the piece about to be read
  bool continuing = false;   // the previous piece ended inside its line
  while (!std::feof(file)) {
    std::memset(line, 0, sizeof line);
    if (!std::fgets(line, kLineLimit, file) && std::ferror(file)) break;
    size_t length = std::strlen(line);
    const int pieceLine = lineNumber;
    const bool endsLine = length > 0 && line[length - 1] == '\n';
    const bool longLine = continuing || (length == kLineLimit - 1 && !endsLine && !AtEnd(file));
    if (endsLine) ++lineNumber;
    continuing = length > 0 && !endsLine;
    if (inSections) {
      if (EndsInCrLf(line, length)) {
        line[length - 2] = '\n';
        line[length - 1] = '\0';
      }
      if (IsSeparator(line)) {
        lines->separators = section + 1;
        if (++section > 5) inSections = false;
        continue;
      }
      lines->sectionBytes[section] += std::strlen(line);
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
          if (line[0] != '\0') {
            lines->nameLines[i] = pieceLine;
            lines->nameFromLongLine[i] = longLine;
          }
          break;
        }
      }
    }
  }
}

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

  ParseInstallConfig(file, config, nullptr);
  owned.reset();  // closed before it is deleted
  std::remove(path);
  return true;
}
