// print-job.exe PRINTER FILE [DOCUMENT]: sends FILE's bytes to PRINTER as one raw job
// through the spooler, as an application that prints receipts does: OpenPrinter,
// StartDocPrinter with the "RAW" datatype, WritePrinter in pieces, EndDocPrinter.
// Prints each call's result ("StartDocPrinter job=N", "WritePrinter bytes=N",
// "EndDocPrinter ok" or "<call> failed error=N") and exits 0 when every call
// succeeded, 1 when one failed, 2 for bad usage or an unreadable file. Under Wine the
// spooler runs in this process, so the port monitor does its work inside these
// calls. The end-to-end print test drives it.
#include <windows.h>
#include <winspool.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

int Failed(const char* call) {
  std::printf("%s failed error=%lu\n", call, static_cast<unsigned long>(GetLastError()));
  return 1;
}

bool ReadWhole(const wchar_t* path, std::vector<char>* bytes) {
  const HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  char chunk[65536];
  DWORD read = 0;
  bool ok = true;
  while ((ok = ReadFile(file, chunk, sizeof chunk, &read, nullptr) != FALSE) && read > 0)
    bytes->insert(bytes->end(), chunk, chunk + read);
  CloseHandle(file);
  return ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3 || argc > 4) {
    std::printf("usage: print-job PRINTER FILE [DOCUMENT]\n");
    return 2;
  }
  std::vector<char> job;
  if (!ReadWhole(argv[2], &job)) {
    std::printf("cannot read the file error=%lu\n", static_cast<unsigned long>(GetLastError()));
    return 2;
  }
  std::wstring printerName = argv[1];
  std::wstring document = argc == 4 ? argv[3] : L"Receipt";
  std::wstring datatype = L"RAW";
  HANDLE printer = nullptr;
  if (!OpenPrinterW(&printerName[0], &printer, nullptr)) return Failed("OpenPrinter");
  DOC_INFO_1W info = {&document[0], nullptr, &datatype[0]};
  const DWORD id = StartDocPrinterW(printer, 1, reinterpret_cast<BYTE*>(&info));
  if (id == 0) {
    const int result = Failed("StartDocPrinter");
    ClosePrinter(printer);
    return result;
  }
  std::printf("StartDocPrinter job=%lu\n", static_cast<unsigned long>(id));
  size_t sent = 0;
  while (sent < job.size()) {
    const DWORD piece = job.size() - sent < 16384 ? static_cast<DWORD>(job.size() - sent) : 16384;
    DWORD written = 0;
    if (!WritePrinter(printer, &job[sent], piece, &written) || written == 0) {
      const int result = Failed("WritePrinter");
      AbortPrinter(printer);
      ClosePrinter(printer);
      return result;
    }
    sent += written;
  }
  std::printf("WritePrinter bytes=%lu\n", static_cast<unsigned long>(sent));
  if (!EndDocPrinter(printer)) {
    const int result = Failed("EndDocPrinter");
    ClosePrinter(printer);
    return result;
  }
  std::printf("EndDocPrinter ok\n");
  ClosePrinter(printer);
  return 0;
}
