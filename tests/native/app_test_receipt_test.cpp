// The test receipt's bytes: what a receipt printer gets, and nothing a printer name
// holds can become a printer command.
#include <gtest/gtest.h>

#include <string>

#include "app/test_receipt.h"

namespace {

TEST(TestReceipt, FieldsBetweenInitialiseAndCut) {
  TestReceipt r;
  r.printer = "Rillo\x1B@-58";  // an escape in a name must not reach the printer as one
  r.port = "Rillo-58-Series PORT:";
  r.target = "C:\\ProgramData\\Rillo-58-Series Monitor";
  r.when = "2026-12-09 18:42:00";
  const std::string bytes = BuildTestReceipt(r);
  const std::string expected = std::string("\x1B@\x1B" "a\x01\x1B" "E\x01TEST RECEIPT\n\x1B" "E") + '\0' + "\x1B" "a" +
                               '\0' +
                               "Printer: Rillo @-58\n"
                               "Port:    Rillo-58-Series PORT:\n"
                               "Target:  C:\\ProgramData\\Rillo-58-Series Monitor\n"
                               "Date:    2026-12-09 18:42:00\n"
                               "Version: (none)\n"
                               "\x1B" "d\x04\x1D" "VB" + '\0';
  EXPECT_EQ(bytes, expected);
}

}  // namespace
