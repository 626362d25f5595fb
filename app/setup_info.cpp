#include "app/setup_info.h"

#include <cctype>

namespace setup_info {

namespace {

std::string Trim(const std::string& text) {
  size_t first = 0;
  size_t last = text.size();
  while (first < last && (text[first] == ' ' || text[first] == '\t')) ++first;
  while (last > first && (text[last - 1] == ' ' || text[last - 1] == '\t')) --last;
  return text.substr(first, last - first);
}

bool SameWord(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i]; ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return i == a.size() && b[i] == '\0';
}

}  // namespace

bool ParseVersion(const std::string& text, Version* version) {
  const std::string trimmed = Trim(text);
  Version parsed;
  size_t at = 0;
  while (true) {
    if (parsed.count == 4) return false;
    unsigned long value = 0;
    size_t digits = 0;
    while (at < trimmed.size() && trimmed[at] >= '0' && trimmed[at] <= '9') {
      value = value * 10 + static_cast<unsigned>(trimmed[at] - '0');
      if (value > kMaxVersionPart) return false;
      ++at;
      ++digits;
    }
    if (digits == 0) return false;
    parsed.parts[parsed.count++] = static_cast<unsigned>(value);
    if (at == trimmed.size()) break;
    if (trimmed[at] != '.') return false;
    ++at;
  }
  *version = parsed;
  return true;
}

int CompareVersions(const Version& a, const Version& b) {
  for (int i = 0; i < 4; ++i) {
    if (a.parts[i] != b.parts[i]) return a.parts[i] < b.parts[i] ? -1 : 1;
  }
  return 0;
}

std::string FormatVersion(const Version& version) {
  std::string text;
  for (int i = 0; i < version.count && i < 4; ++i) {
    if (i) text += '.';
    text += std::to_string(version.parts[i]);
  }
  return text;
}

std::vector<Problem> ParseSetupInfo(const char* data, size_t size, SetupInfo* info) {
  std::vector<Problem> problems;
  *info = SetupInfo();
  bool inSetup = false;
  bool sawSetup = false;
  int versionLine = 0;
  int publisherLine = 0;
  int line = 0;
  size_t at = 0;
  while (at < size) {
    size_t end = at;
    while (end < size && data[end] != '\n') ++end;
    ++line;
    std::string text(data + at, end - at);
    at = end + 1;
    if (!text.empty() && text.back() == '\r') text.pop_back();
    text = Trim(text);
    if (text.empty() || text[0] == ';') continue;
    if (text[0] == '[') {
      if (text.back() != ']') {
        problems.push_back({line, "a section line ends in ']'"});
        inSetup = false;
        continue;
      }
      inSetup = SameWord(Trim(text.substr(1, text.size() - 2)), "Setup");
      if (inSetup) {
        if (sawSetup) problems.push_back({line, "the section [Setup] appears twice"});
        sawSetup = true;
      } else {
        problems.push_back({line, "unknown section " + text + " (the file has only [Setup])"});
      }
      continue;
    }
    const size_t equals = text.find('=');
    if (!inSetup) {
      if (sawSetup) continue;  // inside an unknown section, reported already
      problems.push_back({line, "a line before the section [Setup]"});
      continue;
    }
    if (equals == std::string::npos) {
      problems.push_back({line, "not a Name=Value line"});
      continue;
    }
    const std::string name = Trim(text.substr(0, equals));
    const std::string value = Trim(text.substr(equals + 1));
    if (SameWord(name, "Version")) {
      if (versionLine) {
        problems.push_back({line, "Version= given twice (first on line " + std::to_string(versionLine) + ")"});
        continue;
      }
      versionLine = line;
      if (!ParseVersion(value, &info->version))
        problems.push_back({line, "Version=" + value + " is not one to four numbers of 0 to 65535 with dots between"});
    } else if (SameWord(name, "Publisher")) {
      if (publisherLine) {
        problems.push_back(
            {line, "Publisher= given twice (first on line " + std::to_string(publisherLine) + ")"});
        continue;
      }
      publisherLine = line;
      bool control = false;
      for (unsigned char c : value) control = control || c < 0x20 || c == 0x7F;
      if (control) {
        problems.push_back({line, "Publisher= holds a control character"});
      } else if (value.size() > kMaxPublisherBytes) {
        problems.push_back({line, "Publisher= is " + std::to_string(value.size()) + " bytes, more than " +
                                      std::to_string(kMaxPublisherBytes)});
      } else {
        info->publisher = value;
      }
    } else {
      problems.push_back({line, "unknown name " + name + " (Version= and Publisher= are known)"});
    }
  }
  if (!versionLine) problems.push_back({0, "no Version= in section [Setup]"});
  return problems;
}

}  // namespace setup_info
