// Meanings of specials, flags and sector specials: the categories that fall back.
#include "render/specialmeaning.h"

#include <gtest/gtest.h>

#include "testlib/harness.h"
#include "testlib/wadbuilder.h"

namespace tracewell {
namespace {

constexpr std::uint32_t red = fallbackbit(lockedredline), blue = fallbackbit(lockedblueline),
                        yellow = fallbackbit(lockedyellowline), other = fallbackbit(lockedotherline),
                        exit = fallbackbit(exitline), teleport = fallbackbit(teleportline),
                        secret = fallbackbit(secretsectorline);

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
    std::uint32_t want;
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
      {mapmeaning::zdoom, 70, 0, 0, 0, 0x80 | 0x20, 0, none,
       teleport | fallbackbit(hiddenline) | fallbackbit(secretflagline)},
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
    EXPECT_EQ(fallbackset(l, &front, c.back == none ? nullptr : &back, c.game), c.want)
        << static_cast<int>(c.game) << " special " << c.special << " lock " << c.value << "/" << c.locknumber;
  }
}

// freedoom2's own numbers, under Doom meanings.
TEST(SpecialMeaning, Freedoom2Totals) {
  const std::string path = testkit::freedoom2path();
  if (path.empty()) GTEST_SKIP() << "freedoom2.wad is not installed";
  const auto w = testkit::readwad(bytestream::openread(fromutf8(path)));
  ASSERT_TRUE(w);
  const std::uint32_t locked = fallbackbit(lockedredline) | fallbackbit(lockedblueline) |
                               fallbackbit(lockedyellowline) | fallbackbit(lockedotherline);
  int keydoors = 0, teleporters = 0, exits = 0, secrets = 0;
  for (const text& name : w->getmapnames()) {
    const auto m = map::Create(w->getmaplumps(name, wad::maplumps), wad::DOOM).value();
    for (const linedef& l : m->linedefs) {
      const std::uint32_t set = fallbackset(l, nullptr, nullptr, m->meaning);
      keydoors += (set & locked) != 0;
      teleporters += (set & fallbackbit(teleportline)) != 0;
      exits += (set & (fallbackbit(exitline) | fallbackbit(secretexitline))) != 0;
    }
    for (const sector& s : m->sectors) secrets += secretsector(s.sectortype, m->meaning);
  }
  EXPECT_EQ(keydoors, 352);
  EXPECT_EQ(teleporters, 819);
  EXPECT_EQ(exits, 104);  // normal and secret
  EXPECT_EQ(secrets, 134);
}

}  // namespace
}  // namespace tracewell
