// The Chinese Start-menu chain and clean-up on a Simplified Chinese system, where the
// GBK names reach the file system as Chinese. Runs only when the environment says the
// process has code page 936 and the file names can exist (see
// tests/scripts/windows_system_chinese_locale.sh); elsewhere the tests are skipped.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "system/destination_cleanup_win.h"
#include "system/start_menu_win.h"
#include "system/uninstall_shortcut_win.h"
#include "system_test_support.h"
#include "win_support.h"

namespace {

using system_test::ReadLink;
using system_test::RunOnOwnThread;

// "目的地" and "说明.txt" in GBK.
const char kChineseFolder[] = "\xC4\xBF\xB5\xC4\xB5\xD8";
const char kChineseFile[] = "\xCB\xB5\xC3\xF7.txt";

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class SystemChineseLocale : public testing::Test {
 protected:
  void SetUp() override {
    const char* wanted = std::getenv("SYSTEM_CHINESE_LOCALE");
    if (!wanted || std::string(wanted) != "1") GTEST_SKIP() << "needs the Chinese locale run";
    ASSERT_EQ(GetACP(), 936u);
    destination_ = scratch_.File(kChineseFolder);
    ASSERT_TRUE(CreateDirectoryA(destination_.c_str(), nullptr)) << GetLastError();
  }
  void TearDown() override {
    for (const std::string& file : leftovers_) DeleteFileA(file.c_str());
    RemoveDirectoryA(destination_.c_str());
  }

  win_support::ScratchDir scratch_;
  std::string destination_;
  std::vector<std::string> leftovers_;
};

TEST_F(SystemChineseLocale, ShortcutInTheUsersChineseStartMenuFolder) {
  std::string printer = "Q710-" + std::to_string(GetCurrentProcessId());
  std::string base = sys::StartMenuBase(1);
  ASSERT_FALSE(base.empty());
  sys::StartMenuPaths paths = sys::MakeStartMenuPaths(1, base.c_str(), printer.c_str(), destination_.c_str());
  ASSERT_TRUE(paths.ok);
  ASSERT_TRUE(win_support::WriteAll(paths.target, "MZ"));
  leftovers_.push_back(paths.target);
  ASSERT_TRUE(CreateDirectoryA(paths.folder.c_str(), nullptr)) << GetLastError();
  RunOnOwnThread([&] { sys::CreateUninstallShortcut(paths.target.c_str(), paths.shortcut.c_str()); });
  bool made = Exists(paths.shortcut);
  system_test::LinkContents link = ReadLink(paths.shortcut);
  DeleteFileA(paths.shortcut.c_str());
  RemoveDirectoryA(paths.folder.c_str());
  EXPECT_TRUE(made) << paths.shortcut;
  ASSERT_TRUE(link.loaded);
  EXPECT_EQ(link.path, paths.target);
  EXPECT_EQ(link.workingDirectory, destination_);
}

// "\x95\x5C" is one character whose second byte is a backslash: the working
// directory is the folder that holds it, not a cut inside it.
TEST_F(SystemChineseLocale, TrailByteBackslashIsNoSeparator) {
  std::string target = destination_ + "\\\x95\x5C.exe";
  ASSERT_TRUE(win_support::WriteAll(target, "MZ"));
  leftovers_.push_back(target);
  std::string shortcut = destination_ + "\\link.lnk";
  leftovers_.push_back(shortcut);
  RunOnOwnThread([&] { sys::CreateUninstallShortcut(target.c_str(), shortcut.c_str()); });
  system_test::LinkContents link = ReadLink(shortcut);
  ASSERT_TRUE(link.loaded);
  EXPECT_EQ(link.path, target);
  EXPECT_EQ(link.workingDirectory, destination_);
}

TEST_F(SystemChineseLocale, CleanupOfChineseNames) {
  std::string placedFile = destination_ + "\\" + kChineseFile;
  std::string userFile = destination_ + "\\\xD3\xC3\xBB\xA7.txt";  // "用户.txt"
  ASSERT_TRUE(win_support::WriteAll(placedFile, "x"));
  ASSERT_TRUE(win_support::WriteAll(userFile, "x"));
  leftovers_.push_back(placedFile);
  leftovers_.push_back(userFile);
  sys::PlacedFiles placed;
  placed.Add(std::string(kChineseFile, sizeof kChineseFile - 5) + ".TXT");
  sys::CleanDestinationFolder(destination_.c_str(), placed);
  EXPECT_FALSE(Exists(placedFile));
  EXPECT_TRUE(Exists(userFile));
}

}  // namespace
