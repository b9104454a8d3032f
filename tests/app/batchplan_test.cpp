// Folder names of a batch run's inputs and the paths that would leave them.
#include "app/batchplan.h"

#include <gtest/gtest.h>

#include <set>

namespace tracewell {
namespace {

TEST(BatchPlan, EachInputGetsItsOwnFolderInArgumentOrder) {
  const std::vector<text> inputs = {u"/usr/share/games/doom/freedoom2.wad",
                                    u"a/freedoom2.zip",
                                    u"freedoom2-2",
                                    u"b\\freedoom2.WAD",
                                    u"maps.tar.gz",
                                    u".hidden",
                                    u"..",
                                    u"dir/"};
  const std::vector<text> expected = {
      u"freedoom2", u"freedoom2-2", u"freedoom2-2-2", u"freedoom2-3", u"maps.tar", u".hidden", u"_", u"_-2"};
  EXPECT_EQ(inputfolders(inputs), expected);
}

// Against the plain search, counting up from 2 for each input, over names that take each
// other's suffixes: a-2 as an input of its own, a-2 taken again, a-2-2 and a-10 ahead of time.
TEST(BatchPlan, SuffixesAreThoseOfThePlainSearch) {
  std::vector<text> inputs;
  const char16_t* names[] = {u"a", u"a-2", u"a-3", u"a-2", u"b", u"a-2-2", u"a-10", u"a.x", u"A"};
  for (std::size_t i = 0; i < 400; ++i) inputs.push_back(u"d/" + text(names[(i * 7 + i / 9) % 9]) + u".wad");
  std::set<text> taken;
  std::vector<text> plain;
  for (const text& path : inputs) {
    const text stem = inputstem(path);
    text folder = stem;
    for (int k = 2; taken.contains(folder); ++k) folder = stem + u"-" + inttotext(k);
    taken.insert(folder);
    plain.push_back(folder);
  }
  EXPECT_EQ(inputfolders(inputs), plain);
  EXPECT_EQ(inputfolders({u"a.wad", u"a-2.wad", u"a.wad"}), (std::vector<text>{u"a", u"a-2", u"a-3"}));
}

TEST(BatchPlan, PathsThatLeaveTheFolder) {
  const struct {
    const char16_t* path;
    bool leaves;
  } cases[] = {
      {u"%.png", false},     {u"maps/%.png", false}, {u"..", true},      {u"a/../b.png", true},
      {u"a\\..\\b", true},   {u"/tmp/x.png", true},  {u"\\x.png", true}, {u"c:x.png", true},
      {u"..x/y.png", false}, {u"x../y.png", false},  {u"a/..", true},    {u"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(leavesfolder(c.path), c.leaves) << toutf8(c.path);
}

}  // namespace
}  // namespace tracewell
