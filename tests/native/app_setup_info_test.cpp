#include "app/setup_info.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using setup_info::CompareVersions;
using setup_info::ParseVersion;
using setup_info::Version;

Version V(const char* text) {
  Version v;
  EXPECT_TRUE(ParseVersion(text, &v)) << text;
  return v;
}

TEST(SetupInfoTest, VersionsCompareByNumberWithMissingPartsAsZero) {
  EXPECT_EQ(CompareVersions(V("2.1"), V("2.1.0.0")), 0);
  EXPECT_LT(CompareVersions(V("2.9"), V("2.10")), 0);  // numbers, not text
  EXPECT_GT(CompareVersions(V(" 3 "), V("2.65535.65535.65535")), 0);
  EXPECT_EQ(setup_info::FormatVersion(V("1.02.0")), "1.2.0");

  Version kept = V("7");
  for (const char* bad : {"", "1.", ".1", "1..2", "1.2.3.4.5", "65536", "1.-2", "1,2", "v1", "1 .2"}) {
    EXPECT_FALSE(ParseVersion(bad, &kept)) << bad;
  }
  EXPECT_EQ(kept.parts[0], 7u);  // a refused text leaves the version as it was
}

TEST(SetupInfoTest, ReadsTheValuesAndReportsEveryWrongLine) {
  const std::string good = "; made by the kit\r\n[setup]\r\nVersion = 2.1.0.7\r\npublisher=Rillo Printing Co.\r\n";
  setup_info::SetupInfo info;
  EXPECT_TRUE(setup_info::ParseSetupInfo(good.data(), good.size(), &info).empty());
  EXPECT_EQ(setup_info::FormatVersion(info.version), "2.1.0.7");
  EXPECT_EQ(info.publisher, "Rillo Printing Co.");

  const std::string bad = "Version=1\n[Setup]\nVersion=1.2.x\nVersion=2\nColour=red\nno equals\n[Other]\nVersion=3\n";
  const std::vector<setup_info::Problem> problems = setup_info::ParseSetupInfo(bad.data(), bad.size(), &info);
  std::vector<int> lines;
  for (const auto& problem : problems) lines.push_back(problem.line);
  EXPECT_EQ(lines, (std::vector<int>{1, 3, 4, 5, 6, 7}));
  EXPECT_EQ(info.version.count, 0);  // the only Version= of [Setup] was refused

  const std::string none = "[Setup]\nPublisher=" + std::string(200, 'x') + "\n";
  const auto missing = setup_info::ParseSetupInfo(none.data(), none.size(), &info);
  ASSERT_EQ(missing.size(), 2u);
  EXPECT_EQ(missing[0].line, 2);  // too long
  EXPECT_EQ(missing[1].line, 0);  // no version
  EXPECT_TRUE(info.publisher.empty());
}

}  // namespace
