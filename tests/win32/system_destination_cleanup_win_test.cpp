// The destination folder's clean-up on a real folder: what this run placed goes by
// the rules, everything else stays.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "system/destination_cleanup_win.h"
#include "system_test_support.h"
#include "win_support.h"

namespace {

using win_support::ScratchDir;
using win_support::WriteAll;

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class SystemDestinationCleanup : public testing::Test {
 protected:
  void TearDown() override {
    DeleteFileA(folder_.File("sub\\Driver.gpd").c_str());
    RemoveDirectoryA(folder_.File("sub").c_str());
    RemoveDirectoryA(folder_.File("Placed.txt").c_str());
    SetFileAttributesA(folder_.File("Locked.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
  }

  void Put(const std::string& name) { ASSERT_TRUE(WriteAll(folder_.File(name), name)); }

  ScratchDir folder_;
};

TEST_F(SystemDestinationCleanup, PlacedFilesGoByTheRulesOthersStay) {
  // There before the run.
  Put("Notes.txt");
  Put("readme.txt");  // overwritten by the payload's "README.TXT" below
  sys::PlacedFiles placed;
  const std::vector<std::string> payload = {"Driver.gpd", "RES80.DLL", "Drv.dll.x64", "NOEXT", "a.tar.gz",
                                            "Logo.bmp",   "Setup.EXE", "PIC.JPG",     "Uninstaller.exe",
                                            "Uninstall.ini"};
  for (const std::string& name : payload) {
    Put(name);
    placed.Add(name);
  }
  placed.Add("README.TXT");
  // Added by the user while the wizard ran.
  Put("mine.doc");
  // A folder, and inside it a file named like a payload file.
  ASSERT_TRUE(CreateDirectoryA(folder_.File("sub").c_str(), nullptr));
  Put("sub\\Driver.gpd");

  sys::CleanDestinationFolder(folder_.path().c_str(), placed);

  for (const char* gone : {"Driver.gpd", "RES80.DLL", "Drv.dll.x64", "NOEXT", "a.tar.gz", "readme.txt"}) {
    EXPECT_FALSE(Exists(folder_.File(gone))) << gone;
  }
  for (const char* kept : {"Logo.bmp", "Setup.EXE", "PIC.JPG", "Uninstaller.exe", "Uninstall.ini", "Notes.txt",
                           "mine.doc", "sub\\Driver.gpd"}) {
    EXPECT_TRUE(Exists(folder_.File(kept))) << kept;
  }
}

TEST_F(SystemDestinationCleanup, FoldersAndUndeletableFilesAreLeftAndTheScanGoesOn) {
  ASSERT_TRUE(CreateDirectoryA(folder_.File("Placed.txt").c_str(), nullptr));
  Put("Locked.txt");
  ASSERT_TRUE(SetFileAttributesA(folder_.File("Locked.txt").c_str(), FILE_ATTRIBUTE_READONLY));
  sys::PlacedFiles placed;
  for (const char* name : {"Placed.txt", "Locked.txt", "a.ini", "b.ini", "z.ini"}) placed.Add(name);
  Put("a.ini");
  Put("b.ini");
  Put("z.ini");
  sys::CleanDestinationFolder(folder_.path().c_str(), placed);
  EXPECT_TRUE(Exists(folder_.File("Placed.txt")));
  EXPECT_TRUE(Exists(folder_.File("Locked.txt")));
  for (const char* gone : {"a.ini", "b.ini", "z.ini"}) EXPECT_FALSE(Exists(folder_.File(gone))) << gone;
}

TEST_F(SystemDestinationCleanup, NothingPlacedDeletesNothing) {
  Put("Driver.gpd");
  Put("NOEXT");
  sys::CleanDestinationFolder(folder_.path().c_str(), sys::PlacedFiles());
  EXPECT_TRUE(Exists(folder_.File("Driver.gpd")));
  EXPECT_TRUE(Exists(folder_.File("NOEXT")));
}

TEST_F(SystemDestinationCleanup, AMissingFolderDeletesNothing) {
  Put("Driver.gpd");
  sys::PlacedFiles placed;
  placed.Add("Driver.gpd");
  sys::CleanDestinationFolder(folder_.File("missing").c_str(), placed);
  sys::CleanDestinationFolder("", placed);
  EXPECT_TRUE(Exists(folder_.File("Driver.gpd")));
  EXPECT_FALSE(Exists(folder_.File("missing")));
}

// The worker adds while the user-interface thread may take a snapshot: two adders
// and a reader released at the same moment.
TEST(SystemSharedPlacedFiles, AddsFromTwoThreadsAllArrive) {
  constexpr int kPerThread = 20000;
  sys::SharedPlacedFiles shared;
  HANDLE go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(go, nullptr);
  auto adder = [&shared, go](char prefix) {
    return std::function<void()>([&shared, go, prefix] {
      WaitForSingleObject(go, INFINITE);
      for (int i = 0; i < kPerThread; ++i) shared.Add(std::string(1, prefix) + std::to_string(i) + ".gpd");
    });
  };
  std::function<void()> a = adder('a'), b = adder('b');
  std::function<void()> reader = [&shared, go] {
    WaitForSingleObject(go, INFINITE);
    for (int i = 0; i < 50; ++i) shared.Snapshot();
  };
  HANDLE threads[] = {CreateThread(nullptr, 0, &system_test::RunFunction, &a, 0, nullptr),
                      CreateThread(nullptr, 0, &system_test::RunFunction, &b, 0, nullptr),
                      CreateThread(nullptr, 0, &system_test::RunFunction, &reader, 0, nullptr)};
  for (HANDLE thread : threads) ASSERT_NE(thread, nullptr);
  SetEvent(go);
  WaitForMultipleObjects(3, threads, TRUE, INFINITE);
  for (HANDLE thread : threads) CloseHandle(thread);
  CloseHandle(go);
  sys::PlacedFiles snapshot = shared.Snapshot();
  EXPECT_EQ(snapshot.Size(), 2u * kPerThread);
  EXPECT_TRUE(snapshot.Contains("A19999.GPD"));
  EXPECT_TRUE(snapshot.Contains("b0.gpd"));
  shared.Add("later.txt");
  EXPECT_FALSE(snapshot.Contains("later.txt"));  // a snapshot is a copy
  EXPECT_TRUE(shared.Snapshot().Contains("LATER.TXT"));
}

}  // namespace
