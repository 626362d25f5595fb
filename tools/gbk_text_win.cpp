#include <windows.h>

#include <climits>

#include "tools/gbk_text.h"

namespace kit {

bool GbkToUtf16(const std::string& gbk, std::u16string* text) {
  text->clear();
  if (gbk.empty()) return true;
  if (gbk.size() > static_cast<size_t>(INT_MAX)) return false;
  const int length = static_cast<int>(gbk.size());
  const int units = MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, gbk.data(), length, nullptr, 0);
  if (units <= 0) return false;
  std::wstring wide(static_cast<size_t>(units), L'\0');
  if (MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, gbk.data(), length, &wide[0], units) != units) return false;
  text->assign(wide.begin(), wide.end());
  return true;
}

}  // namespace kit
