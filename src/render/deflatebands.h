// One zlib stream compressed in bands side by side: the same bytes however many cores take part.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

namespace tracewell {

// Makes row `y` of the data (its `rowbytes` bytes, a PNG row's filter byte
// first) at `out`. Called from several threads at once.
using rowmaker = std::function<void(std::int64_t y, std::uint8_t* out)>;

// Takes the next piece of the stream, on the calling thread; false stops the
// stream (the file refused bytes, say).
using pieceout = std::function<bool(std::span<const std::uint8_t>)>;

// Data of at least this many bytes is compressed in bands.
inline constexpr std::uint64_t bandedbytes = std::uint64_t{4} << 20;

// How many bands `rows` rows of `rowbytes` bytes are cut into: one for data
// under bandedbytes, else one per 8 MiB, at least 2 and at most 8, never more
// than there are rows. Fixed by the size alone, so the bytes never depend on
// the machine or its load.
std::size_t bandcount(std::int64_t rows, std::size_t rowbytes);

// Deflates rows 0 to `rows` - 1 at zlib level `level` into one zlib stream
// and hands it to `out` in pieces, in order: one piece per band, the first
// opening with the stream's header, the last closing with its Adler-32.
// Each band of bandcount's is compressed on its own (raw deflate ending in a
// sync flush, the 32 KiB of data before it as its dictionary), so bands run
// on the ordered pool over up to `cores` threads, the caller's among them,
// and one after another for 1, with the same bytes. False when memory runs out or
// `out` stops the stream; what was handed on by then stays handed on.
bool deflatebands(std::int64_t rows, std::size_t rowbytes, int level, const rowmaker& row,
                  const pieceout& out, std::size_t cores);

}  // namespace tracewell
