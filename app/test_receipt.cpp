#include "app/test_receipt.h"

namespace {

std::string Printable(const std::string& text) {
  std::string clean = text;
  for (char& c : clean) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) c = ' ';
  }
  return clean;
}

}  // namespace

std::string BuildTestReceipt(const TestReceipt& receipt) {
  std::string bytes = "\x1B@";                       // initialise
  bytes += "\x1B" "a\x01" "\x1B" "E\x01";            // centred, bold
  bytes += "TEST RECEIPT\n";
  bytes += "\x1B" "E" + std::string(1, '\0') + "\x1B" "a" + std::string(1, '\0');  // plain, left
  bytes += "Printer: " + Printable(receipt.printer) + "\n";
  bytes += "Port:    " + Printable(receipt.port) + "\n";
  bytes += "Target:  " + Printable(receipt.target) + "\n";
  bytes += "Date:    " + Printable(receipt.when) + "\n";
  bytes += "Version: " + (receipt.version.empty() ? std::string("(none)") : Printable(receipt.version)) + "\n";
  bytes += "\x1B" "d\x04";                           // feed four lines
  bytes += "\x1D" "VB" + std::string(1, '\0');        // feed to the cutter, partial cut
  return bytes;
}
