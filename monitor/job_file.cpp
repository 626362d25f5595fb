#include "monitor/job_file.h"

#include <cstdio>

#include "monitor/text16.h"

namespace monitor {

namespace {

bool IsHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

bool Forbidden(char16_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == u'\\' || c == u'/' || c == u':' || c == u'*' || c == u'?' ||
         c == u'"' || c == u'<' || c == u'>' || c == u'|' || c == 0x2028 || c == 0x2029;
}

// Unicode's format characters (general category Cf, Unicode 15), as ranges of code
// points in order.
struct Range {
  char32_t first, last;
};
const Range kFormatCharacters[] = {
    {0x00AD, 0x00AD},   {0x0600, 0x0605},   {0x061C, 0x061C},   {0x06DD, 0x06DD},   {0x070F, 0x070F},
    {0x0890, 0x0891},   {0x08E2, 0x08E2},   {0x180E, 0x180E},   {0x200B, 0x200F},   {0x202A, 0x202E},
    {0x2060, 0x2064},   {0x2066, 0x206F},   {0xFEFF, 0xFEFF},   {0xFFF9, 0xFFFB},   {0x110BD, 0x110BD},
    {0x110CD, 0x110CD}, {0x13430, 0x1343F}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A}, {0xE0001, 0xE0001},
    {0xE0020, 0xE007F},
};

bool IsFormatCharacter(char32_t c) {
  for (const Range& range : kFormatCharacters)
    if (c >= range.first && c <= range.last) return true;
  return false;
}

// Windows drops trailing dots and blanks from a file name; a leading blank is legal
// but only confuses.
void TrimEnds(std::u16string* text) {
  while (!text->empty() && (text->back() == u' ' || text->back() == u'.')) text->pop_back();
  size_t first = 0;
  while (first < text->size() && (*text)[first] == u' ') ++first;
  text->erase(0, first);
}

int Clamp(int value, int low, int high) { return value < low ? low : value > high ? high : value; }

// "20240131-142501-job12": when the job started and the spooler's id for it.
std::u16string JobHead(const JobStamp& stamp, uint32_t jobId) {
  char head[48];
  std::snprintf(head, sizeof head, "%04d%02d%02d-%02d%02d%02d-job%lu", Clamp(stamp.year, 0, 9999),
                Clamp(stamp.month, 0, 99), Clamp(stamp.day, 0, 99), Clamp(stamp.hour, 0, 99),
                Clamp(stamp.minute, 0, 99), Clamp(stamp.second, 0, 99), static_cast<unsigned long>(jobId));
  return U16(head);
}

}  // namespace

std::u16string SanitizeNamePart(const std::u16string& text, size_t maxChars) {
  std::u16string clean;
  clean.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (IsHigh(c) && i + 1 < text.size() && IsLow(text[i + 1])) {
      const char16_t low = text[++i];
      const char32_t code = 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (low - 0xDC00);
      if (IsFormatCharacter(code)) continue;
      clean.push_back(c);
      clean.push_back(low);
    } else if (IsFormatCharacter(c)) {
      continue;
    } else if (IsHigh(c) || IsLow(c) || Forbidden(c)) {
      clean.push_back(u'_');
    } else {
      clean.push_back(c);
    }
  }
  TrimEnds(&clean);
  clean = CutAt(clean, maxChars);
  TrimEnds(&clean);
  return clean;
}

std::u16string TemporaryJobFileName(const JobStamp& stamp, uint32_t jobId, uint32_t unique) {
  char tail[16];
  std::snprintf(tail, sizeof tail, "-%08lx.part", static_cast<unsigned long>(unique));
  return u"~" + JobHead(stamp, jobId) + U16(tail);
}

std::u16string JobFileName(const JobStamp& stamp, uint32_t jobId, const std::u16string& document,
                           unsigned attempt) {
  std::u16string name = JobHead(stamp, jobId);
  const std::u16string part = SanitizeNamePart(document, kMaxDocumentChars);
  if (!part.empty()) name += u'-' + part;
  if (attempt > 1) {
    char counter[16];
    std::snprintf(counter, sizeof counter, " (%u)", attempt > kMaxJobFileAttempts ? kMaxJobFileAttempts : attempt);
    name += U16(counter);
  }
  return name + u".prn";
}

}  // namespace monitor
