// hold-file.exe PATH STOPFILE: opens PATH for reading without letting anyone write
// or delete it (as the spooler holds a monitor DLL it has loaded), prints "held"
// once it has it, and lets go when STOPFILE exists (at the latest after five
// minutes). Exit 0 when it held the file, 2 when it could not open it.
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: hold-file.exe PATH STOPFILE\n");
    return 2;
  }
  HANDLE file = CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    std::fprintf(stderr, "hold-file: cannot open %s: error %lu\n", argv[1], GetLastError());
    return 2;
  }
  std::printf("held\n");
  std::fflush(stdout);
  for (int i = 0; i < 3000 && GetFileAttributesA(argv[2]) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(100);
  CloseHandle(file);
  return 0;
}
