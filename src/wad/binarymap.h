// The binary map decoder: the Doom and Hexen record layouts of the VERTEXES, LINEDEFS, SIDEDEFS and SECTORS
// lumps.
#pragma once

#include "support/failure.h"
#include "wad/map.h"
#include "wad/wad.h"

namespace tracewell {

// Fills `m` from a map lump group in `m.format` as map::readfrom describes:
// all ten map lumps must be present (failure::notice "failed to read map
// lumps" otherwise); then VERTEXES, LINEDEFS, SIDEDEFS and SECTORS are read in
// that order, each with the readlump of its record type, and a negative
// filepos of one of them makes the map invalid (a notice without lines) when
// its turn comes. Invalid maps also get `invalidmap`. Sets m.layout from
// m.format. With `withthings`, a map read without fault then gets the whole
// records of its THINGS lump; a THINGS lump whose position or size is
// negative, that reaches past the end of its file or cannot be read leaves
// m.things empty (nullopt) and the map as it is.
// With `fivelumps` only the five lumps that are read (THINGS, LINEDEFS,
// SIDEDEFS, VERTEXES, SECTORS) must be present.
status readbinarymap(map& m, const lumpgroup& lumps, bool withthings = false, bool fivelumps = false);

}  // namespace tracewell
