#include <gtest/gtest.h>

#include <string>

#include "driver/install_log.h"
#include "test_support.h"

namespace {

using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

// Every message ends in exactly one CR LF, on Windows too (no text-mode stream
// adds a CR of its own).
const std::string kLineEnd = "\r\n";

TEST(InstallLog, MessagesAreAppendedAsFormatted) {
  TempDir dir;
  std::string log = dir.File("InstallPrinter.txt");
  driver::AppendInstallLog(log.c_str(), "AddPrinter = %d\r\n", 1801);
  // Each message is on disk as soon as the call returns.
  EXPECT_EQ(ReadFileBytes(log), "AddPrinter = 1801" + kLineEnd);
  driver::AppendInstallLog(log.c_str(), "AddPrinterMonitor64 Error=%d\r\n", -5);
  driver::AppendInstallLog(log.c_str(), "%s\r\n", "USB PrinterDrv.dll");
  EXPECT_EQ(ReadFileBytes(log), "AddPrinter = 1801" + kLineEnd + "AddPrinterMonitor64 Error=-5" +
                                    kLineEnd + "USB PrinterDrv.dll" + kLineEnd);
}

TEST(InstallLog, EarlierRunsStayInFront) {
  TempDir dir;
  std::string log = dir.File("InstallPrinter.txt");
  WriteFileBytes(log, "AddPortEx = 87\r\n");
  driver::AppendInstallLog(log.c_str(), "AddPortEx = %d\r\n", 1);
  EXPECT_EQ(ReadFileBytes(log), "AddPortEx = 87\r\nAddPortEx = 1" + kLineEnd);
}

TEST(InstallLog, LongMessageIsCutAt1023Bytes) {
  TempDir dir;
  std::string log = dir.File("log.txt");
  std::string name(3000, 'n');
  driver::AppendInstallLog(log.c_str(), "%s\r\n", name.c_str());
  EXPECT_EQ(ReadFileBytes(log), std::string(1023, 'n'));

  std::string exact(1021, 'e');
  driver::AppendInstallLog(log.c_str(), "%s\r\n", exact.c_str());
  EXPECT_EQ(ReadFileBytes(log), std::string(1023, 'n') + exact + kLineEnd);
}

TEST(InstallLog, MessageEndsAtItsFirstNul) {
  TempDir dir;
  std::string log = dir.File("log.txt");
  driver::AppendInstallLog(log.c_str(), "a%cb\r\n", 0);
  EXPECT_EQ(ReadFileBytes(log), "a");
}

TEST(InstallLog, UnopenableFileDropsTheMessage) {
  TempDir dir;
  std::string log = dir.File("missing/folder/log.txt");
  driver::AppendInstallLog(log.c_str(), "GetPrinterDriverDirectory = %d\r\n", 2);
  EXPECT_FALSE(testing_support::FileExists(log));
  driver::AppendInstallLog(nullptr, "x");
}

}  // namespace
