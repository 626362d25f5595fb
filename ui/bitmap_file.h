// Whether a bitmap file holds the whole picture its headers describe. The painter
// loads only such files: a torn one (a damaged package entry, cut off at a 16 KB
// step) gives no picture anyway, and Wine's loader keeps a torn file open and
// mapped until the program ends, so the run's folder could not be removed.
#pragma once

#include <cstddef>

namespace ui {

// The bytes a check needs from the start of the file.
constexpr size_t kBitmapHeadBytes = 54;

// head: the first headSize bytes of the file (kBitmapHeadBytes suffice), fileSize:
// its whole size. True for a "BM" file whose pixel data, as its file and info
// headers describe them, lie inside fileSize bytes.
bool BitmapFileIsWhole(const unsigned char* head, size_t headSize, unsigned long long fileSize);

}  // namespace ui
