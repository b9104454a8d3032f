// Real maps saved again for the diff's tests: renumbered as another editor would, and as binary records.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "testlib/wadbuilder.h"
#include "wad/map.h"

namespace tracewell::testkit {

// `m` with its vertexes, linedefs, sidedefs, sectors and things each in another order (drawn from
// `seed`) and every third linedef drawn the other way round with its two sides swapped: the same map
// as another editor might save it. References out of range stay as they are.
map renumbered(const map& m, std::uint32_t seed);

// The Doom-layout records of `m` (a vertex's and thing's y stored un-negated again), things included.
mapdata rawof(const map& m);

// The maps of Debian's freedoom2.wad (freedoom2mapcount of them) in the Doom format with their things, by
// name, read once; empty when the WAD is not installed.
const std::vector<std::pair<text, std::shared_ptr<map>>>& freedoom2maps();

// A WAD of `maps` (binary Doom layout, see rawof), in their order.
wadbuilder wadof(const std::vector<std::pair<text, map>>& maps);

// A map of one-sided lines between the given points (stored y) and things (type, x, y) of every skill,
// one sector: small pairs for the diff's tests.
map linesandthings(const std::vector<std::array<std::int32_t, 4>>& lines,
                   const std::vector<std::array<std::int32_t, 3>>& things);

}  // namespace tracewell::testkit
