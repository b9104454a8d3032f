// Lines wider than one pixel, and anti-aliased lines, drawn by sample coverage.
#include "render/wideline.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "render/draw.h"
#include "render/widemath.h"

namespace tracewell {

namespace {

// floor(sqrt(k)) for 0 <= k < 2^120, exact: long double comes close and the
// two loops settle the last step.
int128 isqrt(int128 k) {
  auto r = static_cast<int128>(std::sqrt(static_cast<long double>(k)));
  while (r > 0 && r * r > k) --r;
  while ((r + 1) * (r + 1) <= k) ++r;
  return r;
}

// The line in a frame of its own, mirrored and transposed so that u, the
// major axis, grows from A to B and v grows with u: du >= dv >= 0. The
// samples sit symmetrically around each centre, so the mirrored line covers
// the mirrored pixels.
struct frame {
  std::int64_t au = 0, av = 0, du = 0, dv = 0;  // start pixel and extents
  std::int64_t usize = 0, vsize = 0;            // the buffer along u and v
  std::uint8_t* origin = nullptr;               // the pixel at u = 0, v = 0
  std::int64_t ustep = 0, vstep = 0;            // bytes from one pixel to the next
};

frame makeframe(TPixmap& buffer, std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1) {
  frame f;
  const bool transposed = (y1 > y0 ? y1 - y0 : y0 - y1) > (x1 > x0 ? x1 - x0 : x0 - x1);
  std::int64_t au = x0, av = y0, bu = x1, bv = y1;
  f.usize = buffer.width();
  f.vsize = buffer.height();
  f.ustep = 4;
  f.vstep = buffer.pitch();
  if (transposed) {
    std::swap(au, av);
    std::swap(bu, bv);
    std::swap(f.usize, f.vsize);
    std::swap(f.ustep, f.vstep);
  }
  // The covered area does not depend on which end is the start.
  if (bu < au) {
    std::swap(au, bu);
    std::swap(av, bv);
  }
  f.origin = buffer.PixelPtr(0, 0);
  if (bv < av) {
    av = f.vsize - 1 - av;
    bv = f.vsize - 1 - bv;
    f.origin += (f.vsize - 1) * f.vstep;
    f.vstep = -f.vstep;
  }
  f.au = au;
  f.av = av;
  f.du = bu - au;
  f.dv = bv - av;
  return f;
}

// Visits every pixel of the buffer that may hold an inside sample, once,
// calling plot with its address and its number of inside samples (0 to 16).
// In 8x coordinates every sample is an integer point. With q the sample
// less 8A and c = (cu, cv) the direction, the sample is inside exactly when
// |cross(c, q)| <= r and -r <= dot(c, q) <= t, where r = floor(4 w |c|) and
// t = 8 |c|^2 + r (B lies at dot 8 |c|^2): the products are integers, so the
// floor of the root decides as the root itself would. W must hold the
// products of an extent and a coordinate in eighths.
template <typename W, typename Plot>
void cover(const frame& f, std::int64_t width, Plot plot) {
  const W du = f.du, dv = f.dv, au = f.au, av = f.av;
  // Pixels beyond this distance on an axis from the line (or from the point
  // of a column on the line) hold no inside sample.
  const std::int64_t m = width + 1;
  const bool point = du == 0;  // then dv is 0 too: the w x w square
  const W cu = point ? 1 : du, cv = point ? 0 : dv;
  const W len2 = point ? 0 : du * du + dv * dv;
  const auto r = static_cast<W>(isqrt(int128{16} * width * width * (int128{cu} * cu + int128{cv} * cv)));
  const W t = 8 * len2 + r;
  std::array<W, 16> cross{}, dot{};
  std::size_t i = 0;
  for (const int ou : {-3, -1, 1, 3}) {
    for (const int ov : {-3, -1, 1, 3}) {
      cross[i] = cu * ov - cv * ou;
      dot[i] = cu * ou + cv * ov;
      ++i;
    }
  }
  const W spread = 3 * (cu + cv);  // the largest sample offset of either product

  // Columns: the ends reach at most m past A and B; the band must meet the rows.
  W ulo = std::max<W>(0, au - m), uhi = std::min<W>(f.usize - 1, au + du + m);
  if (dv > 0) {
    ulo = std::max<W>(ulo, au + ceildiv<W>((-m - 1 - av) * du, dv));
    uhi = std::min<W>(uhi, au + floordiv<W>((f.vsize + m - av) * du, dv));
  } else if (av + 1 + m < 0 || av - m > f.vsize - 1) {
    return;
  }
  for (W u = ulo; u <= uhi; ++u) {
    const W vf = point ? av : av + floordiv<W>((u - au) * dv, du);  // the line's row, rounded down
    const W vlo = std::max<W>(0, vf - m), vhi = std::min<W>(f.vsize - 1, vf + 1 + m);
    if (vlo > vhi) continue;
    W c0 = 8 * (cu * (vlo - av) - cv * (u - au));
    W t0 = 8 * (cu * (u - au) + cv * (vlo - av));
    std::uint8_t* p =
        f.origin + static_cast<std::int64_t>(u) * f.ustep + static_cast<std::int64_t>(vlo) * f.vstep;
    for (W v = vlo; v <= vhi; ++v, c0 += 8 * cu, t0 += 8 * cv, p += f.vstep) {
      if (c0 - spread > r || c0 + spread < -r || t0 + spread < -r || t0 - spread > t) continue;
      int k = 16;
      if (c0 + spread > r || c0 - spread < -r || t0 - spread < -r || t0 + spread > t) {
        k = 0;
        for (std::size_t s = 0; s < 16; ++s) {
          const W c = c0 + cross[s], d = t0 + dot[s];
          k += c <= r && c >= -r && d >= -r && d <= t;
        }
        if (k == 0) continue;
      }
      plot(p, k);
    }
  }
}

// Coordinates within this bound keep every value of cover below 2^62 for
// any buffer (whose sides are below 2^31), so 64-bit arithmetic is exact.
constexpr std::int64_t narrowlimit = std::int64_t{1} << 24;

template <typename Plot>
void coverline(TPixmap& buffer, std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1,
               std::int64_t width, Plot plot) {
  const frame f = makeframe(buffer, x0, y0, x1, y1);
  bool narrow = true;
  for (const std::int64_t v : {x0, y0, x1, y1}) narrow = narrow && v > -narrowlimit && v < narrowlimit;
  if (narrow) {
    cover<std::int64_t>(f, width, plot);
  } else {
    cover<int128>(f, width, plot);
  }
}

}  // namespace

linestyle linestyle::fromsettings(std::int32_t width, std::int32_t antialias) {
  return {std::clamp(width, 1, 16), antialias == 1};
}

void drawstyledline(TPixmap& buffer, std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1,
                    std::int32_t color, const linestyle& style, bool* changed) {
  if (style.plain()) {
    drawline(buffer, x0, y0, x1, y1, color);
    if (changed != nullptr) *changed = true;
    return;
  }
  for (const std::int64_t v : {x0, y0, x1, y1}) {
    if (v < -widelimit || v > widelimit) return;
  }
  const std::uint32_t alpha = static_cast<std::uint32_t>(color) >> 24;
  if (alpha == 0 || buffer.width() <= 0 || buffer.height() <= 0) return;  // nothing would change
  const std::int64_t width = std::clamp(style.width, 1, 16);
  // An opaque colour at full coverage simply replaces the pixel.
  const std::uint32_t word = TPixmap::PackPixel(color);
  const auto blend = [color, alpha, word](std::uint8_t* p, std::int32_t scale) {
    if (scale == 255 && alpha == 255) {
      TPixmap::StoreWord(p, word);
    } else {
      TPixmap::StorePixel(p, blendcolor(color, TPixmap::LoadPixel(p), scale, -1));
    }
  };
  const auto drawwith = [&](auto put) {
    if (style.antialias) {
      coverline(buffer, x0, y0, x1, y1, width, [put](std::uint8_t* p, int k) { put(p, (255 * k + 8) / 16); });
    } else {
      coverline(buffer, x0, y0, x1, y1, width, [put](std::uint8_t* p, int k) {
        if (k >= 8) put(p, 255);
      });
    }
  };
  if (changed == nullptr) {
    drawwith(blend);
    return;
  }
  drawwith([blend, changed](std::uint8_t* p, std::int32_t scale) {
    const std::int32_t before = TPixmap::LoadPixel(p);
    blend(p, scale);
    if (TPixmap::LoadPixel(p) != before) *changed = true;
  });
}

}  // namespace tracewell
