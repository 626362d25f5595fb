// UTF-16 text as the spooler hands it to a monitor, in the portable code's own type
// (char16_t: wchar_t is 32 bits wide on the native build). The *_win files convert
// at the edge by copying.
#pragma once

#include <cstddef>
#include <string>

namespace monitor {

// An ASCII literal as UTF-16.
std::u16string U16(const char* ascii);

// Letters compare without regard to ASCII case; everything else exactly (the names
// compared here are file and registry names the setup program made).
bool EqualsIgnoreCase(const std::u16string& a, const std::u16string& b);
bool EndsWithIgnoreCase(const std::u16string& text, const std::u16string& tail);

// What follows the last '\' or '/'.
std::u16string BaseName(const std::u16string& path);

// The first count code units of text, one fewer when the last would be the first half
// of a surrogate pair: a cut never leaves half a character.
std::u16string CutAt(const std::u16string& text, size_t count);

}  // namespace monitor
