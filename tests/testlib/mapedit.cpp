// Real maps saved again for the diff's tests: renumbered as another editor would, and as binary records.
#include "testlib/mapedit.h"

#include <algorithm>
#include <numeric>
#include <random>

#include "testlib/harness.h"

namespace tracewell::testkit {

namespace {

// A permutation of 0..n-1: record i of the original goes to place p[i].
std::vector<std::uint32_t> shuffled(std::size_t n, std::mt19937& random) {
  std::vector<std::uint32_t> p(n);
  std::iota(p.begin(), p.end(), 0u);
  std::shuffle(p.begin(), p.end(), random);
  return p;
}

template <typename T>
std::vector<T> placed(const std::vector<T>& records, const std::vector<std::uint32_t>& p) {
  std::vector<T> out(records.size());
  for (std::size_t i = 0; i < records.size(); ++i) out[p[i]] = records[i];
  return out;
}

template <typename Index>
Index moved(Index i, const std::vector<std::uint32_t>& p) {
  if (i < 0 || static_cast<std::size_t>(i) >= p.size()) return i;
  return static_cast<Index>(p[static_cast<std::size_t>(i)]);
}

}  // namespace

map renumbered(const map& m, std::uint32_t seed) {
  std::mt19937 random(seed);
  const auto pv = shuffled(m.vertexes.size(), random), pl = shuffled(m.linedefs.size(), random);
  const auto ps = shuffled(m.sidedefs.size(), random), pc = shuffled(m.sectors.size(), random);
  map out = m;
  out.vertexes = placed(m.vertexes, pv);
  out.sectors = placed(m.sectors, pc);
  out.sidedefs = placed(m.sidedefs, ps);
  for (sidedef& s : out.sidedefs) s.sector = moved(s.sector, pc);
  std::vector<linedef> lines = m.linedefs;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    linedef& l = lines[i];
    l.startvertex = moved(l.startvertex, pv);
    l.endvertex = moved(l.endvertex, pv);
    l.rightside = moved(l.rightside, ps);
    l.leftside = moved(l.leftside, ps);
    if (i % 3 == 0) {
      std::swap(l.startvertex, l.endvertex);
      std::swap(l.rightside, l.leftside);
    }
  }
  out.linedefs = placed(lines, pl);
  if (m.things) out.things = placed(*m.things, shuffled(m.things->size(), random));
  return out;
}

mapdata rawof(const map& m) {
  mapdata out;
  for (const vertex& v : m.vertexes) {
    out.vertexes.push_back({static_cast<std::int32_t>(v.x), static_cast<std::int32_t>(-v.y)});
  }
  for (const linedef& l : m.linedefs) {
    rawlinedef r;
    r.startvertex = static_cast<std::int32_t>(l.startvertex);
    r.endvertex = static_cast<std::int32_t>(l.endvertex);
    r.flags = l.flags;
    r.special = static_cast<std::int32_t>(l.special);
    r.sectortag = l.sectortag;
    r.rightside = l.rightside;
    r.leftside = l.leftside;
    out.linedefs.push_back(r);
  }
  for (const sidedef& s : m.sidedefs) {
    out.sidedefs.push_back({s.xoff, s.yoff, tobytes(s.uppertex), tobytes(s.lowertex), tobytes(s.middletex),
                            static_cast<std::int32_t>(s.sector)});
  }
  for (const sector& s : m.sectors) {
    out.sectors.push_back({s.floorheight, s.ceilheight, tobytes(s.floortex), tobytes(s.ceiltex), s.light,
                           static_cast<std::int32_t>(s.sectortype), s.sectortag});
  }
  for (const thing& t : m.things.value_or(std::vector<thing>{})) {
    out.things.push_back(
        {static_cast<std::int32_t>(t.x), static_cast<std::int32_t>(-t.y), t.angle, t.type, t.flags});
  }
  return out;
}

const std::vector<std::pair<text, std::shared_ptr<map>>>& freedoom2maps() {
  static const auto maps = [] {
    std::vector<std::pair<text, std::shared_ptr<map>>> out;
    const std::string path = freedoom2path();
    if (path.empty()) return out;
    const auto w = readwad(bytestream::openread(fromutf8(path)), wad::DOOM);
    if (!w) return out;
    for (const text& name : w->getmapnames()) {
      if (out.size() == freedoom2mapcount) break;
      auto made = map::Create(w->getmaplumps(name, wad::maplumps), wad::DOOM, {}, true);
      if (made.ok()) out.emplace_back(name, made.value());
    }
    return out;
  }();
  return maps;
}

wadbuilder wadof(const std::vector<std::pair<text, map>>& maps) {
  wadbuilder b;
  for (const auto& [name, m] : maps) b.addmap(tobytes(name), rawof(m));
  return b;
}

map linesandthings(const std::vector<std::array<std::int32_t, 4>>& lines,
                   const std::vector<std::array<std::int32_t, 3>>& things) {
  map m;
  m.sectors.resize(1);
  m.sidedefs.resize(1);
  for (const auto& [x0, y0, x1, y1] : lines) {
    m.vertexes.push_back({x0, -y0});
    m.vertexes.push_back({x1, -y1});
    linedef l;
    l.startvertex = static_cast<std::uint32_t>(m.vertexes.size() - 2);
    l.endvertex = static_cast<std::uint32_t>(m.vertexes.size() - 1);
    l.leftside = -1;
    m.linedefs.push_back(l);
  }
  m.things.emplace();
  for (const auto& [type, x, y] : things) {
    thing t;
    t.type = type;
    t.x = x;
    t.y = -y;
    t.skills = thing::allskills;
    m.things->push_back(t);
  }
  return m;
}

}  // namespace tracewell::testkit
