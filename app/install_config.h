// The install configuration: six text sections and seven name lines read once at
// start-up from "InstallConfig.txt" and never written afterwards.
#pragma once

#include <cstddef>
#include <cstdio>

constexpr size_t kConfigSectionSize = 512;  // at most 511 bytes of text
constexpr size_t kConfigNameSize = 256;     // at most 255 bytes
constexpr int kConfigSectionCount = 6;
constexpr int kConfigNameCount = 7;

struct InstallConfig {
  // welcome, destination folder, installing, success, cancellation, failure
  char sections[kConfigSectionCount][kConfigSectionSize];
  // title, printer, driver, monitor, port, model line, printer service
  char names[kConfigNameCount][kConfigNameSize];

  char* welcomeText() { return sections[0]; }
  char* folderText() { return sections[1]; }
  char* installingText() { return sections[2]; }
  char* successText() { return sections[3]; }
  char* cancelText() { return sections[4]; }
  char* failureText() { return sections[5]; }
  char* title() { return names[0]; }
  char* printerName() { return names[1]; }
  char* driverName() { return names[2]; }
  char* monitorName() { return names[3]; }
  char* portName() { return names[4]; }
  char* modelLine() { return names[5]; }
  char* serviceName() { return names[6]; }
};

// The one record the program reads everywhere; zero-filled at start.
extern InstallConfig g_installConfig;

// Where the parts of a configuration file came from, so that a check of a package
// can name the line at fault. Line numbers count line feeds, from 1.
struct InstallConfigLines {
  int separators = 0;                        // separator lines of the section phase (it ends at 6)
  int nameLines[kConfigNameCount] = {};      // the line each name field was taken from; 0 when none was
  bool nameFromLongLine[kConfigNameCount] = {};  // the field holds one piece of a line over 254 bytes
  size_t sectionBytes[kConfigSectionCount] = {};  // what the section's lines add up to before the cut
};

// The parser itself: reads an open file (binary mode) to its end into config,
// which the caller has zero-filled, exactly as the start-up does; lines, when
// given, gets where everything came from. Closes and deletes nothing.
void ParseInstallConfig(FILE* file, InstallConfig* config, InstallConfigLines* lines);

// Fills config from the file at path, then deletes the file. When the file cannot
// be opened, only the printer, driver, monitor and port names get their defaults.
// Returns true when the file was read.
bool ReadInstallConfig(const char* path, InstallConfig* config);
