#include "robot_script.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

bool SplitScriptLine(const std::string& line, std::vector<std::string>* words, std::string* error) {
  words->clear();
  size_t i = 0;
  const size_t n = line.size();
  while (true) {
    while (i < n && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r' || line[i] == '\n')) ++i;
    if (i >= n) break;
    if (words->empty() && line[i] == '#') return true;
    std::string word;
    if (line[i] == '"') {
      ++i;
      bool closed = false;
      while (i < n) {
        char c = line[i++];
        if (c == '"') {
          closed = true;
          break;
        }
        if (c != '\\') {
          word += c;
          continue;
        }
        if (i >= n) break;
        char e = line[i++];
        switch (e) {
          case '"': word += '"'; break;
          case '\\': word += '\\'; break;
          case 'n': word += '\n'; break;
          case 't': word += '\t'; break;
          default:
            *error = std::string("unknown escape \\") + e;
            return false;
        }
      }
      if (!closed) {
        *error = "unterminated quote";
        return false;
      }
      if (i < n && line[i] != ' ' && line[i] != '\t' && line[i] != '\r' && line[i] != '\n') {
        *error = "text right after a closing quote";
        return false;
      }
    } else {
      while (i < n && line[i] != ' ' && line[i] != '\t' && line[i] != '\r' && line[i] != '\n') word += line[i++];
    }
    words->push_back(word);
  }
  return true;
}

std::string QuoteForRecord(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20 || c == 0x7F) {
          char hex[8];
          std::snprintf(hex, sizeof hex, "\\x%02X", c);
          out += hex;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  out += '"';
  return out;
}

namespace {

struct CommandShape {
  const char* name;
  size_t minArgs;
  size_t maxArgs;
  bool addressed;  // the first argument is a control address
};

// Keep in step with Robot::Run and README.md.
constexpr CommandShape kCommands[] = {
    {"cd", 1, 1, false},           {"start", 1, 64, false},       {"panel", 1, 1, false},
    {"sleep", 1, 1, false},        {"wait-window", 2, 3, false},  {"wait-msgbox", 0, 1, false},
    {"msgbox-ok", 0, 1, false},    {"wait-page", 1, 2, false},    {"wait-gone", 0, 1, false},
    {"wait-exit", 0, 1, false},    {"record", 0, 0, false},       {"click", 1, 1, true},
    {"click-text", 1, 1, false},   {"command", 1, 1, false},      {"select", 2, 2, true},
    {"select-text", 2, 2, true},   {"set-text", 2, 2, true},      {"type", 2, 2, true},
    {"key", 1, 1, false},          {"close", 0, 0, false},        {"hold-workers", 0, 0, false},
    {"release-workers", 0, 0, false}, {"list-items", 1, 1, true},   {"inspect", 1, 1, true},
    {"press", 1, 1, true},
};

}  // namespace

bool CheckCommandShape(const std::vector<std::string>& words, std::string* error) {
  if (words.empty()) return true;
  for (const CommandShape& command : kCommands) {
    if (words[0] != command.name) continue;
    const size_t args = words.size() - 1;
    if (args < command.minArgs || args > command.maxArgs) {
      *error = "wrong number of arguments for " + words[0];
      return false;
    }
    std::vector<ControlAddressPart> parts;
    std::string why;
    if (command.addressed && !ParseControlAddress(words[1], &parts, &why)) {
      *error = "bad control address " + QuoteForRecord(words[1]) + " for " + words[0] + ": " + why;
      return false;
    }
    return true;
  }
  *error = "unknown command " + words[0];
  return false;
}

bool ParseInteger(const std::string& word, long* value) {
  if (word.empty()) return false;
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(word.c_str(), &end, 10);
  if (errno != 0 || end != word.c_str() + word.size()) return false;
  *value = v;
  return true;
}

bool ParseControlAddress(const std::string& word, std::vector<ControlAddressPart>* parts, std::string* error) {
  parts->clear();
  size_t start = 0;
  while (true) {
    const size_t slash = word.find('/', start);
    const std::string step = word.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
    if (step.empty()) {
      *error = word.empty() ? "empty address" : "empty step";
      parts->clear();
      return false;
    }
    ControlAddressPart part;
    part.byId = ParseInteger(step, &part.id);
    if (!part.byId) part.className = step;
    parts->push_back(part);
    if (slash == std::string::npos) return true;
    start = slash + 1;
  }
}
