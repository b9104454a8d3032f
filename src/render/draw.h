// Line drawing and colour blending on a pixel buffer.
#pragma once

#include <cstdint>

#include "render/pixmap.h"

namespace tracewell {

// Coordinates drawline accepts: within plus or minus this value.
inline constexpr std::int64_t drawlimit = std::int64_t{1} << 60;

// Draws the line from (x0, y0) to (x1, y1), both ends included, with the
// all-octant Bresenham walk (error dx - dy; each step tests one shared doubled
// error, x first), blending `color` into each pixel as blendpixel does.
// Pixels outside the buffer are skipped, never moved to the edge; the walk is
// clipped to the buffer before it starts, so the cost follows the visible
// part. Returns max(|dx|, |dy|) + 1, the pixels of the whole line. With any
// coordinate beyond +-drawlimit nothing is drawn and 0 is returned.
std::int64_t drawline(TPixmap& buffer, std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1,
                      std::int32_t color);

// Blends `color` over the pixel at (x, y) with blendcolor(color, pixel, alpha, -1)
// and stores the result; a point outside the buffer is skipped. Returns 0.
int blendpixel(TPixmap& buffer, std::int64_t x, std::int64_t y, std::int32_t color, std::int32_t alpha);

// `source` drawn over `destination` (both ARGB). `alpha` scales the source's
// own alpha (255: unscaled, 0 or below: no change, above 255: capped at
// opaque). `mode` picks what changes: 8 alpha (composited), 4 red, 2 green,
// 1 blue (mixed by the source alpha); -1 means 15, 0 changes nothing. Integer
// divisions truncate; every channel stays within 0..255.
std::int32_t blendcolor(std::int32_t source, std::int32_t destination, std::int32_t alpha, std::int32_t mode);

}  // namespace tracewell
