// Maps built in memory for the pathological figures.
#include "synthmaps.h"

#include "render/automap.h"

namespace tracewell::bench {

namespace {
constexpr std::int32_t edgepoints = 16384;  // end points on each edge of the square
constexpr std::int32_t spacing = 4;         // map units between neighbouring end points
constexpr std::int32_t least = -32768;
constexpr std::int32_t greatest = least + (edgepoints - 1) * spacing;
}  // namespace

map latticemap() {
  map m;
  // Vertexes: the top, bottom, left and right edges, edgepoints each.
  m.vertexes.reserve(4 * edgepoints);
  for (std::int32_t i = 0; i < edgepoints; ++i) m.vertexes.push_back({least + i * spacing, least});
  for (std::int32_t i = 0; i < edgepoints; ++i) m.vertexes.push_back({least + i * spacing, greatest});
  for (std::int32_t i = 0; i < edgepoints; ++i) m.vertexes.push_back({least, least + i * spacing});
  for (std::int32_t i = 0; i < edgepoints; ++i) m.vertexes.push_back({greatest, least + i * spacing});
  m.sectors.resize(1);
  m.sidedefs.resize(1);  // sector 0
  m.linedefs.reserve(latticelines);
  for (std::int32_t k = 0; k < latticelines; ++k) {
    // Even lines go top to bottom, odd ones left to right; the far end is a
    // shuffle of the near one, so the slopes spread over the whole range.
    const std::int32_t near = (k / 2) % edgepoints;
    const std::int32_t far = (near * 5 + (k / 2 / edgepoints) * (edgepoints / 2 - 1)) % edgepoints;
    const std::int32_t from = (k % 2 == 0 ? 0 : 2) * edgepoints;
    linedef l;
    l.startvertex = static_cast<std::uint16_t>(from + near);
    l.endvertex = static_cast<std::uint16_t>(from + edgepoints + far);
    l.flags = 1 << linedef::impassable;
    l.rightside = 0;
    l.leftside = -1;
    m.linedefs.push_back(l);
  }
  return m;
}

std::vector<std::int32_t> everycategory(std::int32_t value) {
  return std::vector<std::int32_t>(linecolors, value);
}

}  // namespace tracewell::bench
