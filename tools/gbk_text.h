// Text of a package (GBK, code page 936) as the UTF-16 a program's version block
// holds, and UTF-16 as UTF-8 for the tool's own output. The conversion from GBK
// uses the platform's table: iconv's CP936 on Linux, MultiByteToWideChar on Windows.
#pragma once

#include <string>

namespace kit {

// False, with *text empty, when gbk is not valid code page 936 text.
bool GbkToUtf16(const std::string& gbk, std::u16string* text);

// Unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(const std::u16string& text);

}  // namespace kit
