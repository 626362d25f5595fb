#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <string>
#include <vector>

#include "ui/text_layout.h"

namespace {

using ui::BreakTextIntoLines;

constexpr int kUnit = 10;  // pixels per byte: a double-byte character is 20 wide

// Fixed width per byte. Every run it is asked about is recorded, and it checks
// that the run is a whole number of characters. Runs always point into the
// NUL-terminated text being broken, so the byte after a run can be read.
class FakeMeasure : public ui::TextMeasure {
 public:
  int Width(const char* bytes, size_t count) const override {
    runs.emplace_back(bytes, count);
    size_t k = 0;
    while (k < count) k += ui::IsLeadByte(static_cast<unsigned char>(bytes[k])) ? 2 : 1;
    // A run that stops between a lead byte and its trail byte; a lead byte that
    // ends the whole text has no trail byte and counts as a character of its own.
    if (k != count && bytes[count] != '\0') splitRuns++;
    return static_cast<int>(count) * unit;
  }
  int unit = kUnit;
  mutable std::vector<std::string> runs;
  mutable int splitRuns = 0;
};

std::vector<std::string> Break(const std::string& text, int limit) {
  FakeMeasure measure;
  std::vector<std::string> lines;
  BreakTextIntoLines(measure, text.c_str(), &lines, limit);
  EXPECT_EQ(measure.splitRuns, 0) << "a double-byte character was measured in halves";
  return lines;
}

using Lines = std::vector<std::string>;

// GBK bytes spelled out, so the cases do not depend on the compiler's charset.
const std::string kZhong = "\xD6\xD0";  // a double-byte character
const std::string kWen = "\xCE\xC4";

struct BreakCase {
  const char* name;
  std::string text;
  int limit;
  Lines expected;
};

TEST(TextBreaking, Cases) {
  const int wide = 10000;
  const BreakCase cases[] = {
      {"newline separates two lines", "AB\nCD", wide, {"AB", "CD"}},
      {"trailing newline gives a final empty line", "AB\n", wide, {"AB", ""}},
      {"two newlines give an empty line between", "A\n\nB", wide, {"A", "", "B"}},
      {"empty text gives no line", "", wide, {}},
      {"a lone newline gives two empty lines", "\n", wide, {"", ""}},
      {"leading newline gives an empty first line", "\nA", wide, {"", "A"}},
      {"one line that fits", "ABC", wide, {"ABC"}},
      {"width equal to the limit still fits", "ABC", 3 * kUnit, {"ABC"}},
      {"overflow moves the character to the next line", "ABCDE", 3 * kUnit, {"ABC", "DE"}},
      {"breaks inside words", "ABCDEFG", 2 * kUnit, {"AB", "CD", "EF", "G"}},
      {"a space that fits stays at the end", "AB CD", 3 * kUnit, {"AB ", "CD"}},
      {"a space that overflows opens the next line", "ABC DE", 3 * kUnit, {"ABC", " DE"}},
      {"overflowing character followed by a newline", "ABC\nD", 2 * kUnit, {"AB", "C", "D"}},
      {"full line ending at a newline, then the end", "ABCD\n", 2 * kUnit, {"AB", "CD", ""}},
      {"limit narrower than one character", "ABC", kUnit / 2, {"A", "B", "C"}},
      {"zero limit", "AB", 0, {"A", "B"}},
      {"negative limit", "AB", -5, {"A", "B"}},
      {"newlines with a narrow limit", "A\n\nB", 1, {"A", "", "B"}},
      {"double-byte character that would overflow moves whole",
       "AB" + kZhong, 3 * kUnit, {"AB", kZhong}},
      {"double-byte characters among single ones",
       "A" + kZhong + "B", 2 * kUnit, {"A", kZhong, "B"}},
      {"double-byte characters fill a line pairwise",
       kZhong + kWen + kZhong, 4 * kUnit, {kZhong + kWen, kZhong}},
      {"double-byte character wider than the limit stays alone",
       kZhong + kWen + "A", 15, {kZhong, kWen, "A"}},
      {"double-byte character wider than the limit after a newline",
       "A\n" + kZhong, 5, {"A", kZhong}},
      {"lead byte at the very end is a character of its own", "A\xD6", wide, {"A\xD6"}},
      {"lead byte at the end does not fit", "AB\xD6", 2 * kUnit, {"AB", "\xD6"}},
      {"a lead byte takes the byte after it, even a newline", "A\xD6\nB", wide, {"A\xD6\nB"}},
  };
  for (const BreakCase& c : cases) {
    EXPECT_EQ(Break(c.text, c.limit), c.expected) << c.name;
  }
}

TEST(TextBreaking, NullTextGivesNoLine) {
  FakeMeasure measure;
  std::vector<std::string> lines;
  BreakTextIntoLines(measure, nullptr, &lines, 100);
  EXPECT_TRUE(lines.empty());
  EXPECT_TRUE(measure.runs.empty());
}

TEST(TextBreaking, AppendsBehindWhatTheArrayHolds) {
  FakeMeasure measure;
  std::vector<std::string> lines = {"kept"};
  BreakTextIntoLines(measure, "AB\nC", &lines, 1000);
  EXPECT_EQ(lines, (Lines{"kept", "AB", "C"}));
}

TEST(TextBreaking, MeasuresTheWholeCandidateLineForEveryCharacter) {
  FakeMeasure measure;
  std::vector<std::string> lines;
  BreakTextIntoLines(measure, ("AB" + kZhong + "C\nD").c_str(), &lines, 3 * kUnit);
  // Newlines are never measured; after a break the next run starts at the
  // character that did not fit, which is not measured again on its own.
  EXPECT_EQ(measure.runs, (Lines{"A", "AB", "AB" + kZhong, kZhong + "C", "D"}));
  EXPECT_EQ(lines, (Lines{"AB", kZhong + "C", "D"}));
}

// A block whose first line is drawn in a larger font: that line is measured in it
// (here twice as wide), every later one in the other, also when the first line
// ends by wrapping and when the array already held lines.
TEST(TextBreaking, FirstLineHasAMeasureOfItsOwn) {
  FakeMeasure first;
  first.unit = 2 * kUnit;
  FakeMeasure others;
  std::vector<std::string> lines = {"kept"};
  BreakTextIntoLines(first, others, "ABCDE\nFGHIJ", &lines, 4 * kUnit);
  EXPECT_EQ(lines, (Lines{"kept", "AB", "CDE", "FGHI", "J"}));
  EXPECT_EQ(first.runs, (Lines{"A", "AB", "ABC"}));
  EXPECT_EQ(others.runs.front(), "CD");
}

// Between words: a line that overflows ends at its last blank, which belongs to no
// line; a blank that itself does not fit ends the line; a word longer than a line,
// and Chinese text without blanks, are cut by characters as the other rule cuts them.
TEST(TextBreaking, AtWordsKeepsWordsWhole) {
  auto words = [](const std::string& text, int limit) {
    FakeMeasure measure;
    std::vector<std::string> lines;
    ui::BreakTextAtWords(measure, text.c_str(), &lines, limit * kUnit);
    return lines;
  };
  EXPECT_EQ(words("see the entire agreement.", 20), (Lines{"see the entire", "agreement."}));
  EXPECT_EQ(words("ab cd", 2), (Lines{"ab", "cd"}));
  EXPECT_EQ(words("abc ", 3), (Lines{"abc"}));
  EXPECT_EQ(words("a verylongword b", 5), (Lines{"a", "veryl", "ongwo", "rd b"}));
  EXPECT_EQ(words("one\ntwo three", 6), (Lines{"one", "two", "three"}));
  EXPECT_EQ(words(kZhong + kWen + kZhong + kWen, 4), (Lines{kZhong + kWen, kZhong + kWen}));
}

// The page texts: a vendor's English line that is a little too long breaks before
// its last word, not inside it, also in the welcome text, whose first line is
// measured in the larger title font; a Chinese line breaks between any two
// characters, also where Latin words meet Chinese ones, but a full-width comma or
// full stop never opens a line; a word longer than the line is cut by characters.
TEST(TextBreaking, PageTextsBreakBetweenWords) {
  auto words = [](const std::string& text, int limit, int firstUnit) {
    FakeMeasure first;
    first.unit = firstUnit;
    FakeMeasure others;
    std::vector<std::string> lines;
    ui::BreakTextAtWords(first, others, text.c_str(), &lines, limit * kUnit);
    EXPECT_EQ(first.splitRuns + others.splitRuns, 0) << "a double-byte character was measured in halves";
    return lines;
  };
  // A line of 28 units; the title font is twice as wide, so the first line holds 14.
  EXPECT_EQ(words("Welcome to the Zeta-80C Setup\n\nThis wizard installs the driver for your printer.", 28, 2 * kUnit),
            (Lines{"Welcome to the", "Zeta-80C Setup", "", "This wizard installs the", "driver for your printer."}));
  EXPECT_EQ(words("Please click [next] to continue.", 28, kUnit), (Lines{"Please click [next] to", "continue."}));
  EXPECT_EQ(words("Setup cannot find C:\\Programs\\Zeta-80C\\Driver\\Files.", 20, kUnit),
            (Lines{"Setup cannot find", "C:\\Programs\\Zeta-80C", "\\Driver\\Files."}));

  // Compiled as GBK: a Chinese character is two units wide.
  EXPECT_EQ(words("本程序支持Word、Excel等程序的Windows标准打印功能。", 14, kUnit),
            (Lines{"本程序支持", "Word、Excel等", "程序的Windows", "标准打印功能。"}));
  EXPECT_EQ(words("本程序支持Word、Excel等程序的Windows标准打印功能。", 16, kUnit),
            (Lines{"本程序支持Word、", "Excel等程序的", "Windows标准打印", "功能。"}));
  EXPECT_EQ(words("打印功能。", 8, kUnit), (Lines{"打印功", "能。"}));
}

TEST(TextBreaking, NoLineExceedsTheLineBuffer) {
  // Single bytes: 300 of them under a limit they all fit.
  Lines lines = Break(std::string(300, 'A'), 1 << 30);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], std::string(ui::kMaxLineBytes, 'A'));
  EXPECT_EQ(lines[1], std::string(300 - ui::kMaxLineBytes, 'A'));

  // One single byte, then double-byte characters: 1 + 127 * 2 fills the 255 bytes.
  std::string text = "A";
  for (int k = 0; k < 200; ++k) text += kZhong;
  lines = Break(text, 1 << 30);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].size(), 255u);
  EXPECT_EQ(lines[1].size(), 146u);
  EXPECT_EQ(lines[0] + lines[1], text);

  // Only double-byte characters: 127 of them make 254 bytes, the 128th would make
  // 256, so the line ends one byte short rather than split a character.
  text.clear();
  for (int k = 0; k < 130; ++k) text += kWen;
  lines = Break(text, 1 << 30);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].size(), 254u);
  EXPECT_EQ(lines[1].size(), 6u);

  // Exactly 255 bytes stay one line.
  EXPECT_EQ(Break(std::string(255, 'x'), 1 << 30), (Lines{std::string(255, 'x')}));
}

