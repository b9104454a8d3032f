// Test helper: the line rule walked point by point, with no clipping, as a reference for drawline.
#pragma once

#include <cstdint>
#include <cstdlib>

#include "render/draw.h"

namespace tracewell::testkit {

// Every point of the walk from (x0, y0) to (x1, y1) goes through blendpixel,
// inside the buffer or not; returns the number of points.
inline std::int64_t plainline(TPixmap& p, std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1,
                              std::int32_t color) {
  const std::int64_t dx = std::abs(x1 - x0), dy = std::abs(y1 - y0);
  const std::int64_t sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  std::int64_t err = dx - dy, count = 0;
  for (;;) {
    blendpixel(p, x0, y0, color, 255);
    ++count;
    if (x0 == x1 && y0 == y1) return count;
    const std::int64_t e2 = 2 * err;
    if (e2 > -dy) {
      err -= dy;
      x0 += sx;
    }
    if (e2 < dx) {
      err += dx;
      y0 += sy;
    }
  }
}

}  // namespace tracewell::testkit
