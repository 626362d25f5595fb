#include "monitor/ui_texts.h"

namespace monitor {

namespace {

const PortDialogTexts kEnglish = {
    "Port settings",
    "Add a port",
    "Port name:",
    "Send print jobs to:",
    "A folder, such as C:\\Receipts: each job becomes a file.\n"
    "A network printer: tcp:HOST:PORT, such as tcp:192.168.1.100:9100.\n"
    "A serial port: COM1 (19200 baud), or another speed as in COM1:9600.",
    "Leave it empty for the monitor's own folder.",
    "The stored target could not be used: the monitor's own folder is shown instead.",
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
    "文件夹:例如 C:\\Receipts,每个打印任务保存为一个文件。\n"
    "网络打印机:tcp:主机:端口,例如 tcp:192.168.1.100:9100。\n"
    "串口:COM1(19200 波特),其他速率如 COM1:9600。",
    "留空则使用监视器自己的文件夹。",
    "保存的目标无法使用,现显示监视器自己的文件夹。",
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
      return zh ? "请输入文件夹、tcp:主机:端口或 COM 串口。" : "Enter a folder, tcp:HOST:PORT or a serial port (COM1).";
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
    case TargetError::kBadSerial:
      return zh ? "串口须为 COM1 到 COM256,速率须为标准速率(例如 9600、19200、115200)。"
                : "A serial port is COM1 to COM256, its speed a standard one (such as 9600, 19200, 115200).";
    case TargetError::kDevicePath:
      return zh ? "设备路径不能作为文件夹。" : "A device path is not a folder.";
    case TargetError::kReservedName:
      return zh ? "文件夹名称不能是设备名(如 CON、NUL、COM1)。"
                : "A folder cannot be named as a device (such as CON, NUL, COM1).";
    case TargetError::kBadStep:
      return zh ? "文件夹路径不能含有“.”、“..”、空名称或以点或空格结尾的名称。"
                : "A folder path cannot contain \".\", \"..\", an empty name or a name ending in a dot or blank.";
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
      return zh ? "端口名称不能含有反斜杠、逗号或控制字符。"
                : "A port name cannot contain a backslash, a comma or control characters.";
  }
  return "";
}

}  // namespace monitor
