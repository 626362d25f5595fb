#include "uninstall/installation_record.h"

#include <cstring>

#include "driver/driver_files.h"
#include "system/ansi_text.h"

namespace uninstall {

namespace {

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// A folder the uninstaller may look into: a full path on a drive ("C:\...") or a
// share ("\\server\..."), never a drive's root, never with a ".." level. A damaged
// record must not point it at the root of the system drive.
bool IsUsableFolder(const std::string& path) {
  if (path.find("\\..") != std::string::npos) return false;
  if (path.size() > 3 && IsAsciiLetter(path[0]) && path[1] == ':' && path[2] == '\\') return true;
  return path.size() > 2 && path[0] == '\\' && path[1] == '\\' && path[2] != '\\';
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

RecordCheck ReadInstallationRecord(const std::string& programFolder, RecordSource& source) {
  RecordCheck check;
  check.iniPath = programFolder + "\\Uninstall.ini";
  std::string printer;
  if (!source.ReadIniPrinterName(check.iniPath, &printer)) {
    check.state = RecordState::kNoIni;
    return check;
  }
  // The name makes the key path and the monitor DLLs' file names: it must be one the
  // installation could have used.
  if (!driver::IsPrinterNameUsable(printer.c_str())) {
    check.state = RecordState::kBadName;
    check.record.printerName = printer;
    return check;
  }
  check.keyPath = "SOFTWARE\\" + printer;
  if (!source.KeyExists(check.keyPath)) {
    check.state = RecordState::kNoKey;
    check.record.printerName = printer;
    return check;
  }

  InstallationRecord& r = check.record;
  r.printerName = printer;
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
