// English display names for the Chinese feature and option names of the GPD.
#pragma once

#include <cstddef>

namespace driver {

constexpr int kOptionNameRowCount = 47;

struct OptionNameRow {
  const char* key;      // *Name: "<Chinese name>", GBK bytes
  const char* english;  // nullptr for the "none" row, which depends on the counter
  int blanks;           // indentation of the replacement line
};

extern const OptionNameRow kOptionNames[kOptionNameRowCount];

// Looks for the first row whose key occurs in the text of line (up to its first
// NUL) and replaces the whole line by that row's English line, ending in CR LF.
// noOptionCounter counts the lines naming "none": the first becomes "No Cash
// Drawer", the second "No Beeping", later ones stay as they are.
// capacity is the size of the line buffer; a replacement that would not fit leaves
// the line unchanged. Returns true when the line was replaced.
bool TranslateOptionName(char* line, size_t capacity, int& noOptionCounter);

}  // namespace driver
