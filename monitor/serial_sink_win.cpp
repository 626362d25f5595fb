// A serial job: the receipt printer's line, 8 data bits, no parity, 1 stop bit and
// RTS/CTS handshake at the target's speed (19200 unless it names another). Writes go
// out in pieces of about a quarter of a second of line time, each with a timeout, so
// that a printer that is off or holds CTS low fails the write within the job's stall
// time; what did go out is counted exactly, so the spooler's retry sends the rest.
#include <string>
#include <utility>

#include "app/unique_handle_win.h"
#include "monitor/job_sink_win.h"

namespace monitor {

namespace {

class SerialSink : public JobSink {
 public:
  SerialSink(UniqueHandle port, DWORD chunk) : port_(std::move(port)), chunk_(chunk) {}

  DWORD Write(const BYTE* data, DWORD size, DWORD* written) override {
    *written = 0;
    if (!port_) return ERROR_INVALID_HANDLE;
    while (*written < size) {
      const DWORD piece = size - *written < chunk_ ? size - *written : chunk_;
      DWORD step = 0;
      if (!WriteFile(port_.get(), data + *written, piece, &step, nullptr)) return GetLastError();
      *written += step;
      if (step < piece) return ERROR_TIMEOUT;  // the write's timeout ran out first
    }
    return ERROR_SUCCESS;
  }

  DWORD Finish() override {
    if (!port_) return ERROR_INVALID_HANDLE;
    port_.Reset();
    return ERROR_SUCCESS;
  }

  void Discard() override { port_.Reset(); }

 private:
  UniqueHandle port_;
  DWORD chunk_;
};

}  // namespace

DWORD OpenSerialSink(unsigned comPort, uint32_t baud, const JobStart& job, std::unique_ptr<JobSink>* sink) {
  const std::wstring device = L"\\\\.\\COM" + std::to_wstring(comPort);
  UniqueHandle port(CreateFileW(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr));
  if (!port) return GetLastError();
  DCB line = {};
  line.DCBlength = sizeof line;
  if (!GetCommState(port.get(), &line)) return GetLastError();
  line.BaudRate = baud;
  line.ByteSize = 8;
  line.Parity = NOPARITY;
  line.StopBits = ONESTOPBIT;
  line.fBinary = TRUE;
  line.fParity = FALSE;
  line.fOutxCtsFlow = TRUE;
  line.fRtsControl = RTS_CONTROL_HANDSHAKE;
  line.fOutxDsrFlow = FALSE;
  line.fDtrControl = DTR_CONTROL_ENABLE;
  line.fDsrSensitivity = FALSE;
  line.fOutX = FALSE;
  line.fInX = FALSE;
  line.fNull = FALSE;
  line.fAbortOnError = FALSE;
  if (!SetCommState(port.get(), &line)) return GetLastError();
  // A byte is 10 bits on the line. Each piece may take twice its line time plus
  // what is left of the stall time; nothing is read back.
  const DWORD chunk = baud / 40 < 16 ? 16 : baud / 40;
  const DWORD perByte = (20000 + baud - 1) / baud;
  const DWORD pieceTime = perByte * chunk;
  COMMTIMEOUTS timeouts = {};
  timeouts.ReadIntervalTimeout = MAXDWORD;
  timeouts.WriteTotalTimeoutMultiplier = perByte;
  timeouts.WriteTotalTimeoutConstant = job.stallMilliseconds > pieceTime + 1000 ? job.stallMilliseconds - pieceTime : 1000;
  if (!SetCommTimeouts(port.get(), &timeouts)) return GetLastError();
  sink->reset(new SerialSink(std::move(port), chunk));
  return ERROR_SUCCESS;
}

}  // namespace monitor
