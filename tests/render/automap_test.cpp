// Automap rendering: line categories, bounds, fitting, passes and the failures for broken maps.
#include "render/automap.h"

#include <gtest/gtest.h>

#include "render/draw.h"
#include "testlib/harness.h"
#include "testlib/pixels.h"

namespace tracewell {
namespace {

using testkit::argb;

// Small maps built in memory: sectors 0 (floor 0, ceiling 128), 1 (floor 8, ceiling 128),
// 2 (floor 0, ceiling 96), 3 (floor 8, ceiling 96); sidedef i faces sector i, and
// sidedef 4 names a sector that does not exist.
map basemap() {
  map m;
  for (auto [floor, ceiling] : {std::pair{0, 128}, {8, 128}, {0, 96}, {8, 96}}) {
    sector s;
    s.floorheight = floor;
    s.ceilheight = ceiling;
    m.sectors.push_back(s);
  }
  for (std::uint16_t s = 0; s <= 4; ++s) {
    sidedef side;
    side.sector = s;
    m.sidedefs.push_back(side);
  }
  return m;
}

// Appends a linedef between two new vertexes.
void addline(map& m, vertex a, vertex b, std::int32_t right, std::int32_t left, std::uint16_t flags = 0,
             std::uint16_t special = 0) {
  linedef l;
  l.startvertex = static_cast<std::uint16_t>(m.vertexes.size());
  l.endvertex = static_cast<std::uint16_t>(m.vertexes.size() + 1);
  m.vertexes.push_back(a);
  m.vertexes.push_back(b);
  l.rightside = right;
  l.leftside = left;
  l.flags = flags;
  l.special = special;
  m.linedefs.push_back(l);
}

TEST(Automap, CategoriesFollowSidesHeightsFlagsAndSpecials) {
  struct {
    const char* what;
    std::int32_t right, left;
    std::uint16_t flags, special;
    std::int32_t actionspecial, want;
  } cases[] = {
      {"two-sided, same heights", 0, 0, 0, 0, 1, 0},
      {"one-sided impassable action line", 0, -1, 1, 11, 1, 9},
      {"... without action lines", 0, -1, 1, 11, 0, 5},
      {"one side, passable", 0, -1, 0, 0, 1, 0},
      {"one side, passable, action", 0, -1, 0, 5, 1, 4},
      {"floor change, special ignored", 0, 1, 0, 7, 0, 1},
      {"floor change, impassable", 0, 1, 1, 7, 0, 6},
      {"floor change, action", 0, 1, 0, 7, 1, 4},
      {"floor change, impassable action", 0, 1, 1, 7, 1, 9},
      {"ceiling change", 0, 2, 0, 0, 1, 2},
      {"ceiling change, impassable", 2, 0, 1, 0, 1, 7},
      {"both change", 3, 0, 0, 0, 1, 3},
      {"both change, impassable", 0, 3, 1, 0, 1, 8},
      {"left sector out of range", 1, 4, 0, 0, 1, 0},
      {"right side absent", -1, 1, 0, 0, 1, 0},
      {"every other flag ignored", 0, 0, 0xFFFE, 0, 1, 0},
      {"every flag", 0, 3, 0xFFFF, 0, 1, 8},
  };
  for (const auto& c : cases) {
    map m = basemap();
    addline(m, {1, 2}, {3, 4}, c.right, c.left, c.flags, c.special);
    std::int64_t lx = 99, ly = 99, gx = 99, gy = 99;
    const renderslots slots = getrenderlines(m, lx, ly, gx, gy, c.actionspecial).value();
    for (std::int32_t i = 0; i < linecolors; ++i) {
      EXPECT_EQ(slots[i].has_value(), i == c.want) << c.what << ": slot " << i;
    }
    ASSERT_TRUE(slots[c.want].has_value()) << c.what;
    ASSERT_EQ(slots[c.want]->size(), 1u);
    const renderline& r = slots[c.want]->front();
    EXPECT_EQ((std::vector{r.x0, r.y0, r.x1, r.y1}), (std::vector<std::int64_t>{1, 2, 3, 4}));
    EXPECT_EQ((std::vector{lx, ly, gx, gy}), (std::vector<std::int64_t>{1, 2, 3, 4}));
  }
}

TEST(Automap, BoundsCoverEveryLinedefEndAndNothingElse) {
  map m = basemap();
  std::int64_t lx = 5, ly = 5, gx = 5, gy = 5;
  auto slots = getrenderlines(m, lx, ly, gx, gy, 1).value();
  EXPECT_EQ((std::vector{lx, ly, gx, gy}), (std::vector<std::int64_t>{0, 0, 0, 0}));
  for (const auto& s : slots) EXPECT_FALSE(s.has_value());

  // All points negative: the bounds start from the first linedef, not from 0.
  addline(m, {-5, -2}, {-3, -7}, 0, -1);
  addline(m, {-4, -4}, {-4, -4}, 0, 0);  // zero length, category 0
  addline(m, {-6, -3}, {-5, -3}, 0, 0);
  m.vertexes.push_back({100, 100});  // used by no linedef
  slots = getrenderlines(m, lx, ly, gx, gy, 1).value();
  EXPECT_EQ((std::vector{lx, ly, gx, gy}), (std::vector<std::int64_t>{-6, -7, -3, -2}));
  ASSERT_TRUE(slots[0].has_value());
  ASSERT_EQ(slots[0]->size(), 3u);  // in linedef order
  EXPECT_EQ((*slots[0])[1].x0, -4);
  EXPECT_EQ((*slots[0])[2].x0, -6);
}

TEST(Automap, BrokenReferencesAreFatal) {
  const failure vertexstop = failure::stop(failure::reason::badvertex);
  const failure sidestop = failure::stop(failure::reason::badsidedef);
  struct {
    int field;  // 0 start vertex, 1 end vertex, 2 right side, 3 left side
    std::int32_t offset;
    failure want;
  } cases[] = {{0, 0, vertexstop}, {1, 0, vertexstop}, {0, 60000, vertexstop},
               {2, 0, sidestop},   {3, 0, sidestop},   {3, 70000, sidestop}};
  for (const auto& c : cases) {
    map m = basemap();
    addline(m, {0, 0}, {8, 8}, 0, 1);
    addline(m, {8, 8}, {0, 16}, 0, 1);
    linedef& bad = m.linedefs.back();
    const auto vertexes = static_cast<std::int32_t>(m.vertexes.size());
    const auto sides = static_cast<std::int32_t>(m.sidedefs.size());
    if (c.field == 0) bad.startvertex = static_cast<std::uint16_t>(vertexes + c.offset);
    if (c.field == 1) bad.endvertex = static_cast<std::uint16_t>(vertexes + c.offset);
    if (c.field == 2) bad.rightside = sides + c.offset;
    if (c.field == 3) bad.leftside = sides + c.offset;
    const auto drawn = render(m, 64, 64, 4, argb(0xFF000000), {}, {}, 1);
    ASSERT_FALSE(drawn.ok());
    EXPECT_EQ(drawn.error(), c.want);
    // A buffer too large to make ends the render before the map is looked at.
    const auto big = render(m, 2147483647, 2147483647, 4, 0, {}, {}, 1);
    ASSERT_FALSE(big.ok());
    EXPECT_EQ(big.error().what, failure::kind::nomemory);
  }
  // Absent sides on both ends are no error.
  map m = basemap();
  addline(m, {0, 0}, {8, 8}, -1, -1);
  const auto drawn = render(m, 8, 8, 0, 0, {}, {}, 1);
  ASSERT_TRUE(drawn.ok());
  EXPECT_NE(drawn.value(), nullptr);
}

TEST(Automap, FittingIsExactInIntegers) {
  struct {
    std::int32_t lx, ly, gx, gy, width, height, margin;
    std::int64_t w, h, offx, offy;
    std::vector<std::pair<std::int32_t, std::int64_t>> columns, rows;
  } cases[] = {
      // The map's wide side fills the inner width; its corner points land inside the margins.
      {-512,
       -1024,
       1536,
       512,
       512,
       512,
       16,
       480,
       360,
       16,
       76,
       {{0, 136}, {1536, 496}, {-512, 16}},
       {{0, 316}, {512, 436}, {-1024, 76}}},
      // 7 / 10 * 360 is exactly 252, which floating point misses by a hair.
      {0, 0, 10, 0, 360, 360, 0, 360, 0, 0, 180, {{7, 252}, {10, 360}}, {{0, 180}}},
      // Equal extents keep the inner height on both sides.
      {0, 0, 100, 100, 300, 200, 0, 200, 200, 50, 0, {{50, 150}, {100, 250}}, {{100, 200}}},
      // A wide image: the tall map fills the height and is centred across.
      {0, 0, 10, 20, 100, 50, 5, 20, 40, 40, 5, {{10, 60}}, {{20, 45}, {5, 15}}},
      // Scaled by width the height would be 490 against an inner 80: shrunk to fit.
      {0, 0, 200, 100, 1000, 100, 10, 160, 80, 420, 10, {{0, 420}, {200, 580}}, {{100, 90}}},
      // The same for a tall map in a flat image.
      {0, 0, 100, 200, 100, 1000, 10, 80, 160, 10, 420, {{100, 90}}, {{200, 580}}},
      // One point, and one vertical line: the empty extent sits at the centre.
      {5, 5, 5, 5, 64, 32, 4, 0, 0, 32, 16, {{5, 32}}, {{5, 16}}},
      {3, -10, 3, 10, 64, 32, 4, 0, 24, 32, 4, {{3, 32}}, {{0, 16}, {10, 28}}},
      // Margins that meet or cross: the inner size goes negative and the scale stands as it is.
      {0, 0, 10, 5, 20, 20, 10, 0, 0, 10, 10, {{10, 10}}, {{5, 10}}},
      {0, 0, 10, 5, 20, 20, 15, -10, -5, 15, 12, {{10, 5}}, {{5, 7}}},
  };
  for (const auto& c : cases) {
    const mapfit f = mapfit::make(c.lx, c.ly, c.gx, c.gy, c.width, c.height, c.margin);
    SCOPED_TRACE(::testing::Message() << "bounds " << c.lx << "," << c.ly << " " << c.gx << "," << c.gy
                                      << " image " << c.width << "x" << c.height << " margin " << c.margin);
    EXPECT_EQ((std::vector{f.w, f.h, f.offx, f.offy}), (std::vector{c.w, c.h, c.offx, c.offy}));
    for (auto [x, want] : c.columns) EXPECT_EQ(f.column(x), want) << "x " << x;
    for (auto [y, want] : c.rows) EXPECT_EQ(f.row(y), want) << "y " << y;
  }
}

TEST(Automap, FittingIsTotalForExtremeSizes) {
  const std::int32_t imin = -2147483647 - 1, imax = 2147483647;
  const std::int32_t sizes[] = {imin, -1, 0, 1, 2, 7, 1024, imax};
  // Also the widest UDMF bounds: +-2^31 units in 1/65536 units.
  const std::int64_t fmax = std::int64_t{1} << 47, fmin = -fmax;
  const std::int64_t bounds[][4] = {{0, 0, 0, 0},       {-32768, -32768, 32768, 32768}, {0, -5, 0, 5},
                                    {-5, 0, 5, 0},      {imin, imin, imax, imax},       {imin, 0, imax, 1},
                                    {0, imin, 1, imax}, {fmin, fmin, fmax, fmax},       {fmin, 0, fmax, 1},
                                    {0, fmin, 1, fmax}};
  const std::int64_t limit = std::int64_t{1} << 35;
  for (const auto& b : bounds) {
    for (std::int32_t width : sizes) {
      for (std::int32_t height : sizes) {
        for (std::int32_t margin : sizes) {
          const mapfit f = mapfit::make(b[0], b[1], b[2], b[3], width, height, margin);
          for (std::int64_t x : {b[0], b[2]}) EXPECT_LE(std::abs(f.column(x)), limit);
          for (std::int64_t y : {b[1], b[3]}) EXPECT_LE(std::abs(f.row(y)), limit);
        }
      }
    }
  }
  // Whole renders with sizes that leave no room or no buffer at all.
  map m = basemap();
  addline(m, {imin, imin}, {imax, imax}, 0, 1);
  addline(m, {0, 0}, {0, 0}, 0, 1);
  for (std::int32_t width : {0, 1, 3, -4}) {
    for (std::int32_t margin : {imin, -1, 0, 1, imax}) {
      auto p = render(m, width, 3, margin, argb(0xFF000000), {}, {}, 1).value();
      ASSERT_NE(p, nullptr);
    }
  }
}

// Colour i + 1 for category i, so each pixel tells which category drew it last.
std::vector<std::int32_t> markers() {
  std::vector<std::int32_t> c;
  for (std::int32_t i = 0; i < linecolors; ++i)
    c.push_back(argb(0xFF000000u | static_cast<std::uint32_t>(i + 1)));
  return c;
}
constexpr std::int32_t background = argb(0xFF404040);

// A cross: an impassable one-sided line (category 5) across and a floor change (category 1) down,
// plus a passable plain line (category 0) far to the right that only widens the bounds.
map crossmap() {
  map m = basemap();
  addline(m, {0, 10}, {20, 10}, 0, -1, 1);
  addline(m, {10, 0}, {10, 20}, 0, 1);
  addline(m, {60, 0}, {60, 20}, 0, 0);
  return m;
}

TEST(Automap, PassesDrawLowOrdersFirstAndEqualOrdersByCategory) {
  const map m = crossmap();
  // Bounds 0..60 by 0..20 into 62 x 62 less 1: map x is column x + 1, map y is row y + 21.
  const mapfit f = mapfit::make(0, 0, 60, 20, 62, 62, 1);
  ASSERT_EQ((std::vector{f.column(0), f.column(60), f.row(0), f.row(20)}),
            (std::vector<std::int64_t>{1, 61, 21, 41}));
  struct {
    std::vector<std::int32_t> order;
    std::int32_t crossing, down, across, right;  // the category seen there, -1 for background
  } cases[] = {
      {{1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, 5, 1, 5, 0},
      {{1, 2, 1, 1, 1, 1, 1, 1, 1, 1}, 1, 1, 5, 0},
      {{0, 9, 0, 0, 0, 3, 0, 0, 0, 0}, 1, 1, 5, -1},
      {{-1, 0, 0, 0, 0, 3, 0, 0, 0, 0}, 5, -1, 5, -1},
      {{10, 10, 0, 0, 0, 9, 0, 0, 0, 0}, 5, -1, 5, -1},
      {{1, 1, 1, 1, 1}, 1, 1, -1, 0},  // only the categories the order lists
  };
  for (const auto& c : cases) {
    auto p = render(m, 62, 62, 1, background, markers(), c.order, 1).value();
    ASSERT_NE(p, nullptr);
    const auto seen = [&](std::int64_t x, std::int64_t y) {
      const std::int32_t v = p->ReadPixel(x, y);
      return v == background ? -1 : (v & 0xFF) - 1;
    };
    EXPECT_EQ(seen(11, 31), c.crossing);
    EXPECT_EQ(seen(11, 23), c.down);
    EXPECT_EQ(seen(4, 31), c.across);
    EXPECT_EQ(seen(61, 26), c.right);
  }
}

TEST(Automap, HiddenLinesStillSetTheScale) {
  auto p = render(crossmap(), 62, 62, 1, background, markers(), {0, 1, 0, 0, 0, 1, 0, 0, 0, 0}, 1).value();
  ASSERT_NE(p, nullptr);
  // The same two lines drawn by hand where the full bounds put them.
  auto want = TPixmap::Create(62, 62);
  want->ClearPixels(background);
  const mapfit f = mapfit::make(0, 0, 60, 20, 62, 62, 1);
  drawline(*want, f.column(10), f.row(0), f.column(10), f.row(20), markers()[1]);
  drawline(*want, f.column(0), f.row(10), f.column(20), f.row(10), markers()[5]);
  EXPECT_TRUE(testkit::samepixels(*p, *want));
}

TEST(Automap, EmptyColoursAndOrdersFallBackEachOnItsOwn) {
  const map m = crossmap();
  auto p = render(m, 62, 62, 1, background, {}, {}, 1).value();
  EXPECT_EQ(p->ReadPixel(11, 31), red);         // impassable, pass 3, over the brown floor change
  EXPECT_EQ(p->ReadPixel(11, 23), brown);       // floor change, pass 1
  EXPECT_EQ(p->ReadPixel(61, 26), background);  // passable plain lines are hidden
  p = render(m, 62, 62, 1, background, markers(), {}, 1).value();
  EXPECT_EQ(p->ReadPixel(11, 23), markers()[1]);
  EXPECT_EQ(p->ReadPixel(61, 26), background);
  p = render(m, 62, 62, 1, background, {}, std::vector<std::int32_t>(10, 1), 1).value();
  EXPECT_EQ(p->ReadPixel(61, 26), black);
  EXPECT_EQ(p->ReadPixel(11, 31), red);
}

// The line across the cross becomes a hidden teleporter: it takes the first of
// the two that the look mentions, and what the look leaves out comes from its
// category 5. Passes: category 1 (down) 2, category 5 (across) 1.
TEST(Automap, FallbackCategoriesTakeTheFirstMentionedAndFillInTheRest) {
  map m = crossmap();
  m.linedefs[0].special = 39;
  m.linedefs[0].flags |= 1 << linedef::noautomap;
  const std::vector<std::int32_t> order = {0, 2, 0, 0, 0, 1, 0, 0, 0, 0};
  constexpr std::int32_t unsaid = -99, aa = argb(0xFF0000AA), bb = argb(0xFF0000BB);
  const std::int32_t down = markers()[1], across = markers()[5];
  struct {
    std::int32_t teleportcolor, teleportorder, hiddencolor, hiddenorder;
    std::int32_t crossing, across;  // pixel colours
  } cases[] = {
      {unsaid, unsaid, unsaid, unsaid, down, across}, {aa, unsaid, unsaid, unsaid, down, aa},
      {unsaid, 2, unsaid, unsaid, across, across},    {aa, 3, unsaid, unsaid, aa, aa},
      {unsaid, 0, unsaid, unsaid, down, background},  {aa, unsaid, bb, unsaid, down, bb},
      {aa, 2, unsaid, 0, down, background},
  };
  for (const auto& c : cases) {
    fallbacklooks looks;
    const auto say = [&](std::int32_t category, std::int32_t color, std::int32_t pass) {
      const auto i = static_cast<std::size_t>(category - linecolors);
      if (color != unsaid) looks.colors[i] = color, looks.colorgiven |= 1u << i;
      if (pass != unsaid) looks.orders[i] = pass, looks.ordergiven |= 1u << i;
    };
    say(teleportline, c.teleportcolor, c.teleportorder);
    say(hiddenline, c.hiddencolor, c.hiddenorder);
    say(secretsectorline, 1, 9);  // no line is in it
    schemelook look = schemelook::fromlists(background, markers(), order, 0);
    look.fallback = looks;
    auto p = render(m, 62, 62, 1, look).value();
    EXPECT_EQ(p->ReadPixel(11, 31), c.crossing);
    EXPECT_EQ(p->ReadPixel(4, 31), c.across);
    EXPECT_EQ(p->ReadPixel(11, 23), down);
  }
}

TEST(Automap, AMapWithoutLinedefsIsBackgroundOnly) {
  for (std::int32_t margin : {0, 3, 8, 100}) {
    auto p = render(basemap(), 9, 5, margin, 0x12345678, {}, {}, 1).value();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->width(), 9);
    EXPECT_EQ(p->height(), 5);
    for (int y = 0; y < 5; ++y) {
      for (int x = 0; x < 9; ++x) EXPECT_EQ(p->ReadPixel(x, y), 0x12345678);
    }
  }
}

}  // namespace
}  // namespace tracewell
