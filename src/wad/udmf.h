// UDMF maps: the geometry of a TEXTMAP lump, read from its text in one pass.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "support/text.h"
#include "wad/map.h"

namespace tracewell {

// The first fault found in a TEXTMAP.
struct udmferror {
  std::int32_t line = 0;  // 1-based line of the lump's text where the fault is
  text detail;            // e.g. expected "=" after "blocking"
};

// What readudmf gives: the map, or the fault that stopped it.
struct udmfresult {
  std::shared_ptr<map> m;  // null exactly when `error` is set
  std::optional<udmferror> error;
};

// The map held by the text of a TEXTMAP lump (its bytes as they are stored).
//
// Blocks `vertex` (x, y), `linedef` (v1, v2, sidefront; sideback -1, special 0,
// blocking false by default), `sidedef` (sector) and `sector` (heightfloor,
// heightceiling, 0 by default) become the map's records, numbered in block order
// from 0; `blocking` is the impassable flag. Block names and keys are compared
// without regard to case; other blocks, keys and global assignments (such as the
// namespace) are skipped after checking their syntax. Coordinates are rounded to
// the nearest 1/65536 (halves away from zero) and y is negated; the map's
// `fractionbits` is 16. `format` is left 0 for the caller to set.
//
// Faults: a syntax error, a missing x, y, v1, v2, sidefront or sector, a value of
// the wrong kind for a key that is used, a coordinate beyond +-2^31 and a number
// beyond 64 bits are reported where they are met. References (v1, v2, sidefront,
// sideback, sector) are checked once the whole text is read, since blocks may
// come in any order; of several bad ones the first in the text is reported.
//
// Memory is proportional to the text; nothing is allocated per token.
// REQUIRES: textmap.size() < 2^31 (a lump's size).
udmfresult readudmf(std::string_view textmap);

// The line printed for a map whose TEXTMAP fails:
// Error in TEXTMAP of "NAME" at line L: DETAIL.
text udmferrorline(const text& mapname, const udmferror& error);

// Fills `m` from a UDMF map group (see istextmapgroup) as readudmf reads its
// TEXTMAP lump, keeping m.format. Any fault sets `invalidmap` and is a notice
// of the one line udmferrorline gives for `mapname`; a TEXTMAP lump with a
// negative position or size, or one that reaches past the end of its file, is
// such a fault at line 1. Never a stream failure or a fatal stop.
status readtextmap(map& m, const lumpgroup& lumps, const text& mapname);

}  // namespace tracewell
