// Line drawing and colour blending on a pixel buffer.
#include "render/draw.h"

#include <algorithm>

#include "render/widemath.h"

namespace tracewell {

namespace {

// Follows the walk for `n` pixels from `p`, whose error term is `err`, calling
// plot on each. The caller has clipped the walk, so every pixel is inside.
template <typename Plot>
void walk(std::uint8_t* p, std::int64_t n, std::int64_t err, std::int64_t dx, std::int64_t dy,
          std::int64_t stepx, std::int64_t stepy, Plot plot) {
  for (;;) {
    plot(p);
    if (--n == 0) return;
    const std::int64_t e2 = 2 * err;
    if (e2 > -dy) {
      err -= dy;
      p += stepx;
    }
    if (e2 < dx) {
      err += dx;
      p += stepy;
    }
  }
}

}  // namespace

std::int64_t drawline(TPixmap& buffer, std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1,
                      std::int32_t color) {
  for (const std::int64_t v : {x0, y0, x1, y1}) {
    if (v < -drawlimit || v > drawlimit) return 0;
  }
  const std::int64_t dx = x1 > x0 ? x1 - x0 : x0 - x1;
  const std::int64_t dy = y1 > y0 ? y1 - y0 : y0 - y1;
  const std::int64_t sx = x0 < x1 ? 1 : -1;
  const std::int64_t sy = y0 < y1 ? 1 : -1;
  const std::int64_t count = std::max(dx, dy) + 1;
  const std::uint32_t alpha = static_cast<std::uint32_t>(color) >> 24;
  if (alpha == 0) return count;  // a transparent colour changes no pixel

  // Step i of the walk (0..L along the major axis, the one with the larger
  // extent, x on a tie) moves the minor axis by m(i) = ceil(i*S/L - 1/2), ties
  // staying on the start side. So the steps on which the pixel lies inside
  // the buffer form one range [lo, hi], found below in exact arithmetic.
  const bool xmajor = dx >= dy;
  const std::int64_t L = xmajor ? dx : dy, S = xmajor ? dy : dx;
  const std::int64_t u0 = xmajor ? x0 : y0, v0 = xmajor ? y0 : x0;
  const std::int64_t su = xmajor ? sx : sy, sv = xmajor ? sy : sx;
  const std::int64_t U = xmajor ? buffer.width() : buffer.height();
  const std::int64_t V = xmajor ? buffer.height() : buffer.width();
  int128 lo = 0, hi = L;
  lo = std::max<int128>(lo, su > 0 ? -u0 : u0 - (U - 1));
  hi = std::min<int128>(hi, su > 0 ? U - 1 - u0 : u0);
  const int128 mlo = sv > 0 ? -v0 : v0 - (V - 1);
  const int128 mhi = sv > 0 ? V - 1 - v0 : v0;
  if (S == 0) {
    if (mlo > 0 || mhi < 0) return count;
  } else {
    // m(i) >= mlo exactly when 2iS > (2 mlo - 1) L; m(i) <= mhi when 2iS <= (2 mhi + 1) L.
    lo = std::max(lo, floordiv((2 * mlo - 1) * L, 2 * int128{S}) + 1);
    hi = std::min(hi, floordiv((2 * mhi + 1) * L, 2 * int128{S}));
  }
  if (lo > hi) return count;

  // Position and error term of the unclipped walk at step lo.
  const int128 m = L == 0 ? 0 : ceildiv(2 * lo * S - L, 2 * int128{L});
  const int128 xi = xmajor ? lo : m, yi = xmajor ? m : lo;
  const auto x = static_cast<std::int64_t>(x0 + sx * xi);
  const auto y = static_cast<std::int64_t>(y0 + sy * yi);
  const auto err = static_cast<std::int64_t>(dx - dy - xi * dy + yi * dx);
  const auto n = static_cast<std::int64_t>(hi - lo + 1);

  std::uint8_t* p = buffer.PixelPtr(x, y);
  const std::int64_t stepx = sx * 4, stepy = sy * buffer.pitch();
  if (alpha == 255) {
    const std::uint32_t word = TPixmap::PackPixel(color);
    walk(p, n, err, dx, dy, stepx, stepy, [word](std::uint8_t* q) { TPixmap::StoreWord(q, word); });
  } else {
    walk(p, n, err, dx, dy, stepx, stepy, [color](std::uint8_t* q) {
      TPixmap::StorePixel(q, blendcolor(color, TPixmap::LoadPixel(q), 255, -1));
    });
  }
  return count;
}

int blendpixel(TPixmap& buffer, std::int64_t x, std::int64_t y, std::int32_t color, std::int32_t alpha) {
  if (std::uint8_t* p = buffer.PixelPtr(x, y))
    TPixmap::StorePixel(p, blendcolor(color, TPixmap::LoadPixel(p), alpha, -1));
  return 0;
}

std::int32_t blendcolor(std::int32_t source, std::int32_t destination, std::int32_t alpha,
                        std::int32_t mode) {
  if (mode == -1) mode = 15;
  if (alpha == 0) return destination;
  const auto s = static_cast<std::uint32_t>(source);
  const auto d = static_cast<std::uint32_t>(destination);
  std::int64_t a = s >> 24;
  if (alpha != 255) a = std::min<std::int64_t>(std::int64_t{alpha} * a / 255, 255);
  // A negative alpha scale counts as none at all.
  if (a <= 0 || mode == 0) return destination;
  const auto sa = static_cast<std::uint32_t>(a);
  const std::uint32_t da = d >> 24;
  const std::uint32_t ra = (mode & 8) != 0 ? 255 - (255 - sa) * (255 - da) / 255 : da;
  const auto mix = [&](int shift, int bit) -> std::uint32_t {
    const std::uint32_t sc = (s >> shift) & 0xFF, dc = (d >> shift) & 0xFF;
    return (mode & bit) != 0 ? (sc * sa + dc * (255 - sa)) / 255 : dc;
  };
  return static_cast<std::int32_t>(ra << 24 | mix(16, 4) << 16 | mix(8, 2) << 8 | mix(0, 1));
}

}  // namespace tracewell
