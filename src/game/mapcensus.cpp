// What a map holds for play: locked, exit and teleport lines, secret sectors, keys and monsters.
#include "game/mapcensus.h"

#include "game/specialmeaning.h"
#include "game/thingkind.h"

namespace tracewell {

mapcensus takecensus(const map& m) {
  mapcensus c;
  for (const linedef& l : m.linedefs) {
    const linemeanings set = meaningsof(l, m.sideof(l.rightside), m.sideof(l.leftside), m.meaning);
    c.lockedlines += (set & lockedlines) != 0 ? 1 : 0;
    c.exitlines += (set & exitlines) != 0 ? 1 : 0;
    c.teleportlines += (set & linebit(linemeaning::teleport)) != 0 ? 1 : 0;
  }
  for (const sector& s : m.sectors) c.secretsectors += secretsector(s.sectortype, m.meaning) ? 1 : 0;
  if (m.things) {
    c.keys = 0;
    c.monsters = 0;
    for (const thing& t : *m.things) {
      const thingkind k = thingkindof(m.meaning, t.type);
      *c.keys += iskey(k) ? 1 : 0;
      *c.monsters += k == thingkind::monster ? 1 : 0;
    }
  }
  return c;
}

}  // namespace tracewell
