#include "driver/line_reader.h"

namespace driver {

size_t ReadLinePiece(FILE* file, char* buffer, size_t limit) {
  if (limit == 0) return 0;
  size_t count = 0;
  while (count + 1 < limit) {
    int c = getc(file);
    if (c == EOF) break;
    buffer[count++] = static_cast<char>(c);
    if (c == '\n') break;
  }
  buffer[count] = '\0';
  return count;
}

}  // namespace driver
