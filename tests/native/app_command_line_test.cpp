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
  // An unterminated quote runs to the end of the line: a port name, not an error.
  EXPECT_EQ(ParseSetupCommandLine("/PORT=\"A B").port, "A B");
}

}  // namespace
