#include "system/ansi_text.h"

#include <cstring>

namespace sys {

namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool IsGbkLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

std::string FoldFileName(const char* name, LeadByteTest isLeadByte) {
  std::string folded;
  for (size_t i = 0; name[i] != '\0'; ++i) {
    if (isLeadByte(static_cast<unsigned char>(name[i])) && name[i + 1] != '\0') {
      folded += name[i];
      folded += name[++i];
      continue;
    }
    folded += LowerAscii(name[i]);
  }
  return folded;
}

bool EqualsIgnoringAsciiCase(const char* a, const char* b) {
  for (; *a != '\0' && *b != '\0'; ++a, ++b) {
    if (LowerAscii(*a) != LowerAscii(*b)) return false;
  }
  return *a == *b;
}

std::string FolderOfPath(const char* path, LeadByteTest isLeadByte) {
  // Walked forwards: only from the start can lead and trail bytes be told apart.
  size_t separator = std::string::npos;
  for (size_t i = 0; path[i] != '\0'; ++i) {
    if (isLeadByte(static_cast<unsigned char>(path[i])) && path[i + 1] != '\0') {
      ++i;
    } else if (path[i] == '\\') {
      separator = i;
    }
  }
  return separator == std::string::npos ? std::string() : std::string(path, separator);
}

}  // namespace sys
