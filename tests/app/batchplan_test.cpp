// Folder names of a batch run's inputs and the paths that would leave them.
#include "app/batchplan.h"

#include <gtest/gtest.h>

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
