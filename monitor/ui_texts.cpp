#include "monitor/ui_texts.h"

namespace monitor {

namespace {

const PortDialogTexts kEnglish = {
    "Port settings",
    "Add a port",
    "Port name:",
    "Send print jobs to:",
    "A folder (such as C:\\Receipts: each job becomes a file) or a network printer "
    "(tcp:HOST:PORT, such as tcp:192.168.1.100:9100).",
    "Leave it empty for the monitor's own folder.",
    "OK",
    "Cancel",
    "A port of that name exists already.",
    "The port could not be changed (error %lu).",
};

const PortDialogTexts kChinese = {
    "端口设置",
    "添加端口",
    "端口名称:",
    "打印任务发送到:",
    "文件夹(例如 C:\\Receipts,每个打印任务保存为一个文件)或网络打印机"
    "(tcp:主机:端口,例如 tcp:192.168.1.100:9100)。",
    "留空则使用监视器自己的文件夹。",
    "确定",
    "取消",
    "已有同名端口。",
    "无法更改端口(错误 %lu)。",
};

}  // namespace

bool LanguageFromRecord(const std::u16string& value, UiLanguage* language) {
  if (value == u"Chinese") {
    *language = UiLanguage::kChinese;
    return true;
  }
  if (value == u"English") {
    *language = UiLanguage::kEnglish;
    return true;
  }
  return false;
}

UiLanguage LanguageFromLangId(uint16_t langId) {
  return (langId & 0x3FF) == 0x04 ? UiLanguage::kChinese : UiLanguage::kEnglish;  // LANG_CHINESE
}

const PortDialogTexts& DialogTexts(UiLanguage language) {
  return language == UiLanguage::kChinese ? kChinese : kEnglish;
}

const char* TargetErrorText(UiLanguage language, TargetError error) {
  const bool zh = language == UiLanguage::kChinese;
  switch (error) {
    case TargetError::kNone:
      return "";
    case TargetError::kEmpty:
      return zh ? "请输入文件夹或 tcp:主机:端口。" : "Enter a folder or tcp:HOST:PORT.";
    case TargetError::kTooLong:
      return zh ? "文件夹或主机名太长。" : "The folder or host name is too long.";
    case TargetError::kBadHost:
      return zh ? "主机名无效。" : "The host name is not valid.";
    case TargetError::kBadPort:
      return zh ? "端口号必须在 1 到 65535 之间。" : "The port number must be from 1 to 65535.";
    case TargetError::kNotAbsolute:
      return zh ? "请输入文件夹的完整路径,例如 C:\\Receipts。" : "Give the folder's full path, such as C:\\Receipts.";
    case TargetError::kBadCharacter:
      return zh ? "文件夹名称含有不允许的字符。" : "The folder name contains a character that is not allowed.";
  }
  return "";
}

const char* PortNameErrorText(UiLanguage language, PortNameError error) {
  const bool zh = language == UiLanguage::kChinese;
  switch (error) {
    case PortNameError::kNone:
      return "";
    case PortNameError::kEmpty:
      return zh ? "请输入端口名称。" : "Enter a port name.";
    case PortNameError::kTooLong:
      return zh ? "端口名称太长。" : "The port name is too long.";
    case PortNameError::kBadCharacter:
      return zh ? "端口名称不能含有反斜杠或控制字符。" : "A port name cannot contain a backslash or control characters.";
  }
  return "";
}

}  // namespace monitor
