// The maps each run draws from what was asked and what an input lists.
#include "app/mapchoice.h"

#include <gtest/gtest.h>

namespace tracewell {
namespace {

// Each row: the words asked for, under each rule, against one list that holds a map whose name is no
// upper-case word and the marker-like MAPINFO.
TEST(MapChoice, EachRunsRulesFromOneFunction) {
  const std::list<text> listed = {u"MAP01", u"e1m1", u"MAPINFO", u"MAP02"};
  using names = std::vector<text>;
  const struct {
    names words;
    unlistedname rule;
    std::optional<names> drawn;  // nullopt: refused, or nothing to draw
    bool all;
  } cases[] = {
      {{u"map02", u"E1M1"},
       unlistedname::refuse,
       names{u"MAP02", u"E1M1"},
       false},  // order given, upper case
      {{u"MAP01", u"map01"}, unlistedname::refuse, names{u"MAP01", u"MAP01"}, false},  // twice: drawn twice
      {{u"All"}, unlistedname::refuse, names{u"MAP01", u"e1m1", u"MAPINFO", u"MAP02"}, true},
      {{u"MAP02", u"all"}, unlistedname::skip, names{u"MAP01", u"e1m1", u"MAPINFO", u"MAP02"}, true},
      {{u"MAP01", u"MAP09"}, unlistedname::refuse, std::nullopt, false},   // the single run refuses it
      {{u"MAP09", u"ALL"}, unlistedname::refuse, std::nullopt, false},     // even beside ALL
      {{u"MAP09", u"MAP01"}, unlistedname::skip, names{u"MAP01"}, false},  // the batch run skips it
      {{u"MAP09"}, unlistedname::skip, std::nullopt, false},               // and then has nothing to draw
      {{u""}, unlistedname::refuse, std::nullopt, false},
  };
  for (const auto& c : cases) {
    std::string row;
    for (const text& w : c.words) row += tobytes(w) + " ";
    const std::optional<mapselection> chosen = choosemaps(mapchoice::of(c.words), listed, c.rule);
    ASSERT_EQ(chosen.has_value(), c.drawn.has_value()) << row;
    if (!chosen) continue;
    EXPECT_EQ(names(chosen->names.begin(), chosen->names.end()), *c.drawn) << row;
    EXPECT_EQ(chosen->all, c.all) << row;
  }
}

}  // namespace
}  // namespace tracewell
