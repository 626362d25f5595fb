// The clean-up rules for one entry of the destination folder, and the set of names
// this run placed there.
#include <gtest/gtest.h>

#include "system/destination_cleanup.h"

namespace {

using sys::CleanupVerdict;
using sys::ClassifyEntry;

TEST(SystemCleanupRules, EntriesAndTheirVerdicts) {
  struct Case {
    const char* name;
    bool isDirectory;
    CleanupVerdict verdict;
  };
  const Case cases[] = {
      {".", true, CleanupVerdict::kSkip},
      {"..", true, CleanupVerdict::kSkip},
      {"Data", true, CleanupVerdict::kSkip},
      {"Driver.gpd", true, CleanupVerdict::kSkip},  // a folder, whatever its name
      {"Uninstaller.exe", false, CleanupVerdict::kKeep},
      {"UNINSTALLER.EXE", false, CleanupVerdict::kKeep},
      {"Uninstall.ini", false, CleanupVerdict::kKeep},
      {"uninstall.INI", false, CleanupVerdict::kKeep},
      {"Setup.ini", false, CleanupVerdict::kDelete},
      {"Logo.bmp", false, CleanupVerdict::kKeep},
      {"PIC.JPG", false, CleanupVerdict::kKeep},
      {"Tool.EXE", false, CleanupVerdict::kKeep},
      {"a.png", false, CleanupVerdict::kKeep},
      {"a.Gif", false, CleanupVerdict::kKeep},
      {".exe", false, CleanupVerdict::kKeep},
      {"NOEXTENSION", false, CleanupVerdict::kDelete},
      {"a.tar.gz", false, CleanupVerdict::kDelete},
      {"photo.jpg.txt", false, CleanupVerdict::kDelete},  // only the last extension counts
      {"notes.txt.jpg", false, CleanupVerdict::kKeep},
      {"Drv.dll.x64", false, CleanupVerdict::kDelete},
      {"jpg", false, CleanupVerdict::kDelete},  // the whole name is no extension
      {"trailing.", false, CleanupVerdict::kDelete},
      {"a.jpeg", false, CleanupVerdict::kDelete},
      {"a.jp", false, CleanupVerdict::kDelete},
      {"Uninstaller.exe.bak", false, CleanupVerdict::kDelete},
      {"Uninstall.ini.old", false, CleanupVerdict::kDelete},
      {"RES80.DLL", false, CleanupVerdict::kDelete},
      {"...", false, CleanupVerdict::kDelete},  // a file, not a dot entry
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ClassifyEntry(c.name, c.isDirectory), c.verdict) << c.name << (c.isDirectory ? " (folder)" : "");
  }
}

TEST(SystemPlacedFiles, NamesMatchWithoutRegardToCase) {
  sys::PlacedFiles placed;
  EXPECT_FALSE(placed.Contains("Logo.bmp"));
  placed.Add("Logo.bmp");
  placed.Add("RILLO80.gpd");
  EXPECT_TRUE(placed.Contains("logo.BMP"));
  EXPECT_TRUE(placed.Contains("rillo80.GPD"));
  EXPECT_TRUE(placed.Contains("RILLO80.gpd"));
  EXPECT_FALSE(placed.Contains("RILLO80.gpd.bak"));
  EXPECT_FALSE(placed.Contains("RILLO8.gpd"));
  EXPECT_FALSE(placed.Contains(""));
  placed.Add("LOGO.BMP");  // the same file again
  EXPECT_EQ(placed.Size(), 2u);
}

TEST(SystemPlacedFiles, TwoByteCharactersAreNotCaseFolded) {
  sys::PlacedFiles placed;
  placed.Add("\xB4\xF2\xD3\xA1.txt");  // "打印.txt" in GBK
  placed.Add("\x81\x41.TXT");
  EXPECT_TRUE(placed.Contains("\xB4\xF2\xD3\xA1.TXT"));
  EXPECT_TRUE(placed.Contains("\x81\x41.txt"));
  // The second byte 0x61 looks like 'a' but belongs to another character than 0x41.
  EXPECT_FALSE(placed.Contains("\x81\x61.txt"));
}

}  // namespace
