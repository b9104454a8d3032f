// Things counted for play: how many appear at each skill in each mode, and monsters and items by type.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>

#include "wad/map.h"
#include "wad/playmodes.h"

namespace tracewell {

// The three skill groups the binary layouts tell apart: skills 1-2, skill 3, skills 4-5.
inline constexpr std::size_t skillgroups = 3;
// The modes, in the order of wad/playmodes.h.
inline constexpr std::size_t playmodes = playmoderows.size();

struct thingtally {
  // [mode][group]: the things that appear in the mode and in at least one skill of the group.
  std::array<std::array<std::int64_t, skillgroups>, playmodes> byskill{};
  // Every thing whose kind is monster, or item, by editor number (whatever its skills and modes).
  std::map<std::int32_t, std::int64_t> monstertypes;
  std::map<std::int32_t, std::int64_t> itemtypes;
};

// The tally of a map's things by its meanings; absent when its things were not read.
std::optional<thingtally> tallythings(const map& m);

}  // namespace tracewell
