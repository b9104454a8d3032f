// What a line's flags, special, arguments, lock number and sectors mean, by the
// games whose specials a map uses.
#pragma once

#include <array>
#include <cstdint>
#include <limits>

#include "game/games.h"
#include "game/linemeaning.h"
#include "wad/map.h"

namespace tracewell {

// How a row reads a line (values compared as read, 64 bits).
enum class meaningrule : std::uint8_t {
  special,          // a special in [first, last] gives the line `meaning`
  generalizedlock,  // a special in [first, last] is a generalized lock; its key bits say which
  generalizedkey,   // a generalized lock's key in [first, last] gives the line `meaning`
  lockargument,     // special `first` keeps its lock in argument `argument`
  locknumber,       // the map's lock number, when not 0, is the lock
  lock,             // a lock in [first, last] gives the line `meaning` (the first such row)
  sectorequals,     // a sector special equal to `first` makes the sector secret
  sectorbits,       // a sector special with any bit of `first` set makes the sector secret
  sectortarget,     // a special in [first, last] acts on the sectors tagged with the line's tag
  linetarget,       // a special in [first, last] acts on the lines tagged with the line's tag
  thingtarget,      // special `first` acts on the things whose id is in argument `argument`
  backsector,       // a special in [first, last] moves the sector behind the line (doors used by hand)
  sectormoves,      // a sector special equal to `first` moves the sector's ceiling in play
};

struct specialmeaning {
  std::uint8_t games;
  meaningrule rule;
  std::int64_t first;
  std::int64_t last;
  linemeaning meaning = linemeaning::hidden;  // special, generalizedkey and lock rows
  std::int32_t argument = 0;                  // lockargument rows: an index of linedef::args
  bool moves = false;                         // sectortarget rows: moves the sectors' floors or ceilings
};

// Where the generalized lock's key sits in (special - first of its row).
inline constexpr std::int64_t generalizedkeymask = 0x1C0;
inline constexpr int generalizedkeyshift = 6;

namespace meaningrows {
inline constexpr std::int64_t least = std::numeric_limits<std::int64_t>::min();
inline constexpr std::int64_t most = std::numeric_limits<std::int64_t>::max();
constexpr specialmeaning special(std::uint8_t games, std::int64_t first, std::int64_t last,
                                 linemeaning meaning) {
  return {games, meaningrule::special, first, last, meaning};
}
constexpr specialmeaning special(std::uint8_t games, std::int64_t value, linemeaning meaning) {
  return special(games, value, value, meaning);
}
constexpr specialmeaning key(std::int64_t value, linemeaning meaning) {
  return {doomgame | hereticgame, meaningrule::generalizedkey, value, value, meaning};
}
constexpr specialmeaning lock(std::int64_t value, linemeaning meaning) {
  return {zdoomgame, meaningrule::lock, value, value, meaning};
}
constexpr specialmeaning targets(std::uint8_t games, std::int64_t first, std::int64_t last,
                                 meaningrule rule) {
  return {games, rule, first, last};
}
constexpr specialmeaning movers(std::uint8_t games, std::int64_t first, std::int64_t last) {
  return {games, meaningrule::sectortarget, first, last, linemeaning::hidden, 0, true};
}
constexpr specialmeaning lockargument(std::uint8_t games, std::int64_t special, std::int32_t argument) {
  return {games, meaningrule::lockargument, special, special, linemeaning::hidden, argument};
}
}  // namespace meaningrows

// Every meaning of every game. Games: D Doom (with Boom and MBF), H Heretic,
// S Strife, X Hexen, Z ZDoom.
inline constexpr auto specialmeanings = [] {
  using namespace meaningrows;
  constexpr std::uint8_t D = doomgame, H = hereticgame, S = strifegame, X = hexengame, Z = zdoomgame;
  constexpr linemeaning lockedred = linemeaning::lockedred, lockedblue = linemeaning::lockedblue,
                        lockedyellow = linemeaning::lockedyellow, lockedother = linemeaning::lockedother,
                        exit = linemeaning::exit, secretexit = linemeaning::secretexit,
                        teleport = linemeaning::teleport;
  return std::array{
      // Keyed doors and switches.
      special(D, 28, lockedred),
      special(D, 33, lockedred),
      special(D, 134, 135, lockedred),
      special(D | H, 26, lockedblue),
      special(D | H, 32, lockedblue),
      special(D, 99, lockedblue),
      special(D, 133, lockedblue),
      special(D | H, 27, lockedyellow),
      special(D | H, 34, lockedyellow),
      special(D, 136, 137, lockedyellow),
      special(H, 28, lockedother),  // the green key
      special(H, 33, lockedother),
      // Boom's generalized locked doors.
      specialmeaning{D | H, meaningrule::generalizedlock, 0x3800, 0x3BFF},
      key(1, lockedred),
      key(4, lockedred),
      key(2, lockedblue),
      key(5, lockedblue),
      key(3, lockedyellow),
      key(6, lockedyellow),
      key(0, lockedother),
      key(7, lockedother),
      // Locks by number: where the lock is, then what it means.
      specialmeaning{Z, meaningrule::locknumber, 0, 0},
      lockargument(X | Z, 13, 3),
      lockargument(Z, 14, 3),
      lockargument(X | Z, 83, 4),
      lockargument(Z, 85, 4),
      lockargument(Z, 202, 4),
      lock(1, lockedred),
      lock(4, lockedred),
      lock(129, lockedred),
      lock(132, lockedred),
      lock(2, lockedblue),
      lock(5, lockedblue),
      lock(130, lockedblue),
      lock(133, lockedblue),
      lock(3, lockedyellow),
      lock(6, lockedyellow),
      lock(131, lockedyellow),
      lock(134, lockedyellow),
      specialmeaning{X | Z, meaningrule::lock, least, -1, lockedother},
      specialmeaning{X | Z, meaningrule::lock, 1, most, lockedother},
      // Exits.
      special(D | H, 11, exit),
      special(D | H, 52, exit),
      special(D | H, 197, exit),
      special(X | Z, 74, 75, exit),
      special(Z, 243, exit),
      special(D, 2069, 2071, exit),  // ID24's exits that reset the inventory: W1, S1, G1
      special(D | H, 51, secretexit),
      special(D | H, 124, secretexit),
      special(D | H, 198, secretexit),
      special(Z, 244, secretexit),
      special(D, 2072, 2074, secretexit),
      // Teleporters within the level.
      special(D | H | S | Z, 39, teleport),
      special(D | H | S, 97, teleport),
      special(D | H | S, 125, 126, teleport),
      special(D | H, 174, teleport),
      special(S, 185, teleport),
      special(D | H | S, 195, teleport),
      special(D | H, 207, 210, teleport),
      special(S, 231, teleport),
      special(D | H, 243, 244, teleport),
      special(D | H, 262, 269, teleport),
      special(X | Z, 70, 71, teleport),
      special(Z, 215, teleport),
      // What a line acts on: the sectors of its tag, its lines, or things by id. Doom's specials up to
      // 141 all act on tagged sectors but manual doors, exits, and the scrolling walls 48 and 85; all
      // but the lights and teleporters move them.
      movers(D, 2, 10),
      targets(D, 12, 13, meaningrule::sectortarget),  // lights
      movers(D, 14, 16),
      targets(D, 17, 17, meaningrule::sectortarget),
      movers(D, 18, 25),
      movers(D, 29, 30),
      targets(D, 35, 35, meaningrule::sectortarget),
      movers(D, 36, 38),
      targets(D | H, 39, 39, meaningrule::sectortarget),  // teleporters
      movers(D, 40, 47),
      movers(D, 49, 50),
      movers(D, 53, 78),
      targets(D, 79, 81, meaningrule::sectortarget),
      movers(D, 82, 84),
      movers(D, 86, 96),
      targets(D | H, 97, 97, meaningrule::sectortarget),
      movers(D, 98, 103),
      targets(D, 104, 104, meaningrule::sectortarget),
      movers(D, 105, 116),
      movers(D, 119, 123),
      targets(D, 125, 126, meaningrule::sectortarget),
      movers(D, 127, 137),
      targets(D, 138, 139, meaningrule::sectortarget),
      movers(D, 140, 141),
      targets(D, 174, 174, meaningrule::sectortarget),
      targets(D, 195, 195, meaningrule::sectortarget),
      targets(D, 207, 210, meaningrule::sectortarget),
      targets(D, 268, 269, meaningrule::sectortarget),
      targets(D, 243, 244, meaningrule::linetarget),
      targets(D, 262, 267, meaningrule::linetarget),
      specialmeaning{X | Z, meaningrule::thingtarget, 70, 70, linemeaning::hidden, 0},
      specialmeaning{X | Z, meaningrule::thingtarget, 71, 71, linemeaning::hidden, 0},
      // Doors used by hand move the sector behind the line; Hexen's door specials do when their tag is 0
      // (taken here whatever it is).
      targets(D | H | S, 1, 1, meaningrule::backsector),
      targets(D | H | S, 26, 28, meaningrule::backsector),
      targets(D | H | S, 31, 34, meaningrule::backsector),
      targets(D | S, 117, 118, meaningrule::backsector),
      targets(X | Z, 10, 13, meaningrule::backsector),
      // Sectors that open or close by themselves: the door closing after 30 s, the one opening after 5 min.
      specialmeaning{D | H | S, meaningrule::sectormoves, 10, 10},
      specialmeaning{D | H | S, meaningrule::sectormoves, 14, 14},
      // Secret sectors.
      specialmeaning{D | H | S, meaningrule::sectorequals, 9, 9},
      specialmeaning{D | H, meaningrule::sectorbits, 128, 128},
      specialmeaning{Z, meaningrule::sectorbits, 1024, 1024},
  };
}();

namespace meaningrows {
// Every meaning a row names is one of the meanings, and every argument index is one of the five.
constexpr bool consistent() {
  for (const specialmeaning& row : specialmeanings) {
    if (row.first > row.last) return false;
    if (static_cast<int>(row.meaning) >= linemeaningcount) return false;
    if ((row.rule == meaningrule::lockargument || row.rule == meaningrule::thingtarget) &&
        (row.argument < 0 || row.argument >= static_cast<std::int32_t>(linedef{}.args.size())))
      return false;
  }
  return true;
}
}  // namespace meaningrows
static_assert(meaningrows::consistent(), "a meaning row outside the meanings or the arguments");

// Specials (of lines and sectors) mean something only within this range.
inline constexpr std::int64_t greatestspecial = 0xFFFF;

// Whether a sector with special `special` is secret under `game`.
bool secretsector(std::int64_t special, mapmeaning game);

// What a line's special acts on: nothing the line names, the sectors or lines of its tag, or the things
// whose id argument `argument` holds.
struct linetarget {
  enum class kind : std::uint8_t { none, sectors, lines, things };
  kind is = kind::none;
  std::int32_t argument = 0;
  bool moves = false;  // sectors: the special moves their floors or ceilings
};
linetarget targetof(const linedef& l, mapmeaning game);

// Whether the table says which specials of `game` move tagged sectors; where it does not (Heretic's,
// Hexen's tags in arguments and scripts), any tagged sector may move.
bool knowssectortargets(mapmeaning game);

// Whether line `l`'s special moves the sector behind it, and whether sector special `special` moves
// its own sector.
bool movesbacksector(const linedef& l, mapmeaning game);
bool movingsector(std::int64_t special, mapmeaning game);

// What line `l` of a map of `game` means, one bit each (linebit). `front` and
// `back` are its sectors, null when absent.
linemeanings meaningsof(const linedef& l, const sector* front, const sector* back, mapmeaning game);

}  // namespace tracewell