TEST(TextBreaking, ChineseWelcomeTextKeepsItsCharactersWhole) {
  // Compiled as GBK like every narrow literal of the program.
  const std::string text =
      "欢迎使用Q710打印机驱动\n\n本向导将会在您的电脑上安装Q710打印机驱动。本程序支持Word、Excel等程序的"
      "Windows标准打印功能。";
  ASSERT_TRUE(ui::IsLeadByte(static_cast<unsigned char>(text[0])));
  for (int limit : {15, 45, 100, 155, 300}) {
    Lines lines = Break(text, limit);  // Break checks no run ends halfway
    std::string joined;
    for (const std::string& line : lines) {
      EXPECT_LE(line.size() * kUnit, static_cast<size_t>(std::max(limit, 2 * kUnit))) << limit;
      joined += line;
    }
    std::string withoutNewlines;
    for (char c : text)
      if (c != '\n') withoutNewlines += c;
    EXPECT_EQ(joined, withoutNewlines) << limit;
  }
}

// Random GBK-like texts checked against what the breaking promises: every byte
// but the newlines lands in exactly one line, in order; a line ends at a newline,
// at the end of the text, or before a character that would not have fitted; no
// line is wider than the limit unless it holds one character.
TEST(TextBreaking, RandomTextsKeepEveryPromise) {
  std::mt19937 random(12345);
  const std::string alphabet[] = {"A", "b", " ", "\n", kZhong, kWen, "\xB0\xA1"};
  for (int round = 0; round < 500; ++round) {
    std::string text;
    const int characters = static_cast<int>(random() % 40);
    for (int k = 0; k < characters; ++k) text += alphabet[random() % 7];
    const int limit = static_cast<int>(random() % 90);
    const Lines lines = Break(text, limit);
    SCOPED_TRACE(testing::Message() << "round " << round << " limit " << limit);

    size_t p = 0;
    for (size_t k = 0; k < lines.size(); ++k) {
      const std::string& line = lines[k];
      ASSERT_EQ(text.compare(p, line.size(), line), 0);
      const size_t characterCount = [&] {
        size_t count = 0;
        for (size_t b = 0; b < line.size(); b += ui::IsLeadByte(static_cast<unsigned char>(line[b])) ? 2 : 1)
          ++count;
        return count;
      }();
      EXPECT_EQ(line.find('\n'), std::string::npos);
      if (characterCount > 1) {
        EXPECT_LE(static_cast<int>(line.size()) * kUnit, limit);
      }
      p += line.size();
      if (k + 1 == lines.size()) {
        EXPECT_EQ(p, text.size());
      } else if (text[p] == '\n') {
        ++p;
      } else {
        // A break for width: the next character would have overflowed.
        const size_t next = ui::IsLeadByte(static_cast<unsigned char>(text[p])) ? 2 : 1;
        EXPECT_GT(static_cast<int>(line.size() + next) * kUnit, limit);
        EXPECT_GT(characterCount, 0u);
      }
    }
    EXPECT_EQ(lines.empty(), text.empty());
  }
}

