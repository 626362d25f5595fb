#include "app/command_line.h"

#include <cstring>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool EqualsUpper(const std::string& text, const char* upper) {
  if (text.size() != std::strlen(upper)) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (Upper(text[i]) != upper[i]) return false;
  }
  return true;
}

// A value up to the next blank, or in double quotes (which are dropped).
std::string ReadValue(const char*& p) {
  std::string value;
  if (*p == '"') {
    for (++p; *p != '\0' && *p != '"'; ++p) value += *p;
    if (*p == '"') ++p;
    return value;
  }
  for (; *p != '\0' && !IsBlank(*p); ++p) value += *p;
  return value;
}

}  // namespace

namespace {

enum class Parsed { kNext, kEnd, kRefused };

// One option at p, which advances past it. /D= ends the line. In a quoted option
// (whole) a value is everything after its '='.
Parsed ParseOption(const char*& p, SetupOptions& options, bool whole) {
  auto value = [&p, whole] {
    if (!whole) return ReadValue(p);
    std::string rest = p;
    p += rest.size();
    return rest;
  };
  if (*p != '/') {
    options.error = "unexpected text: " + ReadValue(p);
    return Parsed::kRefused;
  }
  ++p;
  // The option's name runs to a blank or an '='.
  std::string name;
  while (*p != '\0' && !IsBlank(*p) && *p != '=') name += *p++;
  const bool hasValue = *p == '=';
  if (hasValue) ++p;

  if (EqualsUpper(name, "D") && hasValue) {
    // The rest of the line, blanks included; blanks at its end are not a name's.
    std::string rest = p;
    while (!rest.empty() && IsBlank(rest.back())) rest.pop_back();
    if (rest.size() >= 2 && rest.front() == '"' && rest.back() == '"') rest = rest.substr(1, rest.size() - 2);
    options.hasFolder = true;
    options.folder = rest;
    p += std::strlen(p);
    return Parsed::kEnd;
  }
  if (!hasValue && EqualsUpper(name, "S")) {
    options.silent = true;
  } else if (!hasValue && name == "?") {
    options.help = true;
  } else if (!hasValue && EqualsUpper(name, "NODEFAULT")) {
    options.noDefault = true;
  } else if (!hasValue && EqualsUpper(name, "ADD")) {
    options.addAnother = true;
  } else if (!hasValue && EqualsUpper(name, "NORESTART")) {
    options.noRestart = true;
  } else if (!hasValue && EqualsUpper(name, "TESTPRINT")) {
    options.testPrint = true;
  } else if (hasValue && EqualsUpper(name, "TARGET")) {
    options.target = value();
    options.hasTarget = true;
    if (options.target.empty()) {
      options.error = "/TARGET needs a target: tcp:HOST[:PORT], COMn[:BAUD] or a folder";
      return Parsed::kRefused;
    }
  } else if (hasValue && EqualsUpper(name, "LANG")) {
    const std::string language = value();
    if (EqualsUpper(language, "CN")) {
      options.languageFlag = 1;
    } else if (EqualsUpper(language, "EN")) {
      options.languageFlag = 0;
    } else {
      options.error = "/LANG takes EN or CN, not \"" + language + "\"";
      return Parsed::kRefused;
    }
  } else if (hasValue && EqualsUpper(name, "PORT")) {
    options.port = value();
    options.hasPort = true;
    if (options.port.empty()) {
      options.error = "/PORT needs a port name";
      return Parsed::kRefused;
    }
  } else if (hasValue && EqualsUpper(name, "LOG")) {
    options.logPath = value();
    if (options.logPath.empty()) {
      options.error = "/LOG needs a file name";
      return Parsed::kRefused;
    }
  } else {
    options.error = "unknown option /" + name + (hasValue ? "=" : "");
    return Parsed::kRefused;
  }
  // An option ends at a blank; "/S/NODEFAULT" is not two options.
  if (*p != '\0' && !IsBlank(*p)) {
    options.error = "unexpected text after /" + name + ": " + ReadValue(p);
    return Parsed::kRefused;
  }
  return Parsed::kNext;
}

}  // namespace

