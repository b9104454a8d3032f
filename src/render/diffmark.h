// What a stroke or marker of a diff's picture shows, each with its colour's settings key and built-in colour.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tracewell {

// Drawn in this order, so that a change lies over what stayed the same.
enum class diffmark : std::uint8_t { same, removed, changed, added, moved };
inline constexpr std::size_t diffmarkcount = 5;

struct diffmarklook {
  diffmark mark;
  std::u16string_view colorkey;  // read from the scheme; absent: `fallback`
  std::int32_t fallback;         // ARGB
  std::string_view name;         // as classes and layers name it
};

inline constexpr std::array<diffmarklook, diffmarkcount> diffmarklooks = {{
    {diffmark::same, u"diff_same_color", static_cast<std::int32_t>(0xFF505050u), "same"},  // dim grey
    {diffmark::removed, u"diff_removed_color", static_cast<std::int32_t>(0xFFFF3030u), "removed"},  // red
    {diffmark::changed, u"diff_changed_color", static_cast<std::int32_t>(0xFFFFD700u), "changed"},  // yellow
    {diffmark::added, u"diff_added_color", static_cast<std::int32_t>(0xFF30E030u), "added"},        // green
    {diffmark::moved, u"diff_moved_color", static_cast<std::int32_t>(0xFF00E0FFu), "moved"},        // cyan
}};

constexpr const diffmarklook& lookof(diffmark m) {
  return diffmarklooks[static_cast<std::size_t>(m)];
}

namespace diffmarkcheck {
constexpr bool atnumbers() {
  for (std::size_t i = 0; i < diffmarklooks.size(); ++i) {
    if (static_cast<std::size_t>(diffmarklooks[i].mark) != i) return false;
  }
  return true;
}
}  // namespace diffmarkcheck
static_assert(diffmarkcheck::atnumbers(), "diff marks out of order");

// The colours a scheme gives the marks, by mark.
using diffcolors = std::array<std::int32_t, diffmarkcount>;
constexpr diffcolors defaultdiffcolors() {
  diffcolors out{};
  for (const diffmarklook& l : diffmarklooks) out[static_cast<std::size_t>(l.mark)] = l.fallback;
  return out;
}

}  // namespace tracewell
