// Where the bytes of one job go: a file in a folder, a TCP connection or a serial
// port. A sink is made by StartDocPort, written by WritePort and finished by
// EndDocPort; results are Win32 (or Winsock) error codes, which the monitor hands to
// the spooler through SetLastError so that it can retry or pause the job.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "monitor/port_target.h"

namespace monitor {

class JobSink {
 public:
  // A sink that is neither finished nor discarded discards what it has.
  virtual ~JobSink() = default;
  // Writes all of data or fails; *written: how much went out before a failure.
  virtual DWORD Write(const BYTE* data, DWORD size, DWORD* written) = 0;
  // Ends the job cleanly: every byte is where it belongs (the file has its name, the
  // connection is shut down); an error when the job did not go out whole.
  virtual DWORD Finish() = 0;
  // Ends a job the spooler no longer wants (cancelled, or to be sent again): nothing
  // of it stays where a reader would take it for a job.
  virtual void Discard() = 0;
  // After a failed write: whether only the whole job sent again from its start can
  // make it whole: what went out over a TCP connection that was cut off is unknown,
  // and a file that could not be written is thrown away. (A serial port counts what
  // went out exactly, so the spooler's retry of the rest serves.)
  virtual bool MustRestart() const { return false; }
};

struct JobStart {
  DWORD jobId = 0;
  std::u16string document;
  // A write that makes no progress for this long fails (a printer that is off, out
  // of paper or holds CTS low).
  DWORD stallMilliseconds = 30000;
};

// Opens target for one job: a new temporary file in the folder (which is made when
// missing and must be one SYSTEM can trust: job_folder_win.h), a TCP connection or
// the serial port.
DWORD OpenJobSink(const Target& target, const JobStart& job, std::unique_ptr<JobSink>* sink);

// The three kinds, one file each.
DWORD OpenFolderSink(const std::u16string& folder, const JobStart& job, std::unique_ptr<JobSink>* sink);
DWORD OpenTcpSink(const std::string& host, uint16_t port, const JobStart& job, std::unique_ptr<JobSink>* sink);
DWORD OpenSerialSink(unsigned comPort, uint32_t baud, const JobStart& job, std::unique_ptr<JobSink>* sink);

}  // namespace monitor
