// Staging of the driver file set against Wine's real spooler directories: which
// source each target comes from, where the monitor DLLs land, what stays behind.
#include <gtest/gtest.h>
#include <windows.h>
#include <winspool.h>

#include <string>
#include <vector>

#include "driver/driver_staging_win.h"
#include "payload/archive.h"
#include "payload/entry_decoder.h"
#include "payload/payload_resource_win.h"
#include "system/redirection_off_win.h"
#include "win_support.h"

using namespace driver;
using win_support::ReadAll;
using win_support::ScratchDir;

namespace {

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string Package(const std::string& name) { return ReadAll(win_support::PackagePath(name)); }

// The sample payload unpacked into a folder, as the installation leaves it.
void ExtractPayloadInto(const std::string& folder) {
  size_t size = 0;
  unsigned char* data = LoadPayloadResource(kPayloadResourceId, kPayloadResourceType, &size);
  ASSERT_NE(data, nullptr);
  payload::MemorySource source(data, size);
  payload::ArchiveLayout layout;
  ASSERT_EQ(payload::LocateResourceArchive(source, &layout), payload::LocateResult::kFound);
  int32_t total = 0;
  payload::WalkEntries(source, layout, [&](const payload::PackageEntry& e) {
    payload::MemoryInput input(data + e.dataOffset);
    std::string out = folder + "\\" + e.name;
    payload::InflateEntryToFile(input, e.packedLength, out.c_str(), &total, double(size), nullptr);
    return true;
  });
  delete[] data;
}

std::string DriverDirectory(const char* environment) {
  char directory[MAX_PATH] = {};
  DWORD needed = 0;
  EXPECT_TRUE(GetPrinterDriverDirectoryA(nullptr, const_cast<char*>(environment), 1,
                                         reinterpret_cast<BYTE*>(directory), sizeof directory, &needed));
  return directory;
}


std::string SystemDirectory() {
  char directory[MAX_PATH] = {};
  GetSystemDirectoryA(directory, sizeof directory);
  return directory;
}

class DriverStaging : public testing::Test {
 protected:
  void SetUp() override { ExtractPayloadInto(source_.path()); }

  StagingInput Input(const char* printer, int language = 1) {
    StagingInput input;
    input.sourceFolder = source_.path().c_str();
    input.printerName = printer;
    input.modelLine = "Model=Rillo5";
    input.languageFlag = language;
    return input;
  }

  ScratchDir source_;
};

}  // namespace

TEST_F(DriverStaging, SixtyFourBitPathStagesTwinsForTheDllEntriesOnly) {
  StagedDriver staged;
  ASSERT_TRUE(StageDriverFiles(Input("P"), DriverPath::kX64, &staged));
  std::string dir = DriverDirectory("Windows x64");
  EXPECT_STREQ(staged.driverDirectory, dir.c_str());

  // Entries 1, 4, 7 and 8 come from their ".x64" twins; the upper-case ".DLL"
  // entries from their plain files although twins of them were there too.
  EXPECT_EQ(ReadAll(dir + "\\PDrv.dll"), Package("rillo80d.dll.x64"));
  EXPECT_EQ(ReadAll(dir + "\\PUI.dll"), Package("newrillo58f.dll.x64"));
  EXPECT_EQ(ReadAll(dir + "\\UNIDRVUI.dll"), Package("UNIDRVUI.DLL.x64"));
  EXPECT_EQ(ReadAll(dir + "\\UNIDRV.dll"), Package("UNIDRV.DLL.x64"));
  EXPECT_EQ(ReadAll(dir + "\\PRES.dll"), Package("RES80.DLL"));
  EXPECT_EQ(ReadAll(dir + "\\UNIRES.DLL"), Package("UNIRES.DLL"));
  EXPECT_EQ(ReadAll(dir + "\\unidrv.hlp"), Package("UNIDRV.HLP"));
  EXPECT_EQ(ReadAll(dir + "\\STDNAMES.GPD"), Package("STDNAMES.GPD"));

  EXPECT_EQ(ReadAll(dir + "\\P.ini"), "[OEMFiles]\r\nOEMDriverFile1=PDrv.dll\r\nOEMConfigFile1=PUI.dll\r\n");
  EXPECT_EQ(ReadAll(dir + "\\P.ini").size(), 61u);

  std::string gpd = ReadAll(dir + "\\P.gpd");
  EXPECT_NE(gpd.find("*ResourceDLL:\"PRES.dll\"\r\n"), std::string::npos);
  EXPECT_NE(gpd.find("\"Paper Size(80 x 210)\""), std::string::npos);
  EXPECT_EQ(gpd.find("NEWRES58.DLL"), std::string::npos);
  std::string ui = ReadAll(dir + "\\PUIConfig.txt");
  EXPECT_NE(ui.find(std::string(", ") + source_.path() + "\\about.bmp\r\n"), std::string::npos);

  // Monitor DLLs: the twins, in the system directory of the native side. A 32-bit
  // process on 64-bit Windows (the i686 build in a 64-bit prefix) sees that folder
  // only with file-system redirection off; with it on, its "system32" is SysWOW64,
  // which must not get them.
  std::string system = SystemDirectory();
  {
    sys::RedirectionOff off;
    EXPECT_EQ(ReadAll(system + "\\PMon.dll"), Package("Rillo80PrinterMon.dll.x64"));
    EXPECT_EQ(ReadAll(system + "\\PMonUI.dll"), Package("Rillo80PrinterMonUI.dll.x64"));
  }
  char wow64[MAX_PATH] = {};
  if (GetSystemWow64DirectoryA(wow64, sizeof wow64) > 0) {
    EXPECT_FALSE(Exists(std::string(wow64) + "\\PMon.dll"));
    EXPECT_FALSE(Exists(std::string(wow64) + "\\PMonUI.dll"));
  }
  EXPECT_STREQ(staged.names.MonitorDllName(), "PMon.dll");
}

