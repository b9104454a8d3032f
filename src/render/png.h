// Saving a pixel buffer as an 8-bit RGBA PNG file.
#pragma once

#include <vector>

#include "render/pixmap.h"
#include "support/path.h"
#include "support/text.h"

namespace tracewell {

// Writes `pixmap` to `path` (see nativepath) as a truecolour-with-alpha PNG,
// 8 bits per channel, no interlacing, zlib level `level` clamped to 0..9, and
// no chunks besides IHDR, IDAT and IEND. The image goes to a new file in the
// same folder first and replaces the target only once all of it was written,
// so a failure never damages an existing file; SIGINT, SIGTERM and SIGHUP
// remove the new file before they end the process (see tempfileguard).
//
// The target is the file that `path` finally names through symbolic links
// (the links stay). A replaced file keeps its permission bits and, for root,
// its owner and group; a new one gets 0666 less the umask. A character device
// is written to directly. The write fails when the target is another kind of
// file that is not a regular one, a regular file the user may not write
// (access W_OK), or one of the files in `keep` (the program's own inputs).
//
// Returns 1 on success; 0 when the file cannot be made, the buffer has no
// pixels, the encoder fails or the file system refuses bytes, leaving no file
// behind. Prints nothing. Several threads may write images at once.
int WritePNG(const TPixmap& pixmap, const text& path, int level, const std::vector<fileid>& keep = {});

}  // namespace tracewell
