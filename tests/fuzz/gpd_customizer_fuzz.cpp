// Runs the GPD rewrite over arbitrary bytes in both languages. Beyond the
// sanitizers: an input that holds none of the keys must come out unchanged.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/fuzz/fuzz_files.h"
#include "driver/gpd_customizer.h"

namespace {

using fuzz_files::ReadAll;
using fuzz_files::WriteAll;

bool Contains(const uint8_t* data, size_t size, const char* needle) {
  return memmem(data, size, needle, strlen(needle)) != nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& dir = fuzz_files::ScratchDir("/tmp/gpd-fuzz-XXXXXX");
  const std::string source = dir + "/in.gpd";
  const std::string target = dir + "/out.gpd";
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
