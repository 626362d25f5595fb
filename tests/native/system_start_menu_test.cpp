// The Start-menu folder, shortcut and uninstaller paths in both languages, and the
// 255-byte limit that every one of them must keep.
#include <gtest/gtest.h>

#include <string>

#include "system/ansi_text.h"
#include "system/start_menu.h"

namespace {

using sys::MakeStartMenuPaths;
using sys::StartMenuPaths;

// "打印机驱动" and "卸载" as the GBK bytes the ANSI functions must receive.
const std::string kGbkPrinterDriver = "\xB4\xF2\xD3\xA1\xBB\xFA\xC7\xFD\xB6\xAF";
const std::string kGbkUninstall = "\xD0\xB6\xD4\xD8";

TEST(SystemStartMenu, EnglishFolderShortcutAndTarget) {
  StartMenuPaths p = MakeStartMenuPaths(0, "C:\\ProgramData\\Start Menu\\Programs", "USB Printer", "D:\\Drv");
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.folder, "C:\\ProgramData\\Start Menu\\Programs\\USB Printer Printer Driver");
  EXPECT_EQ(p.shortcut, "C:\\ProgramData\\Start Menu\\Programs\\USB Printer Printer Driver\\Uninstall Printer Driver.lnk");
  EXPECT_EQ(p.target, "D:\\Drv\\Uninstaller.exe");
}

TEST(SystemStartMenu, ChineseNamesAreGbk) {
  StartMenuPaths p = MakeStartMenuPaths(1, "C:\\P", "Q710", "D:\\Drv");
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.folder, "C:\\P\\Q710 " + kGbkPrinterDriver);
  EXPECT_EQ(p.shortcut, p.folder + "\\" + kGbkUninstall + " " + kGbkPrinterDriver + ".lnk");
  EXPECT_EQ(p.target, "D:\\Drv\\Uninstaller.exe");
  // Any nonzero flag is Chinese.
  EXPECT_EQ(MakeStartMenuPaths(-1, "C:\\P", "Q710", "D:\\Drv").folder, p.folder);
}

TEST(SystemStartMenu, EmptyBaseMakesNoShortcut) {
  // A folder at the root of the current drive is never made.
  for (int language : {0, 1}) {
    StartMenuPaths p = MakeStartMenuPaths(language, "", "P", "D:\\Drv");
    EXPECT_FALSE(p.ok);
    EXPECT_TRUE(p.folder.empty() && p.shortcut.empty() && p.target.empty());
  }
}

// The shortcut is the longest of the three Start-menu texts: the folder plus
// "\Uninstall Printer Driver.lnk" (29 bytes) or "\卸载 打印机驱动.lnk" (20 GBK bytes).
TEST(SystemStartMenu, ShortcutOf255BytesFitsAnd256IsRefused) {
  struct Case {
    int language;
    size_t overhead;  // bytes of the shortcut path besides base and printer name
  };
  const Case cases[] = {{0, 1 + 15 + 29}, {1, 1 + 11 + 20}};
  for (const Case& c : cases) {
    for (size_t length : {255u, 256u}) {
      std::string base(length - c.overhead - 4, 'b');
      StartMenuPaths p = MakeStartMenuPaths(c.language, base.c_str(), "Prnt", "D:\\Drv");
      EXPECT_EQ(p.ok, length == 255) << c.language << " " << length;
      if (p.ok) {
        EXPECT_EQ(p.shortcut.size(), 255u);
      } else {
        EXPECT_TRUE(p.folder.empty() && p.shortcut.empty() && p.target.empty()) << "a refused set keeps nothing";
      }
    }
  }
}

TEST(SystemStartMenu, TargetOf255BytesFitsAnd256IsRefused) {
  const size_t suffix = std::string("\\Uninstaller.exe").size();
  std::string destination(255 - suffix, 'd');
  StartMenuPaths fits = MakeStartMenuPaths(0, "C:\\P", "P", destination.c_str());
  ASSERT_TRUE(fits.ok);
  EXPECT_EQ(fits.target.size(), 255u);
  destination += 'd';
  StartMenuPaths refused = MakeStartMenuPaths(0, "C:\\P", "P", destination.c_str());
  EXPECT_FALSE(refused.ok);
  EXPECT_TRUE(refused.target.empty());
  EXPECT_TRUE(refused.folder.empty());
}

TEST(SystemAnsiText, FolderOfPathStopsAtTheLastRealSeparator) {
  EXPECT_EQ(sys::FolderOfPath("C:\\Program Files\\Drv\\Uninstaller.exe"), "C:\\Program Files\\Drv");
  EXPECT_EQ(sys::FolderOfPath("Uninstaller.exe"), "");
  EXPECT_EQ(sys::FolderOfPath("C:\\Uninstaller.exe"), "C:");
  EXPECT_EQ(sys::FolderOfPath("C:\\Drv\\"), "C:\\Drv");
  // "\x95\x5C" is one GBK character whose second byte is a backslash.
  EXPECT_EQ(sys::FolderOfPath("C:\\a\\\x95\x5C.exe"), "C:\\a");
  EXPECT_EQ(sys::FolderOfPath("C:\\\x95\x5C\\x.exe"), "C:\\\x95\x5C");
  // Read byte by byte, the same text splits inside the character.
  auto noLeadBytes = [](unsigned char) { return false; };
  EXPECT_EQ(sys::FolderOfPath("C:\\a\\\x95\x5C.exe", noLeadBytes), "C:\\a\\\x95");
  // A lead byte at the very end has no second byte to swallow.
  EXPECT_EQ(sys::FolderOfPath("C:\\a\\\x95"), "C:\\a");
}

TEST(SystemAnsiText, FoldingLowersAsciiOnlyOutsideTwoByteCharacters) {
  EXPECT_EQ(sys::FoldFileName("ReadMe.TXT"), "readme.txt");
  // 0x81 0x41 and 0x81 0x61 are two different GBK characters.
  EXPECT_NE(sys::FoldFileName("\x81\x41.txt"), sys::FoldFileName("\x81\x61.txt"));
  EXPECT_EQ(sys::FoldFileName("\x81\x41Z.TXT"), "\x81\x41z.txt");
  EXPECT_TRUE(sys::EqualsIgnoringAsciiCase("UNINSTALL.ini", "Uninstall.INI"));
  EXPECT_FALSE(sys::EqualsIgnoringAsciiCase("Uninstall.ini", "Uninstall.in"));
  EXPECT_FALSE(sys::EqualsIgnoringAsciiCase("Uninstall.in", "Uninstall.ini"));
}

}  // namespace
