// Runs the UI configuration rewrite over arbitrary bytes. Beyond the sanitizers:
// an input without either key comes out unchanged, and every rewritten line ends
// in CR LF, so the output never holds a picture line glued to the next one.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "driver/ui_config_rewriter.h"

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (g_dir.empty()) {
    char pattern[] = "/tmp/uiconfig-fuzz-XXXXXX";
    if (!mkdtemp(pattern)) abort();
    g_dir = pattern;
  }
  const std::string source = g_dir + "/UIConfig.txt";
  const std::string target = g_dir + "/PUIConfig.txt";
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
