// Line drawing and blending: the blend arithmetic, the line rule's ties, and the clipped walk against a plain
// walk.
#include "render/draw.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

#include "plainline.h"
#include "render/widemath.h"
#include "testlib/pixels.h"

namespace tracewell {
namespace {

using testkit::plainline;

using testkit::argb;

TEST(Blend, ChannelsFollowTheIntegerRules) {
  struct {
    std::uint32_t source, destination;
    std::int32_t alpha, mode;
    std::uint32_t want;
  } cases[] = {
      {0x80FF0000, 0xFF000000, 255, -1, 0xFF800000},
      {0x80FF0000, 0x00000000, 255, -1, 0x80800000},
      {0x80000000, 0xFFFFFFFF, 255, -1, 0xFF7F7F7F},
      {0xFF123456, 0x80ABCDEF, 255, -1, 0xFF123456},  // opaque replaces
      {0x00123456, 0x80ABCDEF, 255, -1, 0x80ABCDEF},  // transparent keeps
      {0xFFFF0000, 0xFF000000, 0, -1, 0xFF000000},    // no alpha scale
      {0xFFFF0000, 0xFF000000, -5, -1, 0xFF000000},   // a negative scale counts as none
      {0xFFFF0000, 0xFF000000, 128, -1, 0xFF800000},  // 128 * 255 / 255
      {0x80FF0000, 0xFF000000, 510, -1, 0xFFFF0000},  // 510 * 128 / 255 = 256, capped at 255
      {0x80FF0000, 0xFF000000, 2147483647, -1, 0xFFFF0000},
      {0x02FF0000, 0xFF000000, 100, -1, 0xFF000000},  // 100 * 2 / 255 = 0
      {0x80FF00FF, 0x10203040, 255, 0, 0x10203040},
      {0x80FF00FF, 0x10203040, 255, 4, 0x108F3040},  // red only: (255*128 + 32*127) / 255 = 143
      {0x80FF00FF, 0x10203040, 255, 8, 0x88203040},  // alpha only: 255 - 127*239/255 = 136
      {0x80FF00FF, 0x10203040, 255, 15, 0x888F179F},
      {0x80FF00FF, 0x10203040, 255, 3, 0x1020179F},  // green and blue
  };
  for (const auto& c : cases) {
    EXPECT_EQ(static_cast<std::uint32_t>(blendcolor(argb(c.source), argb(c.destination), c.alpha, c.mode)),
              c.want)
        << std::hex << c.source << " over " << c.destination << std::dec << " alpha " << c.alpha << " mode "
        << c.mode;
  }
}

TEST(Blend, BlendPixelMixesInPlaceAndSkipsOutsidePoints) {
  auto p = TPixmap::Create(2, 2);
  p->ClearPixels(argb(0xFF000000));
  EXPECT_EQ(blendpixel(*p, 1, 1, argb(0x80FF0000), 255), 0);
  EXPECT_EQ(static_cast<std::uint32_t>(p->ReadPixel(1, 1)), 0xFF800000u);
  EXPECT_EQ(blendpixel(*p, 2, 0, -1, 255), 0);
  EXPECT_EQ(blendpixel(*p, -1, -1, -1, 255), 0);
  for (auto [x, y] : {std::pair{0, 0}, {1, 0}, {0, 1}}) EXPECT_EQ(p->ReadPixel(x, y), argb(0xFF000000));
}

using point = std::pair<std::int64_t, std::int64_t>;

// The set pixels of a buffer cleared to 0.
std::set<point> drawn(const TPixmap& p) {
  std::set<point> s;
  for (int y = 0; y < p.height(); ++y) {
    for (int x = 0; x < p.width(); ++x) {
      if (p.ReadPixel(x, y) != 0) s.insert({x, y});
    }
  }
  return s;
}

TEST(Line, TiesDependOnTheDirection) {
  struct {
    point from, to;
    std::set<point> want;
  } cases[] = {
      {{0, 0}, {4, 2}, {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}}},
      {{4, 2}, {0, 0}, {{4, 2}, {3, 2}, {2, 1}, {1, 1}, {0, 0}}},
      {{0, 0}, {2, 4}, {{0, 0}, {0, 1}, {1, 2}, {1, 3}, {2, 4}}},
      {{3, 3}, {3, 3}, {{3, 3}}},
      {{1, 4}, {1, 0}, {{1, 0}, {1, 1}, {1, 2}, {1, 3}, {1, 4}}},
      {{0, 4}, {4, 0}, {{0, 4}, {1, 3}, {2, 2}, {3, 1}, {4, 0}}},
  };
  for (const auto& c : cases) {
    auto p = TPixmap::Create(5, 5);
    p->ClearPixels(0);
    EXPECT_EQ(drawline(*p, c.from.first, c.from.second, c.to.first, c.to.second, -1),
              static_cast<std::int64_t>(c.want.size()));
    EXPECT_EQ(drawn(*p), c.want) << c.from.first << "," << c.from.second << " to " << c.to.first << ","
                                 << c.to.second;
  }
}

TEST(Line, TranslucentLinesBlendEachPixelOnceAndCountEvenWhenInvisible) {
  auto p = TPixmap::Create(5, 5);
  p->ClearPixels(argb(0xFF000000));
  EXPECT_EQ(drawline(*p, 0, 2, 4, 2, argb(0x80FF0000)), 5);
  EXPECT_EQ(drawline(*p, 2, 0, 2, 4, argb(0x80FF0000)), 5);
  EXPECT_EQ(static_cast<std::uint32_t>(p->ReadPixel(0, 2)), 0xFF800000u);
  EXPECT_EQ(static_cast<std::uint32_t>(p->ReadPixel(2, 2)), 0xFFBF0000u);  // once per line
  auto before = drawn(*p);
  EXPECT_EQ(drawline(*p, -100, 0, 100, 3, argb(0x00FFFFFF)), 201);
  EXPECT_EQ(drawn(*p), before);
  EXPECT_EQ(static_cast<std::uint32_t>(p->ReadPixel(2, 2)), 0xFFBF0000u);
}

using testkit::samepixels;

TEST(Line, ClippedWalkMatchesThePlainWalk) {
  std::mt19937_64 rng(20240611);
  for (int round = 0; round < 40000; ++round) {
    // Mostly short lines around a small buffer, some long ones, some buffers of one row or column.
    const std::int64_t reach = round % 10 == 0 ? 3000 : 24;
    std::uniform_int_distribution<std::int64_t> coord(-reach, reach);
    const std::int32_t w = round % 7 == 0 ? 1 : 13, h = round % 11 == 0 ? 1 : 9;
    const std::int64_t x0 = coord(rng), y0 = coord(rng), x1 = coord(rng), y1 = coord(rng);
    const std::int32_t color = round % 2 == 0 ? -1 : argb(0x80FF8040);
    auto got = TPixmap::Create(w, h), want = TPixmap::Create(w, h);
    got->ClearPixels(argb(0xFF102030));
    want->ClearPixels(argb(0xFF102030));
    const std::int64_t count = drawline(*got, x0, y0, x1, y1, color);
    ASSERT_EQ(count, plainline(*want, x0, y0, x1, y1, color));
    ASSERT_TRUE(samepixels(*got, *want)) << x0 << "," << y0 << " to " << x1 << "," << y1;
  }
}

// Where the walk puts the minor coordinate at major step i: ceil(i*S/L - 1/2), computed
// per pixel, so lines far too long to walk can still be checked.
std::set<point> expectedpixels(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1, int w,
                               int h) {
  const std::int64_t dx = std::abs(x1 - x0), dy = std::abs(y1 - y0);
  const std::int64_t sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  const bool xmajor = dx >= dy;
  const int128 L = xmajor ? dx : dy, S = xmajor ? dy : dx;
  std::set<point> s;
  for (int u = 0; u < (xmajor ? w : h); ++u) {
    const int128 i = (int128{u} - (xmajor ? x0 : y0)) * (xmajor ? sx : sy);
    if (i < 0 || i > L) continue;
    const int128 num = 2 * i * S - L, den = 2 * L;
    const int128 m = L == 0 ? 0 : (num > 0 ? (num + den - 1) / den : -((-num) / den));
    const int128 v = (xmajor ? y0 : x0) + (xmajor ? sy : sx) * m;
    if (v < 0 || v >= (xmajor ? h : w)) continue;
    s.insert(xmajor ? point{u, static_cast<std::int64_t>(v)} : point{static_cast<std::int64_t>(v), u});
  }
  return s;
}

TEST(Line, HugeLinesKeepEveryPixelOfTheWalk) {
  std::mt19937_64 rng(99);
  // The per-pixel formula first agrees with the plain walk on lines short enough to walk.
  std::uniform_int_distribution<std::int64_t> small(-40, 40);
  for (int round = 0; round < 5000; ++round) {
    const std::int64_t x0 = small(rng), y0 = small(rng), x1 = small(rng), y1 = small(rng);
    auto want = TPixmap::Create(11, 7);
    want->ClearPixels(0);
    plainline(*want, x0, y0, x1, y1, -1);
    ASSERT_EQ(expectedpixels(x0, y0, x1, y1, 11, 7), drawn(*want))
        << x0 << "," << y0 << " " << x1 << "," << y1;
  }
  // Lines through a point near the buffer with far ends, up to the coordinate limit.
  const int w = 16, h = 12;
  std::uniform_int_distribution<std::int64_t> near(-3, 18);
  std::uniform_int_distribution<int> scale(1, 59);
  int crossing = 0;
  for (int round = 0; round < 20000; ++round) {
    const std::int64_t far = std::int64_t{1} << scale(rng);
    std::uniform_int_distribution<std::int64_t> dir(-far, far);
    const std::int64_t px = near(rng), py = near(rng), ax = dir(rng), ay = dir(rng);
    const std::int64_t x0 = px - ax, y0 = py - ay, x1 = px + ax / 3, y1 = py + ay / 3;
    auto p = TPixmap::Create(w, h);
    p->ClearPixels(0);
    ASSERT_EQ(drawline(*p, x0, y0, x1, y1, -1), std::max(std::abs(x1 - x0), std::abs(y1 - y0)) + 1);
    const std::set<point> want = expectedpixels(x0, y0, x1, y1, w, h);
    crossing += !want.empty();
    ASSERT_EQ(drawn(*p), want) << x0 << "," << y0 << " to " << x1 << "," << y1;
  }
  EXPECT_GT(crossing, 5000);  // the test really exercises visible parts

  auto p = TPixmap::Create(4, 4);
  p->ClearPixels(0);
  EXPECT_EQ(drawline(*p, 0, 0, drawlimit + 1, 0, -1), 0);  // beyond the limit: nothing
  EXPECT_TRUE(drawn(*p).empty());
  EXPECT_EQ(drawline(*p, -drawlimit, 0, drawlimit, 1, -1), 2 * drawlimit + 1);
  // x = 0 is the exact middle, where the tie keeps the start's row.
  EXPECT_EQ(drawn(*p), (std::set<point>{{0, 0}, {1, 1}, {2, 1}, {3, 1}}));
}

}  // namespace
}  // namespace tracewell
