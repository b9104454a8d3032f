// How each thing kind is marked: its colour's settings key, a cross or a triangle, its layer.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "game/thingkind.h"

namespace tracewell {

struct thingkindlook {
  thingkind kind;
  std::u16string_view colorkey;  // settings key of the kind's colour; absent: not drawn
  std::int32_t layer;            // markers are drawn layer by layer, ascending, later on top
  bool cross;                    // a cross; else a triangle pointing the thing's way
};

// Every kind, at its number. Keys are crosses; the four share one layer, so they keep their THINGS order.
inline constexpr std::array<thingkindlook, thingkindcount> thingkindlooks = {{
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

constexpr const thingkindlook& lookof(thingkind k) {
  return thingkindlooks[static_cast<std::size_t>(k)];
}

namespace thingkindlookcheck {
// Kinds sit at their numbers with their layers ascending.
constexpr bool consistent() {
  for (std::size_t i = 0; i < thingkindlooks.size(); ++i) {
    if (static_cast<std::size_t>(thingkindlooks[i].kind) != i) return false;
    if (i > 0 && thingkindlooks[i].layer < thingkindlooks[i - 1].layer) return false;
    if (thingkindlooks[i].layer < 0 || thingkindlooks[i].layer >= thinglayers) return false;
  }
  return true;
}
}  // namespace thingkindlookcheck
static_assert(thingkindlookcheck::consistent(), "thing kind looks out of order");
static_assert(thingkindlooks.back().layer == thinglayers - 1, "every layer has a kind");

}  // namespace tracewell
