// Thing kinds: which editor numbers are keys, starts, monsters and items, by the map's game, and which
// things appear in a game of a given skill and mode.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "game/games.h"
#include "wad/map.h"

namespace tracewell {

// What a thing is in play, by its editor number and the game.
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
inline constexpr std::size_t thingkindcount = 9;

constexpr bool iskey(thingkind k) {
  return k == thingkind::keyred || k == thingkind::keyblue || k == thingkind::keyyellow ||
         k == thingkind::keyother;
}

inline constexpr std::uint8_t doomlike = doomgame | zdoomgame;

// What a thing is for beside its kind: a place for the editor or the scripts only (polyobject anchors
// and start spots, map spots), which need not stand in a sector, or a teleporter's destination.
enum class thingrole : std::uint8_t { none, editoronly, destination };

// Editor numbers first..last are `kind` in each game of `games`, with `role`.
struct thingrange {
  std::uint8_t games;
  std::int32_t first;
  std::int32_t last;
  thingkind kind;
  thingrole role = thingrole::none;
};

// Every editor number with a kind other than `other` or a role; anything not listed is `other`.
inline constexpr std::array thingranges = {
    thingrange{everygame, 1, 4, thingkind::start},
    thingrange{everygame, 11, 11, thingkind::dmstart},
    thingrange{hexengame, 9100, 9103, thingkind::start},
    // Keys.
    thingrange{doomlike, 13, 13, thingkind::keyred},
    thingrange{doomlike, 38, 38, thingkind::keyred},
    thingrange{doomlike, 5, 5, thingkind::keyblue},
    thingrange{doomlike, 40, 40, thingkind::keyblue},
    thingrange{doomlike, 6, 6, thingkind::keyyellow},
    thingrange{doomlike, 39, 39, thingkind::keyyellow},
    thingrange{hereticgame, 73, 73, thingkind::keyother},
    thingrange{hereticgame, 79, 79, thingkind::keyblue},
    thingrange{hereticgame, 80, 80, thingkind::keyyellow},
    thingrange{zdoomgame | hexengame, 8030, 8039, thingkind::keyother},
    thingrange{zdoomgame | hexengame, 8200, 8200, thingkind::keyother},
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
    // Things of kind `other` with a role.
    thingrange{everygame, 14, 14, thingkind::other, thingrole::destination},
    thingrange{zdoomgame, 9043, 9044, thingkind::other, thingrole::destination},
    thingrange{hexengame, 3000, 3002, thingkind::other, thingrole::editoronly},
    thingrange{zdoomgame, 9300, 9303, thingkind::other, thingrole::editoronly},
    thingrange{hexengame | zdoomgame, 9001, 9001, thingkind::other, thingrole::editoronly},
    thingrange{hexengame | zdoomgame, 9013, 9013, thingkind::other, thingrole::editoronly},
};

// The kind of editor number `type` in game `m`.
constexpr thingkind thingkindof(mapmeaning m, std::int32_t type) {
  const std::uint8_t bit = gamebit(m);
  for (const thingrange& r : thingranges) {
    if ((r.games & bit) != 0 && type >= r.first && type <= r.last) return r.kind;
  }
  return thingkind::other;
}

// The role of editor number `type` in game `m`.
constexpr thingrole thingroleof(mapmeaning m, std::int32_t type) {
  const std::uint8_t bit = gamebit(m);
  for (const thingrange& r : thingranges) {
    if ((r.games & bit) != 0 && type >= r.first && type <= r.last) return r.role;
  }
  return thingrole::none;
}

namespace thingkindcheck {
// No game gives one number two kinds.
constexpr bool consistent() {
  for (std::size_t i = 0; i < thingranges.size(); ++i) {
    const thingrange& a = thingranges[i];
    if (a.first > a.last || (a.kind == thingkind::other && a.role == thingrole::none) ||
        (a.games & ~everygame) != 0)
      return false;
    for (std::size_t j = i + 1; j < thingranges.size(); ++j) {
      const thingrange& b = thingranges[j];
      if ((a.games & b.games) != 0 && a.first <= b.last && b.first <= a.last) return false;
    }
  }
  return true;
}
}  // namespace thingkindcheck
static_assert(thingkindcheck::consistent(), "thing kinds overlapping");
static_assert(static_cast<std::size_t>(thingkind::keyother) + 1 == thingkindcount, "every kind counted");

// Whether `t`, of kind `k`, appears in a game at `skill` (1..5): player and
// deathmatch starts always; others when their skill bit is set and they appear
// in single player, or in any mode when `multiplayer`.
constexpr bool thingappears(const thing& t, thingkind k, std::int32_t skill, bool multiplayer) {
  if (k == thingkind::start || k == thingkind::dmstart) return true;
  const bool inskill = skill >= 1 && skill <= 5 && ((t.skills >> (skill - 1)) & 1) != 0;
  return inskill && (t.single || multiplayer);
}

}  // namespace tracewell
