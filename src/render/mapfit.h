// How map units become pixels: a map's bounds, and their exact integer fit into an image.
#pragma once

#include <cstdint>

#include "game/mapbounds.h"
#include "render/widemath.h"

namespace tracewell {

// How map units become pixels: the map's bounds scaled, keeping proportions,
// into the image less `margin` on every side, and centred. All arithmetic is
// exact in integers, total for any sizes: a side scaled past the inner area is
// shrunk to fit when the inner area is at least 1 x 1, and an extent of 0 puts
// every point on the centre line of that axis. Every result depends on the
// coordinates only through ratios of their differences, so scaling all of
// them by one factor (such as 65536 for 1/65536 units) changes no pixel.
// Coordinates up to +-2^47 keep every product within 128 bits.
struct mapfit {
  std::int64_t leastx = 0, leasty = 0;
  std::int64_t dx = 0, dy = 0;  // extents of the bounds
  std::int64_t w = 0, h = 0;    // size of the drawing, less one, in pixels
  std::int64_t offx = 0, offy = 0;
  // The scale: scalepixels pixels per scaleunits vertex units, from the side
  // that fixes it (0 / 0 when both extents are 0).
  std::int64_t scalepixels = 0, scaleunits = 0;

  static mapfit make(std::int64_t leastx, std::int64_t leasty, std::int64_t greatestx, std::int64_t greatesty,
                     std::int32_t width, std::int32_t height, std::int32_t margin);
  static mapfit make(const mapbounds& b, std::int32_t width, std::int32_t height, std::int32_t margin);
  // Pixel column of map x and pixel row of map y, truncated toward zero. For
  // a point within the bounds they stay within +-2^35, whatever the sizes.
  std::int64_t column(std::int64_t x) const;
  std::int64_t row(std::int64_t y) const;
  // The same for any coordinate within +-2^47, far outside the bounds too.
  int128 widecolumn(std::int64_t x) const;
  int128 widerow(std::int64_t y) const;
  // The column and row before truncation, for writers that place points between pixels: the exact
  // fraction rounded to a double, kept on the side of the whole number that column and row truncate
  // to, so that truncating it gives column and row again for a point within the bounds.
  double exactcolumn(std::int64_t x) const;
  double exactrow(std::int64_t y) const;
};

}  // namespace tracewell
