// What a map holds for play: locked, exit and teleport lines, secret sectors, keys and monsters.
#include "render/mapcensus.h"

#include "render/linecategory.h"
#include "render/specialmeaning.h"
#include "render/thingkind.h"

namespace tracewell {

namespace {

// A side's sector; null when the side, or the sector it names, is missing.
const sector* sideof(const map& m, std::int32_t side) {
  if (side < 0 || static_cast<std::size_t>(side) >= m.sidedefs.size()) return nullptr;
  const std::size_t s = m.sidedefs[static_cast<std::size_t>(side)].sector;
  return s < m.sectors.size() ? &m.sectors[s] : nullptr;
}

}  // namespace

mapcensus takecensus(const map& m) {
  constexpr std::uint32_t locked = fallbackbit(lockedredline) | fallbackbit(lockedblueline) |
                                   fallbackbit(lockedyellowline) | fallbackbit(lockedotherline);
  constexpr std::uint32_t exits = fallbackbit(exitline) | fallbackbit(secretexitline);
  mapcensus c;
  for (const linedef& l : m.linedefs) {
    const std::uint32_t set = fallbackset(l, sideof(m, l.rightside), sideof(m, l.leftside), m.meaning);
    c.lockedlines += (set & locked) != 0 ? 1 : 0;
    c.exitlines += (set & exits) != 0 ? 1 : 0;
    c.teleportlines += (set & fallbackbit(teleportline)) != 0 ? 1 : 0;
  }
  for (const sector& s : m.sectors) c.secretsectors += secretsector(s.sectortype, m.meaning) ? 1 : 0;
  if (m.things) {
    c.keys = 0;
    c.monsters = 0;
    for (const thing& t : *m.things) {
      const thingkind k = thingkindof(m.meaning, t.type);
      *c.keys += infoof(k).cross ? 1 : 0;
      *c.monsters += k == thingkind::monster ? 1 : 0;
    }
  }
  return c;
}

}  // namespace tracewell
