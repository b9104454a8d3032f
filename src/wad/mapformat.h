// The map formats a WAD's maps can be read in: the word that names each and the tag map reading gets.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tracewell {

struct mapformat {
  static constexpr std::int32_t doom = 0;
  static constexpr std::int32_t hexen = 1;
  static constexpr std::int32_t zdoom = 2;  // read in the Hexen layout
  // Each map in its own layout: UDMF, Hexen with ZDoom meanings when a
  // BEHAVIOR lump follows its ten, else Doom (map::Create).
  static constexpr std::int32_t automatic = 3;

  std::int32_t tag;
  std::u16string_view word;  // an answer matches it ignoring case
  bool offered;              // named in the format prompt's list of options
};

// Every format, in the order they are offered, each at its tag.
inline constexpr std::array<mapformat, 4> mapformats = {{
    {mapformat::doom, u"Doom", true},
    {mapformat::hexen, u"Hexen", true},
    {mapformat::zdoom, u"ZDoom", true},
    {mapformat::automatic, u"Auto", false},
}};

namespace mapformatcheck {
constexpr bool attags() {
  for (std::size_t i = 0; i < mapformats.size(); ++i) {
    if (mapformats[i].tag != static_cast<std::int32_t>(i)) return false;
  }
  return true;
}
}  // namespace mapformatcheck
static_assert(mapformatcheck::attags(), "map formats out of order");

}  // namespace tracewell
