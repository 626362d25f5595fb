#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "driver/gpd_customizer.h"
#include "test_support.h"

namespace {

using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

constexpr int kEnglish = 0;
constexpr int kChinese = 1;

struct GpdRun {
  std::string printerName = "USB Printer";
  std::string resourceDll = "USB PrinterRES.dll";
  std::string modelLine = "Model=Rillo-80";
  int language = kEnglish;

  std::string operator()(const std::string& input) const {
    TempDir dir;
    WriteFileBytes(dir.File("RILLO80.GPD"), input);
    driver::CustomizeGpd(dir.File("RILLO80.GPD").c_str(), dir.File("out.gpd").c_str(),
                         resourceDll.c_str(), printerName.c_str(), modelLine.c_str(), language);
    return ReadFileBytes(dir.File("out.gpd"));
  }
};

// A literal with its NULs.
template <size_t N>
std::string Bytes(const char (&text)[N]) {
  return std::string(text, N - 1);
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    end = end == std::string::npos ? text.size() : end + 1;
    lines.push_back(text.substr(start, end - start));
    start = end;
  }
  return lines;
}

TEST(GpdCustomizer, ResourceDllLineNamesThePrinterResourceDll) {
  GpdRun run;
  EXPECT_EQ(run("*ResourceDLL: \"NEWRES58.DLL\"\r\n"), "*ResourceDLL:\"USB PrinterRES.dll\"\r\n");
  // A substring test: a comment that mentions the key is replaced too, LF-only or not.
  EXPECT_EQ(run("*% see *ResourceDLL: below\n"), "*ResourceDLL:\"USB PrinterRES.dll\"\r\n");
  EXPECT_EQ(run("*ResourceDLL: \"x\""), "*ResourceDLL:\"USB PrinterRES.dll\"\r\n");
  EXPECT_EQ(run("*ResourceDll: \"x\"\r\n"), "*ResourceDll: \"x\"\r\n");
}

TEST(GpdCustomizer, LongResourceDllNameIsWrittenWhole) {
  // Longer than the line buffer: written straight to the file, neither cut nor overflowing.
  GpdRun run;
  run.resourceDll = std::string(300, 'R') + "RES.dll";
  EXPECT_EQ(run("a\r\n*ResourceDLL: \"NEWRES58.DLL\"\r\nb\r\n"),
            "a\r\n*ResourceDLL:\"" + run.resourceDll + "\"\r\nb\r\n");
}

TEST(GpdCustomizer, PaperNamesByBrandAndModel) {
  struct Case {
    const char* printer;
    const char* model;
    const char* names[3];
  } cases[] = {
      {"USB Printer", "Model=Rillo-80",
       {"Paper Size(80 x 210)", "Paper Size(80 x 297)", "Paper Size(80 x 3276)"}},
      {"USB Printer", "Model=Rillo-58",
       {"Paper Size(58 x 210)", "Paper Size(58 x 297)", "Paper Size(58 x 3276)"}},
      {"Kelo-80-Series", "Model=Rillo-80",
       {"Kelo Paper(80 x 210)", "Kelo Paper(80 x 297)", "Kelo Paper(80 x 3276)"}},
      {"Kelo-80-Series", "Model=Rillo-58",
       {"Kelo Paper(58 x 210)", "Kelo Paper(58 x 297)", "Kelo Paper(58 x 3276)"}},
      // Exact, case-sensitive comparisons of the whole string.
      {"Kelo-80-Series 2", "Model=Rillo58-Series",
       {"Paper Size(80 x 210)", "Paper Size(80 x 297)", "Paper Size(80 x 3276)"}},
      {"kelo-80-series", "Model=Rillo-58 ",
       {"Paper Size(80 x 210)", "Paper Size(80 x 297)", "Paper Size(80 x 3276)"}},
      {"Kelo-80-Series", "",
       {"Kelo Paper(80 x 210)", "Kelo Paper(80 x 297)", "Kelo Paper(80 x 3276)"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.printer) + " / " + c.model);
    for (int language : {kEnglish, kChinese}) {
      GpdRun run;
      run.printerName = c.printer;
      run.modelLine = c.model;
      run.language = language;
      std::string out = run(
          "    {\r\n        *rcNameID: 850\r\n    }\r\n"
          "\t*rcNameID: 851  *% trailing text goes\n"
          "*rcNameID: 852");
      EXPECT_EQ(out, std::string("    {\r\n        *Name:\"") + c.names[0] + "\"\r\n    }\r\n" +
                         "        *Name:\"" + c.names[1] + "\"\r\n" + "        *Name:\"" +
                         c.names[2] + "\"\r\n");
    }
  }
}

