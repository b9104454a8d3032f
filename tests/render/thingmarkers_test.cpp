// Thing markers: shapes, size, placement and which things a scheme shows.
#include "render/thingmarkers.h"

#include <gtest/gtest.h>

#include "render/automap.h"
#include "render/draw.h"
#include "testlib/pixels.h"

namespace tracewell {
namespace {

TEST(ThingMarkers, TrianglesTurnByTheAngleInDoublePrecision) {
  // Corners worked out apart from this code: at 90 and 180 degrees a -1.5 comes out as -1.4999...
  struct {
    std::int64_t r;
    std::int32_t angle;
    std::array<std::array<std::int64_t, 2>, 3> corners;
  } cases[] = {
      {3, 0, {{{3, 0}, {-2, -2}, {-2, 2}}}},
      {3, 90, {{{0, -3}, {-2, 1}, {2, 2}}}},
      {3, 180, {{{-3, 0}, {1, 2}, {2, -2}}}},
      {3, 270, {{{0, 3}, {2, -1}, {-2, -2}}}},
      {3, 45, {{{2, -2}, {-3, 0}, {0, 3}}}},
      {4, -315, {{{3, -3}, {-3, -1}, {1, 3}}}},
      {1024, 45, {{{724, -724}, {-869, -145}, {145, 869}}}},
  };
  for (const auto& c : cases) {
    const markershape s = markerat(100, 200, c.r, c.angle, false);
    for (std::size_t i = 0; i < 3; ++i) {
      const auto &from = c.corners[i], &to = c.corners[(i + 1) % 3];
      const pixelline& l = s.lines[i];
      EXPECT_EQ((std::array{l.x0, l.y0, l.x1, l.y1}),
                (std::array{100 + from[0], 200 + from[1], 100 + to[0], 200 + to[1]}))
          << "r " << c.r << " angle " << c.angle << " line " << i;
    }
  }
}

TEST(ThingMarkers, RadiusIsSixteenUnitsAtTheFittedScale) {
  struct {
    const char* what;
    std::int64_t greatest;  // bounds 0..greatest on both axes unless wide
    bool wide;              // bounds 200 x 100 in a 1000 x 100 image, margin 10: the height sets the scale
    std::int32_t size, margin, fractionbits;
    std::int64_t want;
  } cases[] = {
      {"16 units are one pixel", 1024, false, 64, 0, 0, 3}, {"16.5 rounds up", 32, false, 33, 0, 0, 17},
      {"UDMF units", 32 * 65536, false, 33, 0, 16, 17},     {"both extents 0", 0, false, 64, 0, 0, 3},
      {"margins meet", 100, false, 10, 10, 0, 3},           {"capped", 1, false, 1 << 21, 0, 0, 1 << 20},
      {"shrunk to the height", 0, true, 0, 0, 0, 13},
  };
  for (const auto& c : cases) {
    const mapfit fit = c.wide ? mapfit::make(0, 0, 200, 100, 1000, 100, 10)
                              : mapfit::make(0, 0, c.greatest, c.greatest, c.size, c.size, c.margin);
    EXPECT_EQ(markerradius(fit, c.fractionbits), c.want) << c.what;
  }
}

TEST(ThingMarkers, KeysAreCrossesAtTheVertexPixelOnTopOfOtherKinds) {
  constexpr std::int32_t background = testkit::argb(0xFF000000), keycolor = testkit::argb(0xFFFF2020),
                         monstercolor = testkit::argb(0xFF00FF00);
  struct {
    const char* what;
    std::int64_t greatest, x, y;
    std::int32_t margin;
    std::int64_t px, py, r;  // r 0: nothing shows
  } cases[] = {
      {"smallest marker", 1024, 512, 512, 0, 32, 32, 3},
      {"at the bottom edge", 1024, 0, 1024, 0, 0, 64, 3},
      {"larger than the image", 16, 8, 8, 0, 32, 32, 64},
      {"far outside", 1024, -(std::int64_t{1} << 40), 0, 0, 0, 0, 0},
      {"far outside a huge fit", 1, std::int64_t{1} << 47, 0, -(1 << 30), 0, 0, 0},
  };
  for (const auto& c : cases) {
    map m;
    m.vertexes = {{0, 0}, {c.greatest, c.greatest}};
    m.linedefs = {linedef{.endvertex = 1, .rightside = -1, .leftside = -1}};
    // A monster under the key, listed after it, must not hide it.
    const thing key{.x = c.x, .y = c.y, .type = 13, .skills = thing::allskills, .single = true};
    m.things = std::vector{key, thing{.x = c.x, .y = c.y, .type = 3001, .skills = 0x1F, .single = true}};
    thinglook look;
    look.colors[static_cast<std::size_t>(thingkind::keyred)] = keycolor;
    look.colors[static_cast<std::size_t>(thingkind::monster)] = monstercolor;
    // The line is a passable plain line, not drawn: the image is the background and the markers.
    schemelook all = schemelook::fromlists(background, {}, {}, 0);
    all.things = look;
    auto drawn = render(m, 64, 64, c.margin, all);
    auto want = TPixmap::Create(64, 64);
    want->ClearPixels(background);
    if (c.r > 0) {
      const markershape triangle = markerat(c.px, c.py, c.r, 0, false);  // its shape is held above
      for (const pixelline& l : triangle.lines) drawline(*want, l.x0, l.y0, l.x1, l.y1, monstercolor);
      drawline(*want, c.px - c.r, c.py, c.px + c.r, c.py, keycolor);
      drawline(*want, c.px, c.py - c.r, c.px, c.py + c.r, keycolor);
    }
    ASSERT_TRUE(drawn.ok() && drawn.value());
    EXPECT_TRUE(testkit::samepixels(*drawn.value(), *want)) << c.what;
  }
}

TEST(ThingMarkers, SkillAndMultiplayerFilter) {
  struct {
    std::uint8_t skills;
    bool single;
    std::int32_t type, skill, multiplayer;
    bool want;
  } cases[] = {
      {0x08, true, 3001, 0, 0, true},    // absent skill is 4
      {0x01, true, 3001, -3, 0, true},   // clamped to 1
      {0x10, true, 3001, 9, 0, true},    // clamped to 5
      {0x0F, true, 3001, 5, 0, false},   // not in skill 5
      {0x1F, false, 3001, 4, 0, false},  // multiplayer only
      {0x1F, false, 3001, 4, 1, true},   // shown with multiplayer on
      {0x00, false, 1, 4, 0, true},      // player starts whatever their flags
      {0x00, false, 11, 4, 0, true},     // deathmatch starts likewise
  };
  for (const auto& c : cases) {
    const thing t{.type = c.type, .skills = c.skills, .single = c.single};
    thinglook look;
    look.skill = c.skill;
    look.multiplayer = c.multiplayer;
    EXPECT_EQ(thingshown(t, thingkindof(mapmeaning::doom, c.type), look), c.want)
        << "type " << c.type << " skills " << int{c.skills} << " skill " << c.skill;
  }
}

}  // namespace
}  // namespace tracewell

