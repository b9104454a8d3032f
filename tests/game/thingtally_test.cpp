// The things tallied per skill group and mode, and monsters and items by type, against counts made by hand.
#include "game/thingtally.h"

#include <gtest/gtest.h>

namespace tracewell {
namespace {

thing make(std::int32_t type, std::uint8_t skills, bool single, bool coop, bool deathmatch) {
  thing t;
  t.type = type;
  t.skills = skills;
  t.single = single;
  t.coop = coop;
  t.deathmatch = deathmatch;
  return t;
}

TEST(ThingTally, SkillGroupsModesAndTypes) {
  map m;
  EXPECT_FALSE(tallythings(m)) << "things not read: no tally";
  m.things = std::vector<thing>{
      make(3001, 0x1F, true, true, true),    // an imp everywhere
      make(3001, 0x01, true, false, false),  // skill 1 only: counts for 1-2, single player
      make(3004, 0x04, false, true, true),   // skill 3, multiplayer only
      make(2011, 0x18, true, true, false),   // a stimpack at 4-5, not in deathmatch
      make(1, 0x00, true, true, true),       // a start at no skill: counts in no group
      make(9999, 0x1F, true, true, true),    // unknown: in the groups, in neither type list
  };
  const std::optional<thingtally> t = tallythings(m);
  ASSERT_TRUE(t);
  using row = std::array<std::int64_t, skillgroups>;
  EXPECT_EQ(t->byskill[0], (row{3, 2, 3}));  // single: imp, imp at 1, stimpack, unknown
  EXPECT_EQ(t->byskill[1], (row{2, 3, 3}));  // coop: imp, 3004, stimpack, unknown
  EXPECT_EQ(t->byskill[2], (row{2, 3, 2}));  // deathmatch: imp, 3004, unknown
  EXPECT_EQ(t->monstertypes, (std::map<std::int32_t, std::int64_t>{{3001, 2}, {3004, 1}}));
  EXPECT_EQ(t->itemtypes, (std::map<std::int32_t, std::int64_t>{{2011, 1}}));
}

}  // namespace
}  // namespace tracewell
