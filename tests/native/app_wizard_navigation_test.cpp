// The wizard's page logic: captions per page and language, the controls Next and
// Back change, when Escape may end the run, and the destination-folder decisions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/wizard_navigation.h"

namespace {

// The Chinese texts as GBK bytes, spelled out so a wrong source or execution
// charset cannot make both sides of a comparison agree.
const char kGbkNextArrows[] = "\xcf\xc2\xd2\xbb\xb2\xbd>>";                  // 下一步>>
const char kGbkBack[] = "<<\xc9\xcf\xd2\xbb\xb2\xbd";                        // <<上一步
const char kGbkInstall[] = "\xb0\xb2\xd7\xb0";                               // 安装
const char kGbkFinish[] = "\xcd\xea\xb3\xc9";                                // 完成
const char kGbkCancel[] = "\xc8\xa1\xcf\xfb";                                // 取消
const char kGbkCaption[] = "\xb0\xb2\xd1\x62Marlo\xb4\xf2\xd3\xa1\xbb\xfa\xc7\xfd\xb6\xaf";  // 安裝Marlo打印机驱动
const char kGbkEmpty[] = "\xb0\xb2\xd7\xb0\xce\xc4\xbc\xfe\xbc\xd0\xb2\xbb\xc4\xdc\xce\xaa\xbf\xd5";  // 安装文件夹不能为空
const char kGbkInvalid[] =
    "\xb0\xb2\xd7\xb0\xce\xc4\xbc\xfe\xbc\xd0\xb2\xbb\xca\xc7\xd3\xd0\xd0\xa7\xce\xc4\xbc\xfe\xbc\xd0";  // 安装文件夹不是有效文件夹

std::string Text(WizardText t, int language) { return WizardString(t, language); }

}  // namespace

TEST(AppWizardTexts, ButtonCaptionsInBothLanguages) {
  EXPECT_EQ(Text(WizardText::kBackInitial, 1), kGbkBack);
  EXPECT_EQ(Text(WizardText::kBackInitial, 0), "Back");
  EXPECT_EQ(Text(WizardText::kNextInitial, 1), kGbkNextArrows);
  EXPECT_EQ(Text(WizardText::kNextInitial, 0), "Next");
  EXPECT_EQ(Text(WizardText::kCancelInitial, 1), kGbkCancel);
  EXPECT_EQ(Text(WizardText::kCancelInitial, 0), "Cancel");
  EXPECT_EQ(Text(WizardText::kBrowse, 1), "\xe4\xaf\xc0\xc0...");  // 浏览...
  EXPECT_EQ(Text(WizardText::kBrowse, 0), "Browse");
  EXPECT_EQ(Text(WizardText::kNextArrows, 1), kGbkNextArrows);
  EXPECT_EQ(Text(WizardText::kNextArrows, 0), "Next>>");
  EXPECT_EQ(Text(WizardText::kInstall, 1), kGbkInstall);
  EXPECT_EQ(Text(WizardText::kInstall, 0), "Install");
  EXPECT_EQ(Text(WizardText::kFinish, 1), kGbkFinish);
  EXPECT_EQ(Text(WizardText::kFinish, 0), "Finish");
  EXPECT_EQ(Text(WizardText::kTitle, 1), "USB\xb4\xf2\xd3\xa1\xbb\xfa\xc7\xfd\xb6\xaf\xb0\xb2\xd7\xb0");  // USB打印机驱动安装
  EXPECT_EQ(Text(WizardText::kTitle, 0), "The Printer driver installation Wizard");
  EXPECT_EQ(Text(WizardText::kAccept, 0), "I have read and accept the license terms");
  EXPECT_EQ(Text(WizardText::kDecline, 0), "I do not accept the license terms");
  EXPECT_EQ(Text(WizardText::kAccept, 1), "\xce\xd2\xd4\xb8\xd2\xe2\xbd\xd3\xca\xdc\xb4\xcb\xd0\xad\xd2\xe9");
  EXPECT_EQ(Text(WizardText::kDecline, 1), "\xce\xd2\xb2\xbb\xd4\xb8\xd2\xe2\xbd\xd3\xca\xdc\xb4\xcb\xd0\xad\xd2\xe9");
}

