// The setup program's command line: what each option sets, and what is refused.
#include <gtest/gtest.h>

#include <string>

#include "app/command_line.h"

namespace {

TEST(SetupCommandLine, OptionsAndValues) {
  SetupOptions o = ParseSetupCommandLine("");
  EXPECT_FALSE(o.silent || o.help || o.hasFolder || o.hasPort || o.noDefault);
  EXPECT_EQ(o.languageFlag, -1);
  EXPECT_EQ(o.error, "");

  o = ParseSetupCommandLine("  /s /lang=cn\t/NoDefault ");
  EXPECT_TRUE(o.silent);
  EXPECT_EQ(o.languageFlag, 1);
  EXPECT_TRUE(o.noDefault);
  EXPECT_EQ(o.error, "");

  o = ParseSetupCommandLine("/S /LANG=En /PORT=\"Rillo-58-Series PORT:\" /LOG=C:\\logs\\setup.txt "
                            "/D=C:\\Program Files\\My  Printer  ");
  EXPECT_EQ(o.languageFlag, 0);
  EXPECT_TRUE(o.hasPort);
  EXPECT_EQ(o.port, "Rillo-58-Series PORT:");
  EXPECT_EQ(o.logPath, "C:\\logs\\setup.txt");
  EXPECT_TRUE(o.hasFolder);
  EXPECT_EQ(o.folder, "C:\\Program Files\\My  Printer") << "the rest of the line, inner blanks kept";

  // /D= takes everything after it, what looks like options included; a quoted
  // folder loses its quotes; an empty one is given but empty.
  o = ParseSetupCommandLine("/D=D:\\\xB4\xF2\xD3\xA1 /S");
  EXPECT_FALSE(o.silent);
  EXPECT_EQ(o.folder, "D:\\\xB4\xF2\xD3\xA1 /S");
  EXPECT_EQ(ParseSetupCommandLine("/S /D=\"E:\\Two Words\"").folder, "E:\\Two Words");
  o = ParseSetupCommandLine("/S /D=");
  EXPECT_TRUE(o.hasFolder);
  EXPECT_EQ(o.folder, "");
  EXPECT_EQ(o.error, "");

  EXPECT_TRUE(ParseSetupCommandLine("/?").help);

  // Whole options in quotes, as a program that starts another with an argument
  // list writes those with blanks.
  o = ParseSetupCommandLine("/S \"/D=C:\\Program Files\\X\" \"/PORT=A B:\"");
  EXPECT_TRUE(o.silent);
  EXPECT_EQ(o.folder, "C:\\Program Files\\X");
  EXPECT_EQ(o.port, "A B:");
}

TEST(SetupCommandLine, RefusedLines) {
  for (const char* line : {"/X", "/S /LANG=FR", "/LANG", "S", "/S/NODEFAULT", "/S /PORT=", "/LOG=", "/D",
                           "\"/S /X\"", "\"S\""}) {
    EXPECT_NE(ParseSetupCommandLine(line).error, "") << line;
  }
  // A refused option never hides /S or /LOG= later on the line: the unattended run
  // ends with its code and a log line, and shows no window.
  for (const char* line : {"/NORESTART2 /S /LOG=C:\\s.txt", "/LANG=DE /S /LOG=C:\\s.txt", "/X /Y /S /LOG=C:\\s.txt"}) {
    const SetupOptions o = ParseSetupCommandLine(line);
    EXPECT_TRUE(o.silent) << line;
    EXPECT_EQ(o.logPath, "C:\\s.txt") << line;
    EXPECT_NE(o.error, "") << line;
  }
  EXPECT_EQ(ParseSetupCommandLine("/LANG=DE /X /S").error, "/LANG takes EN or CN, not \"DE\"");  // the first one
  const SetupOptions kept = ParseSetupCommandLine("/NORESTART /S /TESTPRINT /TARGET=tcp:10.0.0.5");
  EXPECT_TRUE(kept.noRestart && kept.silent && kept.testPrint && kept.hasTarget);
  EXPECT_EQ(kept.target, "tcp:10.0.0.5");
  EXPECT_EQ(kept.error, "");
  // An unterminated quote runs to the end of the line: a port name, not an error.
  EXPECT_EQ(ParseSetupCommandLine("/PORT=\"A B").port, "A B");
}

}  // namespace

namespace {

// /TARGET=tcp:HOST takes the port receipt printers listen on; the rest stays as given
// for the monitor's own parser to judge.
TEST(SetupCommandLine, TargetsGetTheNetworkPrintersPort) {
  EXPECT_EQ(WithDefaultTcpPort("tcp:10.0.0.5"), "tcp:10.0.0.5:9100");
  EXPECT_EQ(WithDefaultTcpPort("TCP:printer.shop"), "TCP:printer.shop:9100");
  EXPECT_EQ(WithDefaultTcpPort("tcp:[fe80::1]"), "tcp:[fe80::1]:9100");
  EXPECT_EQ(WithDefaultTcpPort("tcp:[fe80::1]:515"), "tcp:[fe80::1]:515");
  EXPECT_EQ(WithDefaultTcpPort("tcp:10.0.0.5:9101"), "tcp:10.0.0.5:9101");
  EXPECT_EQ(WithDefaultTcpPort("COM7"), "COM7");
  EXPECT_EQ(WithDefaultTcpPort("tcp:"), "tcp:");
}

}  // namespace
