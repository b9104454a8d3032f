// Lines wider than one pixel, and anti-aliased lines, drawn by sample coverage.
#pragma once

#include <cstdint>

#include "render/pixmap.h"

namespace tracewell {

// Coordinates drawstyledline accepts for a wide or smooth line: within plus
// or minus this value (the renderer's points stay far inside it).
inline constexpr std::int64_t widelimit = std::int64_t{1} << 40;

// How a line is drawn: `width` in pixels (1 to 16) and anti-aliasing on or
// off. Width 1 without anti-aliasing is drawline's one-pixel line.
struct linestyle {
  std::int32_t width = 1;
  bool antialias = false;

  // The style of two settings numbers: a width of 1 or less gives 1, above
  // 16 gives 16; anti-aliasing is on for 1 alone.
  static linestyle fromsettings(std::int32_t width, std::int32_t antialias);
  bool plain() const { return width <= 1 && !antialias; }
};

// Draws the line from (x0, y0) to (x1, y1) in `color` with `style`. A plain
// style is drawline. Otherwise each pixel has 16 samples at the offsets
// -3/8, -1/8, 1/8, 3/8 from its centre on both axes; a sample is inside
// when its distance to the infinite line is at most width / 2 and its
// projection on the line lies within width / 2 before the start and after
// the end (square ends; equal end points give the width x width square).
// Without anti-aliasing a pixel with 8 or more inside samples is blended as
// blendpixel does with alpha 255; with it, a pixel with k >= 1 inside
// samples with alpha (255 k + 8) / 16. Every pixel is blended at most once,
// decided exactly in integers; only pixels inside the buffer are visited,
// so the cost follows the visible part. With any coordinate beyond
// +-widelimit a wide or smooth line draws nothing. With `changed` given, a
// wide or smooth line sets *changed when it gives some pixel another value,
// and a plain line always sets it.
void drawstyledline(TPixmap& buffer, std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1,
                    std::int32_t color, const linestyle& style, bool* changed = nullptr);

}  // namespace tracewell
