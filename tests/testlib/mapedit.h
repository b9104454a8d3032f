// Real maps saved again for the diff's tests: renumbered as another editor would, and as binary records.
#pragma once

#include <cstdint>

#include "testlib/wadbuilder.h"
#include "wad/map.h"

namespace tracewell::testkit {

// `m` with its vertexes, linedefs, sidedefs, sectors and things each in another order (drawn from
// `seed`) and every third linedef drawn the other way round with its two sides swapped: the same map
// as another editor might save it. References out of range stay as they are.
map renumbered(const map& m, std::uint32_t seed);

// The Doom-layout records of `m` (a vertex's and thing's y stored un-negated again), things included.
mapdata rawof(const map& m);

}  // namespace tracewell::testkit
