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
// from 0. Block names and keys are compared without regard to case; other
// blocks, keys and global assignments are skipped after checking their syntax.
// A UTF-8 byte-order mark at the start and NUL bytes (with white space) after
// the last block are passed over; CR, LF and CR LF each end one line (and a
// `//` comment).
// Heights may be decimals: kept to the nearest 1/65536 as whole units (below)
// and the fraction above them, whole units clamped to 32 bits.
// Coordinates are rounded to the nearest 1/65536 (halves away from zero) and y
// is negated; the map's `fractionbits` is 16 and its layout udmf. `format` is
// left 0 for the caller to set.
//
// Kept besides: the linedef flags (blocking 0x1, blockmonsters 0x2, twosided
// 0x4, dontpegtop 0x8, dontpegbottom 0x10, secret 0x20, blocksound 0x40,
// dontdraw 0x80, mapped 0x100, passuse 0x200), special, arg0..arg4 and
// locknumber as read; the sector special (sector::sectortype); the global
// `namespace` as read (without quotes) and the meanings it names: doom, chex
// and zdoomtranslated Doom's, heretic, strife and hexen their own, any other
// ZDoom's, compared ignoring case. With `withthings`, `thing` blocks become
// map::things (an empty list when there are none): x and y as vertices,
// angle, type, skill1..skill5, single, coop, dm, special and arg0..arg4.
//
// Faults: a syntax error, a missing x, y, v1, v2 or sector, a value of
// the wrong kind for x, y, v1, v2, sidefront, sideback, special, blocking,
// sector, heightfloor or heightceiling, a coordinate beyond +-2^31 and a number
// beyond 64 bits for one of them are reported where they are met. Every other
// key never fails a map: a value of the wrong kind counts as absent, and a
// boolean is true only when written true. A thing block without a usable type
// is left out; one with a type but without a usable x or y counts in
// map::unplacedthings instead of map::things. References (v1, v2, sidefront, sideback, sector) are
// checked once the whole text is read, since blocks may come in any order; of
// several bad ones the first in the text is reported.
//
// Memory is proportional to the text; nothing is allocated per token.
// REQUIRES: textmap.size() < 2^31 (a lump's size).
udmfresult readudmf(std::string_view textmap, bool withthings = false);

// The line printed for a map whose TEXTMAP fails:
// Error in TEXTMAP of "NAME" at line L: DETAIL.
text udmferrorline(const text& mapname, const udmferror& error);

// A coordinate or height in units of 2^-fractionbits (0 to 16) as the shortest
// decimal that readudmf reads back to the same value ("64", "-12.5", "4823.664";
// of the shortest, the one nearest the value, of two as near the one nearer zero). Whole values
// print as integers, so binary maps' numbers print as they always have.
std::string decimal(std::int64_t value, std::int32_t fractionbits);

// Fills `m` from a UDMF map group (see istextmapgroup) as readudmf reads its
// TEXTMAP lump, keeping m.format. Any fault sets `invalidmap` and is a notice
// of the one line udmferrorline gives for `mapname`; a TEXTMAP lump with a
// negative position or size, or one that reaches past the end of its file, is
// such a fault at line 1. Never a stream failure or a fatal stop.
status readtextmap(map& m, const lumpgroup& lumps, const text& mapname, bool withthings = false);

}  // namespace tracewell
