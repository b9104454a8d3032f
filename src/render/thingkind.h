// Thing kinds: which editor numbers are keys, starts, monsters and items, by the map's meanings.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "wad/map.h"

namespace tracewell {

// What a thing's marker shows. Keys are drawn as crosses, every other kind as
// a triangle pointing the thing's way.
enum class thingkind : std::uint8_t {
  other,
  item,
  monster,
  dmstart,
  start,
  keyred,
  keyblue,
  keyyellow,
  keyother
};

struct thingkindinfo {
  thingkind kind;
  std::u16string_view colorkey;  // settings key of the kind's colour; absent: not drawn
  std::int32_t layer;            // markers are drawn layer by layer, ascending, later on top
  bool cross;                    // a cross; else a triangle
};

// Every kind, at its number. The four keys share one layer, so they keep their THINGS order.
inline constexpr std::array<thingkindinfo, 9> thingkinds = {{
    {thingkind::other, u"thing_other_color", 0, false},
    {thingkind::item, u"thing_item_color", 1, false},
    {thingkind::monster, u"thing_monster_color", 2, false},
    {thingkind::dmstart, u"thing_dmstart_color", 3, false},
    {thingkind::start, u"thing_start_color", 4, false},
    {thingkind::keyred, u"thing_key_red_color", 5, true},
    {thingkind::keyblue, u"thing_key_blue_color", 5, true},
    {thingkind::keyyellow, u"thing_key_yellow_color", 5, true},
    {thingkind::keyother, u"thing_key_other_color", 5, true},
}};

inline constexpr std::int32_t thinglayers = 6;

constexpr const thingkindinfo& infoof(thingkind k) {
  return thingkinds[static_cast<std::size_t>(k)];
}

// A set of meanings, one bit each.
constexpr std::uint8_t meaningbit(mapmeaning m) {
  return static_cast<std::uint8_t>(1U << static_cast<unsigned>(m));
}
inline constexpr std::uint8_t doomlike = meaningbit(mapmeaning::doom) | meaningbit(mapmeaning::zdoom);
inline constexpr std::uint8_t everymeaning = 0x1F;

// Editor numbers first..last are `kind` under each meaning of `meanings`.
struct thingrange {
  std::uint8_t meanings;
  std::int32_t first;
  std::int32_t last;
  thingkind kind;
};

// Every editor number with a kind other than `other`; anything not listed is `other`.
inline constexpr std::array thingranges = {
    thingrange{everymeaning, 1, 4, thingkind::start},
    thingrange{everymeaning, 11, 11, thingkind::dmstart},
    thingrange{meaningbit(mapmeaning::hexen), 9100, 9103, thingkind::start},
    // Keys.
    thingrange{doomlike, 13, 13, thingkind::keyred},
    thingrange{doomlike, 38, 38, thingkind::keyred},
    thingrange{doomlike, 5, 5, thingkind::keyblue},
    thingrange{doomlike, 40, 40, thingkind::keyblue},
    thingrange{doomlike, 6, 6, thingkind::keyyellow},
    thingrange{doomlike, 39, 39, thingkind::keyyellow},
    thingrange{meaningbit(mapmeaning::heretic), 73, 73, thingkind::keyother},
    thingrange{meaningbit(mapmeaning::heretic), 79, 79, thingkind::keyblue},
    thingrange{meaningbit(mapmeaning::heretic), 80, 80, thingkind::keyyellow},
    thingrange{meaningbit(mapmeaning::zdoom) | meaningbit(mapmeaning::hexen), 8030, 8039,
               thingkind::keyother},
    thingrange{meaningbit(mapmeaning::zdoom) | meaningbit(mapmeaning::hexen), 8200, 8200,
               thingkind::keyother},
    // Monsters.
    thingrange{doomlike, 7, 7, thingkind::monster},
    thingrange{doomlike, 9, 9, thingkind::monster},
    thingrange{doomlike, 16, 16, thingkind::monster},
    thingrange{doomlike, 58, 58, thingkind::monster},
    thingrange{doomlike, 64, 69, thingkind::monster},
    thingrange{doomlike, 71, 72, thingkind::monster},
    thingrange{doomlike, 84, 84, thingkind::monster},
    thingrange{doomlike, 88, 88, thingkind::monster},
    thingrange{doomlike, 3001, 3006, thingkind::monster},
    // Weapons, ammunition, health, armour and power-ups.
    thingrange{doomlike, 8, 8, thingkind::item},
    thingrange{doomlike, 17, 17, thingkind::item},
    thingrange{doomlike, 82, 83, thingkind::item},
    thingrange{doomlike, 2001, 2008, thingkind::item},
    thingrange{doomlike, 2010, 2015, thingkind::item},
    thingrange{doomlike, 2018, 2019, thingkind::item},
    thingrange{doomlike, 2022, 2026, thingkind::item},
    thingrange{doomlike, 2045, 2049, thingkind::item},
};

// The kind of editor number `type` under meaning `m`.
constexpr thingkind thingkindof(mapmeaning m, std::int32_t type) {
  const std::uint8_t bit = meaningbit(m);
  for (const thingrange& r : thingranges) {
    if ((r.meanings & bit) != 0 && type >= r.first && type <= r.last) return r.kind;
  }
  return thingkind::other;
}

namespace thingkindcheck {
// Kinds sit at their numbers with their layers ascending, and no meaning gives one number two kinds.
constexpr bool consistent() {
  for (std::size_t i = 0; i < thingkinds.size(); ++i) {
    if (static_cast<std::size_t>(thingkinds[i].kind) != i) return false;
    if (i > 0 && thingkinds[i].layer < thingkinds[i - 1].layer) return false;
    if (thingkinds[i].layer < 0 || thingkinds[i].layer >= thinglayers) return false;
  }
  for (std::size_t i = 0; i < thingranges.size(); ++i) {
    const thingrange& a = thingranges[i];
    if (a.first > a.last || a.kind == thingkind::other || (a.meanings & ~everymeaning) != 0) return false;
    for (std::size_t j = i + 1; j < thingranges.size(); ++j) {
      const thingrange& b = thingranges[j];
      if ((a.meanings & b.meanings) != 0 && a.first <= b.last && b.first <= a.last) return false;
    }
  }
  return true;
}
}  // namespace thingkindcheck
static_assert(thingkindcheck::consistent(), "thing kinds out of order or overlapping");
static_assert(thingkinds.back().layer == thinglayers - 1, "every layer has a kind");

}  // namespace tracewell
