// Saving a pixel buffer as an 8-bit RGBA PNG file.
#pragma once

#include <optional>
#include <vector>

#include "render/pixmap.h"
#include "support/outputfile.h"
#include "support/path.h"
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

// Writes `pixmap` to `path` (see nativepath) as a truecolour-with-alpha PNG,
// 8 bits per channel, no interlacing, zlib level `level` clamped to 0..9, and
// no chunks besides IHDR, IDAT and IEND, through an outputfile: which targets
// are replaced and how is said there. Fails (nocontent) when the buffer has no
// pixels or the encoder gives up, or with the file's own problem, leaving no
// file behind. Prints nothing. Several threads may write images at once.
// With `compact` the level is not used, the file holds what compactpng.h says,
// and its encoder may use up to `cores` threads, the caller's among them.
outputstatus WritePNG(const TPixmap& pixmap, const text& path, int level,
                      const std::vector<fileid>& keep = {}, pngencoding encoding = pngencoding::standard,
                      std::size_t cores = 1);

// The same image into a file opened already, which this finishes but does not
// commit: a run that writes on several threads renames in its own order.
outputstatus WritePNG(const TPixmap& pixmap, outputfile& out, int level,
                      pngencoding encoding = pngencoding::standard, std::size_t cores = 1);

}  // namespace tracewell
