// Line breaking of the wizard's GBK texts and the geometry of the painted group
// frames. Everything here is pure: widths come from a measure the caller supplies
// (on Windows, the font selected into a device context), so line breaks and frame
// pixels are computed and tested without a window.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ui {

// A line is built in a 256-byte buffer in the painter, so it never holds more than
// 255 bytes.
constexpr size_t kLineBufferSize = 256;
constexpr size_t kMaxLineBytes = kLineBufferSize - 1;

// Pixel width of a run of bytes in the font the caller has chosen.
class TextMeasure {
 public:
  virtual ~TextMeasure() = default;
  virtual int Width(const char* bytes, size_t count) const = 0;
};

// True for a byte that opens a double-byte GBK character (0x80 and above); such a
// byte always travels with the byte after it.
inline bool IsLeadByte(unsigned char byte) { return byte >= 0x80; }

// Cuts the NUL-terminated text into lines no wider than widthLimit and appends them
// to *lines (what is already there stays in front).
//
// The walk goes character by character. A newline ends the current line and
// belongs to no line. Any other character is measured together with the whole
// line it would join; when that is wider than the limit and the character is not
// the first of its line, the line ends before it and the character opens the next
// one. A character wider than the limit on its own stays alone on its line. Words
// are not kept together and spaces stay in the lines. A double-byte character is
// never split; a lead byte that is the last byte of the text counts as a character
// of its own.
//
// Consecutive newlines give empty lines, a trailing newline a final empty line,
// the empty text (or a null one) no line at all. A line also ends before a
// character that would take it past kMaxLineBytes, as if that character had not
// fitted: no line is longer than the painter's line buffer.
void BreakTextIntoLines(const TextMeasure& measure, const char* text, std::vector<std::string>* lines,
                        int widthLimit);

// The same, with the first line of the text measured by firstLine and every later
// one by otherLines: a block whose first line is drawn in a larger font breaks each
// line in the font it is drawn in.
void BreakTextIntoLines(const TextMeasure& firstLine, const TextMeasure& otherLines, const char* text,
                        std::vector<std::string>* lines, int widthLimit);

// The rule the wizard's page texts and prompts are broken by: the same walk, but a
// line that overflows ends between words. It ends at the last place on it where a
// line may end: at a blank (the blank belongs to no line) or next to a double-byte
// character (Chinese breaks between any two characters), but never right before
// a closing punctuation mark (a full-width comma or full stop, say), which stays
// with the character before it. A line without such a place (a word longer than the line)
// is cut before the character that did not fit, as BreakTextIntoLines cuts it.
void BreakTextAtWords(const TextMeasure& measure, const char* text, std::vector<std::string>* lines,
                      int widthLimit);

// The same, the first line measured by firstLine and every later one by otherLines.
void BreakTextAtWords(const TextMeasure& firstLine, const TextMeasure& otherLines, const char* text,
                      std::vector<std::string>* lines, int widthLimit);

// True for the double-byte GBK character at text (two bytes) that must not open a
// line: a full-width comma, full stop, enumeration comma, colon, semicolon,
// question or exclamation mark, a closing bracket or quotation mark, an ellipsis.
bool IsClosingMark(const char* text);

// A text block of the wizard: lines drawn top-aligned at x, the first at firstTop,
// each next one stepAfterFirst below the first line, stepAfterOthers below any
// later line.
struct TextBlockLayout {
  int x = 0;
  int firstTop = 0;
  int stepAfterFirst = 0;
  int stepAfterOthers = 0;
};

// Top edge of line `index` (0-based) of a block.
int TextBlockLineTop(const TextBlockLayout& layout, size_t index);

// A frame rectangle whose right column and bottom row are drawn too: the frame
// covers left..right and top..bottom inclusive.
struct FrameRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

struct FramePoint {
  int x = 0;
  int y = 0;
  bool operator==(const FramePoint& other) const { return x == other.x && y == other.y; }
  bool operator!=(const FramePoint& other) const { return !(*this == other); }
};

// One line as the pen draws it: from `from` up to `to`, `to` itself not drawn.
struct FrameSegment {
  FramePoint from;
  FramePoint to;
};

constexpr size_t kGroupFrameSegmentCount = 13;
using GroupFrameSegments = std::array<FrameSegment, kGroupFrameSegmentCount>;

// Colours of the group frame, as 0x00BBGGRR values (a Windows COLORREF).
constexpr uint32_t kFrameLineColour = 0x00BFD0D0;     // RGB(208,208,191)
constexpr uint32_t kFrameCaptionColour = 0x00D54600;  // RGB(0,70,213)

// The 13 segments of a group frame in drawing order: the top edge in two pieces
// around a caption captionWidth pixels wide, the left edge, the bottom edge, the
// right edge drawn upwards, and the diagonal corner steps between them. The two
// right-hand corners are cut one pixel deeper than the left-hand ones.
GroupFrameSegments GroupFrameSegmentsFor(const FrameRect& frame, int captionWidth);

// Where the caption's top-left corner goes: 8 pixels in from the left edge,
// centred vertically on the top edge (half the height truncated toward zero).
FramePoint GroupFrameCaptionOrigin(const FrameRect& frame, int captionHeight);

// The pixels the segments cover, in drawing order, one entry per pixel drawn
// (a pixel two segments share appears twice). Only horizontal and vertical
// segments occur; each covers its start point and stops one short of its end.
std::vector<FramePoint> SegmentPixels(const FrameSegment* segments, size_t count);

}  // namespace ui
