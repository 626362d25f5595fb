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

bool ParseArguments(const char* arguments, bool* silent) {
  *silent = false;
  const char* p = arguments ? arguments : "";
  int words = 0;
  while (*p) {
    if (*p == ' ' || *p == '\t') {
      ++p;
      continue;
    }
    std::string word;
    // A quoted word ("/S", as some launchers pass it) counts without its quotes.
    bool quoted = false;
    while (*p && (quoted || (*p != ' ' && *p != '\t'))) {
      if (*p == '"') {
        quoted = !quoted;
      } else {
        word += *p;
      }
      ++p;
    }
    if (++words > 1 || (word != "/S" && word != "/s")) return false;
    *silent = true;
  }
  return true;
}

}  // namespace uninstall
