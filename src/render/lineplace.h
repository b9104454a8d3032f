// Where a linedef goes: its line category, from its flags, sides and meanings.
#pragma once

#include <cstdint>

#include "render/linecategory.h"
#include "wad/map.h"

namespace tracewell {

// Where one linedef goes: its category, and its category among the first ten, the one whose look a
// category that falls back takes what its scheme leaves unsaid from (the same for the first ten).
struct lineplace {
  std::int32_t category = 0;
  std::int32_t base = 0;
};

// The place of linedef `l` of `m`. Action lines (special not 0) get categories 4 and 9 only when
// `actionspecial` is nonzero. It goes to the first category that falls back whose bit
// (fallbackbit) is in `mentioned` and that it is in, if any. A side number below 0 is an absent
// side, a sector number out of range leaves its side without a sector. REQUIRES: the vertex and
// sidedef numbers of `l` are in range (boundsof succeeded).
lineplace placeof(const map& m, const linedef& l, std::int32_t actionspecial, std::uint32_t mentioned);

}  // namespace tracewell
