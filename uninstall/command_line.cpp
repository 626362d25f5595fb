#include "uninstall/command_line.h"

#include <string>

namespace uninstall {

const char* SkipProgramName(const char* commandLine) {
  const char* p = commandLine ? commandLine : "";
  if (*p == '"') {
    ++p;
    while (*p && *p != '"') ++p;
    if (*p == '"') ++p;
  } else {
    while (*p && *p != ' ' && *p != '\t') ++p;
  }
  return p;
}

namespace {

bool StartsWithIgnoringCase(const std::string& word, const char* prefix) {
  size_t i = 0;
  for (; prefix[i]; ++i) {
    if (i >= word.size()) return false;
    char c = word[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != prefix[i]) return false;
  }
  return true;
}

}  // namespace

bool ParseArguments(const char* arguments, UninstallOptions* options) {
  *options = UninstallOptions();
  const char* p = arguments ? arguments : "";
  bool sawSilent = false, sawPrinter = false;
  while (*p) {
    if (*p == ' ' || *p == '\t') {
      ++p;
      continue;
    }
    std::string word;
    // Quotes only group: "/S", /PRINTER="A B" and "/PRINTER=A B" are all one word.
    bool quoted = false;
    while (*p && (quoted || (*p != ' ' && *p != '\t'))) {
      if (*p == '"') {
        quoted = !quoted;
      } else {
        word += *p;
      }
      ++p;
    }
    if (word == "/S" || word == "/s") {
      if (sawSilent) return false;
      sawSilent = options->silent = true;
    } else if (StartsWithIgnoringCase(word, "/PRINTER=")) {
      if (sawPrinter || word.size() == 9) return false;
      sawPrinter = true;
      options->printer = word.substr(9);
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace uninstall
