// Runs the GPD rewrite over arbitrary bytes in both languages. Beyond the
// sanitizers: an input that holds none of the keys must come out unchanged.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "driver/gpd_customizer.h"

namespace {

std::string g_dir;

bool WriteAll(const std::string& path, const uint8_t* data, size_t size) {
  FILE* file = fopen(path.c_str(), "wb");
  if (!file) return false;
  bool ok = fwrite(data, 1, size, file) == size;
  return fclose(file) == 0 && ok;
}

std::string ReadAll(const std::string& path) {
  std::string bytes;
  FILE* file = fopen(path.c_str(), "rb");
  if (!file) return bytes;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, n);
  fclose(file);
  return bytes;
}

bool Contains(const uint8_t* data, size_t size, const char* needle) {
  return memmem(data, size, needle, strlen(needle)) != nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (g_dir.empty()) {
    char pattern[] = "/tmp/gpd-fuzz-XXXXXX";
    if (!mkdtemp(pattern)) abort();
    g_dir = pattern;
  }
  const std::string source = g_dir + "/in.gpd";
  const std::string target = g_dir + "/out.gpd";
  if (!WriteAll(source, data, size)) abort();

  const bool noLineKeys = !Contains(data, size, "*ResourceDLL:") && !Contains(data, size, "*rcNameID: 85");
  const bool noNames = !Contains(data, size, "*Name: \"");
  for (int language : {0, 1}) {
    driver::CustomizeGpd(source.c_str(), target.c_str(), "PrinterRES.dll", "Kelo-80-Series",
                         "Model=Rillo-58", language);
    // Without a key in the input no piece can hold one, so nothing may change.
    if (noLineKeys && (language != 0 || noNames)) {
      std::string out = ReadAll(target);
      if (out.size() != size || memcmp(out.data(), data, size) != 0) __builtin_trap();
    }
  }
  return 0;
}
