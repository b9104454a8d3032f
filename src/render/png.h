// Saving a pixel buffer as an 8-bit RGBA PNG file.
#pragma once

#include "render/pixmap.h"
#include "support/text.h"

namespace tracewell {

// Writes `pixmap` to `path` (see nativepath) as a truecolour-with-alpha PNG,
// 8 bits per channel, no interlacing, zlib level `level` clamped to 0..9, and
// no chunks besides IHDR, IDAT and IEND. The image goes to a new file in the
// same folder first and replaces `path` only once all of it was written, so a
// failure never damages an existing file. Returns 1 on success; 0 when the
// file cannot be made, the buffer has no pixels, the encoder fails or the file
// system refuses bytes, leaving no file behind. Prints nothing.
int WritePNG(const TPixmap& pixmap, const text& path, int level);

}  // namespace tracewell