TEST(GpdCustomizer, PaperKeysAreSubstringTests) {
  GpdRun run;
  EXPECT_EQ(run("*rcNameID: 8501\r\n"), "        *Name:\"Paper Size(80 x 210)\"\r\n");
  // Literal names and other resource numbers stay as they are.
  const std::string untouched =
      "        *Name: \"Roll 80 x 210\"\r\n*rcNameID: 853\r\n*rcNameID:850\r\n"
      "*rcNameID: =PAPER_SIZE_DISPLAY\r\n";
  EXPECT_EQ(run(untouched), untouched);
  // The resource DLL test comes first.
  EXPECT_EQ(run("*rcNameID: 850 *ResourceDLL:\r\n"), "*ResourceDLL:\"USB PrinterRES.dll\"\r\n");
}

TEST(GpdCustomizer, LanguageDecidesTranslationAndItComesFirst) {
  const std::string input =
      "    *Name: \"打印模式\"\r\n        *Name: \"无\"\r\n        *Name: \"无\"\r\n"
      "        *Name: \"无\"\r\n*Name: \"打印\" *rcNameID: 850\r\n";
  GpdRun english;
  EXPECT_EQ(english(input),
            "    *Name: \"Print Mode\"\r\n        *Name: \"No Cash Drawer\"\r\n"
            "        *Name: \"No Beeping\"\r\n        *Name: \"无\"\r\n"
            "        *Name: \"Print\"\r\n");
  GpdRun chinese;
  chinese.language = kChinese;
  EXPECT_EQ(chinese(input),
            "    *Name: \"打印模式\"\r\n        *Name: \"无\"\r\n        *Name: \"无\"\r\n"
            "        *Name: \"无\"\r\n        *Name:\"Paper Size(80 x 210)\"\r\n");
  chinese.language = -1;  // every nonzero flag is Chinese
  EXPECT_EQ(chinese("*Name: \"钱箱\"\n"), "*Name: \"钱箱\"\n");
}

TEST(GpdCustomizer, CounterStartsAgainForEveryFile) {
  GpdRun run;
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(run("*Name: \"无\"\n"), "        *Name: \"No Cash Drawer\"\r\n");
  }
}

TEST(GpdCustomizer, UnrewrittenBytesPassUnchanged) {
  std::string nul = Bytes("a\0b\r\n\0\0\n");
  std::string longLine(1000, 'x');
  longLine += "\r\n";
  std::mt19937 random(7);
  std::string noise;
  for (int i = 0; i < 20000; ++i) noise.push_back(static_cast<char>(random() & 0xFF));
  // Noise that happens to hold a key would be rewritten; none of these bytes can.
  for (char& c : noise) {
    if (c == '*') c = '+';
  }
  const std::string inputs[] = {
      "",
      "no line end at all",
      "\n",
      "\n\n\n\n",
      "\r\n\r\n",
      "\r",
      nul,
      Bytes("*% key after a NUL\0*ResourceDLL: x\r\n"),
      longLine,
      std::string(254, 'y'),
      std::string(255, 'y') + "\n",
      noise,
  };
  for (int language : {kEnglish, kChinese}) {
    for (const std::string& input : inputs) {
      GpdRun run;
      run.language = language;
      EXPECT_EQ(run(input), input) << "input of " << input.size() << " bytes";
    }
  }
}

TEST(GpdCustomizer, LongLineIsRewrittenPieceByPiece) {
  // Reads take 254 bytes at most; the key lies wholly in the second piece.
  std::string first(254, 'a');
  std::string input = first + "bb *rcNameID: 851 cc" + std::string(300, 'd') + "\r\nnext\r\n";
  GpdRun run;
  std::string out = run(input);
  // The second piece (254 bytes) is replaced whole; the rest of the line stays.
  std::string rest = input.substr(254 + 254);
  EXPECT_EQ(out, first + "        *Name:\"Paper Size(80 x 297)\"\r\n" + rest);

  // A key cut by a piece boundary is not seen.
  std::string split = std::string(250, 'a') + "*ResourceDLL: x\r\n";
  EXPECT_EQ(run(split), split);
}

TEST(GpdCustomizer, NulInsideATranslatedLineIsDroppedWithIt) {
  GpdRun run;
  EXPECT_EQ(run(Bytes("*Name: \"钱箱\"\0tail\r\nnext\0\r\n")),
            Bytes("        *Name: \"Cash Drawer\"\r\nnext\0\r\n"));
}

// Another run may have taken the source away: the earlier file stays whole.
TEST(GpdCustomizer, MissingSourceFailsAndLeavesTheTargetAlone) {
  TempDir dir;
  WriteFileBytes(dir.File("out.gpd"), "earlier installation");
  EXPECT_FALSE(driver::CustomizeGpd(dir.File("missing.gpd").c_str(), dir.File("out.gpd").c_str(), "PRES.dll",
                                    "P", "", kEnglish));
  EXPECT_EQ(ReadFileBytes(dir.File("out.gpd")), "earlier installation");
}

