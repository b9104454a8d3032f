// What a line means in play, as a set of bits: hidden, locked by a key, an exit, a teleporter, a secret.
#pragma once

#include <cstdint>

namespace tracewell {

// One meaning a line can have; a line has any number of them.
enum class linemeaning : std::uint8_t {
  hidden,        // not shown on the automap
  lockedred,     // needs the red key
  lockedblue,    // the blue key
  lockedyellow,  // the yellow key
  lockedother,   // another key or lock
  exit,          // ends the level
  secretexit,    // ends it for the secret level
  teleport,      // teleports within the level
  secretsector,  // borders a secret sector
  secretflag,    // marked secret (drawn as a plain wall)
};
inline constexpr int linemeaningcount = 10;

// A set of meanings, one bit each.
using linemeanings = std::uint32_t;

constexpr linemeanings linebit(linemeaning m) {
  return linemeanings{1} << static_cast<unsigned>(m);
}

inline constexpr linemeanings lockedlines =
    linebit(linemeaning::lockedred) | linebit(linemeaning::lockedblue) | linebit(linemeaning::lockedyellow) |
    linebit(linemeaning::lockedother);
inline constexpr linemeanings exitlines = linebit(linemeaning::exit) | linebit(linemeaning::secretexit);

}  // namespace tracewell
