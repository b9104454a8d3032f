// What changed between two versions of one map: lines matched by their end points, things by type and place.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "wad/map.h"

namespace tracewell {

// One side of a line as the diff compares it: whether it exists and its sector's heights and special.
struct sidefacts {
  bool present = false;    // the line has this side
  bool hassector = false;  // ... and the side names a sector the map holds
  std::int64_t floor = 0;  // in 1/65536 units (sector::floorlevel)
  std::int64_t ceiling = 0;
  std::int64_t special = 0;
  std::int64_t sector = -1;  // the sector's number; -1 without one
};

// A linedef turned so that its end points run in ascending order (x, then y), its sides turned with it,
// so that a line drawn the other way round has the same facts.
struct linefacts {
  std::int64_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // in units of 2^-fractionbits, y negated as vertexes
  std::int32_t fractionbits = 0;
  std::int64_t number = 0;  // the linedef's number
  std::uint16_t flags = 0;
  std::int64_t special = 0;
  std::int64_t tag = 0;
  std::array<std::int64_t, 5> args{};
  std::int64_t lock = 0;
  sidefacts front, back;
};

// A thing as the diff compares it.
struct thingfacts {
  std::int64_t x = 0, y = 0;  // in units of 2^-fractionbits, y negated as vertexes
  std::int32_t fractionbits = 0;
  std::int64_t number = 0;  // the thing's number
  std::int32_t type = 0;
  std::int32_t angle = 0;
  std::uint8_t skills = 0;  // bit s - 1: skill s
  std::uint8_t modes = 0;   // mode i of wad/playmodes.h as bit i
};

// A property of a line or thing the diff compares, named as summaries, dumps and manifests write it.
// `side`: the side whose sector the row reads (1 front, 2 back; 0 none), for mapdiff::sectorschanged.
struct lineproperty {
  std::string_view name;
  int side;
  bool (*same)(const linefacts&, const linefacts&);
  std::string (*value)(const linefacts&);
};
struct thingproperty {
  std::string_view name;
  bool (*same)(const thingfacts&, const thingfacts&);
  std::string (*value)(const thingfacts&);
};

// Every compared property of a line, in the order changes list them; bit i of a change's `what` is row i.
extern const std::array<lineproperty, 12> lineproperties;
// Likewise for things; `position` differs only for a moved thing.
extern const std::array<thingproperty, 4> thingproperties;

enum class changekind : std::uint8_t { added, removed, changed, moved };

// One line or thing that differs. Numbers are -1 where the record is missing from that version.
struct recordchange {
  changekind kind = changekind::added;
  std::int64_t oldnumber = -1;
  std::int64_t newnumber = -1;
  std::uint32_t what = 0;  // bits of the rows of lineproperties / thingproperties that differ
};

struct mapdiff {
  // Map order: first the records with a number in the new version, by that number, then the removed
  // ones by their old number.
  std::vector<recordchange> lines;
  std::vector<recordchange> things;
  // Sectors of the new version on a side of a changed line whose sector heights or special differ.
  std::size_t sectorschanged = 0;

  std::size_t count(const std::vector<recordchange>& records, changekind k) const;
  std::size_t linecount(changekind k) const { return count(lines, k); }
  std::size_t thingcount(changekind k) const { return count(things, k); }
  bool empty() const { return lines.empty() && things.empty(); }
};

// Things of the same type at most this far apart (in map units) may pair as moved.
inline constexpr std::int64_t movedistance = 64;

// The facts of every linedef of `m` (in linedef order) and of every thing (none when the map's things
// were not read), in units of 2^-fractionbits (REQUIRES fractionbits >= m.fractionbits, at most 16
// above it). A line whose vertex numbers the map does not hold is left out; an unknown sidedef or
// sector leaves that side without a sector.
std::vector<linefacts> linefactsof(const map& m, std::int32_t fractionbits);
std::vector<thingfacts> thingfactsof(const map& m, std::int32_t fractionbits);

// What changed from `older` to `newer`. Lines pair by their two end points (either direction, as a
// multiset: equal lines pair in number order); a pair differing in any of lineproperties is changed.
// Things pair by type and exact place, then the rest of one type within movedistance nearest first
// (ties: lower old, then new number) as moved. Takes O(n log n) time in the records and O(n) memory,
// things crowded within movedistance of each other included.
mapdiff diffmaps(const map& older, const map& newer);

// The map as stable text, one line per linedef sorted by its end points, then one per thing sorted by
// type and place, each ending in LF; no record numbers, so renumbering changes nothing. A line is
// "line X0,Y0 X1,Y1" (its end points ascending) then NAME=VALUE for every property whose value is
// not 0, "-" or all zero; a thing "thing TYPE X,Y" then its properties but the position likewise.
std::string dumpmap(const map& m);

}  // namespace tracewell
