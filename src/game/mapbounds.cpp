// A map's bounds: the least and greatest x and y its lines reach.
#include "game/mapbounds.h"

#include <algorithm>

namespace tracewell {

result<mapbounds> boundsof(const map& m) {
  mapbounds b;
  if (status refs = checkreferences(m); !refs.ok()) return refs.error();
  bool first = true;
  for (const linedef& l : m.linedefs) {
    const vertex& a = m.vertexes[l.startvertex];
    const vertex& e = m.vertexes[l.endvertex];
    if (first) {
      b = {a.x, a.y, a.x, a.y};
      first = false;
    }
    b.leastx = std::min({b.leastx, a.x, e.x});
    b.leasty = std::min({b.leasty, a.y, e.y});
    b.greatestx = std::max({b.greatestx, a.x, e.x});
    b.greatesty = std::max({b.greatesty, a.y, e.y});
  }
  return b;
}

}  // namespace tracewell
