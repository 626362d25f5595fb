// Fuzzes the install configuration reader: any file content must leave every
// section and name buffer terminated inside its bounds, and the file deleted.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/install_config.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  char path[] = "/tmp/install-config-fuzz-XXXXXX";
  int fd = mkstemp(path);
  if (fd < 0) return 0;
  if (write(fd, data, size) != static_cast<ssize_t>(size)) {
    close(fd);
    unlink(path);
    return 0;
  }
  close(fd);

  static InstallConfig config;
  std::memset(&config, 0, sizeof config);
  if (!ReadInstallConfig(path, &config)) __builtin_trap();
  for (auto& section : config.sections)
    if (!std::memchr(section, 0, kConfigSectionSize)) __builtin_trap();
  for (auto& name : config.names)
    if (!std::memchr(name, 0, kConfigNameSize)) __builtin_trap();
  if (access(path, F_OK) == 0) {
    unlink(path);
    __builtin_trap();  // the reader deletes what it read
  }
  return 0;
}
