#include "driver/driver_files.h"

#include <cstring>

#include "driver/bounded_text.h"
#include "driver/gbk.h"

namespace driver {

const DriverFileEntry kDriverFiles[kDriverFileCount] = {
    {"rillo80.ini", true, ".ini", DriverFileKind::kOemIni},
    {"rillo80d.dll", true, "Drv.dll", DriverFileKind::kCopy},
    {"RILLO80.GPD", true, ".gpd", DriverFileKind::kGpd},
    {"RES80.DLL", true, "RES.dll", DriverFileKind::kCopy},
    {"newrillo58f.dll", true, "UI.dll", DriverFileKind::kCopy},
    {"UNIRES.DLL", false, "UNIRES.DLL", DriverFileKind::kCopy},
    {"unidrv.hlp", false, "unidrv.hlp", DriverFileKind::kCopy},
    {"UNIDRVUI.dll", false, "UNIDRVUI.dll", DriverFileKind::kCopy},
    {"UNIDRV.dll", false, "UNIDRV.dll", DriverFileKind::kCopy},
    {"STDNAMES.GPD", false, "STDNAMES.GPD", DriverFileKind::kCopy},
    {"UIConfig.txt", true, "UIConfig.txt", DriverFileKind::kUiConfig},
};

const MonitorFileEntry kMonitorFiles[kMonitorFileCount] = {
    {"Rillo80PrinterMon.dll", "Mon"},
    {"Rillo80PrinterMonUI.dll", "MonUI"},
};

bool BuildDriverFileNames(const char* printerName, DriverFileNames* names) {
  memset(names, 0, sizeof *names);
  if (!printerName) return false;
  bool ok = true;
  for (int i = 0; i < kDriverFileCount; ++i) {
    const DriverFileEntry& entry = kDriverFiles[i];
    ok = ok && (entry.perPrinter
                    ? JoinText(names->targets[i], kNameSize, printerName, entry.targetName)
                    : JoinText(names->targets[i], kNameSize, entry.targetName, nullptr));
  }
  for (int i = 0; i < kMonitorFileCount; ++i) {
    ok = ok && JoinText(names->monitors[i], kNameSize, printerName, kMonitorFiles[i].suffix, ".dll");
  }
  if (!ok) memset(names, 0, sizeof *names);
  return ok;
}

bool UsesX64Twin(const char* sourceName) { return strstr(sourceName, ".dll") != nullptr; }

bool FormatOemIni(const DriverFileNames& names, char* text, size_t capacity, size_t* length) {
  if (length) *length = 0;
  if (capacity == 0) return false;
  BoundedText ini(text, capacity);
  ini.Append("[OEMFiles]\r\nOEMDriverFile1=")
      .Append(names.targets[kOemDriverEntry])
      .Append("\r\nOEMConfigFile1=")
      .Append(names.targets[kOemConfigEntry])
      .Append("\r\n");
  if (ini.WasCut()) {
    text[0] = '\0';
    return false;
  }
  if (length) *length = ini.Length();
  return true;
}

bool BuildDependentFiles(const DriverFileNames& names, char* list, size_t capacity,
                         size_t* length) {
  if (length) *length = 0;
  memset(list, 0, capacity);
  size_t used = 0;
  for (const char* name : names.targets) {
    size_t n = strlen(name) + 1;
    // Room must stay for this name's NUL and the list's final NUL.
    if (n + 1 > capacity || used > capacity - n - 1) {
      memset(list, 0, capacity);
      return false;
    }
    memcpy(list + used, name, n);
    used += n;
  }
  used += 1;  // the final NUL, already there
  if (length) *length = used;
  return true;
}

namespace {

bool IsForbiddenInFileName(unsigned char c) {
  return c < 32 || strchr("\\/:*?\"<>|", c) != nullptr;
}

}  // namespace

bool IsPrinterNameUsable(const char* printerName) {
  if (!printerName || printerName[0] == '\0') return false;
  if (strlen(printerName) > kMaxPrinterNameLength) return false;

  const unsigned char* p = reinterpret_cast<const unsigned char*>(printerName);
  while (*p) {
    if (IsGbkLeadByte(*p)) {
      // A whole GBK character, whatever its trail byte looks like in ASCII; a lead
      // byte without a proper trail byte is no character at all.
      if (!IsGbkTrailByte(p[1])) return false;
      p += 2;
      continue;
    }
    // A comma is fine in a file name, but Windows keeps the default printer as
    // "printer,driver,port" and would read the name as ending there.
    if (IsForbiddenInFileName(*p) || *p == ',') return false;
    ++p;
  }

  // The length limit above is what these come to; building them keeps the two
  // from drifting apart if the table ever changes.
  DriverFileNames names;
  char ini[kOemIniSize];
  char list[kDependentFilesSize];
  return BuildDriverFileNames(printerName, &names) &&
         FormatOemIni(names, ini, sizeof ini, nullptr) &&
         BuildDependentFiles(names, list, sizeof list, nullptr);
}

std::vector<std::string> StagedSourceFileNames() {
  std::vector<std::string> files;
  for (const DriverFileEntry& entry : kDriverFiles) {
    files.push_back(entry.sourceName);
    files.push_back(std::string(entry.sourceName) + ".x64");
  }
  for (const MonitorFileEntry& entry : kMonitorFiles) {
    files.push_back(entry.sourceName);
    files.push_back(std::string(entry.sourceName) + ".x64");
  }
  return files;
}

}  // namespace driver
