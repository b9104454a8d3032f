// The line that says why an archive entry could not be read, from real archives through the map source.
#include "app/report.h"

#include <gtest/gtest.h>

#include "testlib/harness.h"
#include "testlib/wadbuilder.h"
#include "testlib/zipbuilder.h"
#include "wad/mapsource.h"

namespace tracewell {
namespace {

namespace central = wadformat::zipcentralheader;
namespace local = wadformat::ziplocalheader;

TEST(Report, ArchiveEntryErrorLines) {
  testkit::wadbuilder square;
  square.addmap("MAP01", testkit::squaremap());
  const auto method = [](std::uint32_t m) {
    return [m](std::string& z) { testkit::patchentry(z, 0, central::method, local::method, m); };
  };
  const char* entry = "maps/MAP01.wad";
  const testkit::zipentry stored{entry, square.bytes(), false, ""};
  const struct {
    const char* name;
    testkit::zipentry entry;
    std::function<void(std::string&)> damage;
    std::string why;  // after the entry's name
  } cases[] = {
      {"encrypted", {entry, square.bytes(), true, "secret"}, nullptr, "the entry is encrypted."},
      {"named method", stored, method(6), "compression method 6 (implode) is not supported."},
      {"named method libzip lacks", stored, method(93),
       "compression method 93 (Zstandard) is not supported."},
      {"unnamed method", stored, method(7), "compression method 7 is not supported."},
      {"CRC", stored, [](std::string& z) { z[testkit::dataoffset(z, 0) + 20] ^= 1; },
       "the entry is damaged."},
      {"not a WAD, ESC in the name",
       {"maps/map\x1b.wad", "hello", true, ""},
       nullptr,
       "the entry is not a WAD."},
  };
  for (const auto& c : cases) {
    std::string zip = testkit::buildzip({c.entry});
    if (c.damage) c.damage(zip);
    const auto opened =
        archive::openmemory(std::make_shared<std::vector<unsigned char>>(zip.begin(), zip.end()));
    ASSERT_TRUE(opened.ok()) << c.name;
    const std::shared_ptr<mapsource> source = archivemapsource(opened.value());
    const std::list<text> names = source->getmapnames();
    ASSERT_EQ(names.size(), 1u) << c.name;
    const result<std::shared_ptr<map>> m = source->loadmap(names.front(), wad::DOOM, names.front());
    ASSERT_FALSE(m.ok()) << c.name;
    EXPECT_EQ(m.error().what, failure::kind::notice) << c.name;
    const std::string shown = c.entry.name == entry ? entry : "maps/map?.wad";
    EXPECT_EQ(toutf8(entryerrorline(m.error())), "Error in archive entry \"" + shown + "\": " + c.why)
        << c.name;
  }
  // A failure about no archive entry has no such line.
  EXPECT_TRUE(entryerrorline(failure::notice({u"failed to read map lumps"})).empty());
}

}  // namespace
}  // namespace tracewell

namespace tracewell {
namespace {

// A map that cannot be read as its format says: the hint at the format word in a fatal stop, which answers
// the user's word, and never in Auto's notice; the failure's own lines follow.
TEST(Report, MapReasonsAreWordedWithTheHintOnlyInAStop) {
  using reason = failure::reason;
  const std::string hint = " Probably using the wrong map format.";
  const struct {
    reason why;
    std::string line;
  } cases[] = {{reason::badvertex, "Encountered invalid vertex ID."},
               {reason::badsidedef, "Encountered invalid sidedef ID."},
               {reason::cutshort, "Unexpected EOF."}};
  for (const auto& c : cases) {
    EXPECT_EQ(failurelines(failure::stop(c.why)), std::vector<text>{fromutf8(c.line + hint)}) << c.line;
    failure notice = failure::because(c.why);
    notice.lines = {u"more"};
    EXPECT_EQ(failurelines(notice), (std::vector<text>{fromutf8(c.line), u"more"})) << c.line;
  }
  EXPECT_EQ(failurelines(failure::notice({u"as it is"})), std::vector<text>{u"as it is"});
}

}  // namespace
}  // namespace tracewell
