#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <random>
#include <string>

#include "driver/ui_config_rewriter.h"
#include "test_support.h"

namespace {

using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

template <size_t N>
std::string Bytes(const char (&text)[N]) {
  return std::string(text, N - 1);
}

std::string Rewrite(const std::string& input, const std::string& folder = "C:\\Drv") {
  TempDir dir;
  WriteFileBytes(dir.File("UIConfig.txt"), input);
  driver::RewriteUIConfig(dir.File("UIConfig.txt").c_str(), dir.File("PUIConfig.txt").c_str(),
                          folder.c_str());
  return ReadFileBytes(dir.File("PUIConfig.txt"));
}

TEST(UiConfigRewriter, PictureLines) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"Logo=280, 30, 140, 54, about.bmp\r\n", "Logo=280, 30, 140, 54, C:\\Drv\\about.bmp\r\n"},
      {"Logo=280,30,140,54,about.bmp\n", "Logo=280, 30, 140, 54, C:\\Drv\\about.bmp\r\n"},
      {"Picture=10, 10, 169, 295, printer.bmp", "Picture=10, 10, 169, 295, C:\\Drv\\printer.bmp\r\n"},
      {"Logo=   -5,+7,  x, 3px, a b.bmp  \r\n", "Logo=-5, 7, 0, 3, C:\\Drv\\a b.bmp  \r\n"},
      {"Logo=,,,,\r\n", "Logo=0, 0, 0, 0, \r\n"},
      // The key is taken to stand at the start wherever it is found.
      // ("XLogo" leaves "=1" as the first value, which is no number.)
      {"XLogo=1, 2, 3, 4, a.bmp\r\n", "Logo=0, 2, 3, 4, C:\\Drv\\a.bmp\r\n"},
      {"; Picture=1,2,3,4,p.bmp\r\n", "Picture=0, 2, 3, 4, C:\\Drv\\p.bmp\r\n"},
      // Both keys: a "Logo=" line, its values 5 bytes from the start.
      {"Picture=1,2,3,4,Logo=x.bmp\r\n", "Logo=0, 2, 3, 4, C:\\Drv\\Logo=x.bmp\r\n"},
      // Fewer than five values still end the line.
      {"Logo=1, 2\r\n", "Logo=1, 2, \r\n"},
      {"Logo=\r\n", "Logo=\r\n"},
      {"Logo=", "Logo=\r\n"},
      {"Logo=1, 2, 3, 4,   \r\n", "Logo=1, 2, 3, 4, \r\n"},
      // Every further value gets a path line of its own.
      {"Logo=1,2,3,4,a.bmp,b.bmp, c.bmp\r\n",
       "Logo=1, 2, 3, 4, C:\\Drv\\a.bmp\r\nC:\\Drv\\b.bmp\r\nC:\\Drv\\c.bmp\r\n"},
      {"Logo=1,2,3,4,a.bmp,,\r\n", "Logo=1, 2, 3, 4, C:\\Drv\\a.bmp\r\nC:\\Drv\\\r\n"},
      // Only CR LF or LF is a line end; a lone CR belongs to the value.
      {"Logo=1,2,3,4,a.bmp\r", "Logo=1, 2, 3, 4, C:\\Drv\\a.bmp\r\r\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Rewrite(c.in), c.out) << c.in;
  }
}

TEST(UiConfigRewriter, DecimalConversionSaturates) {
  struct Case {
    const char* text;
    int value;
  } cases[] = {
      {"", 0},
      {"abc", 0},
      {"-", 0},
      {"+", 0},
      {"12abc", 12},
      {"  \t42", 42},
      {"-7", -7},
      {"+7", 7},
      {"--7", 0},
      {"2147483647", INT_MAX},
      {"2147483648", INT_MAX},
      {"-2147483648", INT_MIN},
      {"-2147483649", INT_MIN},
      {"000000000000000000000000000000012", 12},
      {"99999999999999999999999999999999999999999999", INT_MAX},
      {"-99999999999999999999999999999999999999999999", INT_MIN},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(driver::ParseDecimal(c.text), c.value) << c.text;
  }
  EXPECT_EQ(Rewrite("Logo=" + std::string(400, '9') + ",-" + std::string(40, '9') + ",1,2,x\r\n"),
            "Logo=2147483647, -2147483648, 1, 2, C:\\Drv\\x\r\n");
}

TEST(UiConfigRewriter, OtherLinesPassByteForByte) {
  std::mt19937 random(11);
  std::string noise;
  for (int i = 0; i < 20000; ++i) noise.push_back(static_cast<char>(random() & 0xFF));
  for (char& c : noise) {
    if (c == '=') c = '-';  // both keys end in '='
  }
  const std::string inputs[] = {
      "",
      "[About]\r\nCompany=Rillo\r\n; comment\r\n\r\nlogo=1,2,3,4,a.bmp\r\nLogo 1\n",
      "no line end",
      "\n\n\n",
      Bytes("Name=a\0Logo=1,2,3,4,x\r\n\0\0\n"),
      std::string(2000, 'z') + "\r\n" + std::string(511, 'q'),
      noise,
  };
  for (const std::string& input : inputs) {
    EXPECT_EQ(Rewrite(input), input) << "input of " << input.size() << " bytes";
  }
}

TEST(UiConfigRewriter, LongLinesAreRewrittenPieceByPiece) {
  // Reads take 511 bytes at most; the second piece holds the key.
  std::string input = std::string(511, 'a') + "Logo=1,2,3,4,b.bmp\r\nnext\r\n";
  EXPECT_EQ(Rewrite(input), std::string(511, 'a') + "Logo=1, 2, 3, 4, C:\\Drv\\b.bmp\r\nnext\r\n");
}