// The same random texts broken between words: every byte lands in one line, in
// order, but for the newlines and the one blank a break between words drops; no
// line of more than one character is wider than the limit.
TEST(TextBreaking, RandomTextsBrokenAtWordsLoseOnlyTheBreakingBlanks) {
  std::mt19937 random(54321);
  const std::string alphabet[] = {"A", "b", " ", " ", "\n", kZhong, kWen, "\xA3\xAC"};
  for (int round = 0; round < 500; ++round) {
    std::string text;
    const int characters = static_cast<int>(random() % 40);
    for (int k = 0; k < characters; ++k) text += alphabet[random() % 8];
    const int limit = static_cast<int>(random() % 90);
    FakeMeasure measure;
    Lines lines;
    ui::BreakTextAtWords(measure, text.c_str(), &lines, limit);
    SCOPED_TRACE(testing::Message() << "round " << round << " limit " << limit << " text '" << text << "'");
    EXPECT_EQ(measure.splitRuns, 0);
    size_t p = 0;
    for (size_t k = 0; k < lines.size(); ++k) {
      const std::string& line = lines[k];
      ASSERT_EQ(text.compare(p, line.size(), line), 0);
      size_t count = 0;
      for (size_t b = 0; b < line.size(); b += ui::IsLeadByte(static_cast<unsigned char>(line[b])) ? 2 : 1) ++count;
      if (count > 1) {
        EXPECT_LE(static_cast<int>(line.size()) * kUnit, limit);
      }
      p += line.size();
      if (p < text.size() && (text[p] == '\n' || text[p] == ' ')) ++p;
    }
    EXPECT_EQ(p, text.size());
  }
}

