// UDMF text from map records, as a map editor writes it: the reference the UDMF reader is held to.
#pragma once

#include <string>

#include "wad/map.h"

namespace tracewell::testkit {

// The TEXTMAP text of `m`: namespace "doom", then every vertex, linedef,
// sidedef, sector and thing as one block each, in record order, with the
// fields a binary map holds (defaults left out, textures as quoted strings
// with "\" and "\\" escaped; linedef flag bits 0 to 9 as their boolean keys,
// higher bits left out). A vertex's or thing's y is written un-negated, as stored. Each
// coordinate is written divided by 2^halvings (and by 2^m.fractionbits) as an
// exact decimal: a plain integer when it is whole and `halvings` is 0,
// otherwise with a point and as many digits as it needs.
// A side that is absent (negative) is left out.
// REQUIRES: 0 <= halvings <= 16; every side and sector number valid or absent.
std::string toudmf(const map& m, int halvings = 0);

}  // namespace tracewell::testkit
