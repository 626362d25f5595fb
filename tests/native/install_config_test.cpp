// Reading the install configuration: sections, separators, name lines, limits.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/install_config.h"
#include "test_support.h"

using testing_support::FileExists;
using testing_support::PackageFile;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

namespace {

const std::string kSep = std::string(50, '=') + "\r\n";

struct Read {
  bool opened;
  InstallConfig config;
};

Read ReadText(const std::string& text) {
  TempDir dir;
  std::string path = dir.File("InstallConfig.txt");
  WriteFileBytes(path, text);
  Read r;
  std::memset(&r.config, 0, sizeof r.config);
  r.opened = ReadInstallConfig(path.c_str(), &r.config);
  EXPECT_FALSE(FileExists(path)) << "the file is deleted after reading";
  return r;
}

std::string Sections(const char* a, const char* b, const char* c, const char* d, const char* e, const char* f) {
  return std::string(a) + kSep + b + kSep + c + kSep + d + kSep + e + kSep + f + kSep;
}

}  // namespace

TEST(InstallConfigRead, MissingFileGivesTheFourDefaults) {
  InstallConfig config;
  std::memset(&config, 0, sizeof config);
  EXPECT_FALSE(ReadInstallConfig("/nonexistent/InstallConfig.txt", &config));
  EXPECT_STREQ(config.printerName(), "USB Printer");
  EXPECT_STREQ(config.driverName(), "USB Printer Driver");
  EXPECT_STREQ(config.monitorName(), "USB Printer Monitor");
  EXPECT_STREQ(config.portName(), "USB PRINTER PORT:");
  EXPECT_STREQ(config.title(), "");
  EXPECT_STREQ(config.modelLine(), "");
  EXPECT_STREQ(config.serviceName(), "");
  for (auto& s : config.sections) EXPECT_STREQ(s, "");
}

TEST(InstallConfigRead, SectionsAndNamesOfAWellFormedFile) {
  Read r = ReadText(Sections("Welcome\r\nto setup\r\n", "Folder\r\n", "Busy\r\n", "Done\r\nClose\r\n", "Cancel\r\n",
                             "Failed\r\n") +
                    "My Title\r\n" + kSep + "P-58\r\nP-58 Driver\r\nP-58 Monitor\r\nP-58 PORT:\r\nModel=P5\r\nSvc\r\n"
                    "eighth line\r\n");
  ASSERT_TRUE(r.opened);
  EXPECT_STREQ(r.config.welcomeText(), "Welcome\nto setup\n");
  EXPECT_STREQ(r.config.folderText(), "Folder\n");
  EXPECT_STREQ(r.config.installingText(), "Busy\n");
  EXPECT_STREQ(r.config.successText(), "Done\nClose\n");
  EXPECT_STREQ(r.config.cancelText(), "Cancel\n");
  EXPECT_STREQ(r.config.failureText(), "Failed\n");
  EXPECT_STREQ(r.config.title(), "My Title");
  EXPECT_STREQ(r.config.printerName(), "P-58");
  EXPECT_STREQ(r.config.driverName(), "P-58 Driver");
  EXPECT_STREQ(r.config.monitorName(), "P-58 Monitor");
  EXPECT_STREQ(r.config.portName(), "P-58 PORT:");
  EXPECT_STREQ(r.config.modelLine(), "Model=P5");
  EXPECT_STREQ(r.config.serviceName(), "Svc");  // the eighth line is ignored
}

TEST(InstallConfigRead, WhatCountsAsASeparator) {
  std::string nineteen(19, '=');
  Read r = ReadText("a\r\n" + nineteen + "\r\nb\r\n" + "text ==================== around\r\n" + "c\r\n" +
                    std::string(20, '=') + "\r\n");
  EXPECT_STREQ(r.config.welcomeText(), ("a\n" + nineteen + "\nb\n").c_str());
  EXPECT_STREQ(r.config.folderText(), "c\n");
  EXPECT_STREQ(r.config.installingText(), "");
}