TEST(TextBlockLayout, LineTopsFollowTheFirstAndLaterSteps) {
  struct Case {
    ui::TextBlockLayout layout;
    std::vector<int> tops;
  };
  const Case cases[] = {
      {{180, 20, 30, 16}, {20, 50, 66, 82}},   // welcome page
      {{28, 70, 13, 13}, {70, 83, 96, 109}},   // folder and installing pages
      {{28, 70, 103, 103}, {70, 173, 276}},    // result pages
  };
  for (const Case& c : cases) {
    for (size_t k = 0; k < c.tops.size(); ++k) EXPECT_EQ(ui::TextBlockLineTop(c.layout, k), c.tops[k]) << k;
  }
  // Far-off lines saturate instead of wrapping around.
  EXPECT_EQ(ui::TextBlockLineTop({0, 0, 1000, 1000000}, 1u << 20), INT_MAX);
}

// The frame drawn into a character grid: '#' for a pixel, '.' for none.
std::vector<std::string> Picture(const ui::FrameRect& frame, int captionWidth) {
  const ui::GroupFrameSegments segments = ui::GroupFrameSegmentsFor(frame, captionWidth);
  std::vector<std::string> rows(frame.bottom + 3, std::string(frame.right + 3, '.'));
  for (const ui::FramePoint& p : ui::SegmentPixels(segments.data(), segments.size())) {
    EXPECT_GE(p.x, frame.left);
    EXPECT_LE(p.x, frame.right);
    EXPECT_GE(p.y, frame.top);
    EXPECT_LE(p.y, frame.bottom);
    if (p.x >= 0 && p.y >= 0 && p.y < static_cast<int>(rows.size()) && p.x < static_cast<int>(rows[0].size()))
      rows[p.y][p.x] = '#';
  }
  return rows;
}

