#include "monitor/port_target.h"

#include "monitor/text16.h"

namespace monitor {

namespace {

bool IsAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool IsHex(char16_t c) { return IsDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'); }

std::u16string Trim(const std::u16string& text) {
  const size_t first = text.find_first_not_of(u" \t");
  if (first == std::u16string::npos) return std::u16string();
  const size_t last = text.find_last_not_of(u" \t");
  return text.substr(first, last - first + 1);
}

TargetError ParseTcp(const std::u16string& rest, Target* target) {
  // The port follows the last colon, so an IPv6 address must come in brackets.
  const size_t colon = rest.rfind(u':');
  if (colon == std::u16string::npos) return TargetError::kBadPort;
  std::u16string host = rest.substr(0, colon);
  const std::u16string digits = rest.substr(colon + 1);
  if (digits.empty() || digits.size() > 5) return TargetError::kBadPort;
  uint32_t port = 0;
  for (char16_t c : digits) {
    if (!IsDigit(c)) return TargetError::kBadPort;
    port = port * 10 + (c - u'0');
  }
  if (port == 0 || port > 65535) return TargetError::kBadPort;

  if (host.size() >= 2 && host.front() == u'[' && host.back() == u']') {
    host = host.substr(1, host.size() - 2);
    if (host.empty()) return TargetError::kBadHost;
    for (char16_t c : host)
      if (!IsHex(c) && c != u':' && c != u'.') return TargetError::kBadHost;
  } else {
    if (host.empty()) return TargetError::kBadHost;
    for (char16_t c : host)
      if (!IsAsciiLetter(c) && !IsDigit(c) && c != u'-' && c != u'.' && c != u'_') return TargetError::kBadHost;
  }
  if (host.size() > kMaxHostChars) return TargetError::kTooLong;

  target->kind = TargetKind::kTcp;
  target->folder.clear();
  target->host.assign(host.begin(), host.end());
  target->port = static_cast<uint16_t>(port);
  return TargetError::kNone;
}

// A device name Windows opens in every folder ("C:\Receipts\NUL" is the null
// device): the part before the first dot, blanks at its end ignored.
bool IsReservedName(const std::u16string& step) {
  std::u16string base = step.substr(0, step.find(u'.'));
  while (!base.empty() && base.back() == u' ') base.pop_back();
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  for (const char* device : kDevices)
    if (EqualsIgnoreCase(base, U16(device))) return true;
  if (base.size() != 4) return false;
  const std::u16string head = base.substr(0, 3);
  const char16_t last = base[3];
  // COM0-COM9 and LPT0-LPT9, and the superscript digits 1, 2 and 3 Windows also takes.
  return (EqualsIgnoreCase(head, u"COM") || EqualsIgnoreCase(head, u"LPT")) &&
         (IsDigit(last) || last == 0x00B9 || last == 0x00B2 || last == 0x00B3);
}

// One folder name of a path. Windows drops a name's trailing dots and blanks, so
// "Receipts." would be another folder than the one checked and named.
TargetError CheckStep(const std::u16string& step) {
  if (step.empty() || step.back() == u'.' || step.back() == u' ') return TargetError::kBadStep;
  if (EqualsIgnoreCase(step, u"GLOBALROOT")) return TargetError::kDevicePath;
  if (IsReservedName(step)) return TargetError::kReservedName;
  return TargetError::kNone;
}

// \\.\ and \\?\ reach devices, pipes and disks (\\.\pipe\x, \\.\PhysicalDrive0,
// \\?\GLOBALROOT\...); \??\ is the same in the kernel's spelling.
bool IsDevicePath(const std::u16string& path) {
  const bool win32 = path.size() >= 3 && path[0] == u'\\' && path[1] == u'\\' && (path[2] == u'.' || path[2] == u'?') &&
                     (path.size() == 3 || path[3] == u'\\');
  return win32 || path.compare(0, 4, u"\\??\\") == 0;
}

// Where the root of a folder path ends: after "C:\", or after the share's name of
// "\\server\share"; npos when the path has neither.
size_t RootEnd(const std::u16string& path) {
  if (path.size() >= 3 && IsAsciiLetter(path[0]) && path[1] == u':' && path[2] == u'\\') return 3;
  if (path.size() < 2 || path[0] != u'\\' || path[1] != u'\\') return std::u16string::npos;
  const size_t share = path.find(u'\\', 2);
  if (share == std::u16string::npos || share == 2 || share + 1 >= path.size() || path[share + 1] == u'\\')
    return std::u16string::npos;
  const size_t end = path.find(u'\\', share + 1);
  return end == std::u16string::npos ? path.size() : end;
}

// The names after the root, split at every backslash (an empty one where two meet).
std::vector<std::u16string> StepsBelow(const std::u16string& path, size_t rootEnd) {
  std::vector<std::u16string> steps;
  size_t at = rootEnd < path.size() && path[rootEnd] == u'\\' ? rootEnd + 1 : rootEnd;
  while (at < path.size()) {
    size_t end = path.find(u'\\', at);
    if (end == std::u16string::npos) end = path.size();
    steps.push_back(path.substr(at, end - at));
    at = end + 1;
  }
  return steps;
}

TargetError ParseFolder(std::u16string path, Target* target) {
  for (char16_t& c : path)
    if (c == u'/') c = u'\\';
  if (IsDevicePath(path)) return TargetError::kDevicePath;
  const size_t rootEnd = RootEnd(path);
  if (rootEnd == std::u16string::npos) return TargetError::kNotAbsolute;
  for (size_t i = 0; i < path.size(); ++i) {
    const char16_t c = path[i];
    if (c < 0x20 || c == 0x7F || c == u'<' || c == u'>' || c == u'"' || c == u'|' || c == u'?' || c == u'*' ||
        (c == u':' && i != 1))
      return TargetError::kBadCharacter;
  }
  while (path.size() > rootEnd && path.back() == u'\\') path.pop_back();
  if (path[0] == u'\\') {
    // The server's and the share's names are steps like any other ("\\..\x" is none).
    const size_t share = path.find(u'\\', 2) + 1;
    for (const std::u16string& step : {path.substr(2, share - 3), path.substr(share, rootEnd - share)}) {
      const TargetError error = CheckStep(step);
      if (error != TargetError::kNone) return error;
    }
  }
  for (const std::u16string& step : StepsBelow(path, rootEnd)) {
    const TargetError error = CheckStep(step);
    if (error != TargetError::kNone) return error;
  }
  if (path.size() > kMaxFolderChars) return TargetError::kTooLong;

  *target = Target();
  target->kind = TargetKind::kFolder;
  target->folder = path;
  return TargetError::kNone;
}

// After "COM": the port's number, then ":BAUD" when the default speed is not it.
TargetError ParseSerial(const std::u16string& rest, Target* target) {
  const size_t colon = rest.find(u':');
  const std::u16string number = rest.substr(0, colon);
  uint32_t port = 0;
  if (number.empty() || number.size() > 3 || number[0] == u'0') return TargetError::kBadSerial;
  for (char16_t c : number) {
    if (!IsDigit(c)) return TargetError::kBadSerial;
    port = port * 10 + (c - u'0');
  }
  if (port < 1 || port > kMaxComPort) return TargetError::kBadSerial;
  uint32_t baud = kDefaultBaud;
  if (colon != std::u16string::npos) {
    const std::u16string digits = rest.substr(colon + 1);
    if (digits.empty() || digits.size() > 6) return TargetError::kBadSerial;
    baud = 0;
    for (char16_t c : digits) {
      if (!IsDigit(c)) return TargetError::kBadSerial;
      baud = baud * 10 + (c - u'0');
    }
    if (!IsStandardBaud(baud)) return TargetError::kBadSerial;
  }
  *target = Target();
  target->kind = TargetKind::kSerial;
  target->comPort = port;
  target->baud = baud;
  return TargetError::kNone;
}

}  // namespace

TargetError ParseTarget(const std::u16string& text, Target* target) {
  const std::u16string trimmed = Trim(text);
  if (trimmed.empty()) return TargetError::kEmpty;
  Target parsed;
  TargetError error;
  if (trimmed.size() >= 4 && EqualsIgnoreCase(trimmed.substr(0, 4), u"tcp:"))
    error = ParseTcp(trimmed.substr(4), &parsed);
  else if (trimmed.size() >= 4 && EqualsIgnoreCase(trimmed.substr(0, 3), u"COM") && IsDigit(trimmed[3]))
    error = ParseSerial(trimmed.substr(3), &parsed);
  else
    error = ParseFolder(trimmed, &parsed);
  if (error == TargetError::kNone) *target = parsed;
  return error;
}

std::u16string FormatTarget(const Target& target) {
  if (target.kind == TargetKind::kFolder) return target.folder;
  if (target.kind == TargetKind::kSerial) {
    std::u16string text = u"COM" + U16(std::to_string(target.comPort).c_str());
    if (target.baud != kDefaultBaud) text += u":" + U16(std::to_string(target.baud).c_str());
    return text;
  }
  std::u16string text = u"tcp:";
  const bool ipv6 = target.host.find(':') != std::string::npos;
  if (ipv6) text += u'[';
  text.append(target.host.begin(), target.host.end());
  if (ipv6) text += u']';
  text += u':';
  text += U16(std::to_string(target.port).c_str());
  return text;
}

bool IsStandardBaud(uint32_t baud) {
  static const uint32_t kSpeeds[] = {110,   300,   600,   1200,  2400,   4800,   9600,
                                     14400, 19200, 38400, 57600, 115200, 128000, 256000};
  for (uint32_t speed : kSpeeds)
    if (speed == baud) return true;
  return false;
}

FolderSteps SplitFolder(const std::u16string& folder) {
  FolderSteps split;
  const size_t rootEnd = RootEnd(folder);
  if (rootEnd == std::u16string::npos) return split;
  split.root = folder.substr(0, rootEnd);
  for (const std::u16string& step : StepsBelow(folder, rootEnd))
    if (!step.empty()) split.steps.push_back(step);
  return split;
}

}  // namespace monitor
