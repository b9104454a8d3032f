// How map units become pixels: a map's bounds, and their exact integer fit into an image.
#include "render/mapfit.h"

#include <algorithm>
#include <cmath>

namespace tracewell {

namespace {

// trunc(n / d) for d > 0, as a 64-bit value; callers keep the quotient in range.
std::int64_t quotient(int128 n, std::int64_t d) {
  return static_cast<std::int64_t>(n / d);
}

// n / d for d > 0 as a double whose truncation is trunc(n / d) while that quotient fits a double exactly.
double exactquotient(int128 n, std::int64_t d) {
  const int128 whole = n / d;
  const double q = static_cast<double>(whole);
  const double v = q + static_cast<double>(n % d) / static_cast<double>(d);
  // Near a whole number the sum can round onto the next one.
  if (std::trunc(v) != q) return std::nextafter(v, q);
  return v;
}

}  // namespace

mapfit mapfit::make(const mapbounds& b, std::int32_t width, std::int32_t height, std::int32_t margin) {
  return make(b.leastx, b.leasty, b.greatestx, b.greatesty, width, height, margin);
}

mapfit mapfit::make(std::int64_t leastx, std::int64_t leasty, std::int64_t greatestx, std::int64_t greatesty,
                    std::int32_t width, std::int32_t height, std::int32_t margin) {
  mapfit f;
  f.leastx = leastx;
  f.leasty = leasty;
  f.dx = std::max<std::int64_t>(greatestx - leastx, 0);
  f.dy = std::max<std::int64_t>(greatesty - leasty, 0);
  // The inner area; zero or negative when the margins meet.
  const std::int64_t innerw = std::int64_t{width} - 2 * std::int64_t{margin};
  const std::int64_t innerh = std::int64_t{height} - 2 * std::int64_t{margin};
  // The longer extent fills its side of the inner area; the other keeps the proportion.
  if (f.dx > f.dy) {
    f.w = innerw;
    f.h = quotient(int128{f.dy} * innerw, f.dx);
    f.scalepixels = innerw;
    f.scaleunits = f.dx;
  } else if (f.dy > 0) {
    f.h = innerh;
    f.w = quotient(int128{f.dx} * innerh, f.dy);
    f.scalepixels = innerh;
    f.scaleunits = f.dy;
  }
  // When the image's proportions differ more than the map's, that side can
  // outgrow the inner area; then the other side gives the scale instead.
  if (innerw >= 1 && innerh >= 1) {
    if (f.dx > f.dy && f.h > innerh) {
      f.h = innerh;
      f.w = quotient(int128{f.dx} * innerh, f.dy);
      f.scalepixels = innerh;
      f.scaleunits = f.dy;
    } else if (f.dx <= f.dy && f.w > innerw) {
      f.w = innerw;
      f.h = quotient(int128{f.dy} * innerw, f.dx);
      f.scalepixels = innerw;
      f.scaleunits = f.dx;
    }
  }
  f.offx = (std::int64_t{width} - f.w) / 2;
  f.offy = (std::int64_t{height} - f.h) / 2;
  return f;
}

// The offset sits inside the truncation: (x - least) / extent * size + offset as one exact fraction.
std::int64_t mapfit::column(std::int64_t x) const {
  return static_cast<std::int64_t>(widecolumn(x));
}

std::int64_t mapfit::row(std::int64_t y) const {
  return static_cast<std::int64_t>(widerow(y));
}

int128 mapfit::widecolumn(std::int64_t x) const {
  return dx > 0 ? (int128{x - leastx} * w + int128{offx} * dx) / dx : offx;
}

int128 mapfit::widerow(std::int64_t y) const {
  return dy > 0 ? (int128{y - leasty} * h + int128{offy} * dy) / dy : offy;
}

double mapfit::exactcolumn(std::int64_t x) const {
  return dx > 0 ? exactquotient(int128{x - leastx} * w + int128{offx} * dx, dx) : static_cast<double>(offx);
}

double mapfit::exactrow(std::int64_t y) const {
  return dy > 0 ? exactquotient(int128{y - leasty} * h + int128{offy} * dy, dy) : static_cast<double>(offy);
}

}  // namespace tracewell
