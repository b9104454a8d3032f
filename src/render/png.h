// Saving a pixel buffer as an 8-bit RGBA PNG file.
#pragma once

#include <optional>

#include "render/pixmap.h"
#include "support/outputfile.h"
#include "support/text.h"

namespace tracewell {

// How an image's pixels become PNG bytes. `standard` is the truecolour file
// described below, byte for byte as it always was; `compact` decodes to the
// same pixels in far less time and space (see compactpng.h).
enum class pngencoding { standard, compact };

// The words that name the encodings in the settings and on the command line, matched without regard to case.
struct pngencodingname {
  const char16_t* word;
  pngencoding encoding;
};
inline constexpr pngencodingname pngencodingnames[] = {{u"standard", pngencoding::standard},
                                                       {u"compact", pngencoding::compact}};

// The encoding `word` names in any case; nullopt for any other word.
std::optional<pngencoding> findpngencoding(const text& word);

// Writes `pixmap` into `out`, a file opened already, as a truecolour-with-alpha PNG, 8 bits per
// channel, no interlacing, zlib level `level` clamped to 0..9, and no chunks besides IHDR, IDAT and
// IEND; with `compact` the level is not used, the file holds what compactpng.h says, and its encoder
// may use up to `cores` threads, the caller's among them. Finishes `out` but does not commit it: the
// caller, which opened it, puts it in place. Fails (nocontent, and the new file goes) when the buffer
// has no pixels or the encoder gives up, or with the file's own problem. Prints nothing. Several
// threads may write images at once.
outputstatus WritePNG(const TPixmap& pixmap, outputfile& out, int level,
                      pngencoding encoding = pngencoding::standard, std::size_t cores = 1);

// The same to `path` (see nativepath) through an outputfile, which says which targets are replaced and
// how, put in place when complete; no file is made for a buffer without pixels.
outputstatus WritePNG(const TPixmap& pixmap, const text& path, int level);

}  // namespace tracewell
