#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "driver/staging_plan.h"

namespace {

using driver::DriverPath;
using driver::StagingAction;
using driver::StagingRequest;
using driver::StagingStep;

struct Expected {
  StagingAction action;
  const char* source;
  const char* target;
};

const char* ActionName(StagingAction action) {
  switch (action) {
    case StagingAction::kWriteOemIni: return "ini";
    case StagingAction::kCopyFile: return "copy";
    case StagingAction::kCustomizeGpd: return "gpd";
    case StagingAction::kRewriteUiConfig: return "uiconfig";
    case StagingAction::kDeleteFile: return "delete";
    case StagingAction::kCopySystemFile: return "system";
  }
  return "?";
}

std::vector<std::string> Describe(const std::vector<StagingStep>& plan) {
  std::vector<std::string> lines;
  for (const StagingStep& step : plan) {
    lines.push_back(std::string(ActionName(step.action)) + " " + step.source + " > " + step.target);
  }
  return lines;
}

std::vector<std::string> Describe(const std::vector<Expected>& plan) {
  std::vector<std::string> lines;
  for (const Expected& step : plan) {
    lines.push_back(std::string(ActionName(step.action)) + " " + step.source + " > " + step.target);
  }
  return lines;
}

StagingRequest Request(DriverPath path) {
  StagingRequest request;
  request.sourceFolder = "C:\\Src";
  request.driverDirectory = "D:\\Drv";
  request.systemDirectory = "C:\\Sys";
  request.printerName = "P";
  request.path = path;
  return request;
}

constexpr StagingAction kIni = StagingAction::kWriteOemIni;
constexpr StagingAction kCopy = StagingAction::kCopyFile;
constexpr StagingAction kGpd = StagingAction::kCustomizeGpd;
constexpr StagingAction kUi = StagingAction::kRewriteUiConfig;
constexpr StagingAction kDel = StagingAction::kDeleteFile;
constexpr StagingAction kSys = StagingAction::kCopySystemFile;

TEST(DriverFileStagingPlan, X86PathUsesThePlainFiles) {
  StagingRequest request = Request(DriverPath::kX86);
  request.copyGdiplus = true;
  std::vector<StagingStep> plan;
  ASSERT_TRUE(driver::BuildStagingPlan(request, &plan));
  const std::vector<Expected> expected = {
      {kIni, "", "D:\\Drv\\P.ini"},
      {kDel, "", "C:\\Src\\rillo80.ini"},
      {kDel, "", "C:\\Src\\rillo80.ini.x64"},
      {kCopy, "C:\\Src\\rillo80d.dll", "D:\\Drv\\PDrv.dll"},
      {kDel, "", "C:\\Src\\rillo80d.dll"},
      {kDel, "", "C:\\Src\\rillo80d.dll.x64"},
      {kGpd, "C:\\Src\\RILLO80.GPD", "D:\\Drv\\P.gpd"},
      {kDel, "", "C:\\Src\\RILLO80.GPD"},
      {kDel, "", "C:\\Src\\RILLO80.GPD.x64"},
      {kCopy, "C:\\Src\\RES80.DLL", "D:\\Drv\\PRES.dll"},
      {kDel, "", "C:\\Src\\RES80.DLL"},
      {kDel, "", "C:\\Src\\RES80.DLL.x64"},
      {kCopy, "C:\\Src\\newrillo58f.dll", "D:\\Drv\\PUI.dll"},
      {kDel, "", "C:\\Src\\newrillo58f.dll"},
      {kDel, "", "C:\\Src\\newrillo58f.dll.x64"},
      {kCopy, "C:\\Src\\UNIRES.DLL", "D:\\Drv\\UNIRES.DLL"},
      {kDel, "", "C:\\Src\\UNIRES.DLL"},
      {kDel, "", "C:\\Src\\UNIRES.DLL.x64"},
      {kCopy, "C:\\Src\\unidrv.hlp", "D:\\Drv\\unidrv.hlp"},
      {kDel, "", "C:\\Src\\unidrv.hlp"},
      {kDel, "", "C:\\Src\\unidrv.hlp.x64"},
      {kCopy, "C:\\Src\\UNIDRVUI.dll", "D:\\Drv\\UNIDRVUI.dll"},
      {kDel, "", "C:\\Src\\UNIDRVUI.dll"},
      {kDel, "", "C:\\Src\\UNIDRVUI.dll.x64"},
      {kCopy, "C:\\Src\\UNIDRV.dll", "D:\\Drv\\UNIDRV.dll"},
      {kDel, "", "C:\\Src\\UNIDRV.dll"},
      {kDel, "", "C:\\Src\\UNIDRV.dll.x64"},
      {kCopy, "C:\\Src\\STDNAMES.GPD", "D:\\Drv\\STDNAMES.GPD"},
      {kDel, "", "C:\\Src\\STDNAMES.GPD"},
      {kDel, "", "C:\\Src\\STDNAMES.GPD.x64"},
      {kUi, "C:\\Src\\UIConfig.txt", "D:\\Drv\\PUIConfig.txt"},
      {kDel, "", "C:\\Src\\UIConfig.txt"},
      {kDel, "", "C:\\Src\\UIConfig.txt.x64"},
      {kSys, "C:\\Src\\gdiplus.dll", "C:\\Sys\\gdiplus.dll"},
      {kSys, "C:\\Src\\Rillo80PrinterMon.dll", "C:\\Sys\\PMon.dll"},
      {kDel, "", "C:\\Src\\Rillo80PrinterMon.dll"},
      {kDel, "", "C:\\Src\\Rillo80PrinterMon.dll.x64"},
      {kSys, "C:\\Src\\Rillo80PrinterMonUI.dll", "C:\\Sys\\PMonUI.dll"},
      {kDel, "", "C:\\Src\\Rillo80PrinterMonUI.dll"},
      {kDel, "", "C:\\Src\\Rillo80PrinterMonUI.dll.x64"},
  };
  EXPECT_EQ(Describe(plan), Describe(expected));

  // What the executing side needs beyond the paths.
  EXPECT_EQ(plan[0].text, "[OEMFiles]\r\nOEMDriverFile1=PDrv.dll\r\nOEMConfigFile1=PUI.dll\r\n");
  EXPECT_EQ(plan[6].text, "PRES.dll");
  EXPECT_EQ(plan[30].text, "C:\\Src");
}

TEST(DriverFileStagingPlan, X64PathTakesTwinsOfLowerCaseDllsAndMonitors) {
  StagingRequest request = Request(DriverPath::kX64);
  request.copyGdiplus = true;  // not handled on this path
  std::vector<StagingStep> plan;
  ASSERT_TRUE(driver::BuildStagingPlan(request, &plan));
  std::vector<std::string> producing;
  for (const StagingStep& step : plan) {
    if (step.action != StagingAction::kDeleteFile && step.action != StagingAction::kWriteOemIni) {
      producing.push_back(step.source + " > " + step.target);
    }
  }
  EXPECT_EQ(producing, (std::vector<std::string>{
                           "C:\\Src\\rillo80d.dll.x64 > D:\\Drv\\PDrv.dll",
                           "C:\\Src\\RILLO80.GPD > D:\\Drv\\P.gpd",
                           "C:\\Src\\RES80.DLL > D:\\Drv\\PRES.dll",
                           "C:\\Src\\newrillo58f.dll.x64 > D:\\Drv\\PUI.dll",
                           "C:\\Src\\UNIRES.DLL > D:\\Drv\\UNIRES.DLL",
                           "C:\\Src\\unidrv.hlp > D:\\Drv\\unidrv.hlp",
                           "C:\\Src\\UNIDRVUI.dll.x64 > D:\\Drv\\UNIDRVUI.dll",
                           "C:\\Src\\UNIDRV.dll.x64 > D:\\Drv\\UNIDRV.dll",
                           "C:\\Src\\STDNAMES.GPD > D:\\Drv\\STDNAMES.GPD",
                           "C:\\Src\\UIConfig.txt > D:\\Drv\\PUIConfig.txt",
                           "C:\\Src\\Rillo80PrinterMon.dll.x64 > C:\\Sys\\PMon.dll",
                           "C:\\Src\\Rillo80PrinterMonUI.dll.x64 > C:\\Sys\\PMonUI.dll",
                       }));
  // Deletes are the same on both paths: every variant of every entry.
  int deletes = 0;
  for (const StagingStep& step : plan) deletes += step.action == StagingAction::kDeleteFile;
  EXPECT_EQ(deletes, 26);
  EXPECT_EQ(plan.size(), 39u);
}

TEST(DriverFileStagingPlan, GdiplusOnlyWhenAsked) {
  std::vector<StagingStep> plan;
  ASSERT_TRUE(driver::BuildStagingPlan(Request(DriverPath::kX86), &plan));
  EXPECT_EQ(plan.size(), 39u);
  for (const StagingStep& step : plan) EXPECT_EQ(step.target.find("gdiplus"), std::string::npos);
}

TEST(DriverFileStagingPlan, RefusedWhenTheNameIsUnusableOrAFolderMissing) {
  std::vector<StagingStep> plan;
  const std::string name67(67, 'n');
  const std::string name68(68, 'n');
  // "<folder>\" + 67 + "UIConfig.txt" = 255 bytes exactly.
  const std::string folder175(175, 'd');
  const std::string name300(300, 'n');

  StagingRequest request = Request(DriverPath::kX64);
  request.printerName = name67.c_str();
  EXPECT_TRUE(driver::BuildStagingPlan(request, &plan));
  request.driverDirectory = folder175.c_str();
  EXPECT_TRUE(driver::BuildStagingPlan(request, &plan));
  EXPECT_EQ(plan[30].target.size(), 255u);

  struct Case {
    const char* name;
    const char* source;
    const char* driverDir;
    const char* systemDir;
  } cases[] = {
      {name68.c_str(), "C:\\Src", "D:\\Drv", "C:\\Sys"},
      {name300.c_str(), "C:\\Src", "D:\\Drv", "C:\\Sys"},
      {"", "C:\\Src", "D:\\Drv", "C:\\Sys"},
      {"a\\b", "C:\\Src", "D:\\Drv", "C:\\Sys"},
      {"P", nullptr, "D:\\Drv", "C:\\Sys"},
      {"P", "C:\\Src", nullptr, "C:\\Sys"},
      {"P", "C:\\Src", "D:\\Drv", nullptr},
      {nullptr, "C:\\Src", "D:\\Drv", "C:\\Sys"},
  };
  for (const Case& c : cases) {
    StagingRequest bad = Request(DriverPath::kX86);
    bad.printerName = c.name;
    bad.sourceFolder = c.source;
    bad.driverDirectory = c.driverDir;
    bad.systemDirectory = c.systemDir;
    plan.assign(3, StagingStep{});
    EXPECT_FALSE(driver::BuildStagingPlan(bad, &plan));
    EXPECT_TRUE(plan.empty());
  }
}

// A path that does not fit drops its own step, never the plan: from a 229-byte
// folder only "Rillo80PrinterMonUI.dll.x64" (28 bytes with its backslash) is out
// of reach, so on the 64-bit path its copy and its delete go, on the 32-bit path
// only the delete of that twin.
TEST(DriverFileStagingPlan, APathThatDoesNotFitSkipsOnlyItsStep) {
  const std::string folder229 = "C:\\" + std::string(226, 's');
  for (DriverPath path : {DriverPath::kX64, DriverPath::kX86}) {
    std::vector<StagingStep> full;
    std::vector<StagingStep> cut;
    StagingRequest request = Request(path);
    ASSERT_TRUE(driver::BuildStagingPlan(request, &full));
    request.sourceFolder = folder229.c_str();
    ASSERT_TRUE(driver::BuildStagingPlan(request, &cut));
    std::vector<std::string> missing;
    std::vector<std::string> cutLines = Describe(cut);
    for (std::string line : Describe(full)) {
      // The same step from the long folder.
      for (size_t at; (at = line.find("C:\\Src")) != std::string::npos;) line.replace(at, 6, folder229);
      if (std::find(cutLines.begin(), cutLines.end(), line) == cutLines.end()) missing.push_back(line);
    }
    std::vector<std::string> expected = {"delete  > " + folder229 + "\\Rillo80PrinterMonUI.dll.x64"};
    if (path == DriverPath::kX64) {
      expected.insert(expected.begin(),
                      "system " + folder229 + "\\Rillo80PrinterMonUI.dll.x64 > C:\\Sys\\PMonUI.dll");
    }
    EXPECT_EQ(missing, expected);
    EXPECT_EQ(cut.size(), full.size() - expected.size());
  }

  // A system directory too long for the monitor DLLs' names skips just those copies.
  const std::string longSystem(250, 'y');
  StagingRequest request = Request(DriverPath::kX86);
  request.systemDirectory = longSystem.c_str();
  std::vector<StagingStep> plan;
  ASSERT_TRUE(driver::BuildStagingPlan(request, &plan));
  EXPECT_EQ(plan.size(), 37u);
  for (const StagingStep& step : plan) EXPECT_NE(step.action, StagingAction::kCopySystemFile);
}

}  // namespace
