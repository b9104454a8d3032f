// A map's facts for its records: what it holds, made once per map and read by the manifest, the page
// and the gallery, so that every record of one map gives the same counts.
#include "game/mapfacts.h"

namespace tracewell {

mapfacts factsof(const map& m, bool counts) {
  mapfacts f;
  f.layout = m.layout;
  f.meaning = m.meaning;
  f.fractionbits = m.fractionbits;
  f.linedefs = static_cast<std::int64_t>(m.linedefs.size());
  f.sectors = static_cast<std::int64_t>(m.sectors.size());
  f.vertices = static_cast<std::int64_t>(m.vertexes.size());
  if (result<mapbounds> b = boundsof(m); b.ok()) {
    f.bounds = b.value();
  } else {
    f.bounded = b.error();
  }
  // A thing block with no place to draw it at is still one of the map's records.
  if (m.things) f.things = static_cast<std::int64_t>(m.things->size()) + m.unplacedthings;
  if (counts) {
    f.census = takecensus(m);
    f.tally = tallythings(m);
    f.stats = statsof(m);
  }
  return f;
}

}  // namespace tracewell
