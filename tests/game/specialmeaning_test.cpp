// Meanings of specials, flags and sector specials, per game.
#include "game/specialmeaning.h"

#include <gtest/gtest.h>

namespace tracewell {
namespace {

constexpr linemeanings red = linebit(linemeaning::lockedred), blue = linebit(linemeaning::lockedblue),
                       yellow = linebit(linemeaning::lockedyellow), other = linebit(linemeaning::lockedother),
                       exit = linebit(linemeaning::exit), secretexit = linebit(linemeaning::secretexit),
                       teleport = linebit(linemeaning::teleport), secret = linebit(linemeaning::secretsector);

// Generalized keys sit in bits 6 to 8 above 0x3800; Hexen and ZDoom keep the
// lock in an argument that depends on the special, or in the lock number.
TEST(SpecialMeaning, LinesFallIntoWhatTheirGameSays) {
  constexpr std::int64_t none = -5;  // no sector on that side
  struct {
    mapmeaning game;
    std::int64_t special;
    std::int32_t argument;  // index of `value` in args
    std::int64_t value, locknumber;
    std::uint16_t flags;
    std::int64_t front, back;  // sector specials
    linemeanings want;
  } cases[] = {
      {mapmeaning::doom, 0x3800 | 1 << 6, 0, 0, 0, 0, 0, none, red},
      {mapmeaning::doom, 0x3800 | 4 << 6 | 0x3F, 0, 0, 0, 0, 0, none, red},
      {mapmeaning::heretic, 0x3800 | 5 << 6 | 0x200, 0, 0, 0, 0, 0, none, blue},
      {mapmeaning::doom, 0x3800 | 6 << 6, 0, 0, 0, 0, 0, none, yellow},
      {mapmeaning::doom, 0x3800, 0, 0, 0, 0, 0, none, other},
      {mapmeaning::doom, 0x3BFF, 0, 0, 0, 0, 0, none, other},
      {mapmeaning::strife, 0x3BFF, 0, 0, 0, 0, 0, none, 0},
      {mapmeaning::doom, 0x3C00, 0, 0, 0, 0, 0, none, 0},
      {mapmeaning::doom, 0xFFFF, 0, 0, 0, 0, 0, none, 0},
      {mapmeaning::doom, 28, 0, 0, 0, 0, 0, none, red},
      {mapmeaning::heretic, 28, 0, 0, 0, 0, 0, none, other},
      {mapmeaning::doom, 65536 + 28, 0, 0, 0, 0, 0, none, 0},
      {mapmeaning::doom, -28, 0, 0, 0, 0, 0, none, 0},
      {mapmeaning::hexen, 13, 3, 1, 0, 0, 0, none, other},
      {mapmeaning::hexen, 13, 4, 1, 0, 0, 0, none, 0},
      {mapmeaning::hexen, 14, 3, 1, 0, 0, 0, none, 0},
      {mapmeaning::zdoom, 14, 3, 129, 0, 0, 0, none, red},
      {mapmeaning::zdoom, 202, 4, 3, 0, 0, 0, none, yellow},
      {mapmeaning::zdoom, 202, 3, 3, 0, 0, 0, none, 0},
      {mapmeaning::zdoom, 13, 3, 1, 5, 0, 0, none, blue},  // the lock number wins
      {mapmeaning::zdoom, 0, 0, 0, -1, 0, 0, none, other},
      {mapmeaning::zdoom, 13, 3, 100, 0, 0, 0, none, other},
      {mapmeaning::doom, 0, 0, 0, 2, 0, 0, none, 0},
      {mapmeaning::doom, 243, 0, 0, 0, 0, 0, none, teleport},
      {mapmeaning::zdoom, 243, 0, 0, 0, 0, 0, none, exit},
      {mapmeaning::doom, 2068, 0, 0, 0, 0, 0, none, 0},  // ID24's exits, after its music specials
      {mapmeaning::doom, 2069, 0, 0, 0, 0, 0, none, exit},
      {mapmeaning::doom, 2074, 0, 0, 0, 0, 0, none, secretexit},
      {mapmeaning::doom, 2075, 0, 0, 0, 0, 0, none, 0},
      {mapmeaning::heretic, 2069, 0, 0, 0, 0, 0, none, 0},
      {mapmeaning::zdoom, 2072, 0, 0, 0, 0, 0, none, 0},
      {mapmeaning::zdoom, 70, 0, 0, 0, 0x80 | 0x20, 0, none,
       teleport | linebit(linemeaning::hidden) | linebit(linemeaning::secretflag)},
      {mapmeaning::doom, 0, 0, 0, 0, 0, 0, 128 | 5, secret},
      {mapmeaning::doom, 0, 0, 0, 0, 0, 65536 + 128, 9, secret},
      {mapmeaning::strife, 0, 0, 0, 0, 0, 128, none, 0},
      {mapmeaning::zdoom, 0, 0, 0, 0, 0, 9, 1024 | 9, secret},
      {mapmeaning::hexen, 0, 0, 0, 0, 0, 9, 1024, 0},
  };
  for (const auto& c : cases) {
    linedef l;
    l.special = c.special;
    l.args[static_cast<std::size_t>(c.argument)] = c.value;
    l.locknumber = c.locknumber;
    l.flags = c.flags;
    sector front, back;
    front.sectortype = c.front;
    back.sectortype = c.back;
    EXPECT_EQ(meaningsof(l, &front, c.back == none ? nullptr : &back, c.game), c.want)
        << static_cast<int>(c.game) << " special " << c.special << " lock " << c.value << "/" << c.locknumber;
  }
}

}  // namespace
}  // namespace tracewell
