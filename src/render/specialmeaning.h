// What a line's flags, special, arguments, lock number and sectors mean, by the
// games whose specials a map uses: which of the categories that fall back it is in.
#pragma once

#include <array>
#include <cstdint>
#include <limits>

#include "render/linecategory.h"
#include "wad/map.h"

namespace tracewell {

// The games as bits, so one row can hold for several.
constexpr std::uint8_t gamebit(mapmeaning g) {
  return static_cast<std::uint8_t>(1u << static_cast<unsigned>(g));
}
inline constexpr std::uint8_t doomgame = gamebit(mapmeaning::doom);
inline constexpr std::uint8_t hereticgame = gamebit(mapmeaning::heretic);
inline constexpr std::uint8_t strifegame = gamebit(mapmeaning::strife);
inline constexpr std::uint8_t hexengame = gamebit(mapmeaning::hexen);
inline constexpr std::uint8_t zdoomgame = gamebit(mapmeaning::zdoom);

// How a row reads a line (values compared as read, 64 bits).
enum class meaningrule : std::uint8_t {
  special,          // a special in [first, last] puts the line in `category`
  generalizedlock,  // a special in [first, last] is a generalized lock; its key bits say which
  generalizedkey,   // a generalized lock's key in [first, last] puts the line in `category`
  lockargument,     // special `first` keeps its lock in argument `category`
  locknumber,       // the map's lock number, when not 0, is the lock
  lock,             // a lock in [first, last] puts the line in `category` (the first such row)
  sectorequals,     // a sector special equal to `first` makes the sector secret
  sectorbits,       // a sector special with any bit of `first` set makes the sector secret
};

struct specialmeaning {
  std::uint8_t games;
  meaningrule rule;
  std::int64_t first;
  std::int64_t last;
  std::int32_t category;  // a category number, or an argument index for lockargument
};

// Where the generalized lock's key sits in (special - first of its row).
inline constexpr std::int64_t generalizedkeymask = 0x1C0;
inline constexpr int generalizedkeyshift = 6;

namespace meaningrows {
inline constexpr std::int64_t least = std::numeric_limits<std::int64_t>::min();
inline constexpr std::int64_t most = std::numeric_limits<std::int64_t>::max();
constexpr specialmeaning special(std::uint8_t games, std::int64_t first, std::int64_t last,
                                 std::int32_t category) {
  return {games, meaningrule::special, first, last, category};
}
constexpr specialmeaning special(std::uint8_t games, std::int64_t value, std::int32_t category) {
  return special(games, value, value, category);
}
constexpr specialmeaning key(std::int64_t value, std::int32_t category) {
  return {doomgame | hereticgame, meaningrule::generalizedkey, value, value, category};
}
constexpr specialmeaning lock(std::int64_t value, std::int32_t category) {
  return {zdoomgame, meaningrule::lock, value, value, category};
}
constexpr specialmeaning lockargument(std::uint8_t games, std::int64_t special, std::int32_t argument) {
  return {games, meaningrule::lockargument, special, special, argument};
}
}  // namespace meaningrows

// Every meaning of every game. Games: D Doom (with Boom and MBF), H Heretic,
// S Strife, X Hexen, Z ZDoom.
inline constexpr auto specialmeanings = [] {
  using namespace meaningrows;
  constexpr std::uint8_t D = doomgame, H = hereticgame, S = strifegame, X = hexengame, Z = zdoomgame;
  return std::array{
      // Keyed doors and switches.
      special(D, 28, lockedredline),
      special(D, 33, lockedredline),
      special(D, 134, 135, lockedredline),
      special(D | H, 26, lockedblueline),
      special(D | H, 32, lockedblueline),
      special(D, 99, lockedblueline),
      special(D, 133, lockedblueline),
      special(D | H, 27, lockedyellowline),
      special(D | H, 34, lockedyellowline),
      special(D, 136, 137, lockedyellowline),
      special(H, 28, lockedotherline),  // the green key
      special(H, 33, lockedotherline),
      // Boom's generalized locked doors.
      specialmeaning{D | H, meaningrule::generalizedlock, 0x3800, 0x3BFF, 0},
      key(1, lockedredline),
      key(4, lockedredline),
      key(2, lockedblueline),
      key(5, lockedblueline),
      key(3, lockedyellowline),
      key(6, lockedyellowline),
      key(0, lockedotherline),
      key(7, lockedotherline),
      // Locks by number: where the lock is, then what it means.
      specialmeaning{Z, meaningrule::locknumber, 0, 0, 0},
      lockargument(X | Z, 13, 3),
      lockargument(Z, 14, 3),
      lockargument(X | Z, 83, 4),
      lockargument(Z, 85, 4),
      lockargument(Z, 202, 4),
      lock(1, lockedredline),
      lock(4, lockedredline),
      lock(129, lockedredline),
      lock(132, lockedredline),
      lock(2, lockedblueline),
      lock(5, lockedblueline),
      lock(130, lockedblueline),
      lock(133, lockedblueline),
      lock(3, lockedyellowline),
      lock(6, lockedyellowline),
      lock(131, lockedyellowline),
      lock(134, lockedyellowline),
      specialmeaning{X | Z, meaningrule::lock, least, -1, lockedotherline},
      specialmeaning{X | Z, meaningrule::lock, 1, most, lockedotherline},
      // Exits.
      special(D | H, 11, exitline),
      special(D | H, 52, exitline),
      special(D | H, 197, exitline),
      special(X | Z, 74, 75, exitline),
      special(Z, 243, exitline),
      special(D | H, 51, secretexitline),
      special(D | H, 124, secretexitline),
      special(D | H, 198, secretexitline),
      special(Z, 244, secretexitline),
      // Teleporters within the level.
      special(D | H | S | Z, 39, teleportline),
      special(D | H | S, 97, teleportline),
      special(D | H | S, 125, 126, teleportline),
      special(D | H, 174, teleportline),
      special(S, 185, teleportline),
      special(D | H | S, 195, teleportline),
      special(D | H, 207, 210, teleportline),
      special(S, 231, teleportline),
      special(D | H, 243, 244, teleportline),
      special(D | H, 262, 269, teleportline),
      special(X | Z, 70, 71, teleportline),
      special(Z, 215, teleportline),
      // Secret sectors.
      specialmeaning{D | H | S, meaningrule::sectorequals, 9, 9, 0},
      specialmeaning{D | H, meaningrule::sectorbits, 128, 128, 0},
      specialmeaning{Z, meaningrule::sectorbits, 1024, 1024, 0},
  };
}();

namespace meaningrows {
// Every category a row names falls back, and every argument index is one of the five.
constexpr bool consistent() {
  for (const specialmeaning& row : specialmeanings) {
    if (row.first > row.last) return false;
    const bool categorised = row.rule == meaningrule::special || row.rule == meaningrule::generalizedkey ||
                             row.rule == meaningrule::lock;
    if (categorised && (row.category < linecolors || row.category >= linecolors + fallbackcategories))
      return false;
    if (row.rule == meaningrule::lockargument &&
        (row.category < 0 || row.category >= static_cast<std::int32_t>(linedef{}.args.size())))
      return false;
  }
  return true;
}
}  // namespace meaningrows
static_assert(meaningrows::consistent(), "a meaning row outside the categories or the arguments");

// Specials (of lines and sectors) mean something only within this range.
inline constexpr std::int64_t greatestspecial = 0xFFFF;

// The bit of a category that falls back, in the sets below.
constexpr std::uint32_t fallbackbit(std::int32_t category) {
  return std::uint32_t{1} << static_cast<unsigned>(category - linecolors);
}

// Whether a sector with special `special` is secret under `game`.
bool secretsector(std::int64_t special, mapmeaning game);

// The categories that fall back which line `l` of a map of `game` is in, one
// bit each (fallbackbit). `front` and `back` are its sectors, null when absent.
std::uint32_t fallbackset(const linedef& l, const sector* front, const sector* back, mapmeaning game);

}  // namespace tracewell
