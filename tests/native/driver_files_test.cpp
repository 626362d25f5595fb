#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "driver/driver_files.h"

namespace {

using driver::DriverFileNames;

std::vector<std::string> Targets(const DriverFileNames& names) {
  return std::vector<std::string>(std::begin(names.targets), std::end(names.targets));
}

TEST(DriverFiles, TargetNamesCarryThePrinterName) {
  DriverFileNames names;
  ASSERT_TRUE(driver::BuildDriverFileNames("USB Printer", &names));
  EXPECT_EQ(Targets(names), (std::vector<std::string>{
                                "USB Printer.ini", "USB PrinterDrv.dll", "USB Printer.gpd",
                                "USB PrinterRES.dll", "USB PrinterUI.dll", "UNIRES.DLL",
                                "unidrv.hlp", "UNIDRVUI.dll", "UNIDRV.dll", "STDNAMES.GPD",
                                "USB PrinterUIConfig.txt"}));
  EXPECT_STREQ(names.monitors[0], "USB PrinterMon.dll");
  EXPECT_STREQ(names.monitors[1], "USB PrinterMonUI.dll");
  EXPECT_STREQ(names.MonitorDllName(), "USB PrinterMon.dll");
  EXPECT_STREQ(names.DataFile(), "USB Printer.gpd");
  EXPECT_STREQ(names.ResourceDllName(), "USB PrinterRES.dll");
}

TEST(DriverFiles, X64TwinsOnlyForLowerCaseDll) {
  std::vector<int> twins;
  for (int i = 0; i < driver::kDriverFileCount; ++i) {
    if (driver::UsesX64Twin(driver::kDriverFiles[i].sourceName)) twins.push_back(i);
  }
  EXPECT_EQ(twins, (std::vector<int>{1, 4, 7, 8}));
  EXPECT_FALSE(driver::UsesX64Twin("RES80.DLL"));
  EXPECT_TRUE(driver::UsesX64Twin("a.dll.bak"));
}

TEST(DriverFiles, OemIniForAOneLetterName) {
  DriverFileNames names;
  ASSERT_TRUE(driver::BuildDriverFileNames("P", &names));
  char ini[driver::kOemIniSize];
  size_t length = 0;
  ASSERT_TRUE(driver::FormatOemIni(names, ini, sizeof ini, &length));
  EXPECT_EQ(length, 61u);
  EXPECT_EQ(std::string(ini, length), "[OEMFiles]\r\nOEMDriverFile1=PDrv.dll\r\nOEMConfigFile1=PUI.dll\r\n");
}

TEST(DriverFiles, OemIniHoldsANameOfAtMost98) {
  char area[driver::kOemIniSize + 8];
  for (size_t n : {98u, 99u}) {
    memset(area, 'G', sizeof area);
    DriverFileNames names;
    ASSERT_TRUE(driver::BuildDriverFileNames(std::string(n, 'p').c_str(), &names));
    size_t length = 1;
    bool fits = driver::FormatOemIni(names, area, driver::kOemIniSize, &length);
    EXPECT_EQ(fits, n == 98) << n;
    EXPECT_EQ(length, fits ? 2 * n + 59 : 0u);
    if (!fits) {
      EXPECT_STREQ(area, "");
    }
    for (size_t i = driver::kOemIniSize; i < sizeof area; ++i) EXPECT_EQ(area[i], 'G');
  }
}

TEST(DriverFiles, DependentFilesAreNulSeparatedWithAFinalNul) {
  DriverFileNames names;
  ASSERT_TRUE(driver::BuildDriverFileNames("P", &names));
  char list[driver::kDependentFilesSize];
  memset(list, 'G', sizeof list);
  size_t length = 0;
  ASSERT_TRUE(driver::BuildDependentFiles(names, list, sizeof list, &length));
  const std::string expected(
      "P.ini\0PDrv.dll\0P.gpd\0PRES.dll\0PUI.dll\0UNIRES.DLL\0unidrv.hlp\0UNIDRVUI.dll\0"
      "UNIDRV.dll\0STDNAMES.GPD\0PUIConfig.txt\0\0",
      112);
  EXPECT_EQ(length, expected.size());
  EXPECT_EQ(std::string(list, length), expected);
  // The rest of the buffer is zero-filled.
  for (size_t i = length; i < sizeof list; ++i) ASSERT_EQ(list[i], '\0');

  // The final NUL needs its byte too.
  EXPECT_TRUE(driver::BuildDependentFiles(names, list, 112, &length));
  EXPECT_FALSE(driver::BuildDependentFiles(names, list, 111, &length));
  EXPECT_EQ(length, 0u);
}

TEST(DriverFiles, DependentFilesHoldANameOfAtMost67) {
  for (size_t n : {67u, 68u}) {
    DriverFileNames names;
    ASSERT_TRUE(driver::BuildDriverFileNames(std::string(n, 'p').c_str(), &names));
    char area[driver::kDependentFilesSize + 8];
    memset(area, 'G', sizeof area);
    size_t length = 1;
    bool fits = driver::BuildDependentFiles(names, area, driver::kDependentFilesSize, &length);
    EXPECT_EQ(fits, n == 67) << n;
    EXPECT_EQ(length, fits ? 6 * n + 106 : 0u);
    if (!fits) {
      for (size_t i = 0; i < driver::kDependentFilesSize; ++i) ASSERT_EQ(area[i], '\0');
    }
    for (size_t i = driver::kDependentFilesSize; i < sizeof area; ++i) EXPECT_EQ(area[i], 'G');
  }
}

TEST(DriverFiles, LongNamesAreRefusedNotOverflowed) {
  DriverFileNames names;
  // 243 + "UIConfig.txt" = 255 still fits; 244 does not.
  EXPECT_TRUE(driver::BuildDriverFileNames(std::string(243, 'n').c_str(), &names));
  EXPECT_EQ(strlen(names.targets[driver::kUiConfigEntry]), 255u);
  for (size_t n : {244u, 300u, 5000u}) {
    EXPECT_FALSE(driver::BuildDriverFileNames(std::string(n, 'n').c_str(), &names)) << n;
    for (int i = 0; i < driver::kDriverFileCount; ++i) EXPECT_STREQ(names.targets[i], "");
    EXPECT_STREQ(names.MonitorDllName(), "");
  }
  EXPECT_FALSE(driver::BuildDriverFileNames(nullptr, &names));

  // Texts built from names that do not fit their buffers are refused too.
  ASSERT_TRUE(driver::BuildDriverFileNames(std::string(200, 'n').c_str(), &names));
  char ini[driver::kOemIniSize];
  char list[driver::kDependentFilesSize];
  EXPECT_FALSE(driver::FormatOemIni(names, ini, sizeof ini, nullptr));
  EXPECT_FALSE(driver::BuildDependentFiles(names, list, sizeof list, nullptr));
  EXPECT_FALSE(driver::BuildDependentFiles(names, list, 1, nullptr));
  EXPECT_FALSE(driver::FormatOemIni(names, ini, 0, nullptr));
}

TEST(DriverFiles, PrinterNameUsableUpTo67Bytes) {
  EXPECT_EQ(driver::kMaxPrinterNameLength, 67u);
  for (size_t n = 1; n <= 300; ++n) {
    EXPECT_EQ(driver::IsPrinterNameUsable(std::string(n, 'x').c_str()), n <= 67) << n;
  }
  // Bytes, not characters: 33 GBK characters and a letter are 67 bytes.
  std::string chinese;
  for (int i = 0; i < 33; ++i) chinese += "热";
  EXPECT_TRUE(driver::IsPrinterNameUsable((chinese + "P").c_str()));
  EXPECT_FALSE(driver::IsPrinterNameUsable((chinese + "热").c_str()));
}

TEST(DriverFiles, PrinterNameMustBeAFileName) {
  const char* usable[] = {
      "USB Printer",
      "Kelo-80-Series",
      "POS-80 (2)",
      "热敏打印机",
      "\x81\x5c\x81\x7c",  // GBK characters whose trail bytes are '\' and '|'
  };
  for (const char* name : usable) EXPECT_TRUE(driver::IsPrinterNameUsable(name)) << name;

  const char* refused[] = {
      "", "a\\b", "a/b", "C:", "a*", "Zeta,80C", "a?", "\"a\"", "<a>", "a|b", "tab\there", "line\r\n",
      "\x81",      // a lead byte with nothing after it
      "\x81\x30",  // or with no trail byte after it
      "..\\..\\Windows\\x",
  };
  for (const char* name : refused) EXPECT_FALSE(driver::IsPrinterNameUsable(name)) << name;
  EXPECT_FALSE(driver::IsPrinterNameUsable(nullptr));
}

TEST(DriverFiles, StagedSourceFilesBothVariants) {
  std::vector<std::string> files = driver::StagedSourceFileNames();
  ASSERT_EQ(files.size(), 26u);
  EXPECT_EQ(files[0], "rillo80.ini");
  EXPECT_EQ(files[1], "rillo80.ini.x64");
  EXPECT_EQ(files[6], "RES80.DLL");
  EXPECT_EQ(files[7], "RES80.DLL.x64");
  EXPECT_EQ(files[21], "UIConfig.txt.x64");
  EXPECT_EQ(files[22], "Rillo80PrinterMon.dll");
  EXPECT_EQ(files[25], "Rillo80PrinterMonUI.dll.x64");
}

}  // namespace
