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
  bool sawSilent = false, sawPrinter = false, sawLog = false, sawNoRestart = false;
  auto refuse = [options](const std::string& why) {
    if (options->error.empty()) options->error = why;
  };
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
      if (sawSilent) refuse("/S given twice");
      sawSilent = options->silent = true;
    } else if (StartsWithIgnoringCase(word, "/PRINTER=")) {
      if (sawPrinter || word.size() == 9) refuse("/PRINTER= needs one printer name");
      sawPrinter = true;
      options->printer = word.substr(9);
    } else if (StartsWithIgnoringCase(word, "/LOG=")) {
      if (sawLog || word.size() == 5) refuse("/LOG= needs one file name");
      sawLog = true;
      options->logPath = word.substr(5);
    } else if (StartsWithIgnoringCase(word, "/NORESTART") && word.size() == 10) {
      if (sawNoRestart) refuse("/NORESTART given twice");
      sawNoRestart = options->noRestart = true;
    } else {
      refuse("unknown option " + word);
    }
  }
  return options->error.empty();
}

}  // namespace uninstall
