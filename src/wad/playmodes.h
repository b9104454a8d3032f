// The modes of play a thing may appear in: each one's word in the records, its UDMF key and its words,
// the one table the readers, the counts, the diff and the page share.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "wad/map.h"

namespace tracewell {

struct playmode {
  std::string_view key;      // as the records (manifest, diff, page data) name it
  std::string_view udmfkey;  // the UDMF thing key that sets it
  std::string_view words;    // as a thing's details show it
  bool thing::*in;           // whether a thing appears in it
};

// In this order everywhere: mode i is bit i of a set of modes.
inline constexpr std::array<playmode, 3> playmoderows = {{
    {"single", "single", "single player", &thing::single},
    {"coop", "coop", "cooperative", &thing::coop},
    {"deathmatch", "dm", "deathmatch", &thing::deathmatch},
}};

// The modes `t` appears in, mode i as bit i.
constexpr std::uint8_t modebits(const thing& t) {
  std::uint8_t bits = 0;
  for (std::size_t i = 0; i < playmoderows.size(); ++i) {
    if (t.*playmoderows[i].in) bits = static_cast<std::uint8_t>(bits | 1u << i);
  }
  return bits;
}

}  // namespace tracewell
