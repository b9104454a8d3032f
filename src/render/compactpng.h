// The compact PNG encoder: a palette where the picture allows one, deflate tuned for speed.
#pragma once

#include <cstdio>

#include "render/pixmap.h"

namespace tracewell {

// Writes `pixmap` (at least 1 x 1) to `file` as a PNG that decodes to the same
// RGBA pixels as the standard writer's. An image of at most 256 colours
// (alpha counts: two colours differing only in alpha are two) becomes a
// palette image of 1, 2, 4 or 8 bits per pixel by its colour count, the
// palette in the order the colours first appear row by row, with a tRNS chunk
// only when a colour is not opaque, Up-filtered and deflated by libdeflate.
// Any other image is 8-bit RGBA, Up-filtered and deflated by zlib in bands
// (deflatebands.h). Counting the colours stops at the 257th and is the same
// pass that gives each pixel its palette index. No chunks besides IHDR, PLTE,
// tRNS, IDAT and IEND. The bands spread over up to `cores` threads; the bytes
// depend on the pixels alone. False when memory runs out or the file refuses
// bytes.
bool writecompactpng(const TPixmap& pixmap, std::FILE* file, std::size_t cores = 1);

}  // namespace tracewell
