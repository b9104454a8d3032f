// The games whose meanings a map follows, as bits, so one table row can hold for several.
#pragma once

#include <cstddef>
#include <cstdint>

#include "wad/map.h"

namespace tracewell {

// The bit of game `g` (a map follows map::meaning).
constexpr std::uint8_t gamebit(mapmeaning g) {
  return static_cast<std::uint8_t>(1u << static_cast<unsigned>(g));
}
inline constexpr std::uint8_t doomgame = gamebit(mapmeaning::doom);  // with Boom and MBF
inline constexpr std::uint8_t hereticgame = gamebit(mapmeaning::heretic);
inline constexpr std::uint8_t strifegame = gamebit(mapmeaning::strife);
inline constexpr std::uint8_t hexengame = gamebit(mapmeaning::hexen);
inline constexpr std::uint8_t zdoomgame = gamebit(mapmeaning::zdoom);
inline constexpr std::uint8_t everygame = doomgame | hereticgame | strifegame | hexengame | zdoomgame;
inline constexpr std::size_t gamecount = 5;

}  // namespace tracewell