TEST(AppWizardTexts, FolderMessagesAndCaptions) {
  FolderMessage m = FolderMessageFor(FolderVerdict::kEmpty, 1);
  EXPECT_EQ(std::string(m.text), kGbkEmpty);
  EXPECT_EQ(std::string(m.caption), kGbkCaption);
  m = FolderMessageFor(FolderVerdict::kEmpty, 0);
  EXPECT_EQ(std::string(m.text), "The folder is empty!");
  EXPECT_EQ(std::string(m.caption), "The wizard");
  for (FolderVerdict v : {FolderVerdict::kInvalid, FolderVerdict::kDataFolderInvalid}) {
    m = FolderMessageFor(v, 1);
    EXPECT_EQ(std::string(m.text), kGbkInvalid);
    EXPECT_EQ(std::string(m.caption), kGbkCaption);
    m = FolderMessageFor(v, 0);
    EXPECT_EQ(std::string(m.text), "The folder is not a valid folder!");
    EXPECT_EQ(std::string(m.caption), "The wizard");
  }
  m = FolderMessageFor(FolderVerdict::kAccepted, 0);
  EXPECT_EQ(m.text, nullptr);
}

TEST(AppWizardTexts, UnusablePrinterNameMessageNamesTheLimit) {
  EXPECT_EQ(Text(WizardText::kPrinterNameUnusable, 0),
            "The printer name in the install configuration is too long or holds characters a file name cannot "
            "hold (at most 67 characters).");
  std::string chinese = Text(WizardText::kPrinterNameUnusable, 1);
  EXPECT_NE(chinese.find("67"), std::string::npos);
  EXPECT_NE(chinese, Text(WizardText::kPrinterNameUnusable, 0));
}

// Walks Next from page 0 to 4 in English and checks each step's row.
TEST(AppWizardPages, NextFromWelcomeToInstalling) {
  PageControls c = ControlsAfterNext(kLicensePage, 0);
  EXPECT_EQ(c.licenceVisible, Change::kOn);
  EXPECT_EQ(c.backVisible, Change::kOn);
  EXPECT_TRUE(c.nextFollowsLicence);
  EXPECT_TRUE(c.placeLicence);
  EXPECT_TRUE(c.labelRadios);
  EXPECT_EQ(c.nextCaption, nullptr) << "Next keeps \"Next\" on page 1 when reached from page 0";
  EXPECT_FALSE(c.startInstallation);

  c = ControlsAfterNext(kPreparePage, 0);
  EXPECT_EQ(c.licenceVisible, Change::kOff);
  ASSERT_NE(c.nextCaption, nullptr);
  EXPECT_STREQ(c.nextCaption, "Install");
  EXPECT_EQ(c.backVisible, Change::kKeep);

  c = ControlsAfterNext(kFolderPage, 0);
  EXPECT_EQ(c.folderEditVisible, Change::kOn);
  EXPECT_EQ(c.browseVisible, Change::kOn);
  EXPECT_EQ(c.backVisible, Change::kOn);
  EXPECT_TRUE(c.repaintNow);
  EXPECT_STREQ(c.nextCaption, "Next>>");

  c = ControlsAfterNext(kInstallingPage, 0);
  EXPECT_EQ(c.folderEditVisible, Change::kOff);
  EXPECT_EQ(c.browseVisible, Change::kOff);
  EXPECT_EQ(c.progressVisible, Change::kOn);
  EXPECT_EQ(c.cancelEnabled, Change::kOff);
  EXPECT_EQ(c.backEnabled, Change::kOff);
  EXPECT_EQ(c.nextEnabled, Change::kOff);
  EXPECT_STREQ(c.nextCaption, "Next>>");
  EXPECT_TRUE(c.startInstallation);
}

TEST(AppWizardPages, NextCaptionsInChinese) {
  EXPECT_EQ(ControlsAfterNext(kLicensePage, 1).nextCaption, nullptr);
  EXPECT_STREQ(ControlsAfterNext(kPreparePage, 1).nextCaption, kGbkInstall);
  EXPECT_STREQ(ControlsAfterNext(kFolderPage, 1).nextCaption, kGbkNextArrows);
  EXPECT_STREQ(ControlsAfterNext(kInstallingPage, 1).nextCaption, kGbkNextArrows);
  EXPECT_STREQ(ControlsAfterNext(kCompletePage, 1).cancelCaption, kGbkFinish);
  EXPECT_STREQ(ControlsAfterBack(kWelcomePage, 1).nextCaption, kGbkNextArrows);
  EXPECT_STREQ(ControlsAfterBack(kLicensePage, 1).nextCaption, kGbkNextArrows);
  EXPECT_STREQ(ControlsAfterBack(kPreparePage, 1).nextCaption, kGbkInstall);
}

