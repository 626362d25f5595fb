#include "ui/text_layout.h"

#include <climits>
#include <cstdint>
#include <cstring>

namespace ui {

namespace {

// The walk of both breaking rules. With keepWords, a line that overflows ends at
// the last place on it where a line may end (after its first character): before a
// blank, which is then dropped, or next to a double-byte character, but not before
// a closing mark; otherwise, and without keepWords, before the character that did
// not fit.
void Break(const TextMeasure& firstLine, const TextMeasure& otherLines, const char* text,
           std::vector<std::string>* lines, int widthLimit, bool keepWords) {
  if (text == nullptr || lines == nullptr) return;
  constexpr size_t kNone = std::string::npos;
  const size_t firstIndex = lines->size();
  const size_t n = std::strlen(text);
  size_t s = 0;              // where the current line starts
  size_t endAt = kNone;      // the current line's last place to end, if any
  size_t nextStart = kNone;  // where the next line then starts
  bool afterDouble = false;  // the character before i is a double-byte one
  size_t i = 0;
  auto endLine = [&](size_t end, size_t next) {
    lines->emplace_back(text + s, end - s);
    s = next;
    endAt = nextStart = kNone;
    afterDouble = false;
  };
  while (i < n) {
    // The character occupies i..j.
    size_t j = i;
    if (IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < n) j = i + 1;
    const bool isDouble = j > i;
    // A line may end before i: before a double-byte character, or after one, but
    // a closing mark stays with what it closes.
    const bool mayEndBefore = i > s && (isDouble || afterDouble) && !(isDouble && IsClosingMark(text + i));

    if (text[i] == '\n') {
      endLine(i, i + 1);
    } else {
      // The whole candidate line is measured again each time: widths of GBK runs
      // are not always the sum of their parts once kerning comes in.
      const size_t candidate = j - s + 1;
      const TextMeasure& measure = lines->size() == firstIndex ? firstLine : otherLines;
      const bool overflows = candidate > kMaxLineBytes || measure.Width(text + s, candidate) > widthLimit;
      if (overflows && i > s) {
        if (keepWords && text[i] == ' ') {
          // The blank that did not fit ends the line and is dropped.
          endLine(i, i + 1);
          i = j + 1;
          continue;
        }
        if (keepWords && !mayEndBefore && endAt != kNone) {
          // Back to where the line could end; the rest is walked again on the next
          // line, where it may have to break once more.
          endLine(endAt, nextStart);
          i = s;
          continue;
        }
        endLine(i, i);
      } else if (text[i] == ' ' && i > s) {
        endAt = i;
        nextStart = i + 1;
      } else if (mayEndBefore) {
        endAt = nextStart = i;
      }
      afterDouble = isDouble;
    }
    if (j == n - 1) lines->emplace_back(text + s, n - s);
    i = j + 1;
  }
}

}  // namespace

bool IsClosingMark(const char* text) {
  // GBK codes of the marks, lead byte then trail byte.
  static const unsigned char kMarks[][2] = {
      {0xA3, 0xAC}, {0xA1, 0xA3}, {0xA1, 0xA2}, {0xA3, 0xBA}, {0xA3, 0xBB}, {0xA3, 0xBF},
      {0xA3, 0xA1}, {0xA3, 0xA9}, {0xA1, 0xB7}, {0xA1, 0xB9}, {0xA1, 0xBB}, {0xA1, 0xB1},
      {0xA1, 0xAF}, {0xA1, 0xAD}, {0xA1, 0xB5}, {0xA1, 0xBF}, {0xA1, 0xB3},
  };
  if (text == nullptr || text[0] == '\0') return false;
  const unsigned char lead = static_cast<unsigned char>(text[0]), trail = static_cast<unsigned char>(text[1]);
  for (const auto& mark : kMarks)
    if (mark[0] == lead && mark[1] == trail) return true;
  return false;
}

void BreakTextIntoLines(const TextMeasure& measure, const char* text, std::vector<std::string>* lines,
                        int widthLimit) {
  Break(measure, measure, text, lines, widthLimit, false);
}

void BreakTextIntoLines(const TextMeasure& firstLine, const TextMeasure& otherLines, const char* text,
                        std::vector<std::string>* lines, int widthLimit) {
  Break(firstLine, otherLines, text, lines, widthLimit, false);
}

void BreakTextAtWords(const TextMeasure& measure, const char* text, std::vector<std::string>* lines,
                      int widthLimit) {
  Break(measure, measure, text, lines, widthLimit, true);
}

void BreakTextAtWords(const TextMeasure& firstLine, const TextMeasure& otherLines, const char* text,
                      std::vector<std::string>* lines, int widthLimit) {
  Break(firstLine, otherLines, text, lines, widthLimit, true);
}

int TextBlockLineTop(const TextBlockLayout& layout, size_t index) {
  int64_t top = layout.firstTop;
  if (index > 0) {
    top += layout.stepAfterFirst;
    top += static_cast<int64_t>(layout.stepAfterOthers) * static_cast<int64_t>(index - 1);
  }
  if (top > INT_MAX) return INT_MAX;
  if (top < INT_MIN) return INT_MIN;
  return static_cast<int>(top);
}

GroupFrameSegments GroupFrameSegmentsFor(const FrameRect& f, int captionWidth) {
  const int L = f.left, T = f.top, R = f.right, B = f.bottom;
  return GroupFrameSegments{{
      {{L + 2, T}, {L + 7, T}},                 // top edge, left of the caption
      {{L + captionWidth + 8, T}, {R - 2, T}},  // top edge, right of the caption
      {{L + 1, T + 1}, {L + 2, T + 1}},         // top-left corner
      {{L, T + 2}, {L + 1, T + 2}},
      {{L, T + 2}, {L, B - 2}},  // left edge
      {{L, B - 2}, {L + 1, B - 2}},  // bottom-left corner
      {{L + 1, B - 1}, {L + 2, B - 1}},
      {{L + 2, B}, {R - 2, B}},  // bottom edge
      {{R - 2, B - 1}, {R - 1, B - 1}},  // bottom-right corner
      {{R - 1, B - 2}, {R, B - 2}},
      {{R, B - 3}, {R, T + 2}},  // right edge, upwards
      {{R - 1, T + 2}, {R, T + 2}},  // top-right corner
      {{R - 2, T + 1}, {R - 1, T + 1}},
  }};
}

FramePoint GroupFrameCaptionOrigin(const FrameRect& frame, int captionHeight) {
  // C++ division truncates toward zero, which is what the caption's placement needs.
  return FramePoint{frame.left + 8, frame.top - captionHeight / 2};
}

std::vector<FramePoint> SegmentPixels(const FrameSegment* segments, size_t count) {
  std::vector<FramePoint> pixels;
  if (segments == nullptr) return pixels;
  for (size_t k = 0; k < count; ++k) {
    const FramePoint a = segments[k].from;
    const FramePoint b = segments[k].to;
    if (a.y == b.y) {
      const int step = b.x > a.x ? 1 : -1;
      for (int x = a.x; x != b.x; x += step) pixels.push_back({x, a.y});
    } else if (a.x == b.x) {
      const int step = b.y > a.y ? 1 : -1;
      for (int y = a.y; y != b.y; y += step) pixels.push_back({a.x, y});
    }
    // A slanted segment never occurs in a group frame and yields nothing here.
  }
  return pixels;
}

}  // namespace ui
