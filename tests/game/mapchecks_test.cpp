// The map checks on small built maps, each with one planted fault, and the sector look-up against the
// plain parity count on every thing of freedoom2.
#include "game/mapchecks.h"

#include <gtest/gtest.h>

#include <functional>

#include "game/mapstats.h"
#include "testlib/mapedit.h"

namespace tracewell {
namespace {

thing place(std::int32_t type, std::int64_t x, std::int64_t y, std::uint8_t skills = thing::allskills) {
  thing t;
  t.type = type;
  t.x = x;
  t.y = -y;  // stored y up, as vertexes
  t.skills = skills;
  t.single = t.coop = t.deathmatch = true;
  return t;
}

// A room (sector 0) of 256 x 256 with four starts, and beside it a closet (sector 1, tag 5) of 64 x 64;
// every wall one-sided and textured. Lines 0-3 the room's, 4-7 the closet's.
map rooms() {
  map m;
  auto square = [&](std::int64_t x0, std::int64_t y0, std::int64_t side, std::uint32_t sec) {
    const auto first = static_cast<std::uint32_t>(m.vertexes.size());
    for (const auto& [x, y] : {std::pair{x0, y0}, {x0, y0 + side}, {x0 + side, y0 + side}, {x0 + side, y0}})
      m.vertexes.push_back({x, -y});
    for (std::uint32_t i = 0; i < 4; ++i) {
      linedef l;
      l.startvertex = first + i;
      l.endvertex = first + (i + 1) % 4;
      l.rightside = static_cast<std::int32_t>(m.sidedefs.size());
      l.leftside = -1;
      m.linedefs.push_back(l);
      sidedef s;
      s.middletex = u"STARTAN3";
      s.sector = sec;
      m.sidedefs.push_back(s);
    }
  };
  square(0, 0, 256, 0);
  square(512, 0, 64, 1);
  m.sectors.resize(2);
  m.sectors[0].ceilheight = m.sectors[1].ceilheight = 128;
  m.sectors[1].sectortag = 5;
  m.things = std::vector<thing>{place(1, 32, 32), place(2, 64, 32), place(3, 96, 32), place(4, 128, 32)};
  return m;
}

TEST(MapChecks, EachPlantedFaultIsFoundAloneAndTheMendedMapHasNone) {
  struct planted {
    const char* name;
    std::function<void(map&)> fault, mend;
    checkcode code;
    text address;
    std::string message;
  };
  auto special = [](map& m, std::size_t line, std::int64_t s, std::uint16_t tag) {
    m.linedefs[line].special = s;
    m.linedefs[line].sectortag = tag;
  };
  const std::vector<planted> cases = {
      {"red door, key at skills 4-5 only",
       [&](map& m) { special(m, 2, 28, 0), m.things->push_back(place(13, 200, 200, 0x18)); },
       [](map& m) { m.things->back().skills = thing::allskills; }, checkcode::missingkey, u"L2",
       "red lock, no red key at skills 1-2 and 3 in single play and coop"},
      {"teleporter into an empty closet", [&](map& m) { special(m, 2, 97, 5); },
       [](map& m) { m.things->push_back(place(14, 544, 32)); }, checkcode::teleportnodestination, u"L2",
       "teleporter, no destination in the sectors of tag 5 at skills 1-2, 3 and 4-5 in single play and coop"},
      {"lift tagged to no sector", [&](map& m) { special(m, 1, 88, 9); },
       [&](map& m) { special(m, 1, 88, 5); }, checkcode::tagnosector, u"L1",
       "special 88, no sector has tag 9"},
      {"closet missing a side", [](map& m) { m.linedefs[5].rightside = -1; },
       [](map& m) { m.linedefs[5].rightside = 5; }, checkcode::unclosedsector, u"S1",
       "sides do not close at V5, V6"},
      {"key in the void", [](map& m) { m.things->push_back(place(13, 300, 100)); },
       [](map& m) { m.things->back().x = 100; }, checkcode::thingoutside, u"T4",
       "red keycard (13) stands in no sector"},
      {"wall without a texture", [](map& m) { m.sidedefs[2].middletex = u"-"; },
       [](map& m) { m.sidedefs[2].middletex = u"STARTAN3"; }, checkcode::missingtexture, u"L2",
       "one-sided, no middle texture"},
      // The closet is sealed: its walls show only while a switch can open it.
      {"closet wall without a texture, the closet opened by a switch",
       [&](map& m) { special(m, 1, 103, 5), m.sidedefs[6].middletex = u"-"; },
       [&](map& m) { special(m, 1, 0, 0); }, checkcode::missingtexture, u"L6",
       "one-sided, no middle texture"},
      {"a line drawn twice, the other way, without sides",
       [](map& m) {
         linedef l = m.linedefs[0];
         std::swap(l.startvertex, l.endvertex);
         l.rightside = -1;
         m.linedefs.push_back(l);
       },
       [](map& m) { m.linedefs.pop_back(); }, checkcode::degenerateline, u"L8", "same end points as L0"},
      {"three starts", [](map& m) { m.things->pop_back(); },
       [](map& m) { m.things->push_back(place(4, 128, 32)); }, checkcode::playerstart, u"",
       "3 of 4 cooperative starts"},
  };
  for (const planted& c : cases) {
    SCOPED_TRACE(c.name);
    map m = rooms();
    c.fault(m);
    std::vector<finding> found = checkmap(m, sectoroutlines(m), presetseverities());
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].code, c.code);
    EXPECT_EQ(found[0].at.words(), c.address);
    EXPECT_EQ(toutf8(found[0].message), c.message);
    c.mend(m);
    found = checkmap(m, sectoroutlines(m), presetseverities());
    EXPECT_TRUE(found.empty()) << toutf8(found.empty() ? text() : found[0].message);
  }
}

