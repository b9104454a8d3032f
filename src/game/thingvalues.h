// What things are worth in play, by the game's own code: a monster's hit points and the item it drops,
// an item's health, armour and ammunition, and the ammunition's average damage; with each a name.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "game/games.h"
#include "wad/map.h"

namespace tracewell {

// Doom's four kinds of ammunition (its ammotype_t has cells before rockets).
enum class ammo : std::uint8_t { bullets, shells, rockets, cells, none };
inline constexpr std::size_t ammokinds = 4;
inline constexpr std::array<std::string_view, ammokinds> ammonames = {"bullets", "shells", "rockets",
                                                                      "cells"};

// What one pickup of a kind of ammunition gives (clipammo[] of p_inter.c), and the average damage of
// one unit fired from the weapon that uses it best per unit: bullets 5 x (1..3) (P_GunShot); a shell
// the shotgun's 7 pellets of 5 x (1..3) (A_FireShotgun); a rocket 20 x (1..8) (MT_ROCKET's damage,
// P_DamageMobj from P_XYMovement) and its blast of 128 (P_RadiusAttack) at the point of impact; a cell
// the plasma ball's 5 x (1..8).
// Doom's own array runs clip, shell, cell, missile (am_cell before am_misl); here it is in this enum's
// order: a rocket 1, a cell 20.
inline constexpr std::array<std::int64_t, ammokinds> clipammo = {10, 4, 1, 20};
inline constexpr std::array<double, ammokinds> ammodamage = {10, 70, 90 + 128, 22.5};

// How a row's thing gives its ammunition: a box of `clips` clips; a weapon (two clips when found, one
// when dropped, five in deathmatch: P_GiveWeapon); a backpack (one clip of every kind).
enum class ammopickup : std::uint8_t { none, box, weapon, backpack };

struct thingvalue {
  std::uint8_t games;
  std::int32_t type;  // the editor number
  std::string_view name;
  std::int64_t hitpoints = 0;  // a monster's spawnhealth (info.c)
  std::int32_t drops = 0;      // the editor number of the item it drops when killed (P_KillMobj); 0 none
  std::int64_t health = 0;     // nominal, as picked up (P_TouchSpecialThing, P_GiveBody)
  std::int64_t armour = 0;
  ammo kind = ammo::none;
  ammopickup pickup = ammopickup::none;
  std::int64_t clips = 0;  // box rows: clips in the box (0: half a clip, as a dropped clip)
};

// Doom's values. Games whose values are not here (Heretic, Hexen, Strife) get counts only.
inline constexpr std::uint8_t valuedgames = doomgame | zdoomgame;

inline constexpr auto thingvalues = [] {
  constexpr std::uint8_t D = valuedgames;
  using P = ammopickup;
  auto monster = [](std::int32_t type, std::string_view name, std::int64_t hp, std::int32_t drops = 0) {
    return thingvalue{D, type, name, hp, drops};
  };
  auto health = [](std::int32_t type, std::string_view name, std::int64_t health, std::int64_t armour) {
    return thingvalue{D, type, name, 0, 0, health, armour};
  };
  auto ammunition = [](std::int32_t type, std::string_view name, ammo kind, P pickup, std::int64_t clips) {
    return thingvalue{D, type, name, 0, 0, 0, 0, kind, pickup, clips};
  };
  auto named = [](std::int32_t type, std::string_view name) { return thingvalue{D, type, name}; };
  return std::array{
      named(1, "player 1 start"),
      named(2, "player 2 start"),
      named(3, "player 3 start"),
      named(4, "player 4 start"),
      named(11, "deathmatch start"),
      named(14, "teleport destination"),
      named(13, "red keycard"),
      named(5, "blue keycard"),
      named(6, "yellow keycard"),
      named(38, "red skull key"),
      named(40, "blue skull key"),
      named(39, "yellow skull key"),
      monster(3004, "zombieman", 20, 2007),
      monster(9, "shotgun guy", 30, 2001),
      monster(65, "chaingunner", 70, 2002),
      monster(3001, "imp", 60),
      monster(3002, "demon", 150),
      monster(58, "spectre", 150),
      monster(3006, "lost soul", 100),
      monster(3005, "cacodemon", 400),
      monster(69, "hell knight", 500),
      monster(3003, "baron of hell", 1000),
      monster(68, "arachnotron", 500),
      monster(71, "pain elemental", 400),
      monster(66, "revenant", 300),
      monster(67, "mancubus", 600),
      monster(64, "arch-vile", 700),
      monster(7, "spider mastermind", 3000),
      monster(16, "cyberdemon", 4000),
      monster(84, "wolfenstein ss", 50, 2007),
      monster(72, "commander keen", 100),
      monster(88, "boss brain", 250),
      health(2011, "stimpack", 10, 0),
      health(2012, "medikit", 25, 0),
      health(2014, "health bonus", 1, 0),
      health(2013, "soulsphere", 100, 0),
      health(83, "megasphere", 200, 200),
      health(2023, "berserk", 100, 0),
      health(2018, "green armor", 0, 100),
      health(2019, "blue armor", 0, 200),
      health(2015, "armor bonus", 0, 1),
      ammunition(2007, "clip", ammo::bullets, P::box, 1),
      ammunition(2048, "box of bullets", ammo::bullets, P::box, 5),
      ammunition(2008, "shells", ammo::shells, P::box, 1),
      ammunition(2049, "box of shells", ammo::shells, P::box, 5),
      ammunition(2010, "rocket", ammo::rockets, P::box, 1),
      ammunition(2046, "box of rockets", ammo::rockets, P::box, 5),
      ammunition(2047, "cell", ammo::cells, P::box, 1),
      ammunition(17, "cell pack", ammo::cells, P::box, 5),
      ammunition(8, "backpack", ammo::none, P::backpack, 1),
      ammunition(2001, "shotgun", ammo::shells, P::weapon, 0),
      ammunition(82, "super shotgun", ammo::shells, P::weapon, 0),
      ammunition(2002, "chaingun", ammo::bullets, P::weapon, 0),
      ammunition(2003, "rocket launcher", ammo::rockets, P::weapon, 0),
      ammunition(2004, "plasma gun", ammo::cells, P::weapon, 0),
      ammunition(2006, "bfg9000", ammo::cells, P::weapon, 0),
      ammunition(2005, "chainsaw", ammo::none, P::none, 0),
  };
}();

// The row of editor number `type` in game `g`; null when there is none.
constexpr const thingvalue* thingvalueof(mapmeaning g, std::int32_t type) {
  for (const thingvalue& v : thingvalues) {
    if ((v.games & gamebit(g)) != 0 && v.type == type) return &v;
  }
  return nullptr;
}

namespace thingvaluecheck {
// Every number once, and every monster's drop a row of its own.
constexpr bool consistent() {
  for (std::size_t i = 0; i < thingvalues.size(); ++i) {
    for (std::size_t j = i + 1; j < thingvalues.size(); ++j) {
      if (thingvalues[i].type == thingvalues[j].type) return false;
    }
    // Looked up by number, not through thingvalueof: UBSan's builds refuse a pointer compared in a
    // constant expression.
    bool dropfound = thingvalues[i].drops == 0;
    for (const thingvalue& v : thingvalues) {
      dropfound = dropfound || ((v.games & gamebit(mapmeaning::doom)) != 0 && v.type == thingvalues[i].drops);
    }
    if (!dropfound) return false;
  }
  return true;
}
}  // namespace thingvaluecheck
static_assert(thingvaluecheck::consistent(), "a thing valued twice, or a drop without its row");

}  // namespace tracewell
