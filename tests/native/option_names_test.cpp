#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "driver/option_names.h"

namespace {

using driver::TranslateOptionName;

std::string Translate(const std::string& line, int& counter) {
  char buffer[256];
  strcpy(buffer, line.c_str());
  TranslateOptionName(buffer, sizeof buffer, counter);
  return buffer;
}

std::string Translate(const std::string& line) {
  int counter = 0;
  return Translate(line, counter);
}

TEST(OptionNames, ChineseLiteralsAreGbkBytes) {
  // The GPD is GBK; the keys only match if the build turned the literals into GBK.
  EXPECT_EQ(std::string("打印模式"), "\xb4\xf2\xd3\xa1\xc4\xa3\xca\xbd");
  EXPECT_EQ(std::string("无"), "\xce\xde");
}

struct Row {
  const char* chinese;
  const char* english;
  int blanks;
};

// Every row but "none", which depends on the counter.
const Row kRows[] = {
    {"打印模式", "Print Mode", 4},
    {"以图形方式打印", "Print as image", 8},
    {"软字体", "Print as soft font", 8},
    {"钱箱", "Cash Drawer", 8},
    {"打印前打开钱箱", "Open cash drawer before printing", 8},
    {"打印后打开钱箱", "Open cash drawer after printing", 8},
    {"尾页空白处理", "Blank space at page's end", 8},
    {"不打印", "Do not print", 8},
    {"打印", "Print", 8},
    {"打印后走纸", "Feed distance after print", 8},
    {"走纸3mm", "Feed 3mm", 8},
    {"走纸6mm", "Feed 6mm", 8},
    {"走纸9mm", "Feed 9mm", 8},
    {"走纸12mm", "Feed 12mm", 8},
    {"走纸15mm", "Feed 15mm", 8},
    {"走纸18mm", "Feed 18mm", 8},
    {"走纸21mm", "Feed 21mm", 8},
    {"走纸24mm", "Feed 24mm", 8},
    {"走纸27mm", "Feed 27mm", 8},
    {"走纸30mm", "Feed 30mm", 8},
    {"走纸33mm", "Feed 33mm", 8},
    {"走纸36mm", "Feed 36mm", 8},
    {"走纸39mm", "Feed 39mm", 8},
    {"走纸42mm", "Feed 42mm", 8},
    {"走纸45mm", "Feed 45mm", 8},
    {"蜂鸣器", "Beeper", 8},
    {"打印每页后蜂鸣", "Beep after every page", 8},
    {"打印每页前蜂鸣", "Beep before every page", 8},
    {"打印文档后蜂鸣", "Beep after every document", 8},
    {"打印文档前蜂鸣", "Beep before every document", 8},
    {"NV Logo", "NV Logo", 8},
    {"不打印NV Logo", "Do not print NV Logo", 8},
    {"打印NV Logo1", "Print NV Logo1", 8},
    {"打印NV Logo2", "Print NV Logo2", 8},
    {"打印NV Logo3", "Print NV Logo3", 8},
    {"打印NV Logo4", "Print NV Logo4", 8},
    {"打印NV Logo5", "Print NV Logo5", 8},
    {"打印NV Logo6", "Print NV Logo6", 8},
    {"打印NV Logo7", "Print NV Logo7", 8},
    {"打印NV Logo8", "Print NV Logo8", 8},
    {"切纸", "Paper Cutting", 8},
    {"页尾切纸", "After one page", 8},
    {"文档尾切纸", "After documnet", 8},
    {"不切纸[不进纸]", "No Cutting[No Feeding]", 8},
    {"页尾[不进纸]", "Page[No Cutting]", 8},
    {"文档尾[不进纸]", "Documnet[No Cutting]", 8},
};

TEST(OptionNames, EveryRowReplacesTheWholeLine) {
  static_assert(sizeof kRows / sizeof kRows[0] + 1 == driver::kOptionNameRowCount, "47 rows");
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.english);
    std::string expected = std::string(row.blanks, ' ') + "*Name: \"" + row.english + "\"\r\n";
    // Indentation, line end and anything after the name come from the table.
    EXPECT_EQ(Translate(std::string("  *Name: \"") + row.chinese + "\"\n"), expected);
    EXPECT_EQ(Translate(std::string("\t\t*Name: \"") + row.chinese + "\" *rcNameID: 7\r\n"),
              expected);
    EXPECT_EQ(Translate(std::string("*Name: \"") + row.chinese + "\""), expected);
  }
}