// The plain rule, written apart from the grid: every linedef's sides toggle their sectors' parity when
// the line spans y (one end at or below, one above) and meets the ray at or past x; of the odd
// sectors, the nearest crossed, the lowest of a tie. Exact in 64 bits for 16-bit coordinates.
std::int64_t plainsectorat(const map& m, std::int64_t x, std::int64_t y) {
  struct parity {
    bool odd = false;
    std::int64_t n = -1, d = 1;  // the nearest crossing, x + n / d
  };
  std::vector<parity> sectors(m.sectors.size());
  for (const linedef& l : m.linedefs) {
    vertex a = m.vertexes[l.startvertex], b = m.vertexes[l.endvertex];
    if ((a.y > y) == (b.y > y)) continue;
    if (a.y > b.y) std::swap(a, b);
    const std::int64_t n = (b.x - a.x) * (y - a.y) - (x - a.x) * (b.y - a.y), d = b.y - a.y;
    if (n < 0) continue;
    for (const std::int32_t side : {l.rightside, l.leftside}) {
      if (side < 0) continue;
      parity& p = sectors[m.sidedefs[static_cast<std::size_t>(side)].sector];
      p.odd = !p.odd;
      if (p.n < 0 || n * p.d < p.n * d) p.n = n, p.d = d;
    }
  }
  std::int64_t best = -1;
  for (std::size_t s = 0; s < sectors.size(); ++s) {
    const parity& p = sectors[s];
    if (p.odd && (best < 0 || p.n * sectors[best].d < sectors[best].n * p.d))
      best = static_cast<std::int64_t>(s);
  }
  return best;
}

// Every thing of freedoom2, and the same places moved onto the nearest vertex and onto the middle of a
// line (rays through vertexes, points on boundaries), against the plain rule.
TEST(SectorOutlines, EveryPlaceStandsInTheSectorOfThePlainRule) {
  const auto& maps = testkit::freedoom2maps();
  if (maps.empty()) GTEST_SKIP() << "freedoom2.wad not installed";
  std::size_t compared = 0, void_ = 0;
  for (const auto& [name, m] : maps) {
    const sectoroutlines outlines(*m);
    std::size_t k = 0;
    for (const thing& t : *m->things) {
      const linedef& l = m->linedefs[k++ % m->linedefs.size()];
      const vertex& a = m->vertexes[l.startvertex];
      const vertex& b = m->vertexes[l.endvertex];
      for (const auto& [x, y] : {std::pair{t.x, t.y}, {a.x, a.y}, {(a.x + b.x) / 2, (a.y + b.y) / 2}}) {
        const std::int64_t plain = plainsectorat(*m, x, y);
        ASSERT_EQ(outlines.sectorat(x, y), plain) << toutf8(name) << " at " << x << ", " << -y;
        ++compared;
        void_ += plain < 0 ? 1 : 0;
      }
    }
  }
  // About 36,000 places on the whole WAD; the sanitizer builds take its first four maps.
  EXPECT_GT(compared, maps.size() * 500);
  EXPECT_GT(void_, 0u);
}

