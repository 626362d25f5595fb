#include "monitor/job_file.h"

#include <cstdio>

#include "monitor/text16.h"

namespace monitor {

namespace {

bool IsHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

bool Forbidden(char16_t c) {
  return c < 0x20 || c == 0x7F || c == u'\\' || c == u'/' || c == u':' || c == u'*' || c == u'?' || c == u'"' ||
         c == u'<' || c == u'>' || c == u'|';
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

}  // namespace

std::u16string SanitizeNamePart(const std::u16string& text, size_t maxChars) {
  std::u16string clean;
  clean.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (IsHigh(c) && i + 1 < text.size() && IsLow(text[i + 1])) {
      clean.push_back(c);
      clean.push_back(text[++i]);
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

std::u16string JobFileName(const JobStamp& stamp, uint32_t jobId, const std::u16string& document,
                           unsigned attempt) {
  char head[48];
  std::snprintf(head, sizeof head, "%04d%02d%02d-%02d%02d%02d-job%lu", Clamp(stamp.year, 0, 9999),
                Clamp(stamp.month, 0, 99), Clamp(stamp.day, 0, 99), Clamp(stamp.hour, 0, 99),
                Clamp(stamp.minute, 0, 99), Clamp(stamp.second, 0, 99), static_cast<unsigned long>(jobId));
  std::u16string name = U16(head);
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