TEST(AppWizardPages, SettingsConfirmedAndComplete) {
  PageControls c = ControlsAfterNext(kInstallingPrinterPage, 0);
  EXPECT_EQ(c.settingsVisible, Change::kOff);
  EXPECT_EQ(c.nextEnabled, Change::kOff);
  EXPECT_EQ(c.cancelEnabled, Change::kOff);
  EXPECT_TRUE(c.confirmSettings);
  EXPECT_EQ(c.nextCaption, nullptr);

  c = ControlsAfterNext(kCompletePage, 0);
  EXPECT_EQ(c.nextVisible, Change::kOff);
  EXPECT_EQ(c.backVisible, Change::kOff);
  EXPECT_EQ(c.cancelEnabled, Change::kOn);
  EXPECT_STREQ(c.cancelCaption, "Finish");
  EXPECT_FALSE(c.confirmSettings);

  EXPECT_EQ(std::vector<int>(kPrinterSettingsControls, kPrinterSettingsControls + 17),
            (std::vector<int>{1011, 1013, 1016, 1018, 1020, 1022, 1024, 1026, 1010, 1015, 1017, 1019, 1021, 1023,
                              1025, 1027, 1012}));
}

TEST(AppWizardPages, PagesNextNeverEntersChangeNothing) {
  for (int page : {kWelcomePage, kPrinterSettingsPage, kFailPage}) {
    PageControls c = ControlsAfterNext(page, 0);
    EXPECT_EQ(c.nextEnabled, Change::kKeep) << page;
    EXPECT_EQ(c.cancelEnabled, Change::kKeep) << page;
    EXPECT_EQ(c.nextCaption, nullptr) << page;
    EXPECT_FALSE(c.startInstallation) << page;
  }
}

TEST(AppWizardPages, BackRowsHideTheFolderFieldAndSetNext) {
  PageControls c = ControlsAfterBack(kWelcomePage, 0);
  EXPECT_EQ(c.folderEditVisible, Change::kOff);
  EXPECT_FALSE(c.repaintNow) << "Back hides the field without the immediate repaint";
  EXPECT_EQ(c.browseVisible, Change::kOff);
  EXPECT_EQ(c.backVisible, Change::kOff);
  EXPECT_EQ(c.licenceVisible, Change::kOff);
  EXPECT_EQ(c.nextEnabled, Change::kOn);
  EXPECT_STREQ(c.nextCaption, "Next>>");

  c = ControlsAfterBack(kLicensePage, 0);
  EXPECT_EQ(c.licenceVisible, Change::kOn);
  EXPECT_EQ(c.backVisible, Change::kOn);
  EXPECT_TRUE(c.nextFollowsLicence);
  EXPECT_FALSE(c.placeLicence);
  EXPECT_STREQ(c.nextCaption, "Next>>");

  c = ControlsAfterBack(kPreparePage, 0);
  EXPECT_EQ(c.backVisible, Change::kOn);
  EXPECT_EQ(c.browseVisible, Change::kOff);
  EXPECT_EQ(c.licenceVisible, Change::kKeep);
  EXPECT_STREQ(c.nextCaption, "Install");
}

TEST(AppWizardPages, BackAndEscapeByPage) {
  const bool back[] = {false, true, true, true, false, false, false, false, false};
  const bool escape[] = {true, true, true, true, false, true, false, true, true};
  for (int page = 0; page <= 8; ++page) {
    EXPECT_EQ(BackAvailable(page), back[page]) << page;
    EXPECT_EQ(EscapeEndsWizard(page), escape[page]) << page;
  }
}

TEST(AppWizardPages, DisabledNextCountsOnlyForTheWorkersCommand) {
  for (int page = 0; page <= 8; ++page) {
    EXPECT_TRUE(NextAccepted(page, true)) << page;
    EXPECT_EQ(NextAccepted(page, false), page == kInstallingPrinterPage) << page;
  }
}

TEST(AppWizardFolders, DriveShape) {
  EXPECT_TRUE(HasDriveShape("C:\\"));
  EXPECT_TRUE(HasDriveShape("D:\\A"));
  EXPECT_FALSE(HasDriveShape("C:"));
  EXPECT_FALSE(HasDriveShape(""));
  EXPECT_FALSE(HasDriveShape("\\Program Files\\X"));
  EXPECT_FALSE(HasDriveShape("CC:\\x"));
  EXPECT_TRUE(HasDriveShape("C:\\" + std::string(252, 'a')));   // 255 bytes
  EXPECT_FALSE(HasDriveShape("C:\\" + std::string(253, 'a')));  // 256 bytes
}

// Code page 1252 has no two-byte characters; 936 (GBK) has lead bytes 0x81-0xFE.
bool NoLeadBytes(unsigned char) { return false; }

