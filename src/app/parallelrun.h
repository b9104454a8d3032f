// How many maps a run keeps in flight.
#pragma once

#include <cstddef>
#include <cstdint>

#include "render/png.h"

namespace tracewell {

// Pixel buffers in flight together stay within this many bytes.
inline constexpr std::int64_t inflightbytes = std::int64_t{1} << 30;

// How many maps of width x height a run keeps in flight: one per core
// (at least one), fewer where their buffers would pass inflightbytes, and no
// more than the temporary files that can be guarded at once. 1 means one map
// after another, the plain run. The compact encoder's palette indices (a byte
// a pixel) count with each buffer.
std::size_t mapsinflight(std::int32_t width, std::int32_t height, pngencoding png = pngencoding::standard);

}  // namespace tracewell
