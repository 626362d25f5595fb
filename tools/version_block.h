// A program's version block (the VS_VERSIONINFO resource): its fixed version
// numbers and the texts of its string tables, read and rewritten without a
// resource compiler. Every length is checked against the resource's bytes.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace kit {

// What a setup's version block is to say; an empty field keeps what the block has.
struct VersionTexts {
  int versionParts = 0;          // 0: the numbers stay
  unsigned version[4] = {0, 0, 0, 0};
  std::u16string versionText;    // FileVersion and ProductVersion
  std::u16string company;        // CompanyName
  std::u16string product;        // ProductName and FileDescription
};

// The block in data with the texts put in: the fixed file and product version,
// and the strings in every string table (added where a table lacks one). False
// when data is no version block.
bool EditVersionBlock(const std::string& data, const VersionTexts& texts, std::string* edited);

struct VersionBlock {
  unsigned fileVersion[4] = {0, 0, 0, 0};
  unsigned productVersion[4] = {0, 0, 0, 0};
  std::vector<std::pair<std::u16string, std::u16string>> strings;  // name, text; of every table in turn
};

// False when data is no version block.
bool ReadVersionBlock(const std::string& data, VersionBlock* block);

}  // namespace kit
