// A map's bounds: the least and greatest x and y its lines reach.
#pragma once

#include <cstdint>

#include "support/failure.h"
#include "wad/map.h"

namespace tracewell {

// The least and greatest x and y of every linedef end point, in the map's vertex units (y negated as
// the vertexes); all 0 without linedefs. Vertexes no linedef uses do not count.
struct mapbounds {
  std::int64_t leastx = 0, leasty = 0, greatestx = 0, greatesty = 0;
};

// The bounds of `m`. A vertex or sidedef number out of range is the fatal stop of checkreferences
// (wad/map.h); nothing else fails.
result<mapbounds> boundsof(const map& m);

}  // namespace tracewell
