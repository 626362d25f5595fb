// Copies the driver's UI configuration file into the driver directory, turning
// the picture lines ("Logo=", "Picture=") into one normal form with full paths.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace driver {

constexpr size_t kUiConfigLineSize = 512;   // input and output line buffers
constexpr size_t kUiConfigValueSize = 256;  // one value of a picture line

// A picture line is the key, four integers and a bitmap name:
//   Logo=280, 30, 140, 54, about.bmp  ->  Logo=280, 30, 140, 54, <folder>\about.bmp CR LF
// Every other line is copied byte for byte. folder has no trailing backslash.
// False when the source cannot be opened (the target is then left as it was) or
// the target cannot be created.
bool RewriteUIConfig(const char* sourcePath, const char* targetPath, const char* folder);

// A picture line as the rewrite reads it: the key it takes ("Logo=" wins over
// "Picture=" wherever either stands) and the values split off at the commas,
// starting the key's length from the line's start, leading blanks dropped, each
// value cut at 255 bytes. Values 0 to 3 become integers, the rest file names.
struct PictureLine {
  const char* key = nullptr;
  std::vector<std::string> values;
};

// False when the line (text up to its first NUL) holds neither key.
bool SplitPictureLine(const char* line, PictureLine* picture);

// Rewrites one picture line (text up to its first NUL, line end included) into
// output, which holds kUiConfigLineSize bytes. Returns false, leaving output
// untouched, when the line holds neither key. Exposed for the tests.
bool RewritePictureLine(const char* line, const char* folder, char* output);

// The decimal conversion of the integer values: blanks, a sign and digits, the
// rest ignored, no digits give 0; values beyond the int range saturate.
int ParseDecimal(const char* text);

}  // namespace driver
