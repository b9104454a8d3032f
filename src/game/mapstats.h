// A map's statistics per skill group and mode: monsters and their hit points, health, armour,
// ammunition and its damage against those hit points, keys and starts; what reviewers balance by.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "game/thingtally.h"
#include "game/thingvalues.h"
#include "wad/map.h"

namespace tracewell {

// Keys by colour, in this order.
inline constexpr std::array<std::string_view, 4> keycolours = {"red", "blue", "yellow", "other"};

// One skill group in one mode: the things that appear in the mode and in at least one skill of the group
// (as thingtally counts them). Hit points, health, armour and ammunition are absent for a game whose
// values are not known (thingvalues.h), never guessed.
struct statcell {
  std::int64_t monsters = 0;
  std::optional<std::int64_t> hitpoints;  // of those monsters, summed
  std::optional<std::int64_t> health;     // nominal, as picked up
  std::optional<std::int64_t> armour;
  // By kind (ammonames), from items, weapons as the mode gives them and what the monsters drop, as
  // skills 2 to 4 give it: skills 1 and 5 give twice as much of every pickup (P_GiveAmmo).
  std::optional<std::array<std::int64_t, ammokinds>> ammunition;
  // The ammunition's average damage over the monsters' hit points, at skills 2 to 4 and at skills 1
  // and 5; absent without monsters or values, and the doubled one for the skill 3 group.
  std::optional<double> ratio;
  std::optional<double> ratiodoubled;
  std::array<std::int64_t, keycolours.size()> keys{};
  std::int64_t playerstarts = 0;  // players 1 to 4: they appear whatever their flags
  std::int64_t deathmatchstarts = 0;
};

struct mapstats {
  std::array<std::array<statcell, skillgroups>, playmodes> cells{};  // [mode][group], as thingtally
  std::int64_t secretsectors = 0;
  std::int64_t secretexitlines = 0;
};

// The statistics of `m`; absent when its things were not read. Things without a place (unplaced UDMF
// things) are not among them: their type was not kept.
std::optional<mapstats> statsof(const map& m);

// One field of a cell as the records name it and as the page's table words it, and its value as a
// number (absent: null). Ammunition and keys are one field per kind (`ammo.bullets`, `keys.red`).
struct statfield {
  std::string_view key;
  std::string_view words;
  std::optional<double> (*value)(const statcell&);
};
extern const std::array<statfield, 16> statfields;

}  // namespace tracewell