namespace tracewell {
namespace {

// Piles of markers at one spot, in every style, opaque and translucent: the image is the one every
// marker drawn in turn gives, though most of a pile is not drawn.
TEST(ThingMarkers, PilesDrawAsEveryMarkerDrawnInTurn) {
  const mapfit fit = mapfit::make(0, 0, 64, 64, 48, 40, 2);
  const std::int64_t r = 9;
  const std::int32_t red = testkit::argb(0xFFFF2020), glass = testkit::argb(0x60FF2020);
  const std::int32_t blue = testkit::argb(0xFF3060FF), fog = testkit::argb(0x303060FF);
  const auto pile = [](std::int32_t a, std::int32_t b, bool cross, std::int32_t angle) {
    std::vector<scenemarker> out;
    for (int i = 0; i < 300; ++i) {
      const bool second = i % 100 >= 60;  // runs of one colour, then of the other
      out.push_back({20, 30, second ? angle : 0, second ? b : a, 0, cross, 0});
      if (i % 50 == 49) out.push_back({22, 31, 0, a, 0, cross, 0});  // a neighbour breaks the run
    }
    out.push_back({-500, 30, 0, a, 0, cross, 0});  // far outside
    return out;
  };
  const std::vector<scenemarker> piles[] = {pile(red, blue, true, 0), pile(glass, fog, true, 0),
                                            pile(red, glass, false, 90), pile(fog, fog, false, 45)};
  const linestyle styles[] = {{1, false}, {1, true}, {16, false}, {5, true}};
  for (const linestyle& style : styles) {
    for (std::size_t p = 0; p < std::size(piles); ++p) {
      auto got = TPixmap::Create(48, 40), want = TPixmap::Create(48, 40);
      got->ClearPixels(testkit::argb(0xFF102030));
      want->ClearPixels(testkit::argb(0xFF102030));
      drawmarkers(piles[p], fit, r, style, *got);
      for (const scenemarker& m : piles[p]) {
        const markershape s = markerat(fit.column(m.x), fit.row(m.y), r, m.angle, m.cross);
        for (std::size_t i = 0; i < s.count; ++i)
          drawstyledline(*want, s.lines[i].x0, s.lines[i].y0, s.lines[i].x1, s.lines[i].y1, m.color, style);
      }
      EXPECT_TRUE(testkit::samepixels(*got, *want))
          << "pile " << p << " width " << style.width << (style.antialias ? " smooth" : "");
    }
  }
}

}  // namespace
}  // namespace tracewell
