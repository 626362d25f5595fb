// Between the spooler's wchar_t strings and the portable code's char16_t ones (the
// same UTF-16 on Windows, different types to the compiler): copies, never casts.
#pragma once

#include <cwchar>
#include <string>

namespace monitor {

inline std::u16string ToU16(const wchar_t* text) {
  return text ? std::u16string(text, text + std::wcslen(text)) : std::u16string();
}
inline std::wstring ToWide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

}  // namespace monitor
