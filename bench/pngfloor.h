// The PNG-encoding floor: a pixel buffer encoded by libpng alone, into memory.
#pragma once

#include <vector>

#include "render/pixmap.h"

namespace tracewell::bench {

// Encodes `pixmap` with the settings of the tool's writer (8-bit RGBA, no
// interlacing, zlib level `level`, the library's default filters, the whole
// image in one call) into `out`, replacing its contents but keeping its
// capacity, so that a reused vector costs no reallocation. No file and no
// copy of the pixels are involved. False when libpng reports an error (for
// example a buffer without pixels); `out` then holds what was written.
bool floorencode(const TPixmap& pixmap, int level, std::vector<unsigned char>& out);

}  // namespace tracewell::bench
