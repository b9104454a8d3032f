// Saving a pixel buffer as an 8-bit RGBA PNG file.
#pragma once

#include <vector>

#include "render/pixmap.h"
#include "support/outputfile.h"
#include "support/path.h"
#include "support/text.h"

namespace tracewell {

// Writes `pixmap` to `path` (see nativepath) as a truecolour-with-alpha PNG,
// 8 bits per channel, no interlacing, zlib level `level` clamped to 0..9, and
// no chunks besides IHDR, IDAT and IEND, through an outputfile: which targets
// are replaced and how is said there. Fails (nocontent) when the buffer has no
// pixels or the encoder gives up, or with the file's own problem, leaving no
// file behind. Prints nothing. Several threads may write images at once.
outputstatus WritePNG(const TPixmap& pixmap, const text& path, int level,
                      const std::vector<fileid>& keep = {});

// The same image into a file opened already, which this finishes but does not
// commit: a run that writes on several threads renames in its own order.
outputstatus WritePNG(const TPixmap& pixmap, outputfile& out, int level);

}  // namespace tracewell
