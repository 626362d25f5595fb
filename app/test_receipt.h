// The short receipt /TESTPRINT sends through the spooler once the printer is
// installed: raw ESC/POS bytes a receipt printer prints as they are.
#pragma once

#include <string>

struct TestReceipt {
  std::string printer;  // the printer's name as the spooler has it
  std::string port;
  std::string target;   // where the port sends its jobs
  std::string when;     // the local date and time, "YYYY-MM-DD hh:mm:ss"
  std::string version;  // the package's version, "" when it has none
};

// ESC @ (initialise), a centred bold heading, one line per field, four lines of
// feed and a partial cut (GS V 66 0). Control characters of the fields become
// blanks: nothing a name holds is taken by the printer for a command.
std::string BuildTestReceipt(const TestReceipt& receipt);