TEST(UiConfigRewriter, OutputIsCutAtItsBufferAndStillEndsTheLine) {
  char output[driver::kUiConfigLineSize + 16];
  memset(output, 'G', sizeof output);
  std::string folder(600, 'F');
  ASSERT_TRUE(driver::RewritePictureLine("Logo=1,2,3,4,a.bmp\r\n", folder.c_str(), output));
  EXPECT_EQ(strlen(output), driver::kUiConfigLineSize - 1);
  EXPECT_EQ(std::string(output, 7), "Logo=1,");
  EXPECT_EQ(std::string(output + driver::kUiConfigLineSize - 3), "\r\n");
  for (size_t i = driver::kUiConfigLineSize; i < sizeof output; ++i) EXPECT_EQ(output[i], 'G');

  // A 400-byte name is cut to the 255 bytes a value holds.
  std::string line = "Picture=1,2,3,4," + std::string(400, 'n') + "\r\n";
  ASSERT_TRUE(driver::RewritePictureLine(line.c_str(), "D", output));
  EXPECT_EQ(std::string(output), "Picture=1, 2, 3, 4, D\\" + std::string(255, 'n') + "\r\n");

  // Many values: the line fills up but never spills.
  std::string many = "Logo=";
  for (int i = 0; i < 200; ++i) many += "1,";
  ASSERT_TRUE(driver::RewritePictureLine(many.c_str(), "C:\\Drv", output));
  EXPECT_EQ(strlen(output), driver::kUiConfigLineSize - 1);
  EXPECT_EQ(output[driver::kUiConfigLineSize], 'G');

  EXPECT_FALSE(driver::RewritePictureLine("Company=x\r\n", "C:\\Drv", output));
}

// The cut falls where a full path line has just ended, or inside its line end:
// the line ends with one CR LF, never with "\r\r\n".
TEST(UiConfigRewriter, CutAtAPathsLineEndEndsTheLineOnce) {
  char output[driver::kUiConfigLineSize];
  const std::string folder(250, 'F');
  // "Logo=1, 2, 3, 4, " is 17 bytes; the first path line is 17 + 250 + 1 + name + 2.
  struct Case {
    size_t nameLength;
    std::string end;  // how the output ends
  } cases[] = {
      {240, ".bmp\r\n"},   // the first path's CR LF at 508-509, the second path cut
      {241, ".bmp\r\n"},   // its CR LF at 509-510: the line is full and ends there
      {242, ".bm\r\n"},    // its CR at 510, the LF cut: the name's last byte makes room
  };
  for (const Case& c : cases) {
    const std::string name = std::string(c.nameLength - 4, 'n') + ".bmp";
    const std::string line = "Logo=1,2,3,4," + name + ",x.bmp\r\n";
    ASSERT_TRUE(driver::RewritePictureLine(line.c_str(), folder.c_str(), output));
    const std::string text = output;
    EXPECT_EQ(text.substr(text.size() - c.end.size()), c.end) << c.nameLength;
    EXPECT_EQ(text.find("\r\r"), std::string::npos) << c.nameLength;
    EXPECT_EQ(text.find("\r\n"), text.size() - 2) << c.nameLength;
  }
}

TEST(UiConfigRewriter, FileThatEndsInALineFeedGivesItsLastLineOnce) {
  EXPECT_EQ(Rewrite("a=1\r\nLogo=1,2,3,4,x.bmp\r\n"), "a=1\r\nLogo=1, 2, 3, 4, C:\\Drv\\x.bmp\r\n");
}

TEST(UiConfigRewriter, MissingSourceFailsAndLeavesTheTargetAlone) {
  TempDir dir;
  WriteFileBytes(dir.File("PUIConfig.txt"), "old");
  EXPECT_FALSE(driver::RewriteUIConfig(dir.File("none.txt").c_str(), dir.File("PUIConfig.txt").c_str(), "C:\\D"));
  EXPECT_EQ(ReadFileBytes(dir.File("PUIConfig.txt")), "old");

  WriteFileBytes(dir.File("UIConfig.txt"), "Logo=1,2,3,4,a\r\n");
  driver::RewriteUIConfig(dir.File("UIConfig.txt").c_str(), dir.File("no/dir/x.txt").c_str(), "C:\\D");
  EXPECT_FALSE(testing_support::FileExists(dir.File("no/dir/x.txt")));
}

TEST(UiConfigRewriter, SampleFileGetsFullPathsAndKeepsTheRest) {
  std::string input = ReadFileBytes(testing_support::PackageFile("UIConfig.txt"));
  std::string out = Rewrite(input, "C:\\Program Files\\Rillo");
  std::string expected = input;
  auto replace = [&expected](const std::string& from, const std::string& to) {
    size_t at = expected.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    expected.replace(at, from.size(), to);
  };
  replace("\r\nLogo=280, 30, 140, 54, about.bmp\r\n",
          "\r\nLogo=280, 30, 140, 54, C:\\Program Files\\Rillo\\about.bmp\r\n");
  replace("\r\nPicture=10, 10, 169, 295, printer.bmp\r\n",
          "\r\nPicture=10, 10, 169, 295, C:\\Program Files\\Rillo\\printer.bmp\r\n");
  EXPECT_EQ(out, expected);
}

}  // namespace