TEST(GroupFrameGeometry, SegmentsInDrawingOrder) {
  const ui::FrameRect frame{26, 168, 453, 218};
  const ui::GroupFrameSegments s = ui::GroupFrameSegmentsFor(frame, 60);
  const int expected[13][4] = {
      {28, 168, 33, 168},  {94, 168, 451, 168}, {27, 169, 28, 169}, {26, 170, 27, 170}, {26, 170, 26, 216},
      {26, 216, 27, 216},  {27, 217, 28, 217},  {28, 218, 451, 218}, {451, 217, 452, 217},
      {452, 216, 453, 216}, {453, 215, 453, 170}, {452, 170, 453, 170}, {451, 169, 452, 169},
  };
  for (int k = 0; k < 13; ++k) {
    EXPECT_EQ(s[k].from, (ui::FramePoint{expected[k][0], expected[k][1]})) << "segment " << k + 1;
    EXPECT_EQ(s[k].to, (ui::FramePoint{expected[k][2], expected[k][3]})) << "segment " << k + 1;
  }
}

TEST(GroupFrameGeometry, PixelsWithACaption) {
  // Caption 2 pixels wide: the gap is x = 7..9 of the top edge.
  const std::vector<std::string> expected = {
      "..#####...###.....",
      ".#...........#....",
      "#.............#...",
      "#..............#..",
      "#..............#..",
      "#..............#..",
      "#.............#...",
      ".#...........#....",
      "..###########.....",
      "..................",
      "..................",
  };
  EXPECT_EQ(Picture({0, 0, 15, 8}, 2), expected);
}

TEST(GroupFrameGeometry, EmptyCaptionLeavesAOnePixelGap) {
  const std::vector<std::string> expected = {
      "..#####.#####.....",
      ".#...........#....",
      "#.............#...",
      "#..............#..",
      "#..............#..",
      "#..............#..",
      "#.............#...",
      ".#...........#....",
      "..###########.....",
      "..................",
      "..................",
  };
  EXPECT_EQ(Picture({0, 0, 15, 8}, 0), expected);
}

TEST(GroupFrameGeometry, OuterSizeAndGapOfAWizardFrame) {
  const ui::FrameRect frame{5, 117, 495, 176};
  const int captionWidth = 93;
  const ui::GroupFrameSegments segments = ui::GroupFrameSegmentsFor(frame, captionWidth);
  const std::vector<ui::FramePoint> pixels = ui::SegmentPixels(segments.data(), segments.size());
  int minX = 1 << 30, maxX = -1, minY = 1 << 30, maxY = -1;
  for (const ui::FramePoint& p : pixels) {
    minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
    minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
    if (p.y == frame.top) {
      EXPECT_FALSE(p.x >= frame.left + 7 && p.x <= frame.left + captionWidth + 7) << "pixel in the gap at " << p.x;
    }
  }
  EXPECT_EQ(maxX - minX + 1, frame.right - frame.left + 1);
  EXPECT_EQ(maxY - minY + 1, frame.bottom - frame.top + 1);
  auto has = [&](int x, int y) {
    for (const ui::FramePoint& p : pixels)
      if (p.x == x && p.y == y) return true;
    return false;
  };
  EXPECT_TRUE(has(frame.left + 6, frame.top));
  EXPECT_TRUE(has(frame.left + captionWidth + 8, frame.top));
  EXPECT_FALSE(has(frame.left, frame.top));
  EXPECT_FALSE(has(frame.right, frame.bottom));
}

TEST(GroupFrameGeometry, SegmentPixelsStopShortOfTheEnd) {
  const ui::FrameSegment segments[] = {
      {{3, 1}, {6, 1}},  // rightwards: 3, 4, 5
      {{2, 9}, {2, 7}},  // upwards: 9, 8
      {{4, 4}, {4, 4}},  // nothing
      {{0, 0}, {2, 2}},  // slanted: nothing
  };
  const std::vector<ui::FramePoint> expected = {{3, 1}, {4, 1}, {5, 1}, {2, 9}, {2, 8}};
  EXPECT_EQ(ui::SegmentPixels(segments, 4), expected);
  EXPECT_TRUE(ui::SegmentPixels(nullptr, 3).empty());
}

TEST(GroupFrameGeometry, CaptionCentredOnTheTopEdge) {
  const struct {
    ui::FrameRect frame;
    int height;
    ui::FramePoint origin;
  } cases[] = {
      {{26, 168, 453, 218}, 15, {34, 161}},  // odd height: half truncated
      {{5, 68, 495, 106}, 16, {13, 60}},
      {{0, 0, 10, 10}, 0, {8, 0}},
      {{0, 3, 10, 10}, -3, {8, 4}},  // truncated toward zero, not floored
  };
  for (const auto& c : cases) EXPECT_EQ(ui::GroupFrameCaptionOrigin(c.frame, c.height), c.origin);
}

}  // namespace