TEST(GpdCustomizer, TargetThatCannotBeCreatedIsSkipped) {
  TempDir dir;
  WriteFileBytes(dir.File("in.gpd"), "*ResourceDLL: x\r\n");
  EXPECT_FALSE(driver::CustomizeGpd(dir.File("in.gpd").c_str(), dir.File("no/such/dir/out.gpd").c_str(),
                                    "PRES.dll", "P", "", kEnglish));
  EXPECT_FALSE(testing_support::FileExists(dir.File("no/such/dir/out.gpd")));
  EXPECT_EQ(ReadFileBytes(dir.File("in.gpd")), "*ResourceDLL: x\r\n");
}

// The payload's own description.
class SampleGpd : public ::testing::Test {
 protected:
  void SetUp() override { input_ = ReadFileBytes(testing_support::PackageFile("RILLO80.gpd")); }
  std::string input_;
};

TEST_F(SampleGpd, GpdEnglishRewriteTranslatesEveryNameOfTheTable) {
  GpdRun run;
  std::string out = run(input_);
  std::vector<std::string> in = SplitLines(input_);
  std::vector<std::string> lines = SplitLines(out);
  ASSERT_EQ(lines.size(), in.size());

  int changed = 0;
  for (size_t i = 0; i < in.size(); ++i) {
    if (in[i] == lines[i]) continue;
    ++changed;
    // Only name, resource and paper lines may change.
    EXPECT_TRUE(in[i].find("*Name: \"") != std::string::npos ||
                in[i].find("*ResourceDLL:") != std::string::npos ||
                in[i].find("*rcNameID: 85") != std::string::npos)
        << in[i];
  }
  // 48 name lines (46 rows and "none" twice), the resource DLL and three papers.
  EXPECT_EQ(changed, 52);

  const char* english[] = {
      "    *Name: \"Print Mode\"\r\n",
      "        *Name: \"Print as image\"\r\n",
      "        *Name: \"Cash Drawer\"\r\n",
      "        *Name: \"Open cash drawer after printing\"\r\n",
      "        *Name: \"Do not print\"\r\n",
      "        *Name: \"Print\"\r\n",
      "        *Name: \"Feed distance after print\"\r\n",
      "        *Name: \"Feed 45mm\"\r\n",
      "        *Name: \"Beeper\"\r\n",
      "        *Name: \"Beep before every document\"\r\n",
      "        *Name: \"Do not print NV Logo\"\r\n",
      "        *Name: \"Print NV Logo8\"\r\n",
      "        *Name: \"Documnet[No Cutting]\"\r\n",
      "*ResourceDLL:\"USB PrinterRES.dll\"\r\n",
      "        *Name:\"Paper Size(80 x 3276)\"\r\n",
  };
  for (const char* line : english) EXPECT_NE(out.find(line), std::string::npos) << line;

  size_t cashDrawer = out.find("*Name: \"No Cash Drawer\"\r\n");
  size_t beeping = out.find("*Name: \"No Beeping\"\r\n");
  ASSERT_NE(cashDrawer, std::string::npos);
  ASSERT_NE(beeping, std::string::npos);
  EXPECT_LT(cashDrawer, out.find("\"Beeper\""));
  EXPECT_GT(beeping, out.find("\"Beeper\""));
  EXPECT_EQ(out.find("*Name: \"无\""), std::string::npos);

  // Names without a row stay Chinese.
  EXPECT_NE(out.find("    *Name: \"打印后空走纸\"\r\n"), std::string::npos);
  EXPECT_NE(out.find("        *Name: \"走纸0mm\"\r\n"), std::string::npos);
  EXPECT_NE(out.find("        *Name: \"不空走纸\"\r\n"), std::string::npos);
  // And no name of the table is left in Chinese.
  EXPECT_EQ(out.find("*Name: \"打印模式\""), std::string::npos);
  EXPECT_EQ(out.find("*Name: \"走纸45mm\""), std::string::npos);
  EXPECT_EQ(out.find("*Name: \"文档尾[不进纸]\""), std::string::npos);
}

TEST_F(SampleGpd, GpdChineseRewriteChangesOnlyResourceAndPaperLines) {
  GpdRun run;
  run.language = kChinese;
  run.printerName = "Kelo-80-Series";
  run.resourceDll = "Kelo-80-SeriesRES.dll";
  run.modelLine = "Model=Rillo-58";
  std::string out = run(input_);
  std::vector<std::string> in = SplitLines(input_);
  std::vector<std::string> lines = SplitLines(out);
  ASSERT_EQ(lines.size(), in.size());
  std::vector<std::string> changed;
  for (size_t i = 0; i < in.size(); ++i) {
    if (in[i] != lines[i]) changed.push_back(lines[i]);
  }
  EXPECT_EQ(changed, (std::vector<std::string>{
                         "*ResourceDLL:\"Kelo-80-SeriesRES.dll\"\r\n",
                         "        *Name:\"Kelo Paper(58 x 210)\"\r\n",
                         "        *Name:\"Kelo Paper(58 x 297)\"\r\n",
                         "        *Name:\"Kelo Paper(58 x 3276)\"\r\n",
                     }));
}

}  // namespace
