// Produces the per-printer printer description from the payload's GPD: the
// resource DLL line and the three paper names are rewritten, and in an English
// installation the Chinese option names are translated.
#pragma once

namespace driver {

constexpr int kGpdLineBufferSize = 256;
constexpr int kGpdReadLimit = 255;  // fgets-style limit: at most 254 bytes per read

// Copies sourcePath to targetPath in pieces of at most 254 bytes (up to and
// including a line feed). Pieces that are not rewritten pass through byte for
// byte, NULs included. languageFlag 0 means English. Errors are not reported: a
// missing source leaves an empty target, a target that cannot be created gets
// nothing.
void CustomizeGpd(const char* sourcePath, const char* targetPath, const char* resourceDllName,
                  const char* printerName, const char* modelLine, int languageFlag);

}  // namespace driver
