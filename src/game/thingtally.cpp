// Things counted for play: how many appear at each skill in each mode, and monsters and items by type.
#include "game/thingtally.h"

#include "game/thingkind.h"

namespace tracewell {

std::optional<thingtally> tallythings(const map& m) {
  if (!m.things) return std::nullopt;
  // The skill bits (skill s is bit s - 1) of each group.
  constexpr std::array<std::uint8_t, skillgroups> groups = {0x03, 0x04, 0x18};
  thingtally t;
  for (const thing& th : *m.things) {
    for (std::size_t mode = 0; mode < playmodes; ++mode) {
      if (!(th.*playmoderows[mode].in)) continue;
      for (std::size_t g = 0; g < skillgroups; ++g)
        t.byskill[mode][g] += (th.skills & groups[g]) != 0 ? 1 : 0;
    }
    const thingkind kind = thingkindof(m.meaning, th.type);
    if (kind == thingkind::monster) ++t.monstertypes[th.type];
    if (kind == thingkind::item) ++t.itemtypes[th.type];
  }
  return t;
}

}  // namespace tracewell
