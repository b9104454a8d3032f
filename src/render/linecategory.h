// The ten line categories of the automap: their numbers, settings key prefixes and fallback look.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

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

struct linecategory {
  std::int32_t number;
  std::u16string_view prefix;  // settings keys: prefix + "color", prefix + "order"
  std::int32_t color;          // fallback colour
  std::int32_t order;          // fallback drawing pass; 0 is not drawn
};

// Every category, at its number. The fallback look: floor changes brown in
// pass 1, ceiling changes and action lines yellow in pass 2, other impassable
// lines red in pass 3, passable plain lines hidden.
inline constexpr std::array<linecategory, 10> linecategories = {{
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
}};

// Number of line categories.
inline constexpr std::int32_t linecolors = static_cast<std::int32_t>(linecategories.size());

namespace linecategorycheck {
// Each entry sits at its number, and each impassable prefix is "im" + its passable twin's.
constexpr bool consistent() {
  for (std::size_t i = 0; i < linecategories.size(); ++i) {
    if (linecategories[i].number != static_cast<std::int32_t>(i)) return false;
  }
  for (std::size_t i = 0; i < static_cast<std::size_t>(impassablecategories); ++i) {
    const std::u16string_view impassable = linecategories[i + impassablecategories].prefix;
    if (!impassable.starts_with(u"im") || impassable.substr(2) != linecategories[i].prefix) return false;
  }
  return true;
}
}  // namespace linecategorycheck
static_assert(linecolors == 2 * impassablecategories, "a passable and an impassable category per kind");
static_assert(linecategorycheck::consistent(), "line categories out of order");

// One column of the table, by category number.
constexpr std::array<std::int32_t, linecolors> linecategorycolumn(std::int32_t linecategory::*field) {
  std::array<std::int32_t, linecolors> out{};
  for (std::size_t i = 0; i < out.size(); ++i) out[i] = linecategories[i].*field;
  return out;
}

// The fallback look, by category number.
inline constexpr std::array<std::int32_t, linecolors> defaultcolors =
    linecategorycolumn(&linecategory::color);
inline constexpr std::array<std::int32_t, linecolors> defaultorders =
    linecategorycolumn(&linecategory::order);

}  // namespace tracewell
