// Reads text files in the pieces fgets would return, but reports how many bytes
// each piece really holds, so a NUL inside a line does not cut it short.
#pragma once

#include <cstddef>
#include <cstdio>

namespace driver {

// Like fgets(buffer, limit, file): reads at most limit - 1 bytes, stopping after a
// line feed, and terminates them with a NUL. buffer must hold at least limit bytes.
// Returns the number of bytes read; 0 means end of file (or a read error) before
// any byte, or limit < 2.
size_t ReadLinePiece(FILE* file, char* buffer, size_t limit);

}  // namespace driver
