// Runs the UI configuration rewrite over arbitrary bytes. Beyond the sanitizers:
// an input without either key comes out unchanged, and every rewritten line ends
// in CR LF, so the output never holds a picture line glued to the next one.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/fuzz/fuzz_files.h"
#include "driver/ui_config_rewriter.h"

using fuzz_files::ReadAll;
using fuzz_files::WriteAll;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& dir = fuzz_files::ScratchDir("/tmp/uiconfig-fuzz-XXXXXX");
  const std::string source = dir + "/UIConfig.txt";
  const std::string target = dir + "/PUIConfig.txt";
  if (!WriteAll(source, data, size)) abort();

  // The folder is long enough that big lines reach the end of the output buffer.
  const std::string folder(300, 'F');
  driver::RewriteUIConfig(source.c_str(), target.c_str(), folder.c_str());
  std::string out = ReadAll(target);

  // Both keys end in '='.
  if (!memchr(data, '=', size) && (out.size() != size || memcmp(out.data(), data, size) != 0)) {
    __builtin_trap();
  }

  // Each piece on its own, as the rewriter sees it: a picture line is at most 511
  // bytes and ends in CR LF.
  char output[driver::kUiConfigLineSize + 1];
  output[driver::kUiConfigLineSize] = 'G';
  std::string line(reinterpret_cast<const char*>(data), size);
  if (driver::RewritePictureLine(line.c_str(), folder.c_str(), output)) {
    size_t n = strlen(output);
    if (output[driver::kUiConfigLineSize] != 'G' || n >= driver::kUiConfigLineSize || n < 2 ||
        output[n - 2] != '\r' || output[n - 1] != '\n') {
      __builtin_trap();
    }
  }
  return 0;
}