TEST_F(DriverStaging, SourceFolderKeepsOnlyWhatStagingDoesNotUse) {
  StagedDriver staged;
  ASSERT_TRUE(StageDriverFiles(Input("Keep Test"), DriverPath::kX64, &staged));
  for (const std::string& name : StagedSourceFileNames())
    EXPECT_FALSE(Exists(source_.File(name))) << name << " is still in the source folder";
  for (const char* name : {"InstallConfig_cn.txt", "License_en.txt", "Left.bmp", "Logo.bmp", "Uninstaller.exe",
                           "ZIKU.UFM", "RES80.DLL.x64"}) {
    // RES80.DLL.x64 is not a staged source, but staging deletes both variants of RES80.DLL.
    if (std::string(name) == "RES80.DLL.x64") {
      EXPECT_FALSE(Exists(source_.File(name)));
    } else {
      EXPECT_TRUE(Exists(source_.File(name))) << name;
    }
  }
}

TEST_F(DriverStaging, ThirtyTwoBitPathUsesPlainFilesAndTheProcessEnvironment) {
  StagedDriver staged;
  ASSERT_TRUE(StageDriverFiles(Input("Plain Path", 0), DriverPath::kX86, &staged));
  // The environment of the calling process: "Windows NT x86" for the 32-bit
  // program; this test program may be a 64-bit build, which gets its own.
  std::string dir = DriverDirectory(nullptr);
  EXPECT_STREQ(staged.driverDirectory, dir.c_str());
  EXPECT_EQ(ReadAll(dir + "\\Plain PathDrv.dll"), Package("rillo80d.dll"));
  EXPECT_EQ(ReadAll(dir + "\\UNIDRV.dll"), Package("UNIDRV.DLL"));
  EXPECT_EQ(ReadAll(SystemDirectory() + "\\Plain PathMon.dll"), Package("Rillo80PrinterMon.dll"));
  // English installation: option names translated.
  std::string gpd = ReadAll(dir + "\\Plain Path.gpd");
  EXPECT_NE(gpd.find("    *Name: \"Print Mode\"\r\n"), std::string::npos);
  EXPECT_NE(gpd.find("*ResourceDLL:\"Plain PathRES.dll\"\r\n"), std::string::npos);
}

TEST_F(DriverStaging, StagingTwiceOverwritesTheEarlierFiles) {
  StagedDriver staged;
  ASSERT_TRUE(StageDriverFiles(Input("Again", 1), DriverPath::kX64, &staged));
  std::string dir = staged.driverDirectory;
  ASSERT_TRUE(win_support::WriteAll(dir + "\\AgainDrv.dll", "stale"));
  ExtractPayloadInto(source_.path());
  ASSERT_TRUE(StageDriverFiles(Input("Again", 1), DriverPath::kX64, &staged));
  EXPECT_EQ(ReadAll(dir + "\\AgainDrv.dll"), Package("rillo80d.dll.x64"));
}

TEST_F(DriverStaging, OverlongPrinterNameIsRefusedWithNothingTouched) {
  std::string name(300, 'N');
  StagedDriver staged;
  EXPECT_FALSE(StageDriverFiles(Input(name.c_str()), DriverPath::kX64, &staged));
  EXPECT_FALSE(StageDriverFiles(Input(name.c_str()), DriverPath::kX86, &staged));
  EXPECT_TRUE(Exists(source_.File("rillo80d.dll")));
  EXPECT_TRUE(Exists(source_.File("RILLO80.gpd")));
  EXPECT_FALSE(Exists(DriverDirectory("Windows x64") + "\\" + name.substr(0, 200)));
}
