// The line categories of the automap: their numbers, settings key prefixes and fallback look.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "game/linemeaning.h"

namespace tracewell {

// Opaque colours of the automap look (ARGB).
inline constexpr std::int32_t black = -16777216;  // 0xFF000000
inline constexpr std::int32_t brown = -4424628;   // 0xFFBC7C4C
inline constexpr std::int32_t red = -262144;      // 0xFFFC0000
inline constexpr std::int32_t yellow = -197632;   // 0xFFFCFC00

// A line's category is its kind plus `impassablecategories` when its impassable
// flag is set. An action line is an action line whatever its heights.
inline constexpr std::int32_t plainline = 0;
inline constexpr std::int32_t floorchangeline = 1;
inline constexpr std::int32_t ceilchangeline = 2;
inline constexpr std::int32_t bothchangeline = 3;
inline constexpr std::int32_t actionline = 4;
inline constexpr std::int32_t impassablecategories = 5;

// The categories that fall back: each stands for a meaning a line can have in
// play (game/linemeaning.h), so a line is in any number of them, and takes the
// first one, in this order, that its scheme mentions; otherwise it keeps its
// category above.
inline constexpr std::int32_t hiddenline = 10;
inline constexpr std::int32_t lockedredline = 11;
inline constexpr std::int32_t lockedblueline = 12;
inline constexpr std::int32_t lockedyellowline = 13;
inline constexpr std::int32_t lockedotherline = 14;
inline constexpr std::int32_t exitline = 15;
inline constexpr std::int32_t secretexitline = 16;
inline constexpr std::int32_t teleportline = 17;
inline constexpr std::int32_t secretsectorline = 18;
inline constexpr std::int32_t secretflagline = 19;

struct linecategory {
  std::int32_t number;
  std::u16string_view prefix;  // settings keys: prefix + "color", prefix + "order"
  std::int32_t color;          // fallback colour
  std::int32_t order;          // fallback drawing pass; 0 is not drawn
  // A scheme that does not mention the category draws its lines as their
  // category among the first ten; then colour and order above are unused (0).
  bool fallsback = false;
  linemeaning meaning = linemeaning::hidden;  // what puts a line in a category that falls back
};

// Every category, at its number. The fallback look: floor changes brown in
// pass 1, ceiling changes and action lines yellow in pass 2, other impassable
// lines red in pass 3, passable plain lines hidden. The categories that fall
// back come last.
inline constexpr std::array<linecategory, 20> linecategories = {{
    {plainline, u"passable_", black, 0},
    {floorchangeline, u"passable_floor_change_", brown, 1},
    {ceilchangeline, u"passable_ceil_change_", yellow, 2},
    {bothchangeline, u"passable_both_change_", brown, 1},
    {actionline, u"passable_action_", yellow, 2},
    {impassablecategories + plainline, u"impassable_", red, 3},
    {impassablecategories + floorchangeline, u"impassable_floor_change_", red, 3},
    {impassablecategories + ceilchangeline, u"impassable_ceil_change_", red, 3},
    {impassablecategories + bothchangeline, u"impassable_both_change_", red, 3},
    {impassablecategories + actionline, u"impassable_action_", yellow, 2},
    {hiddenline, u"hidden_", 0, 0, true, linemeaning::hidden},
    {lockedredline, u"locked_red_", 0, 0, true, linemeaning::lockedred},
    {lockedblueline, u"locked_blue_", 0, 0, true, linemeaning::lockedblue},
    {lockedyellowline, u"locked_yellow_", 0, 0, true, linemeaning::lockedyellow},
    {lockedotherline, u"locked_other_", 0, 0, true, linemeaning::lockedother},
    {exitline, u"exit_", 0, 0, true, linemeaning::exit},
    {secretexitline, u"secret_exit_", 0, 0, true, linemeaning::secretexit},
    {teleportline, u"teleport_", 0, 0, true, linemeaning::teleport},
    {secretsectorline, u"secret_sector_", 0, 0, true, linemeaning::secretsector},
    {secretflagline, u"secret_line_", 0, 0, true, linemeaning::secretflag},
}};

namespace linecategorycheck {
constexpr std::int32_t count(bool fallsback) {
  std::int32_t n = 0;
  for (const linecategory& c : linecategories) n += c.fallsback == fallsback ? 1 : 0;
  return n;
}
}  // namespace linecategorycheck

// Number of line categories that every scheme sets (the first ones).
inline constexpr std::int32_t linecolors = linecategorycheck::count(false);
// Number of categories that fall back, after those.
inline constexpr std::int32_t fallbackcategories = linecategorycheck::count(true);

namespace linecategorycheck {
// Each entry sits at its number, the categories that fall back come last and
// hold no look of their own, prefixes end in "_" and differ, each impassable prefix is "im" + its
// passable twin's, and each meaning of a line has one category that falls back.
constexpr bool consistent() {
  linemeanings meanings = 0;
  for (std::size_t i = 0; i < linecategories.size(); ++i) {
    const linecategory& c = linecategories[i];
    if (c.number != static_cast<std::int32_t>(i)) return false;
    if (c.fallsback != (c.number >= linecolors)) return false;
    if (c.fallsback && (c.color != 0 || c.order != 0)) return false;
    if (c.fallsback) {
      if ((meanings & linebit(c.meaning)) != 0) return false;
      meanings |= linebit(c.meaning);
    }
    if (!c.prefix.ends_with(u"_")) return false;
    for (std::size_t j = 0; j < i; ++j) {
      if (linecategories[j].prefix == c.prefix) return false;
    }
  }
  for (std::size_t i = 0; i < static_cast<std::size_t>(impassablecategories); ++i) {
    const std::u16string_view impassable = linecategories[i + impassablecategories].prefix;
    if (!impassable.starts_with(u"im") || impassable.substr(2) != linecategories[i].prefix) return false;
  }
  return meanings == (linemeanings{1} << linemeaningcount) - 1;
}
}  // namespace linecategorycheck
static_assert(linecolors == 2 * impassablecategories, "a passable and an impassable category per kind");
static_assert(linecategorycheck::consistent(), "line categories out of order");
static_assert(fallbackcategories < 32, "one bit per category that falls back, and one spare");

// One column of the table, by category number.
constexpr std::array<std::int32_t, linecolors> linecategorycolumn(std::int32_t linecategory::*field) {
  std::array<std::int32_t, linecolors> out{};
  for (std::size_t i = 0; i < out.size(); ++i) out[i] = linecategories[i].*field;
  return out;
}

// The bit of a category that falls back, in the sets below and in fallbacklooks.
constexpr std::uint32_t fallbackbit(std::int32_t category) {
  return std::uint32_t{1} << static_cast<unsigned>(category - linecolors);
}

// The categories that fall back (fallbackbit) that a line of meanings `m` is in.
constexpr std::uint32_t fallbackset(linemeanings m) {
  std::uint32_t set = 0;
  if (m == 0) return set;
  for (std::int32_t c = linecolors; c < linecolors + fallbackcategories; ++c) {
    if ((m & linebit(linecategories[static_cast<std::size_t>(c)].meaning)) != 0) set |= fallbackbit(c);
  }
  return set;
}

// The fallback look, by category number.
inline constexpr std::array<std::int32_t, linecolors> defaultcolors =
    linecategorycolumn(&linecategory::color);
inline constexpr std::array<std::int32_t, linecolors> defaultorders =
    linecategorycolumn(&linecategory::order);

// What a scheme says of the categories that fall back, at number - linecolors:
// a colour and a pass, each counting only where its bit is set (the scheme
// gives that key a value). A category with neither bit set is not mentioned.
struct fallbacklooks {
  std::array<std::int32_t, fallbackcategories> colors{};
  std::array<std::int32_t, fallbackcategories> orders{};
  std::uint32_t colorgiven = 0;
  std::uint32_t ordergiven = 0;

  std::uint32_t mentioned() const { return colorgiven | ordergiven; }
};

}  // namespace tracewell
