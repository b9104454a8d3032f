// Map checks on very large built maps.
#include "checkcost.h"

#include <algorithm>
#include <random>

#include "game/mapchecks.h"
#include "stopwatch.h"
#include "wad/map.h"

namespace tracewell::bench {

namespace {

std::uint32_t addside(map& m, std::uint32_t sector) {
  sidedef s;
  s.sector = sector;
  s.middletex = s.uppertex = s.lowertex = u"STARTAN3";
  m.sidedefs.push_back(s);
  return static_cast<std::uint32_t>(m.sidedefs.size() - 1);
}

// n x n rooms of 64 units; room (i, j) is sector i * n + j.
map lattice(std::size_t lines, std::size_t things, std::size_t& outside) {
  std::size_t n = 1;
  while (2 * n * (n + 1) < lines) ++n;
  constexpr std::int64_t size = 64;
  map m;
  m.sectors.resize(n * n);
  for (std::size_t s = 0; s < m.sectors.size(); ++s) {
    m.sectors[s].floorheight = s % 4 == 0 ? 16 : 0;
    m.sectors[s].ceilheight = 128;
  }
  for (std::size_t i = 0; i <= n; ++i) {
    for (std::size_t j = 0; j <= n; ++j)
      m.vertexes.push_back({static_cast<std::int64_t>(j) * size, static_cast<std::int64_t>(i) * size});
  }
  auto at = [&](std::size_t i, std::size_t j) { return static_cast<std::uint32_t>(i * (n + 1) + j); };
  auto room = [&](std::size_t i, std::size_t j) { return static_cast<std::uint32_t>(i * n + j); };
  // A line from a to b between two rooms (-1: none); a wall turned so that its one side is the front.
  auto add = [&](std::uint32_t a, std::uint32_t b, std::int64_t front, std::int64_t back) {
    linedef l;
    l.startvertex = a;
    l.endvertex = b;
    l.rightside = front < 0 ? -1 : static_cast<std::int32_t>(addside(m, static_cast<std::uint32_t>(front)));
    l.leftside = back < 0 ? -1 : static_cast<std::int32_t>(addside(m, static_cast<std::uint32_t>(back)));
    if (l.rightside < 0) std::swap(l.startvertex, l.endvertex), std::swap(l.rightside, l.leftside);
    l.flags = l.leftside >= 0 ? 4 : 1;
    m.linedefs.push_back(l);
  };
  for (std::size_t i = 0; i <= n; ++i) {
    for (std::size_t j = 0; j < n; ++j) {  // along x, between rows i - 1 and i
      const std::int64_t below = i > 0 ? room(i - 1, j) : -1, above = i < n ? room(i, j) : -1;
      add(at(i, j + 1), at(i, j), above, below);
    }
  }
  for (std::size_t j = 0; j <= n; ++j) {
    for (std::size_t i = 0; i < n; ++i) {  // along y, between columns j - 1 and j
      const std::int64_t west = j > 0 ? room(i, j - 1) : -1, east = j < n ? room(i, j) : -1;
      add(at(i, j), at(i + 1, j), east, west);
    }
  }
  std::mt19937 random(11);
  const auto span = static_cast<std::int64_t>(n) * size;
  // On a line, a thing stands on its -x side and, on a line along x, on its +y side: so the walls at the
  // lattice's -x and +y edges have nothing inside on them, and no thing stands there.
  std::uniform_int_distribution<std::int64_t> coordinate(1, span - 1), grid(1, static_cast<std::int64_t>(n));
  m.things.emplace();
  outside = 0;
  for (std::size_t k = 0; k < things; ++k) {
    thing t;
    t.type = 3001;
    t.skills = thing::allskills;
    t.single = t.coop = t.deathmatch = true;
    t.x = coordinate(random);
    t.y = coordinate(random);
    if (k % 10 == 0) t.x = grid(random) * size;  // on a line along y, or on a vertex
    if (k % 20 == 0) t.y = (grid(random) - 1) * size;
    if (k % 100 == 1) t.x = span + 1 + t.x, ++outside;
    m.things->push_back(t);
  }
  for (std::int32_t p = 1; p <= 4; ++p) {
    thing t;
    t.type = p;
    t.x = t.y = 32;
    t.skills = thing::allskills;
    t.single = t.coop = t.deathmatch = true;
    m.things->push_back(t);
  }
  return m;
}

// Random lines chained end to end across a 32768-unit square: long lines crossing one another, rays
// through hundreds of them, sectors that close nowhere.
map tangle(std::size_t lines, std::size_t things) {
  std::mt19937 random(7);
  std::uniform_int_distribution<std::int64_t> coordinate(-16384, 16383);
  map m;
  m.sectors.resize(64);
  for (std::size_t i = 0; i <= lines; ++i) m.vertexes.push_back({coordinate(random), coordinate(random)});
  for (std::size_t i = 0; i < lines; ++i) {
    linedef l;
    l.startvertex = static_cast<std::uint32_t>(i);
    l.endvertex = static_cast<std::uint32_t>(i + 1);
    l.rightside = static_cast<std::int32_t>(addside(m, static_cast<std::uint32_t>(i % 64)));
    m.linedefs.push_back(l);
  }
  m.things.emplace();
  for (std::size_t i = 0; i < things; ++i) {
    thing t;
    t.x = coordinate(random);
    t.y = coordinate(random);
    t.type = 3001;
    t.skills = thing::allskills;
    m.things->push_back(t);
  }
  return m;
}

double leastms(const map& m, int rounds, std::size_t& findings) {
  double least = 0;
  for (int r = 0; r < rounds; ++r) {
    stopwatch clock;
    const sectoroutlines outlines(m);
    findings = checkmap(m, outlines, presetseverities()).size();
    const double ms = clock.lap();
    least = r == 0 ? ms : std::min(least, ms);
  }
  return least;
}

}  // namespace

checkcost runcheckcost(std::size_t lines, std::size_t things, int rounds) {
  checkcost c;
  const map rooms = lattice(lines, things, c.expected);
  c.lines = rooms.linedefs.size();
  c.things = things;
  c.latticems = leastms(rooms, rounds, c.findings);
  std::size_t ignored = 0;
  c.randomms = leastms(tangle(lines, things), rounds, ignored);
  return c;
}

}  // namespace tracewell::bench
