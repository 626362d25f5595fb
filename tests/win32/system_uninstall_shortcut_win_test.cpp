// The uninstall shortcut, written and then read back through the shell link object.
// Each step runs on a thread of its own, as the installation worker does, so COM is
// in a known state whatever other tests did on the main thread.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "system/uninstall_shortcut_win.h"
#include "system_test_support.h"
#include "win_support.h"

namespace {

using system_test::LinkContents;
using system_test::ReadLink;
using system_test::RunOnOwnThread;
using win_support::ScratchDir;

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class SystemUninstallShortcut : public testing::Test {
 protected:
  void SetUp() override {
    target_ = destination_.File("Uninstaller.exe");
    ASSERT_TRUE(win_support::WriteAll(target_, "MZ"));
    link_ = menu_.File("Uninstall Printer Driver.lnk");
  }
  void TearDown() override { DeleteFileA(link_.c_str()); }

  ScratchDir destination_, menu_;
  std::string target_, link_;
};

TEST_F(SystemUninstallShortcut, PointsAtTheUninstallerFromItsFolder) {
  RunOnOwnThread([&] { sys::CreateUninstallShortcut(target_.c_str(), link_.c_str()); });
  ASSERT_TRUE(Exists(link_));
  LinkContents link = ReadLink(link_);
  ASSERT_TRUE(link.loaded);
  EXPECT_EQ(link.path, target_);
  EXPECT_EQ(link.workingDirectory, destination_.path());  // no trailing backslash
  EXPECT_EQ(link.arguments, "");
  EXPECT_EQ(link.description, "");
}

TEST_F(SystemUninstallShortcut, ASecondRunOverwritesTheShortcut) {
  RunOnOwnThread([&] { sys::CreateUninstallShortcut(target_.c_str(), link_.c_str()); });
  ScratchDir other;
  std::string otherTarget = other.File("Uninstaller.exe");
  ASSERT_TRUE(win_support::WriteAll(otherTarget, "MZ"));
  RunOnOwnThread([&] { sys::CreateUninstallShortcut(otherTarget.c_str(), link_.c_str()); });
  LinkContents link = ReadLink(link_);
  ASSERT_TRUE(link.loaded);
  EXPECT_EQ(link.path, otherTarget);
  EXPECT_EQ(link.workingDirectory, other.path());
  DeleteFileA(otherTarget.c_str());
}

TEST_F(SystemUninstallShortcut, NothingOnAThreadWhereComIsAlreadyInitialised) {
  RunOnOwnThread([&] {
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    sys::CreateUninstallShortcut(target_.c_str(), link_.c_str());
    CoUninitialize();
  });
  EXPECT_FALSE(Exists(link_));
  RunOnOwnThread([&] {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    sys::CreateUninstallShortcut(target_.c_str(), link_.c_str());
    CoUninitialize();
  });
  EXPECT_FALSE(Exists(link_));
}

// After its own shortcut the thread has no COM left: a second call works as the first.
TEST_F(SystemUninstallShortcut, LeavesComAsItFoundIt) {
  HRESULT afterwards = E_FAIL;
  RunOnOwnThread([&] {
    sys::CreateUninstallShortcut(target_.c_str(), link_.c_str());
    afterwards = CoInitialize(nullptr);
    if (SUCCEEDED(afterwards)) CoUninitialize();
  });
  EXPECT_TRUE(Exists(link_));
  EXPECT_EQ(afterwards, S_OK);
}

TEST_F(SystemUninstallShortcut, AFolderThatDoesNotExistGetsNoShortcut) {
  std::string nowhere = menu_.File("missing\\Uninstall Printer Driver.lnk");
  RunOnOwnThread([&] { sys::CreateUninstallShortcut(target_.c_str(), nowhere.c_str()); });
  EXPECT_FALSE(Exists(nowhere));
}

}  // namespace
