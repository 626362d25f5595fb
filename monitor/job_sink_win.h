// Where the bytes of one job go: a new file in a folder, or a TCP connection. A sink
// is made by StartDocPort, written by WritePort and finished by EndDocPort; results
// are Win32 (or Winsock) error codes, which the monitor hands to the spooler through
// SetLastError so that it can retry or pause the job.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "monitor/port_target.h"

namespace monitor {

class JobSink {
 public:
  virtual ~JobSink() = default;
  // Writes all of data or fails; *written: how much went out before a failure.
  virtual DWORD Write(const BYTE* data, DWORD size, DWORD* written) = 0;
  // Ends the job cleanly (the file closed, the connection shut down).
  virtual DWORD Finish() = 0;
};

struct JobStart {
  DWORD jobId = 0;
  std::u16string document;
};

// Opens target for one job: creates the folder (with its parents) and a file of a
// name no file there has yet, or connects. connectMilliseconds bounds the wait for a
// TCP connection.
DWORD OpenJobSink(const Target& target, const JobStart& job, DWORD connectMilliseconds,
                  std::unique_ptr<JobSink>* sink);

}  // namespace monitor