TEST(SectorOutlines, ARoomIsOneOuterLoopAndAPillarAHole) {
  map m = rooms();
  // A pillar in the room: four one-sided lines facing out into sector 0.
  const auto first = static_cast<std::uint32_t>(m.vertexes.size());
  for (const auto& [x, y] : {std::pair{100, 100}, {150, 100}, {150, 150}, {100, 150}})
    m.vertexes.push_back({x, -y});
  for (std::uint32_t i = 0; i < 4; ++i) {
    linedef l;
    l.startvertex = first + i;
    l.endvertex = first + (i + 1) % 4;
    l.rightside = 0;
    l.leftside = -1;
    m.linedefs.push_back(l);
  }
  const sectoroutlines o(m);
  ASSERT_EQ(o.outlines().size(), 2u);
  const sectoroutline& room = o.outlines()[0];
  ASSERT_EQ(room.loops.size(), 2u);
  EXPECT_TRUE(room.openvertices.empty() && room.openchains.empty());
  int holes = 0;
  for (const outlineloop& l : room.loops) {
    holes += l.hole() ? 1 : 0;
    EXPECT_EQ(std::abs(static_cast<double>(l.area2)), l.hole() ? 2.0 * 50 * 50 : 2.0 * 256 * 256);
  }
  EXPECT_EQ(holes, 1);
  EXPECT_EQ(o.sectorat(120, -120), -1) << "inside the pillar";
  EXPECT_EQ(o.sectorat(50, -120), 0);
  EXPECT_EQ(o.sectorat(540, -30), 1);
  EXPECT_EQ(o.sectorat(400, -30), -1);
}

// Values typed from Doom's public source: info.c (imp 60, zombieman 20 hit points), p_inter.c (a clip
// 10 bullets, dropped 5; a shotgun two clips of 4 shells, five in deathmatch; a medikit 25).
TEST(MapStats, CellsAgainstTheGamesOwnValues) {
  map m = rooms();
  m.things->push_back(place(3001, 10, 10));
  m.things->push_back(place(3001, 20, 10));
  m.things->push_back(place(3004, 30, 10, 0x18));
  m.things->push_back(place(2001, 40, 10));
  m.things->push_back(place(2007, 50, 10, 0x03));
  m.things->push_back(place(2012, 60, 10));
  m.things->push_back(place(11, 70, 10));
  const std::optional<mapstats> s = statsof(m);
  ASSERT_TRUE(s);
  const statcell& hard = s->cells[0][2];
  EXPECT_EQ(hard.monsters, 3);
  EXPECT_EQ(hard.hitpoints, 60 + 60 + 20);
  EXPECT_EQ(hard.health, 25);
  ASSERT_TRUE(hard.ammunition);
  EXPECT_EQ((*hard.ammunition)[0], 5);  // the zombieman's clip
  EXPECT_EQ((*hard.ammunition)[1], 8);
  ASSERT_TRUE(hard.ratio && hard.ratiodoubled);
  EXPECT_DOUBLE_EQ(*hard.ratio, (5 * 10 + 8 * 70) / 140.0);
  EXPECT_DOUBLE_EQ(*hard.ratiodoubled, 2 * *hard.ratio);
  const statcell& easy = s->cells[0][0];
  EXPECT_EQ(easy.hitpoints, 120);
  EXPECT_EQ((*easy.ammunition)[0], 10);
  EXPECT_FALSE(s->cells[0][1].ratiodoubled) << "skill 3 is not doubled";
  EXPECT_EQ((*s->cells[2][1].ammunition)[1], 20) << "a shotgun in deathmatch";
  EXPECT_EQ(hard.playerstarts, 4);
  EXPECT_EQ(hard.deathmatchstarts, 1);
  m.meaning = mapmeaning::heretic;
  EXPECT_FALSE(statsof(m)->cells[0][2].hitpoints) << "no values for Heretic: null, not a guess";
}

}  // namespace
}  // namespace tracewell
