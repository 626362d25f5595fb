#include "tools/gbk_text.h"

#ifndef _WIN32
#include <iconv.h>

#include <cerrno>
#endif

namespace kit {

#ifndef _WIN32
bool GbkToUtf16(const std::string& gbk, std::u16string* text) {
  text->clear();
  if (gbk.empty()) return true;
  iconv_t converter = iconv_open("UTF-16LE", "CP936");
  if (converter == reinterpret_cast<iconv_t>(-1)) return false;
  std::string in = gbk;
  std::string out(gbk.size() * 4 + 4, '\0');  // a byte never gives more than one unit
  char* from = &in[0];
  char* to = &out[0];
  size_t fromLeft = in.size(), toLeft = out.size();
  const size_t done = iconv(converter, &from, &fromLeft, &to, &toLeft);
  iconv_close(converter);
  if (done == static_cast<size_t>(-1) || fromLeft != 0) return false;
  const size_t bytes = out.size() - toLeft;
  for (size_t i = 0; i + 1 < bytes; i += 2)
    text->push_back(static_cast<char16_t>(static_cast<unsigned char>(out[i]) |
                                          (static_cast<unsigned char>(out[i + 1]) << 8)));
  return true;
}
#endif

std::string Utf16ToUtf8(const std::u16string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

}  // namespace kit
