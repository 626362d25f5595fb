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

TargetError ParseFolder(std::u16string path, Target* target) {
  for (char16_t& c : path)
    if (c == u'/') c = u'\\';
  size_t rootLength;  // what must stay when trailing backslashes go
  if (path.size() >= 3 && IsAsciiLetter(path[0]) && path[1] == u':' && path[2] == u'\\') {
    rootLength = 3;
  } else if (path.size() >= 2 && path[0] == u'\\' && path[1] == u'\\') {
    // \\server\share: both parts present.
    const size_t share = path.find(u'\\', 2);
    if (share == std::u16string::npos || share == 2 || share + 1 >= path.size() || path[share + 1] == u'\\')
      return TargetError::kNotAbsolute;
    rootLength = share + 2;
  } else {
    return TargetError::kNotAbsolute;
  }
  for (size_t i = 0; i < path.size(); ++i) {
    const char16_t c = path[i];
    if (c < 0x20 || c == 0x7F || c == u'<' || c == u'>' || c == u'"' || c == u'|' || c == u'?' || c == u'*' ||
        (c == u':' && i != 1))
      return TargetError::kBadCharacter;
  }
  while (path.size() > rootLength && path.back() == u'\\') path.pop_back();
  if (path.size() > kMaxFolderChars) return TargetError::kTooLong;

  target->kind = TargetKind::kFolder;
  target->folder = path;
  target->host.clear();
  target->port = 0;
  return TargetError::kNone;
}

}  // namespace

TargetError ParseTarget(const std::u16string& text, Target* target) {
  const std::u16string trimmed = Trim(text);
  if (trimmed.empty()) return TargetError::kEmpty;
  Target parsed;
  const TargetError error = trimmed.size() >= 4 && EqualsIgnoreCase(trimmed.substr(0, 4), u"tcp:")
                                ? ParseTcp(trimmed.substr(4), &parsed)
                                : ParseFolder(trimmed, &parsed);
  if (error == TargetError::kNone) *target = parsed;
  return error;
}

std::u16string FormatTarget(const Target& target) {
  if (target.kind == TargetKind::kFolder) return target.folder;
  std::u16string text = u"tcp:";
  const bool ipv6 = target.host.find(':') != std::string::npos;
  if (ipv6) text += u'[';
  text.append(target.host.begin(), target.host.end());
  if (ipv6) text += u']';
  text += u':';
  text += U16(std::to_string(target.port).c_str());
  return text;
}

}  // namespace monitor