TEST(AppWizardFolders, LevelsFromTheTop) {
  using V = std::vector<std::string>;
  for (sys::LeadByteTest rule : {NoLeadBytes, sys::IsGbkLeadByte}) {
    EXPECT_EQ(FolderLevels("D:\\A\\B\\C", rule), (V{"D:\\A", "D:\\A\\B", "D:\\A\\B\\C"}));
    EXPECT_EQ(FolderLevels("D:\\A\\B\\", rule), (V{"D:\\A", "D:\\A\\B"}));
    EXPECT_EQ(FolderLevels("D:\\A", rule), (V{"D:\\A"}));
    EXPECT_EQ(FolderLevels("D:\\", rule), (V{"D:\\"}));
    EXPECT_EQ(FolderLevels("D:\\A\\\\B", rule), (V{"D:\\A", "D:\\A\\", "D:\\A\\\\B"}));
    EXPECT_TRUE(FolderLevels("\\Program Files\\X", rule).empty());
    EXPECT_TRUE(FolderLevels("C:\\" + std::string(253, 'a'), rule).empty());
  }
}

TEST(AppWizardFolders, LevelsFollowTheCodePage) {
  using V = std::vector<std::string>;
  // 1252: "\xE9" is an e with an acute accent, a character of its own; the
  // backslash after it separates "D:\Caf\xE9" from the next level.
  const std::string cafe = "D:\\Caf\xE9\\New\\Sub";
  EXPECT_EQ(FolderLevels(cafe, NoLeadBytes), (V{"D:\\Caf\xE9", "D:\\Caf\xE9\\New", cafe}));
  // 936: "\x95\x5c" is one GBK character whose trail byte is a backslash.
  EXPECT_EQ(FolderLevels("C:\\\x95\x5c\\B", sys::IsGbkLeadByte), (V{"C:\\\x95\x5c", "C:\\\x95\x5c\\B"}));
  EXPECT_EQ(FolderLevels("C:\x95\x5c\\B", sys::IsGbkLeadByte), (V{"C:\x95\x5c", "C:\x95\x5c\\B"}));
  // The same bytes read in the other code page split elsewhere.
  EXPECT_EQ(FolderLevels("C:\\\x95\x5c\\B", NoLeadBytes), (V{"C:\\\x95", "C:\\\x95\\", "C:\\\x95\x5c\\B"}));
  EXPECT_EQ(FolderLevels(cafe, sys::IsGbkLeadByte), (V{"D:\\Caf\xE9\\New", cafe}));
}

TEST(AppWizardFolders, DataFolderByWindowsVersion) {
  std::string data;
  ASSERT_TRUE(ComposeDataFolder(6, "C:\\Windows", "Rillo-58-Series", "D:\\Dest", &data));
  EXPECT_EQ(data, "C:\\ProgramData\\Rillo-58-Series");
  ASSERT_TRUE(ComposeDataFolder(10, "E:\\WINNT", "P", "D:\\Dest", &data));
  EXPECT_EQ(data, "E:\\ProgramData\\P");
  ASSERT_TRUE(ComposeDataFolder(5, "C:\\Windows", "Rillo-58-Series", "D:\\Dest", &data));
  EXPECT_EQ(data, "D:\\Dest");
  EXPECT_TRUE(DataFolderIsOwnFolder(6));
  EXPECT_FALSE(DataFolderIsOwnFolder(5));
  data = "unchanged";
  EXPECT_FALSE(ComposeDataFolder(6, "C", "P", "D:\\Dest", &data));
  EXPECT_FALSE(ComposeDataFolder(6, "C:\\Windows", std::string(250, 'p'), "D:\\Dest", &data));
  EXPECT_EQ(data, "unchanged");
}

// A failed installation leaves "Finish" as the only way out: Next, Back and the
// progress bar go, and nothing that would restart or confirm anything is asked for.
TEST(AppWizardPages, FailureLeavesFinishOnly) {
  for (int language : {0, 1}) {
    PageControls c = ControlsAfterFailure(language);
    EXPECT_EQ(c.nextVisible, Change::kOff);
    EXPECT_EQ(c.backVisible, Change::kOff);
    EXPECT_EQ(c.progressVisible, Change::kOff);
    EXPECT_EQ(c.cancelEnabled, Change::kOn);
    EXPECT_STREQ(c.cancelCaption, language ? kGbkFinish : "Finish");
    EXPECT_FALSE(c.startInstallation);
    EXPECT_FALSE(c.confirmSettings);
    EXPECT_EQ(c.nextEnabled, Change::kKeep);
  }
}

TEST(AppWizardTexts, InstallingDriverStatus) {
  EXPECT_EQ(Text(WizardText::kInstallingDriver, 0), "Installing Printer Driver, Please wait...");
  EXPECT_EQ(Text(WizardText::kInstallingDriver, 1),
            "\xd5\xfd\xd4\xda\xb0\xb2\xd7\xb0\xb4\xf2\xd3\xa1\xbb\xfa\xc7\xfd\xb6\xaf\xa3\xac\xc7\xeb\xc9\xd4\xba\xf2"
            "...");
}
