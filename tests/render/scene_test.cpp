// The scene: strokes and markers in drawing order with what each comes from, and the fit's exact positions.
#include "render/scene.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "render/schemelook.h"
#include "testlib/harness.h"
#include "testlib/pixels.h"
#include "testlib/wadbuilder.h"

namespace tracewell {
namespace {

using testkit::argb;

// Doom-layout records: sector 0 (floor 0), sector 1 (floor 16), sector 2 (secret); one sidedef each.
testkit::mapdata linesmap() {
  testkit::mapdata d;
  d.sectors = {{}, {16}, {}};
  d.sectors[2].sectortype = 9;
  for (std::int32_t s = 0; s < 3; ++s) d.sidedefs.push_back({0, 0, "-", "-", "STARTAN3", s});
  d.vertexes = {{0, 0}, {64, 0}, {64, 64}, {0, 64}, {32, -16}, {96, 32}};
  const auto line = [&](std::int32_t a, std::int32_t b, std::int32_t flags, std::int32_t special,
                        std::int32_t right, std::int32_t left) {
    d.linedefs.push_back({a, b, flags, special, 0, right, left});
  };
  line(0, 1, 1, 0, 0, -1);   // 0: impassable wall, category 5
  line(1, 2, 0, 0, 0, 1);    // 1: floor change, category 1
  line(2, 3, 0, 39, 0, -1);  // 2: teleporter, otherwise a passable plain line (0)
  line(3, 0, 1, 11, 0, -1);  // 3: exit, otherwise an impassable wall (5)
  line(0, 4, 0, 0, 1, 0);    // 4: floor change, category 1
  line(4, 5, 0, 0, 0, 0);    // 5: passable plain line, not drawn
  line(5, 2, 1, 0, 2, -1);   // 6: wall of the secret sector, which the look does not mention: category 5
  return d;
}

TEST(Scene, StrokesAndMarkersComeInDrawingOrderWithTheirOrigins) {
  testkit::tempdir dir;
  testkit::wadbuilder b;
  b.addmap("MAP01", linesmap());
  const auto w = testkit::readwad(b.open(dir.path()));
  ASSERT_TRUE(w);
  auto made = map::Create(w->getmaplumps(u"MAP01", wad::maplumps), wad::DOOM);
  ASSERT_TRUE(made.ok());
  map& m = *made.value();
  // A monster, then a red key, then a thing of no kind the look colours.
  m.things = {thing{.x = 8, .y = -8, .angle = 90, .type = 3001, .skills = thing::allskills, .single = true},
              thing{.x = 16, .y = -16, .type = 13, .skills = thing::allskills, .single = true},
              thing{.x = 24, .y = -24, .type = 9999, .skills = thing::allskills, .single = true}};

  schemelook look;  // category i in colour i + 1; walls in pass 1, floor changes in pass 2, plain lines never
  for (std::int32_t i = 0; i < linecolors; ++i) look.colors[static_cast<std::size_t>(i)] = i + 1;
  look.orders = {0, 2, 2, 2, 2, 1, 1, 1, 1, 1};
  const std::int32_t teleport = argb(0xFF00FF00), exit = argb(0xFFFF0000);
  const auto at = [](std::int32_t category) { return static_cast<std::size_t>(category - linecolors); };
  const auto bit = [](std::int32_t category) { return std::uint32_t{1} << (category - linecolors); };
  look.fallback.colors[at(teleportline)] = teleport;  // colour and pass given
  look.fallback.orders[at(teleportline)] = 2;
  look.fallback.colors[at(exitline)] = exit;  // colour only: the pass of the wall it would be
  look.fallback.colorgiven = bit(teleportline) | bit(exitline);
  look.fallback.ordergiven = bit(teleportline);
  look.things.colors[static_cast<std::size_t>(thingkind::monster)] = 7;
  look.things.colors[static_cast<std::size_t>(thingkind::keyred)] = 8;

  const result<scene> s = makescene(m, 200, 100, 4, look);
  ASSERT_TRUE(s.ok());
  // Pass 1: the walls in linedef order, then the exit; pass 2: the floor changes, then the teleporter.
  using stroke = std::tuple<std::uint32_t, std::int32_t, std::int32_t>;  // linedef, category, colour
  const std::vector<stroke> want = {{0, 5, 6}, {6, 5, 6}, {3, exitline, exit},
                                    {1, 1, 2}, {4, 1, 2}, {2, teleportline, teleport}};
  std::vector<stroke> got;
  for (const scenestroke& l : s.value().strokes) got.emplace_back(l.linedef, l.category, l.color);
  EXPECT_EQ(got, want);
  // In the map's own units, y negated as the vertexes are.
  const scenestroke& line4 = s.value().strokes[4];
  EXPECT_EQ((std::vector{line4.x0, line4.y0, line4.x1, line4.y1}), (std::vector<std::int64_t>{0, 0, 32, 16}));
  const mapbounds& bounds = s.value().bounds;
  EXPECT_EQ((std::vector{bounds.leastx, bounds.leasty, bounds.greatestx, bounds.greatesty}),
            (std::vector<std::int64_t>{0, -64, 96, 16}));

  // The key's layer is drawn over the monster's; the thing of no colour is left out.
  using marker = std::tuple<std::uint32_t, thingkind, bool, std::int32_t>;  // thing, kind, cross, colour
  std::vector<marker> markers;
  for (const scenemarker& k : s.value().markers)
    markers.emplace_back(k.thing, static_cast<thingkind>(k.kind), k.cross, k.color);
  EXPECT_EQ(markers,
            (std::vector<marker>{{0, thingkind::monster, false, 7}, {1, thingkind::keyred, true, 8}}));

  // A broken reference fails the scene as it fails the drawing.
  m.linedefs[5].rightside = 3;
  const result<scene> broken = makescene(m, 200, 100, 4, look);
  ASSERT_FALSE(broken.ok());
  EXPECT_EQ(broken.error(), failure::stop(failure::reason::badsidedef));
}

TEST(MapFit, ExactPositionsTruncateToTheColumnAndRow) {
  // Real fits, a fit of the widest UDMF bounds, and one whose offset is so large that the fraction
  // rounds onto the next whole number in a double.
  mapfit far{};
  far.dx = far.dy = std::int64_t{1} << 47;
  far.w = far.h = 2147483647;
  far.offx = far.offy = std::int64_t{1} << 40;
  const std::int64_t wide = std::int64_t{1} << 47;
  const mapfit fits[] = {
      mapfit::make(-512, -1024, 1536, 512, 512, 512, 16), mapfit::make(0, 0, 10, 3, 360, 361, 0),
      mapfit::make(-wide, -wide, wide, wide, 1023, 767, 5), mapfit::make(3, 3, 3, 3, 64, 32, 4), far};
  for (const mapfit& f : fits) {
    // Across the bounds, and one unit short of the far end, where the fraction is nearest 1.
    for (std::int64_t step = 0; step <= 65; ++step) {
      const std::int64_t x = step == 65 ? f.leastx + f.dx - 1 : f.leastx + f.dx / 64 * step;
      const std::int64_t y = step == 65 ? f.leasty + f.dy - 1 : f.leasty + f.dy / 64 * step - (step % 2);
      EXPECT_EQ(std::trunc(f.exactcolumn(x)), static_cast<double>(f.column(x))) << x;
      EXPECT_EQ(std::trunc(f.exactrow(y)), static_cast<double>(f.row(y))) << y;
      // Close to the fraction itself, worked out apart in long double.
      const auto model = [](std::int64_t v, std::int64_t least, std::int64_t d, std::int64_t size,
                            std::int64_t off) {
        return d > 0 ? static_cast<long double>(v - least) * size / d + off : static_cast<long double>(off);
      };
      const long double cx = model(x, f.leastx, f.dx, f.w, f.offx),
                        cy = model(y, f.leasty, f.dy, f.h, f.offy);
      EXPECT_LE(std::fabs(f.exactcolumn(x) - cx), 1e-3L + std::fabs(cx) * 1e-15L) << x;
      EXPECT_LE(std::fabs(f.exactrow(y) - cy), 1e-3L + std::fabs(cy) * 1e-15L) << y;
    }
  }
}

}  // namespace
}  // namespace tracewell
