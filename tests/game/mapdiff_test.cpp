// The map diff: real maps renumbered and edited, with the expected changes taken from the edit made.
#include "game/mapdiff.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "testlib/harness.h"
#include "testlib/mapedit.h"
#include "testlib/wadbuilder.h"

namespace tracewell {
namespace {

const std::vector<std::pair<text, std::shared_ptr<map>>>& realmaps() {
  return testkit::freedoom2maps();
}

std::set<std::int64_t> numbers(const std::vector<recordchange>& records, changekind k, bool fromnew = true) {
  std::set<std::int64_t> out;
  for (const recordchange& c : records) {
    if (c.kind == k) out.insert(fromnew ? c.newnumber : c.oldnumber);
  }
  return out;
}

std::uint32_t bitof(std::string_view name) {
  for (std::size_t i = 0; i < lineproperties.size(); ++i) {
    if (lineproperties[i].name == name) return std::uint32_t{1} << i;
  }
  for (std::size_t i = 0; i < thingproperties.size(); ++i) {
    if (thingproperties[i].name == name) return std::uint32_t{1} << i;
  }
  return 0;
}

std::set<std::string> dumplines(const map& m) {
  std::set<std::string> out;
  std::istringstream in(dumpmap(m));
  for (std::string line; std::getline(in, line);) out.insert(line);
  return out;
}

TEST(MapDiff, RenumberedMapsShowNoChange) {
  if (realmaps().empty()) GTEST_SKIP() << "freedoom2.wad is not installed";
  std::uint32_t seed = 1;
  for (const auto& [name, m] : realmaps()) {
    const map other = testkit::renumbered(*m, seed++);
    const mapdiff d = diffmaps(*m, other);
    EXPECT_TRUE(d.empty()) << tobytes(name) << ": " << d.lines.size() << " lines, " << d.things.size()
                           << " things";
    EXPECT_EQ(dumpmap(*m), dumpmap(other)) << tobytes(name);
  }
  EXPECT_EQ(realmaps().size(), testkit::freedoom2mapcount);
}

TEST(MapDiff, MovedVertexReplacesExactlyTheLinesThroughIt) {
  if (realmaps().empty()) GTEST_SKIP() << "freedoom2.wad is not installed";
  for (const auto& [name, m] : realmaps()) {
    map edited = *m;
    const std::uint32_t v = edited.linedefs[edited.linedefs.size() / 2].startvertex;
    // A place no vertex holds, so no moved line can fall on another.
    vertex to = edited.vertexes[v];
    do {
      to.x += 3;
      to.y += 5;
    } while (std::any_of(edited.vertexes.begin(), edited.vertexes.end(),
                         [&](const vertex& w) { return w.x == to.x && w.y == to.y; }));
    edited.vertexes[v] = to;
    std::set<std::int64_t> through;
    for (std::size_t i = 0; i < edited.linedefs.size(); ++i) {
      if (edited.linedefs[i].startvertex == v || edited.linedefs[i].endvertex == v)
        through.insert(std::int64_t(i));
    }
    const mapdiff d = diffmaps(testkit::renumbered(*m, 7), edited);
    EXPECT_EQ(numbers(d.lines, changekind::added), through) << tobytes(name);
    EXPECT_EQ(d.linecount(changekind::removed), through.size()) << tobytes(name);
    EXPECT_EQ(d.lines.size(), 2 * through.size()) << tobytes(name);
    EXPECT_TRUE(d.things.empty());
  }
}

TEST(MapDiff, SpecialAndSectorHeightChangeExactlyTheirLines) {
  if (realmaps().empty()) GTEST_SKIP() << "freedoom2.wad is not installed";
  for (const auto& [name, m] : realmaps()) {
    map edited = *m;
    const std::uint32_t s = static_cast<std::uint32_t>(edited.sectors.size() / 2);
    edited.sectors[s].floorheight += 8;
    const auto borders = [&](const linedef& l) {
      for (const std::int32_t side : {l.rightside, l.leftside}) {
        if (side >= 0 && static_cast<std::size_t>(side) < edited.sidedefs.size() &&
            edited.sidedefs[static_cast<std::size_t>(side)].sector == s) {
          return true;
        }
      }
      return false;
    };
    std::set<std::int64_t> sectorlines;
    std::int64_t k = -1;
    for (std::size_t i = 0; i < edited.linedefs.size(); ++i) {
      if (borders(edited.linedefs[i])) {
        sectorlines.insert(std::int64_t(i));
      } else if (k < 0 && edited.linedefs[i].special == 0) {
        k = std::int64_t(i);
      }
    }
    ASSERT_GE(k, 0);
    edited.linedefs[static_cast<std::size_t>(k)].special = 97;
    const mapdiff d = diffmaps(testkit::renumbered(*m, 11), edited);
    std::set<std::int64_t> expected = sectorlines;
    expected.insert(k);
    EXPECT_EQ(numbers(d.lines, changekind::changed), expected) << tobytes(name);
    EXPECT_EQ(d.lines.size(), expected.size()) << tobytes(name);
    EXPECT_EQ(d.sectorschanged, 1u) << tobytes(name);
    for (const recordchange& c : d.lines) {
      const std::uint32_t floors = bitof("front_floor") | bitof("back_floor");
      if (c.newnumber == k) {
        EXPECT_EQ(c.what, bitof("special")) << tobytes(name);
      } else {
        EXPECT_TRUE(c.what != 0 && (c.what & ~floors) == 0) << tobytes(name) << " line " << c.newnumber;
      }
    }
    // As text, the edit shows as exactly the changed lines.
    const auto before = dumplines(*m), after = dumplines(edited);
    std::vector<std::string> gone;
    std::set_difference(before.begin(), before.end(), after.begin(), after.end(), std::back_inserter(gone));
    EXPECT_EQ(gone.size(), expected.size()) << tobytes(name);
  }
}

TEST(MapDiff, ThingRemovedMovedAndSkillChanged) {
  if (realmaps().empty()) GTEST_SKIP() << "freedoom2.wad is not installed";
  for (const auto& [name, m] : realmaps()) {
    map edited = *m;
    std::vector<thing>& things = *edited.things;
    ASSERT_GE(things.size(), 3u);
    // The moved thing b, and a thing a of another type removed; c's skills change.
    const std::size_t b = things.size() / 2;
    std::size_t a = 0;
    while (things[a].type == things[b].type) ++a;
    const std::size_t c =
        things.size() - 1 == a || things.size() - 1 == b ? things.size() - 2 : things.size() - 1;
    ASSERT_TRUE(c != a && c != b);
    const auto sametypeat = [&](std::int64_t x, std::int64_t y) {
      return std::any_of(things.begin(), things.end(),
                         [&](const thing& t) { return t.type == things[b].type && t.x == x && t.y == y; });
    };
    std::int64_t step = 32;
    if (sametypeat(things[b].x + step, things[b].y)) step = -32;
    ASSERT_FALSE(sametypeat(things[b].x + step, things[b].y)) << tobytes(name);
    things[b].x += step;
    things[c].flags ^= 4;  // the hard skills
    things[c].skills ^= 0x18;
    const std::int64_t newb = std::int64_t(b) - (a < b ? 1 : 0), newc = std::int64_t(c) - (a < c ? 1 : 0);
    things.erase(things.begin() + static_cast<std::ptrdiff_t>(a));
    const mapdiff d = diffmaps(testkit::renumbered(*m, 5), edited);
    EXPECT_TRUE(d.lines.empty());
    ASSERT_EQ(d.things.size(), 3u) << tobytes(name);
    EXPECT_EQ(numbers(d.things, changekind::moved), std::set<std::int64_t>{newb}) << tobytes(name);
    EXPECT_EQ(numbers(d.things, changekind::changed), std::set<std::int64_t>{newc}) << tobytes(name);
    EXPECT_EQ(d.thingcount(changekind::removed), 1u) << tobytes(name);
    for (const recordchange& t : d.things) {
      const std::uint32_t want = t.kind == changekind::moved ? bitof("position") : bitof("skills");
      if (t.kind != changekind::removed) {
        EXPECT_EQ(t.what, want) << tobytes(name);
      }
    }
  }
}

using testkit::linesandthings;

TEST(MapDiff, DuplicatesStacksAndNearestFirst) {
  struct row {
    const char* what;
    map older, newer;
    std::array<std::size_t, 3> lines;   // added, removed, changed
    std::array<std::size_t, 4> things;  // added, removed, moved, changed
  };
  const std::vector<row> rows = {
      {"a line three times against twice",
       linesandthings({{0, 0, 64, 0}, {0, 0, 64, 0}}, {}),
       linesandthings({{0, 0, 64, 0}, {0, 0, 64, 0}, {0, 0, 64, 0}}, {}),
       {1, 0, 0},
       {0, 0, 0, 0}},
      {"zero-length lines pair as any other",
       linesandthings({{5, 5, 5, 5}}, {}),
       linesandthings({{5, 5, 5, 5}, {5, 5, 5, 5}}, {}),
       {1, 0, 0},
       {0, 0, 0, 0}},
      {"no lines in either", linesandthings({}, {}), linesandthings({}, {}), {0, 0, 0}, {0, 0, 0, 0}},
      {"a stack of five moved as one",
       linesandthings({}, {{3001, 0, 0}, {3001, 0, 0}, {3001, 0, 0}, {3001, 0, 0}, {3001, 0, 0}}),
       linesandthings({}, {{3001, 10, 0}, {3001, 10, 0}, {3001, 10, 0}, {3001, 10, 0}, {3001, 10, 0}}),
       {0, 0, 0},
       {0, 0, 5, 0}},
      // In list order 0 would take 30 and leave 40 to 70; nearest first pairs 40 with 30.
      {"nearest first",
       linesandthings({}, {{9, 0, 0}, {9, 40, 0}}),
       linesandthings({}, {{9, 30, 0}, {9, 70, 0}}),
       {0, 0, 0},
       {1, 1, 1, 0}},
      {"64 units reach, 65 do not",
       linesandthings({}, {{9, 0, 0}, {9, 1000, 0}}),
       linesandthings({}, {{9, 0, 64}, {9, 1065, 0}}),
       {0, 0, 0},
       {1, 1, 1, 0}},
      {"a diagonal within 64",
       linesandthings({}, {{9, 0, 0}}),
       linesandthings({}, {{9, 45, 45}}),
       {0, 0, 0},
       {0, 0, 1, 0}},
      {"a diagonal beyond 64",
       linesandthings({}, {{9, 0, 0}}),
       linesandthings({}, {{9, 46, 46}}),
       {0, 0, 0},
       {1, 1, 0, 0}},
      {"another type is no move",
       linesandthings({}, {{9, 0, 0}}),
       linesandthings({}, {{10, 1, 0}}),
       {0, 0, 0},
       {1, 1, 0, 0}},
      {"negative coordinates across cells",
       linesandthings({}, {{9, -1, -1}}),
       linesandthings({}, {{9, 1, 1}}),
       {0, 0, 0},
       {0, 0, 1, 0}},
  };
  for (const row& r : rows) {
    const mapdiff d = diffmaps(r.older, r.newer);
    EXPECT_EQ((std::array{d.linecount(changekind::added), d.linecount(changekind::removed),
                          d.linecount(changekind::changed)}),
              r.lines)
        << r.what;
    EXPECT_EQ((std::array{d.thingcount(changekind::added), d.thingcount(changekind::removed),
                          d.thingcount(changekind::moved), d.thingcount(changekind::changed)}),
              r.things)
        << r.what;
  }
}

// The moved pairing against the plain algorithm: every pair of stacks within reach, sorted by (distance²,
// old number, new number), taken while both have things left. Old things sit at even x and new ones at
// odd x, so that none pairs by place first.
TEST(MapDiff, MovedPairingIsThatOfTheSortedListOfAllPairs) {
  using spot = std::array<std::int32_t, 3>;  // type, x, y
  const auto plain = [](const std::vector<spot>& olds, const std::vector<spot>& news) {
    std::map<spot, std::vector<std::int64_t>> oldstacks, newstacks;
    for (std::size_t i = 0; i < olds.size(); ++i) oldstacks[olds[i]].push_back(std::int64_t(i));
    for (std::size_t i = 0; i < news.size(); ++i) newstacks[news[i]].push_back(std::int64_t(i));
    std::vector<std::tuple<std::int64_t, std::int64_t, std::int64_t, spot, spot>> all;
    for (const auto& [a, as] : oldstacks) {
      for (const auto& [b, bs] : newstacks) {
        const std::int64_t dx = a[1] - b[1], dy = a[2] - b[2];
        if (a[0] == b[0] && dx * dx + dy * dy <= 64 * 64)
          all.emplace_back(dx * dx + dy * dy, as[0], bs[0], a, b);
      }
    }
    std::sort(all.begin(), all.end());
    std::map<spot, std::size_t> oldtaken, newtaken;
    std::set<std::pair<std::int64_t, std::int64_t>> pairs;
    for (const auto& [d2, o, n, a, b] : all) {
      while (oldtaken[a] < oldstacks[a].size() && newtaken[b] < newstacks[b].size()) {
        pairs.emplace(oldstacks[a][oldtaken[a]++], newstacks[b][newtaken[b]++]);
      }
    }
    return pairs;
  };
  struct row {
    const char* what;
    std::int32_t spread, types;  // coordinates in [-spread, spread]
    std::size_t things;          // up to, per version
  };
  const std::vector<row> rows = {
      {"stacks and ties in a 13-unit square", 6, 1, 40},
      {"crowded, two types", 20, 2, 60},
      {"at the edge of reach", 90, 1, 60},
      {"sparse: mostly one candidate each", 2000, 1, 60},
  };
  for (const row& r : rows) {
    for (std::uint32_t seed = 1; seed <= 30; ++seed) {
      std::mt19937 random(seed);
      std::uniform_int_distribution<std::int32_t> coordinate(-r.spread, r.spread), type(1, r.types);
      std::vector<spot> olds(random() % (r.things + 1)), news(random() % (r.things + 1));
      for (auto* side : {&olds, &news}) {
        for (spot& s : *side) {
          s = {type(random), coordinate(random) / 2 * 2 + (side == &news ? 1 : 0), coordinate(random)};
          // Stacks: now and then on the spot before.
          if (&s != side->data() && random() % 4 == 0) s = *(&s - 1);
        }
      }
      const mapdiff d = diffmaps(linesandthings({}, olds), linesandthings({}, news));
      std::set<std::pair<std::int64_t, std::int64_t>> moved;
      for (const recordchange& c : d.things) {
        if (c.kind == changekind::moved) moved.emplace(c.oldnumber, c.newnumber);
      }
      EXPECT_EQ(moved, plain(olds, news)) << r.what << ", seed " << seed;
      EXPECT_EQ(d.things.size(), olds.size() + news.size() - moved.size()) << r.what << ", seed " << seed;
    }
  }
}

TEST(MapDiff, ReversedLineComparesFrontWithBack) {
  // A two-sided line between sectors 0 (floor 0) and 1 (floor 32), drawn both ways round.
  map older = linesandthings({{0, 0, 64, 0}}, {});
  older.sectors.resize(2);
  older.sectors[1].floorheight = 32;
  older.sidedefs.resize(2);
  older.sidedefs[1].sector = 1;
  older.linedefs[0].rightside = 0;
  older.linedefs[0].leftside = 1;
  map newer = older;
  std::swap(newer.linedefs[0].startvertex, newer.linedefs[0].endvertex);
  std::swap(newer.linedefs[0].rightside, newer.linedefs[0].leftside);
  EXPECT_TRUE(diffmaps(older, newer).empty());
  // Turned without its sides, each side now faces the other sector.
  std::swap(newer.linedefs[0].rightside, newer.linedefs[0].leftside);
  const mapdiff d = diffmaps(older, newer);
  ASSERT_EQ(d.lines.size(), 1u);
  EXPECT_EQ(d.lines[0].what, bitof("front_floor") | bitof("back_floor"));
  EXPECT_EQ(d.sectorschanged, 2u);
}

}  // namespace
}  // namespace tracewell