TEST(InstallConfigRead, EmptyLinesStayInSectionsButTakeNoNameField) {
  Read r = ReadText(Sections("one\r\n\r\ntwo\r\n", "", "", "", "", "") + "\r\nTitle\r\n\r\n" + kSep + kSep +
                    "\r\nPrinter\r\n");
  EXPECT_STREQ(r.config.welcomeText(), "one\n\ntwo\n");
  EXPECT_STREQ(r.config.title(), "Title");
  EXPECT_STREQ(r.config.printerName(), "Printer");
  EXPECT_STREQ(r.config.driverName(), "");
}

TEST(InstallConfigRead, FilesWithoutSeparatorsOrEmpty) {
  Read empty = ReadText("");
  EXPECT_TRUE(empty.opened);
  EXPECT_STREQ(empty.config.welcomeText(), "");
  EXPECT_STREQ(empty.config.printerName(), "") << "no defaults for a file that opens";

  Read plain = ReadText("just\r\ntext");
  EXPECT_STREQ(plain.config.welcomeText(), "just\ntext");
  for (int i = 1; i < kConfigSectionCount; ++i) EXPECT_STREQ(plain.config.sections[i], "");
  for (auto& n : plain.config.names) EXPECT_STREQ(n, "");
}

TEST(InstallConfigRead, LastLineWithoutLineEndAndBareLineFeeds) {
  Read r = ReadText(Sections("", "", "", "", "", "") + "T\r\nPrinter");
  EXPECT_STREQ(r.config.printerName(), "Printer");

  // Only CR LF is taken off a name; a bare LF stays part of it. In sections the
  // bare LF already is the stored line end.
  std::string lf = std::string(50, '=') + "\n";
  Read bare = ReadText("hello\n" + lf + lf + lf + lf + lf + lf + "T\nName\n");
  EXPECT_STREQ(bare.config.welcomeText(), "hello\n");
  EXPECT_STREQ(bare.config.title(), "T\n");
  EXPECT_STREQ(bare.config.printerName(), "Name\n");
}

TEST(InstallConfigRead, LongLinesArriveInPiecesAndBuffersAreCut) {
  // A 600-byte name line gives 254-byte pieces that fill the following fields.
  std::string longName(600, 'N');
  Read names = ReadText(Sections("", "", "", "", "", "") + longName + "\r\n");
  EXPECT_EQ(std::strlen(names.config.title()), 254u);
  EXPECT_EQ(std::strlen(names.config.printerName()), 254u);
  EXPECT_EQ(std::strlen(names.config.driverName()), 92u);

  // A section of 40 lines of 30 bytes is cut at 511 bytes.
  std::string big;
  for (int i = 0; i < 40; ++i) big += std::string(29, 'a' + i % 26) + "\r\n";
  Read cut = ReadText(big + kSep);
  EXPECT_EQ(std::strlen(cut.config.welcomeText()), 511u);
  EXPECT_EQ(std::string(cut.config.welcomeText()).substr(0, 30), std::string(29, 'a') + "\n");
}

TEST(InstallConfigRead, SamplePackageConfigurations) {
  for (const char* name : {"InstallConfig_cn.txt", "InstallConfig_en.txt"}) {
    SCOPED_TRACE(name);
    if (!FileExists(PackageFile(name))) GTEST_SKIP() << "sample package not present";
    Read r = ReadText(ReadFileBytes(PackageFile(name)));
    EXPECT_STREQ(r.config.printerName(), "Rillo-58-Series");
    EXPECT_STREQ(r.config.driverName(), "Rillo-58-Series Driver");
    EXPECT_STREQ(r.config.monitorName(), "Rillo-58-Series Monitor");
    EXPECT_STREQ(r.config.portName(), "Rillo-58-Series PORT:");
    EXPECT_STREQ(r.config.modelLine(), "Model=Rillo5");
    EXPECT_STREQ(r.config.serviceName(), "");
    EXPECT_NE(r.config.title()[0], '\0');
    for (int i = 0; i < kConfigSectionCount; ++i) EXPECT_NE(r.config.sections[i][0], '\0') << "section " << i;
    // The success text is a result line and the closing hint.
    std::string success = r.config.successText();
    EXPECT_EQ(std::count(success.begin(), success.end(), '\n'), 2) << success;
  }
}
