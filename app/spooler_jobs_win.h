// What the unattended installation asks of the spooler besides the registration:
// the configured port's target (the port monitor's own XcvData "SetTarget", which
// checks it by the monitor's rules) and a raw test job.
#pragma once

#include <string>

// The Win32 error code, 0 when the monitor took the target.
unsigned long SetPortTarget(const std::string& port, const std::string& target);

// The port's target as its monitor gives it (XcvData "GetTarget"); "" when it does
// not.
std::string GetPortTarget(const std::string& port);

// One raw job of bytes to the printer: OpenPrinter, StartDocPrinter ("RAW"),
// WritePrinter, EndDocPrinter. The Win32 error code, 0 when every byte went.
unsigned long SendRawJob(const std::string& printer, const std::string& document, const std::string& bytes);