TEST(OptionNames, FeatureAndOptionLinesOfTheDescription) {
  EXPECT_EQ(Translate("    *Name: \"打印模式\"\r\n"), "    *Name: \"Print Mode\"\r\n");
  EXPECT_EQ(Translate("    *Name: \"以图形方式打印\"\r\n"), "        *Name: \"Print as image\"\r\n");
  // Feature names that stand with four blanks come out with eight.
  EXPECT_EQ(Translate("    *Name: \"钱箱\"\r\n"), "        *Name: \"Cash Drawer\"\r\n");
  EXPECT_EQ(Translate("    *Name: \"蜂鸣器\"\r\n"), "        *Name: \"Beeper\"\r\n");
}

TEST(OptionNames, NoneIsCashDrawerThenBeeperThenLeftAlone) {
  int counter = 0;
  EXPECT_EQ(Translate("        *Name: \"无\"\r\n", counter), "        *Name: \"No Cash Drawer\"\r\n");
  EXPECT_EQ(counter, 1);
  EXPECT_EQ(Translate("  *Name: \"钱箱\"\r\n", counter), "        *Name: \"Cash Drawer\"\r\n");
  EXPECT_EQ(counter, 1);
  EXPECT_EQ(Translate("        *Name: \"无\"\n", counter), "        *Name: \"No Beeping\"\r\n");
  EXPECT_EQ(counter, 2);
  EXPECT_EQ(Translate("        *Name: \"无\"\r\n", counter), "        *Name: \"无\"\r\n");
  EXPECT_EQ(counter, 3);
  EXPECT_EQ(Translate("    *Name: \"无\"\n", counter), "    *Name: \"无\"\n");
  EXPECT_EQ(counter, 4);
}

TEST(OptionNames, NamesWithoutARowStayChinese) {
  const char* lines[] = {
      "        *Name: \"走纸0mm\"\r\n",
      "        *Name: \"走纸51mm\"\r\n",
      "        *Name: \"走纸57mm\"\r\n",
      "    *Name: \"打印后空走纸\"\r\n",
      "    *Name: 打印\r\n",          // no quotation marks
      "    *Name:\"打印\"\r\n",       // no blank after the colon
      "    *Name: \"打印 \"\r\n",
      "*Feature: PrintMode\r\n",
      "\n",
      "",
  };
  for (const char* line : lines) {
    int counter = 0;
    EXPECT_EQ(Translate(line, counter), line);
    EXPECT_EQ(counter, 0);
  }
}

TEST(OptionNames, FirstRowInTableOrderDecides) {
  // Both keys on one line: row 1 comes before row 4.
  EXPECT_EQ(Translate("*Name: \"钱箱\" *Name: \"打印模式\"\r\n"), "    *Name: \"Print Mode\"\r\n");
  // "None" after "Cash Drawer" on one line: row 4 decides and the counter stays.
  int counter = 0;
  EXPECT_EQ(Translate("*Name: \"无\" *Name: \"钱箱\"\r\n", counter),
            "        *Name: \"Cash Drawer\"\r\n");
  EXPECT_EQ(counter, 0);
}

TEST(OptionNames, KeyAfterANulIsNotSeen) {
  char buffer[256] = "junk";
  const char tail[] = "*Name: \"钱箱\"\r\n";
  memcpy(buffer + 5, tail, sizeof tail);
  int counter = 0;
  EXPECT_FALSE(TranslateOptionName(buffer, sizeof buffer, counter));
  EXPECT_STREQ(buffer, "junk");
  EXPECT_EQ(std::string(buffer + 5), tail);
}

TEST(OptionNames, ReplacementThatDoesNotFitLeavesTheLine) {
  // A 24-byte buffer inside a guarded area: "        *Name: \"Beeper\"\r\n" needs 26.
  char area[64];
  memset(area, 'G', sizeof area);
  char* buffer = area + 8;
  strcpy(buffer, "*Name: \"蜂鸣器\"\n");
  int counter = 0;
  EXPECT_FALSE(TranslateOptionName(buffer, 24, counter));
  EXPECT_STREQ(buffer, "*Name: \"蜂鸣器\"\n");
  for (int i = 0; i < 8; ++i) EXPECT_EQ(area[i], 'G');
  for (size_t i = 8 + 24; i < sizeof area; ++i) EXPECT_EQ(area[i], 'G');

  EXPECT_FALSE(TranslateOptionName(buffer, 25, counter));  // no room for the NUL
  // Exactly big enough: 25 bytes of text and the NUL.
  strcpy(buffer, "*Name: \"蜂鸣器\"\n");
  EXPECT_TRUE(TranslateOptionName(buffer, 26, counter));
  EXPECT_STREQ(buffer, "        *Name: \"Beeper\"\r\n");
  EXPECT_EQ(area[8 + 26], 'G');

  EXPECT_FALSE(TranslateOptionName(buffer, 0, counter));
  EXPECT_FALSE(TranslateOptionName(nullptr, 256, counter));
}

}  // namespace
