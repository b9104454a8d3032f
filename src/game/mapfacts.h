// A map's facts for its records: what it holds, made once per map and read by the manifest, the page
// and the gallery, so that every record of one map gives the same counts.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "game/mapbounds.h"
#include "game/mapcensus.h"
#include "game/mapstats.h"
#include "game/thingtally.h"
#include "support/failure.h"
#include "wad/map.h"

namespace tracewell {

struct mapfacts {
  maplayout layout = maplayout::doom;
  mapmeaning meaning = mapmeaning::doom;  // whose thing types and specials the map's numbers are
  std::int32_t fractionbits = 0;          // the bounds' units, as the map's vertexes
  std::int64_t linedefs = 0;
  std::int64_t sectors = 0;
  std::int64_t vertices = 0;
  mapbounds bounds;  // all 0 when `bounded` failed
  status bounded;    // boundsof's fatal stop, for a line naming a vertex or side the map lacks
  // Every thing record read, UDMF thing blocks without a usable x or y among them; absent when the
  // things were not read.
  std::optional<std::int64_t> things;
  std::optional<mapcensus> census;  // when asked for
  std::optional<thingtally> tally;  // when asked for and the things were read
  std::optional<mapstats> stats;    // likewise
};

// The facts of `m`; with `counts`, its census, tally and statistics too.
mapfacts factsof(const map& m, bool counts);

// One field of the facts as the records show it. A row's value is absent where the record shows null.
struct factfield {
  enum class shape { count, bounds };
  std::string_view key;  // the manifest's key; the gallery names its fields by it
  shape is = shape::count;
  bool manifest = false;   // the manifest has it
  std::string_view words;  // the page's statistics row; empty: not on the page
  std::string_view one;    // the gallery's card, one of it and many (empty: not named so)
  std::string_view many;
  std::optional<std::int64_t> (*value)(const mapfacts&) = nullptr;  // a count's; null for the bounds
};

namespace factvalue {
template <std::int64_t mapfacts::*field>
std::optional<std::int64_t> whole(const mapfacts& f) {
  return f.*field;
}
inline std::optional<std::int64_t> things(const mapfacts& f) {
  return f.things;
}
// A census count: null when no census was taken.
template <std::int64_t mapcensus::*field>
std::optional<std::int64_t> census(const mapfacts& f) {
  return f.census ? std::optional<std::int64_t>((*f.census).*field) : std::nullopt;
}
// A census count of things: null also when the things were not read.
template <std::optional<std::int64_t> mapcensus::*field>
std::optional<std::int64_t> censusthings(const mapfacts& f) {
  return f.census ? (*f.census).*field : std::nullopt;
}
}  // namespace factvalue

// Every field, in the order the manifest and the page's statistics show them.
inline constexpr std::array<factfield, 11> factfields = {{
    {"linedefs", factfield::shape::count, true, "linedefs", "line", "lines",
     factvalue::whole<&mapfacts::linedefs>},
    {"bounds", factfield::shape::bounds, true, "", "", "", nullptr},
    {"sectors", factfield::shape::count, false, "sectors", "", "", factvalue::whole<&mapfacts::sectors>},
    {"vertices", factfield::shape::count, false, "vertices", "", "", factvalue::whole<&mapfacts::vertices>},
    {"things", factfield::shape::count, true, "things", "thing", "things", factvalue::things},
    {"locked_lines", factfield::shape::count, true, "locked lines", "", "",
     factvalue::census<&mapcensus::lockedlines>},
    {"exit_lines", factfield::shape::count, true, "exit lines", "", "",
     factvalue::census<&mapcensus::exitlines>},
    {"teleport_lines", factfield::shape::count, true, "teleport lines", "", "",
     factvalue::census<&mapcensus::teleportlines>},
    {"secret_sectors", factfield::shape::count, true, "secret sectors", "secret", "secrets",
     factvalue::census<&mapcensus::secretsectors>},
    {"keys", factfield::shape::count, true, "keys", "key", "keys", factvalue::censusthings<&mapcensus::keys>},
    {"monsters", factfield::shape::count, true, "monsters", "", "",
     factvalue::censusthings<&mapcensus::monsters>},
}};

// The row of `key`, which must be one of factfields' (another does not compile).
consteval const factfield& factfieldof(std::string_view key) {
  for (const factfield& f : factfields) {
    if (f.key == key) return f;
  }
  throw "no such field";
}

}  // namespace tracewell
