// Wide and smooth lines against a floating-point count of the samples each pixel holds.
#include "render/wideline.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "render/draw.h"
#include "testlib/pixels.h"

namespace tracewell {
namespace {

// Samples of pixel (x, y) within w / 2 of the line through A and B, and
// projected within w / 2 before A and after B (the w x w square when A == B).
int insidesamples(long double x, long double y, long double ax, long double ay, long double bx,
                  long double by, long double w) {
  const long double dx = bx - ax, dy = by - ay, len = std::sqrt(dx * dx + dy * dy);
  int k = 0;
  for (const long double ox : {-0.375L, -0.125L, 0.125L, 0.375L}) {
    for (const long double oy : {-0.375L, -0.125L, 0.125L, 0.375L}) {
      const long double rx = x + ox - ax, ry = y + oy - ay;
      if (len == 0) {
        k += std::fabs(rx) <= w / 2 && std::fabs(ry) <= w / 2;
        continue;
      }
      const long double across = (dx * ry - dy * rx) / len, along = (dx * rx + dy * ry) / len;
      k += std::fabs(across) <= w / 2 && along >= -w / 2 && along <= len + w / 2;
    }
  }
  return k;
}

TEST(WideLine, CoverageMatchesTheSampleCount) {
  struct row {
    const char* what;
    std::int32_t width, height;
    std::int64_t x0, y0, x1, y1;
  };
  const row rows[] = {
      {"horizontal", 20, 16, 3, 5, 15, 5},
      {"vertical", 20, 16, 4, 2, 4, 13},
      {"45 degrees", 20, 16, 2, 2, 12, 12},
      {"shallow", 20, 16, 1, 3, 18, 8},
      {"steep", 20, 16, 14, 1, 11, 14},
      {"one point", 20, 16, 9, 7, 9, 7},
      {"one end outside", 20, 16, -7, -3, 10, 9},
      {"ends 10^9 outside", 20, 16, -1000000000, 4, 1000000000, 9},
      {"along the border", 20, 16, 0, 0, 19, 0},
      {"1 x 1", 1, 1, -3, 2, 5, -1},
      {"1 x 100000", 1, 100000, 0, -5, 0, 100004},
  };
  const std::int32_t background = testkit::argb(0xFF102030);
  for (const row& r : rows) {
    for (const std::int32_t color : {testkit::argb(0xFFFFC040), testkit::argb(0x80FFC040)}) {
      for (const std::int32_t width : {1, 2, 3, 4, 16}) {
        for (const bool antialias : {false, true}) {
          if (width == 1 && !antialias) continue;  // the one-pixel line of drawline
          for (const bool reversed : {false, true}) {
            auto got = TPixmap::Create(r.width, r.height);
            got->ClearPixels(background);
            const auto [ax, ay, bx, by] =
                reversed ? std::array{r.x1, r.y1, r.x0, r.y0} : std::array{r.x0, r.y0, r.x1, r.y1};
            drawstyledline(*got, ax, ay, bx, by, color, {width, antialias});
            int wrong = 0;
            for (std::int32_t y = 0; y < r.height; ++y) {
              for (std::int32_t x = 0; x < r.width; ++x) {
                const int k = insidesamples(x, y, r.x0, r.y0, r.x1, r.y1, width);
                const std::int32_t alpha = antialias ? (255 * k + 8) / 16 : (k >= 8 ? 255 : 0);
                const std::int32_t want = blendcolor(color, background, alpha, -1);
                if (got->ReadPixel(x, y) != want && wrong++ == 0) {
                  ADD_FAILURE() << r.what << " width " << width << (antialias ? " smooth" : " sharp")
                                << (reversed ? " reversed" : "") << " colour " << std::hex << color
                                << ": pixel " << std::dec << x << "," << y << " has " << k << " samples, got "
                                << std::hex << got->ReadPixel(x, y) << " want " << want;
                }
              }
            }
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace tracewell
