// The driver file set: which payload file becomes which per-printer file in the
// spooler's driver directory, and the texts derived from those names (OEM ini,
// dependent-file list, monitor DLL names).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace driver {

constexpr int kDriverFileCount = 11;
constexpr int kMonitorFileCount = 2;
constexpr size_t kNameSize = 256;            // names and paths: at most 255 bytes
constexpr size_t kOemIniSize = 256;          // the OEM ini text is built in this
constexpr size_t kDependentFilesSize = 512;  // NUL-separated list, extra NUL at the end

// The dependent-file list is the tightest of all the derived texts: the 11 target
// names take 6 * length + 94 bytes (six of them carry the printer name; the
// shared ones and the suffixes add 94), plus 12 NULs, so 6 * length + 106 <= 512
// allows 67. The OEM ini would allow 98, the resource DLL line of the GPD 231.
constexpr size_t kMaxPrinterNameLength = 67;

enum class DriverFileKind {
  kOemIni,    // generated, the source is never read
  kCopy,
  kGpd,       // rewritten by CustomizeGpd
  kUiConfig,  // rewritten by RewriteUIConfig
};

struct DriverFileEntry {
  const char* sourceName;    // in the extraction folder
  bool perPrinter;           // target = printer name + targetName
  const char* targetName;    // the whole target name when not perPrinter
  DriverFileKind kind;
};

struct MonitorFileEntry {
  const char* sourceName;
  const char* suffix;  // target = printer name + suffix + ".dll"
};

extern const DriverFileEntry kDriverFiles[kDriverFileCount];
extern const MonitorFileEntry kMonitorFiles[kMonitorFileCount];

// Index of the entries other code refers to.
constexpr int kOemIniEntry = 0;
constexpr int kOemDriverEntry = 1;
constexpr int kGpdEntry = 2;
constexpr int kResourceDllEntry = 3;
constexpr int kOemConfigEntry = 4;
constexpr int kUiConfigEntry = 10;

struct DriverFileNames {
  char targets[kDriverFileCount][kNameSize];
  char monitors[kMonitorFileCount][kNameSize];

  const char* DataFile() const { return targets[kGpdEntry]; }
  const char* ResourceDllName() const { return targets[kResourceDllEntry]; }
  // The bare name the port-monitor registration passes: printer name + "Mon.dll".
  const char* MonitorDllName() const { return monitors[0]; }
};

// Fills every target name for printerName. False, with all names empty, when
// one of them would not fit in kNameSize bytes.
bool BuildDriverFileNames(const char* printerName, DriverFileNames* names);

// On the 64-bit path an entry is copied from its ".x64" twin when its source name
// contains ".dll". The test is case-sensitive on purpose: "RES80.DLL" and
// "UNIRES.DLL" come from their plain files. Monitor DLLs always use the twin.
bool UsesX64Twin(const char* sourceName);

// "[OEMFiles]\r\nOEMDriverFile1=%s\r\nOEMConfigFile1=%s\r\n" with the targets of
// entries 1 and 4. *length gets the byte count (no NUL is written to the file).
// False, with text empty, when it does not fit in capacity - 1 bytes.
bool FormatOemIni(const DriverFileNames& names, char* text, size_t capacity, size_t* length);

// The 11 target names in table order, each followed by a NUL, then one more NUL,
// in a zero-filled buffer. *length gets the bytes used including the final NUL.
// False, with the buffer all zeros, when they do not fit in capacity bytes.
bool BuildDependentFiles(const DriverFileNames& names, char* list, size_t capacity,
                         size_t* length);

// True when every name, text and list derived from printerName fits its buffer
// (at most kMaxPrinterNameLength bytes) and the name can stand in a Windows file
// name: not empty, no control characters, none of \ / : * ? " < > |, no comma (the
// default printer's value is "printer,driver,port") and only whole GBK characters,
// whose trail bytes may look like '\' or '|' and are fine.
// Start-up refuses a configuration whose printer name fails this.
bool IsPrinterNameUsable(const char* printerName);

// The bare names the staging removes from the extraction folder: every entry of
// both tables, plain and with ".x64", in table order.
std::vector<std::string> StagedSourceFileNames();

}  // namespace driver