SetupOptions ParseSetupCommandLine(const char* arguments) {
  SetupOptions options;
  const char* p = arguments ? arguments : "";
  // A refused option does not end the parse: /S and /LOG= anywhere on the line still
  // count, so that an unattended run never waits on a message box nobody sees. The
  // first refusal is the one reported.
  std::string firstError;
  for (;;) {
    while (IsBlank(*p)) ++p;
    if (*p == '\0') break;
    Parsed parsed;
    if (p[0] == '"' && p[1] == '/') {
      // A whole option in quotes, as programs that start others with an argument
      // list write one that holds blanks: "/D=C:\Program Files\X".
      const std::string quoted = ReadValue(p);
      const char* inner = quoted.c_str();
      parsed = ParseOption(inner, options, true);
      if (parsed == Parsed::kEnd) parsed = Parsed::kNext;  // /D= ends only the quoted part
      if (parsed == Parsed::kNext && *inner != '\0') {
        options.error = "one option a quoted word: " + quoted;
        parsed = Parsed::kRefused;
      }
    } else {
      parsed = ParseOption(p, options, false);
    }
    if (parsed == Parsed::kRefused) {
      if (firstError.empty()) firstError = options.error;
      options.error.clear();
      while (*p != '\0' && !IsBlank(*p)) ++p;  // the rest of the refused word
      continue;
    }
    if (parsed == Parsed::kEnd) break;
  }
  options.error = firstError;
  return options;
}

const char* SetupUsage(int languageFlag) {
  if (languageFlag) {
    return "用法：setup.exe /S [/LANG=EN|CN] [/PORT=端口名] [/TARGET=目标] [/NODEFAULT] [/ADD] [/NORESTART] [/TESTPRINT] "
           "[/LOG=文件] [/D=文件夹]\n\n"
           "/S\t不显示向导，直接安装；已安装时就地更新\n"
           "/LANG=EN|CN\t安装语言（默认按系统区域设置）\n"
           "/PORT=端口名\t打印机使用的端口（默认为配置中的端口）\n"
           "/TARGET=目标\t端口的目标：tcp:主机[:端口]、COMn[:波特率] 或文件夹\n"
           "/NODEFAULT\t不设为默认打印机\n"
           "/ADD\t已安装时另外添加一台打印机，而不是更新\n"
           "/NORESTART\t从不重新启动 Windows（本程序从不自行重启）\n"
           "/TESTPRINT\t安装成功后打印一张测试小票\n"
           "/LOG=文件\t把安装过程追加写入此文件\n"
           "/D=文件夹\t安装文件夹，须放在最后，可含空格\n"
           "/?\t显示本说明";
  }
  return "Usage: setup.exe /S [/LANG=EN|CN] [/PORT=name] [/TARGET=target] [/NODEFAULT] [/ADD] [/NORESTART] "
         "[/TESTPRINT] [/LOG=file] [/D=folder]\n\n"
         "/S\tinstall without the wizard; an installed printer is updated in place\n"
         "/LANG=EN|CN\tlanguage of the installation (default: by the system's locale)\n"
         "/PORT=name\tthe printer's port (default: the configured port)\n"
         "/TARGET=target\tthe port's target: tcp:HOST[:PORT], COMn[:BAUD] or a folder\n"
         "/NODEFAULT\tdo not make it the default printer\n"
         "/ADD\tadd another printer beside an installed one instead of updating it\n"
         "/NORESTART\tnever restart Windows (this program never does)\n"
         "/TESTPRINT\tprint a test receipt once installed\n"
         "/LOG=file\tappend an account of the installation to this file\n"
         "/D=folder\tthe destination folder; last on the line, may hold blanks\n"
         "/?\tshow this text";
}

std::string WithDefaultTcpPort(const std::string& target) {
  if (target.size() < 4 || !EqualsUpper(target.substr(0, 4), "TCP:")) return target;
  const std::string host = target.substr(4);
  if (host.empty()) return target;
  const bool bracketed = host.front() == '[';
  if (bracketed ? host.back() == ']' : host.find(':') == std::string::npos) return target + ":9100";
  return target;
}
