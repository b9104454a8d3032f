// Opening what the WAD prompt names: a WAD or a ZIP archive told apart by content, and each way to fail.
#include "wad/mapsource.h"

#include <gtest/gtest.h>

#include "testlib/harness.h"
#include "testlib/wadbuilder.h"
#include "testlib/zipbuilder.h"

namespace tracewell {
namespace {

using testkit::wadbuilder;

TEST(MapSource, ContentDecidesAndEachFailureIsTold) {
  wadbuilder twomaps;
  twomaps.addmap("MAP01", testkit::squaremap());
  twomaps.addmap("MAP02", testkit::squaremap());
  wadbuilder inside;  // a PK3 map's marker may carry any name
  inside.addmap("E1M1", testkit::squaremap());
  std::string brokendirectory = testkit::buildzip({{"maps/MAP01.wad", inside.bytes(), true, ""}});
  brokendirectory[testkit::centralheader(brokendirectory, 0) + 2] = 'X';

  enum outcome { wadfile, zipfile, unopenable, unparsable, streamfailure };
  struct {
    const char* file;
    std::optional<std::string> content;  // nullopt: a folder
    outcome want;
    std::list<text> names;
  } cases[] = {
      {"wad.zip", twomaps.bytes(), wadfile, {u"MAP01", u"MAP02"}},
      {"zip.wad",
       testkit::buildzip(
           {{"maps/map07.wad", inside.bytes(), false, ""}, {"a.wad", twomaps.bytes(), true, ""}}),
       zipfile,
       {u"MAP07", u"MAP01", u"MAP02"}},
      {"empty.zip", testkit::emptyzip(), zipfile, {}},
      {"broken.zip", brokendirectory, unparsable, {}},
      {"junk.zip", std::string("PK\3\4junk"), unparsable, {}},
      {"junk.wad", std::string("JUNKJUNKJUNK"), unparsable, {}},
      {"short.wad", std::string("PK"), streamfailure, {}},  // as any file shorter than a WAD's identification
      {"folder.wad", std::nullopt, unopenable, {}},
      {"missing.wad", std::string(), unopenable, {}},
  };
  testkit::tempdir dir;
  for (const auto& k : cases) {
    const auto path = dir / k.file;
    if (!k.content) std::filesystem::create_directory(path);
    if (k.content && std::string(k.file) != "missing.wad") testkit::writefile(path, *k.content);
    const result<std::shared_ptr<mapsource>> r = openmapsource(u(path.string()));
    if (k.want == streamfailure) {
      ASSERT_FALSE(r.ok()) << k.file;
      EXPECT_EQ(r.error().what, failure::kind::readstream);
      EXPECT_EQ(r.error().why, failure::reason::nosignature);
      continue;
    }
    if (k.want == unopenable || k.want == unparsable) {
      ASSERT_FALSE(r.ok()) << k.file;
      EXPECT_EQ(r.error().what, failure::kind::notice) << k.file;
      EXPECT_EQ(r.error().why == failure::reason::cannotopen, k.want == unopenable) << k.file;
      continue;
    }
    ASSERT_TRUE(r.ok()) << k.file;
    const std::shared_ptr<mapsource>& source = r.value();
    EXPECT_EQ(source->getmapnames(), k.names) << k.file;
    EXPECT_EQ(source->wadfile() != nullptr, k.want == wadfile) << k.file;
    for (const text& name : k.names) {
      // Whatever the marker is called, the group is a whole map; lookup ignores case.
      const result<lumpgroup> found = source->getmapgroup(lower(name));
      ASSERT_TRUE(found.ok()) << k.file;
      const lumpgroup& group = found.value();
      ASSERT_EQ(group.size(), static_cast<std::size_t>(wad::maplumps)) << k.file << " " << tobytes(name);
      EXPECT_EQ(group[1]->trimmedname(), u"THINGS");
    }
  }
}

std::shared_ptr<archive> openzip(const std::string& bytes, archivelimits limits = {}) {
  result<std::shared_ptr<archive>> o =
      archive::openmemory(std::make_shared<std::vector<unsigned char>>(bytes.begin(), bytes.end()), limits);
  EXPECT_TRUE(o.ok());
  return o.ok() ? o.value() : nullptr;
}

// Embedded WADs read stay held while they fit under the ceiling together: each costs one inflation.
TEST(MapSource, HeldEntryIsInflatedOnce) {
  wadbuilder a;
  a.addmap("MAP01", testkit::squaremap());
  a.addmap("MAP02", testkit::squaremap());
  wadbuilder b;
  b.addmap("MAP03", testkit::squaremap());
  const std::string zip = testkit::buildzip({{"a.wad", a.bytes(), true, ""}, {"b.wad", b.bytes(), true, ""}});
  const std::uint64_t fits = a.bytes().size() + b.bytes().size();
  const struct {
    const char* name;
    std::uint64_t ceiling;
    std::vector<const char16_t*> lookups;
    std::uint64_t inflateda;  // times each entry is inflated again by the lookups
    std::uint64_t inflatedb;
  } cases[] = {
      {"same WAD twice", fits, {u"MAP01", u"MAP02", u"map01"}, 0, 0},
      {"two WADs alternating", fits, {u"MAP01", u"MAP03", u"MAP02", u"MAP03"}, 0, 0},
      {"two WADs alternating, one held at a time", fits - 1, {u"MAP01", u"MAP03", u"MAP02", u"MAP03"}, 2, 2},
      {"the last one listed stays held", fits - 1, {u"MAP03", u"MAP01", u"MAP02"}, 1, 0},
  };
  for (const auto& c : cases) {
    const std::shared_ptr<archive> opened = openzip(zip, {c.ceiling, archivelimits{}.budget, 64});
    ASSERT_TRUE(opened);
    const std::shared_ptr<mapsource> source = archivemapsource(opened);
    const std::uint64_t listing = opened->inflated();
    EXPECT_EQ(listing, a.bytes().size() + b.bytes().size()) << c.name;
    for (const char16_t* name : c.lookups) {
      const result<lumpgroup> group = source->getmapgroup(name);
      ASSERT_TRUE(group.ok() && !group.value().empty()) << c.name;
    }
    EXPECT_EQ(opened->inflated() - listing, c.inflateda * a.bytes().size() + c.inflatedb * b.bytes().size())
        << c.name;
  }
}

// Bombs at a scaled size: what is inflated stops at a WAD header that is not one,
// at the budget of one opening, and never starts for entries sharing data.
TEST(MapSource, ArchiveLimits) {
  wadbuilder padded;
  padded.addlump("PAD", std::string(4000, 'p'));
  padded.addmap("MAP01", testkit::squaremap());
  const std::string wad = padded.bytes();
  std::string pastend = wad;  // MAP01's VERTEXES reaches past the WAD's end
  const auto directory =
      static_cast<std::size_t>(static_cast<unsigned char>(wad[8]) | static_cast<unsigned char>(wad[9]) << 8 |
                               static_cast<unsigned char>(wad[10]) << 16);
  testkit::puts32(pastend, directory + 5 * 16 + 4, 1 << 20);
  std::string shared = testkit::buildzip({{"maps/MAP01.wad", wad, true, ""}, {"b.wad", wad, true, ""}});
  testkit::puts32(shared,
                  testkit::centralheader(shared, 1) + wadformat::zipcentralheader::localheaderoffset.offset,
                  static_cast<std::int32_t>(testkit::localheader(shared, 0)));
  // Only one of them held: drawing MAP01 of a.wad inflates it again.
  const std::string twowads = testkit::buildzip({{"a.wad", wad, true, ""}, {"b.wad", wad, true, ""}});
  using reason = failure::reason;
  const auto zipof = [](const std::string& bytes) { return testkit::buildzip({{"a.wad", bytes, true, ""}}); };
  const std::list<text> map01 = {u"MAP01"}, twice = {u"MAP01", u"MAP01"};
  constexpr reason none = reason::unspecified, over = reason::overbudget;
  const struct {
    const char* name;
    std::string zip;
    archivelimits limits;
    std::list<text> listed;
    std::uint64_t listinginflates;
    reason drawing;  // unspecified: MAP01 draws
  } cases[] = {
      {"no WAD header: first bytes only",
       zipof(std::string(1 << 22, '\0')),
       {},
       {},
       archive::headbytes,
       none},
      {"budget for listing and drawing",
       twowads,
       {wad.size(), 3 * wad.size(), 0},
       twice,
       2 * wad.size(),
       none},
      {"budget for listing only", twowads, {wad.size(), 3 * wad.size() - 1, 0}, twice, 2 * wad.size(), over},
      {"the archive's size counts", zipof(wad), {1u << 30, 0, 1 << 20}, map01, wad.size(), none},
      {"entries sharing data", shared, {}, map01, 0, reason::overlaps},
      {"lump past the embedded WAD's end", zipof(pastend), {}, map01, wad.size(), reason::damaged},
  };
  for (const auto& c : cases) {
    const std::shared_ptr<archive> opened = openzip(c.zip, c.limits);
    ASSERT_TRUE(opened) << c.name;
    const std::shared_ptr<mapsource> source = archivemapsource(opened);
    EXPECT_EQ(source->getmapnames(), c.listed) << c.name;
    EXPECT_EQ(opened->inflated(), c.listinginflates) << c.name;
    if (c.listed.empty()) continue;
    const result<std::shared_ptr<map>> m = source->loadmap(u"MAP01", wad::DOOM, u"MAP01");
    EXPECT_EQ(m.ok() ? reason::unspecified : m.error().why, c.drawing) << c.name;
    if (!m.ok()) {
      EXPECT_EQ(m.error().what, failure::kind::notice) << c.name;
      EXPECT_FALSE(m.error().subject.empty()) << c.name;
    }
  }
}

}  // namespace
}  // namespace tracewell
