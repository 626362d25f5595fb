#include "uninstall/installation_record.h"

#include <cstring>
#include <vector>

#include "driver/driver_files.h"
#include "system/ansi_text.h"

namespace uninstall {

namespace {

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool SameText(const std::string& a, const char* b) { return sys::EqualsIgnoringAsciiCase(a.c_str(), b); }

// The folders of Windows itself that no installation of ours is, and that a
// damaged or edited record must never send the uninstaller into: their paths
// below the drive, and the last levels of the Start menu's own folders.
const char* const kSystemFolders[] = {
    "Windows", "Windows\\System32", "Windows\\SysWOW64", "Windows\\System", "Program Files",
    "Program Files (x86)", "ProgramData", "ProgramData\\Microsoft", "Users", "Users\\Public",
    "Documents and Settings", "Documents and Settings\\All Users",
    "Documents and Settings\\All Users\\Application Data"};
const char* const kSystemTails[] = {"Start Menu", "Start Menu\\Programs", "「开始」菜单", "「开始」菜单\\程序"};

// A folder the uninstaller may look into: a full path on a drive ("C:\...") or a
// share ("\\server\share\..."), at least one level below that root, every level a
// name (no empty, "." or ".." level, none ending in a dot or blank, which Windows
// would drop), and none of the system's own folders nor a user's profile folder.
bool IsUsableFolder(const std::string& path) {
  size_t rootEnd;  // where the levels below the root start
  if (path.size() > 3 && IsAsciiLetter(path[0]) && path[1] == ':' && path[2] == '\\') {
    rootEnd = 3;
  } else if (path.size() > 2 && path[0] == '\\' && path[1] == '\\' && path[2] != '\\') {
    const size_t share = path.find('\\', 2);
    if (share == std::string::npos) return false;
    rootEnd = path.find('\\', share + 1);
    if (rootEnd == std::string::npos || rootEnd == share + 1) return false;  // the share itself
    ++rootEnd;
  } else {
    return false;
  }
  const std::string below = path.substr(rootEnd);
  std::vector<std::string> levels;
  for (size_t at = 0;;) {
    const size_t end = below.find('\\', at);
    levels.push_back(below.substr(at, end == std::string::npos ? std::string::npos : end - at));
    if (end == std::string::npos) break;
    at = end + 1;
  }
  for (const std::string& level : levels) {
    if (level.empty() || level == "." || level == ".." || level.back() == '.' || level.back() == ' ') return false;
  }
  for (const char* system : kSystemFolders) {
    if (SameText(below, system)) return false;
  }
  for (const char* tail : kSystemTails) {
    const size_t length = std::strlen(tail);
    if (below.size() >= length && SameText(below.substr(below.size() - length), tail) &&
        (below.size() == length || below[below.size() - length - 1] == '\\'))
      return false;
  }
  // A user's own profile folder.
  if (levels.size() == 2 && (SameText(levels[0], "Users") || SameText(levels[0], "Documents and Settings")))
    return false;
  return true;
}

bool EndsWithLnk(const std::string& path) {
  return path.size() > 4 && sys::EqualsIgnoringAsciiCase(path.c_str() + path.size() - 4, ".lnk");
}

const char* Why(ValueRead read, int languageFlag) {
  switch (read) {
    case ValueRead::kMissing:
      return languageFlag ? "缺少" : "missing";
    case ValueRead::kWrongType:
      return languageFlag ? "不是文本" : "not a text";
    case ValueRead::kTooLong:
      return languageFlag ? "过长" : "too long";
    case ValueRead::kFound:
      break;
  }
  return languageFlag ? "无效" : "not usable";
}

}  // namespace

ValueRead StringFromRegistryData(unsigned long type, const char* data, size_t size, std::string* text) {
  text->clear();
  if (type != 1 && type != 2) return ValueRead::kWrongType;
  const size_t length = data ? strnlen(data, size) : 0;
  if (length > 255) return ValueRead::kTooLong;
  text->assign(data ? data : "", length);
  return ValueRead::kFound;
}

namespace {

// Whether the key's folders send the uninstaller elsewhere: its "Program Directory"
// is a usable path and neither it nor "Data Directory" (where the installation keeps
// the copy of the uninstaller that runs elevated) is programFolder. A missing or
// damaged one does not; the record's check reports it.
bool NamesAnotherFolder(RecordSource& source, const std::string& keyPath, const std::string& programFolder) {
  std::string recorded, data;
  if (source.ReadString(keyPath, "Program Directory", &recorded) != ValueRead::kFound) return false;
  if (source.ReadString(keyPath, "Data Directory", &data) == ValueRead::kFound &&
      sys::EqualsIgnoringAsciiCase(data.c_str(), programFolder.c_str()))
    return false;
  return IsUsableFolder(recorded) && !sys::EqualsIgnoringAsciiCase(recorded.c_str(), programFolder.c_str());
}

// A record of ours whose "Program Directory" or "Data Directory" is programFolder,
// found by looking at every key under SOFTWARE; empty when there is none. The data
// folder is the printer's own; the program folder may be shared by two printers,
// and then the ini's (preferred) names the one.
std::string FindRecordFor(RecordSource& source, const std::string& programFolder, const std::string& preferred) {
  std::string found;
  for (const std::string& name : source.SoftwareKeyNames()) {
    if (!driver::IsPrinterNameUsable(name.c_str())) continue;
    const std::string keyPath = "SOFTWARE\\" + name;
    std::string folder, data, driver;
    if (source.ReadString(keyPath, "PrinterDriver", &driver) != ValueRead::kFound) continue;
    const bool program = source.ReadString(keyPath, "Program Directory", &folder) == ValueRead::kFound &&
                         sys::EqualsIgnoringAsciiCase(folder.c_str(), programFolder.c_str());
    const bool own = source.ReadString(keyPath, "Data Directory", &data) == ValueRead::kFound &&
                     sys::EqualsIgnoringAsciiCase(data.c_str(), programFolder.c_str());
    if (own) return name;
    if (program && (found.empty() || sys::EqualsIgnoringAsciiCase(name.c_str(), preferred.c_str()))) found = name;
  }
  return found;
}

// The values of the record check.keyPath names, checked.
RecordCheck ReadValues(RecordCheck check, RecordSource& source) {
  InstallationRecord& r = check.record;
  std::string language;
  const ValueRead languageRead = source.ReadString(check.keyPath, "Language", &language);
  check.languageKnown = languageRead == ValueRead::kFound;
  r.languageFlag = language == "Chinese" ? 1 : 0;

  // The problems are listed in the language the message will be in.
  const int lang = r.languageFlag;
  struct Required {
    const char* name;
    std::string* text;
    bool optional;
  } values[] = {
      {"PrinterDriver", &r.driverName, false},      {"MonitorName", &r.monitorName, false},
      {"PortName", &r.portName, false},             {"Program Directory", &r.programFolder, false},
      {"Data Directory", &r.dataFolder, false},     {"StartMenuDir", &r.startMenuFolder, true},
      {"Uninstaller", &r.shortcutPath, true},
  };
  if (languageRead != ValueRead::kFound) check.problems.push_back(std::string("Language (") + Why(languageRead, lang) + ")");
  for (const Required& value : values) {
    const ValueRead read = source.ReadString(check.keyPath, value.name, value.text);
    if (read == ValueRead::kMissing && value.optional) continue;
    if (read == ValueRead::kFound && !value.text->empty()) continue;
    check.problems.push_back(std::string(value.name) + " (" + Why(read == ValueRead::kFound ? ValueRead::kMissing : read, lang) + ")");
  }
  // Paths the uninstaller acts on must be what an installation writes.
  const char* notUsable = lang ? " (无效路径)" : " (not a usable path)";
  if (!r.programFolder.empty() && !IsUsableFolder(r.programFolder))
    check.problems.push_back(std::string("Program Directory") + notUsable);
  if (!r.dataFolder.empty() && !IsUsableFolder(r.dataFolder))
    check.problems.push_back(std::string("Data Directory") + notUsable);
  if (!r.startMenuFolder.empty() && !IsUsableFolder(r.startMenuFolder))
    check.problems.push_back(std::string("StartMenuDir") + notUsable);
  if (!r.shortcutPath.empty() && !EndsWithLnk(r.shortcutPath))
    check.problems.push_back(std::string("Uninstaller") + notUsable);
  check.state = check.problems.empty() ? RecordState::kComplete : RecordState::kIncomplete;
  return check;
}

}  // namespace

RecordCheck ReadInstallationRecord(const std::string& programFolder, RecordSource& source,
                                   const std::string& printerOnCommandLine) {
  RecordCheck check;
  check.iniPath = programFolder + "\\Uninstall.ini";
  std::string printer;
  if (!printerOnCommandLine.empty()) {
    // Named on the command line: that record, and only when it names this folder.
    printer = printerOnCommandLine;
    check.keyPath = "SOFTWARE\\" + printer;
    check.record.printerName = printer;
    if (!driver::IsPrinterNameUsable(printer.c_str())) {
      check.state = RecordState::kBadName;
      return check;
    }
    if (!source.KeyExists(check.keyPath)) {
      check.state = RecordState::kNoKey;
      return check;
    }
    if (NamesAnotherFolder(source, check.keyPath, programFolder)) {
      check.state = RecordState::kOtherFolder;
      source.ReadString(check.keyPath, "Program Directory", &check.otherFolder);
      return check;
    }
    return ReadValues(check, source);
  }
  const bool haveIni = source.ReadIniPrinterName(check.iniPath, &printer);
  // The name makes the key path and the monitor DLLs' file names: it must be one the
  // installation could have used.
  const bool iniUsable = haveIni && driver::IsPrinterNameUsable(printer.c_str());
  const bool iniLeads = iniUsable && source.KeyExists("SOFTWARE\\" + printer) &&
                        !NamesAnotherFolder(source, "SOFTWARE\\" + printer, programFolder);
  if (!iniLeads) {
    // The ini is a copy for others; the registry says which record is this folder's.
    const std::string found = FindRecordFor(source, programFolder, haveIni ? printer : std::string());
    if (!found.empty()) {
      printer = found;
    } else if (!haveIni) {
      check.state = RecordState::kNoIni;
      return check;
    } else if (!iniUsable) {
      check.state = RecordState::kBadName;
      check.record.printerName = printer;
      return check;
    } else {
      check.keyPath = "SOFTWARE\\" + printer;
      check.record.printerName = printer;
      check.state = RecordState::kNoKey;
      if (source.KeyExists(check.keyPath)) {
        check.state = RecordState::kOtherFolder;
        source.ReadString(check.keyPath, "Program Directory", &check.otherFolder);
      }
      return check;
    }
  }
  check.keyPath = "SOFTWARE\\" + printer;
  check.record.printerName = printer;
  return ReadValues(check, source);
}

std::string DescribeRecordProblem(const RecordCheck& check, int languageFlag) {
  const bool zh = languageFlag != 0;
  switch (check.state) {
    case RecordState::kComplete:
      return std::string();
    case RecordState::kNoIni:
      return (zh ? "找不到卸载记录：" : "There is nothing to uninstall: no uninstall record ") + check.iniPath +
             (zh ? " 不存在或没有打印机名称。" : " with a printer name was found.");
    case RecordState::kBadName:
      return (zh ? "卸载记录已损坏：" : "The uninstall record is damaged: ") + check.iniPath +
             (zh ? " 中的打印机名称无法使用。没有删除任何内容。"
                 : " names a printer that cannot exist. Nothing was removed.");
    case RecordState::kNoKey:
      return (zh ? "没有可卸载的内容：注册表项 HKEY_LOCAL_MACHINE\\" : "There is nothing to uninstall: the registry key HKEY_LOCAL_MACHINE\\") +
             check.keyPath + (zh ? " 不存在。" : " does not exist.");
    case RecordState::kOtherFolder:
      return (zh ? "没有可从此文件夹卸载的内容：注册表项 HKEY_LOCAL_MACHINE\\" : "There is nothing to uninstall from this folder: the registry key HKEY_LOCAL_MACHINE\\") +
             check.keyPath + (zh ? " 属于安装在 " : " belongs to the installation in ") + check.otherFolder +
             (zh ? " 的打印机。" : ".");
    case RecordState::kIncomplete:
      break;
  }
  std::string text = zh ? "卸载记录不完整，没有删除任何内容。注册表项 HKEY_LOCAL_MACHINE\\"
                        : "The uninstall record is incomplete, so nothing was removed. The registry key HKEY_LOCAL_MACHINE\\";
  text += check.keyPath + (zh ? " 中有问题的值：" : " lacks these values or holds damaged ones:");
  for (const std::string& problem : check.problems) text += "\n  " + problem;
  return text;
}

}  // namespace uninstall
