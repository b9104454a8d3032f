// The maps of a ZIP archive: the listing rule, lookup, and lump groups read from embedded WADs.
#include "wad/archivemaps.h"

#include <gtest/gtest.h>

#include "testlib/harness.h"
#include "testlib/wadbuilder.h"
#include "testlib/zipbuilder.h"
#include "wad/mapsource.h"

namespace tracewell {
namespace {

using testkit::buildzip;
using testkit::wadbuilder;
using testkit::zipentry;

struct listed {
  std::string name;
  std::size_t entry;
  archivemapkind kind;
  bool operator==(const listed&) const = default;
  friend void PrintTo(const listed& l, std::ostream* os) {
    *os << l.name << "@" << l.entry << (l.kind == archivemapkind::wholewad ? " whole" : " marker");
  }
};

std::vector<listed> plain(const archivemaplist& maps) {
  std::vector<listed> out;
  for (const archivemap& m : maps) out.push_back({tobytes(m.name), m.entry, m.kind});
  return out;
}

std::string lumpdata(const lump& l) {
  std::string s(static_cast<std::size_t>(l.size), '\0');
  l.stream->seek(l.filepos);
  l.stream->readbytes(s.data(), s.size());
  return s;
}

std::shared_ptr<archive> openzip(const std::string& bytes) {
  result<std::shared_ptr<archive>> o =
      archive::openmemory(std::make_shared<std::vector<unsigned char>>(bytes.begin(), bytes.end()));
  EXPECT_TRUE(o.ok());
  return o.ok() ? o.value() : nullptr;
}

// The group the program's map source gives for `name`; empty when it gives none or fails.
lumpgroup groupof(mapsource& source, const text& name) {
  result<lumpgroup> group = source.getmapgroup(name);
  return group.ok() ? std::move(group).value() : lumpgroup();
}

constexpr auto whole = archivemapkind::wholewad;
constexpr auto marker = archivemapkind::marker;

TEST(ArchiveMaps, ListingRule) {
  const std::vector<std::string> entries = {
      "maps/MAP01.wad",      // 0: by name
      "MAPS/map02.Wad",      // 1: by name, upper-cased
      "maps/MAP.wad",        // 2: three characters are enough
      "maps/MAP123456.wad",  // 3: nine characters: embedded
      "maps/E1M1.wad",       // 4: not MAP...: embedded
      "maps/sub/MAP03.wad",  // 5: two folders deep: embedded
      "pk/maps/MAP04.wad",   // 6: not at the top: embedded
      "readme.txt",          // 7
      "maps/",               // 8: a folder
      "maps/MAP05.wad.txt",  // 9
      "../up.WAD",           // 10: only a name
      "maps/.wad",           // 11: embedded
      "maps\\MAP06.wad",     // 12: a backslash is no folder: embedded
      "maps/MAP12345.WAD",   // 13: eight characters: by name
  };
  std::vector<std::size_t> asked;
  auto mapsof = [&asked](std::size_t index) {
    asked.push_back(index);
    if (index == 3) return std::list<text>{u"MAP09", u"MAP08"};
    if (index == 10) return std::list<text>{u"MAP01"};
    return std::list<text>();
  };
  std::vector<text> names;
  for (const auto& e : entries) names.push_back(u(e));
  const archivemaplist maps = listarchivemaps(names, mapsof);
  const std::vector<listed> expected = {{"MAP01", 0, whole},    {"MAP02", 1, whole},  {"MAP", 2, whole},
                                        {"MAP09", 3, marker},   {"MAP08", 3, marker}, {"MAP01", 10, marker},
                                        {"MAP12345", 13, whole}};
  EXPECT_EQ(plain(maps), expected);
  EXPECT_EQ(asked, (std::vector<std::size_t>{3, 4, 5, 6, 10, 11, 12}));
  EXPECT_EQ(archivemapnames(maps),
            (std::list<text>{u"MAP01", u"MAP02", u"MAP", u"MAP09", u"MAP08", u"MAP01", u"MAP12345"}));

  // Under content the entry's place alone makes a map, whatever its NAME.
  asked.clear();
  const std::vector<listed> bycontent = {{"MAP01", 0, whole},     {"MAP02", 1, whole}, {"MAP", 2, whole},
                                         {"MAP123456", 3, whole}, {"E1M1", 4, whole},  {"MAP01", 10, marker},
                                         {"MAP12345", 13, whole}};
  EXPECT_EQ(plain(listarchivemaps(names, mapsof, mapdetection::content)), bycontent);
  EXPECT_EQ(asked, (std::vector<std::size_t>{5, 6, 10, 11, 12}));

  // Lookup ignores case; the first listed match wins.
  const archivemapindex index(maps);
  EXPECT_EQ(index.find(u"map01"), 0u);
  EXPECT_EQ(index.find(u"Map08"), 4u);
  EXPECT_EQ(index.find(u"MAP07"), std::nullopt);
}

TEST(ArchiveMaps, EmbeddedWadsAreListedAndDrawnFromTheirEntries) {
  const testkit::mapdata small = testkit::squaremap(wad::DOOM, 32);
  const testkit::mapdata big = testkit::squaremap(wad::DOOM, 512);
  wadbuilder renamed;  // the marker inside a maps/ entry may have any name
  renamed.addmap("XYZ", small);
  wadbuilder pack;
  pack.addlump("PLAYPAL", "palette");
  pack.addmap("MAP02", small);
  pack.addmap("MAP01", big);
  wadbuilder single;
  single.addmap("MAP01", small);
  std::vector<zipentry> entries = {
      {"readme.txt", "text", true, ""},
      {"maps/map07.wad", renamed.bytes(), true, ""},
      {"episode/pack.WAD", pack.bytes(), false, ""},
      {"broken.wad", "not a WAD at all", true, ""},
      {"secret.wad", pack.bytes(), true, "password"},
      {"maps/MAP01.wad", single.bytes(), false, ""},
      {"maps/MAP99.wad", single.bytes(), false, ""},
  };
  std::string zip = buildzip(entries);
  zip[testkit::dataoffset(zip, 6) + 20] ^= 1;  // MAP99 fails its CRC
  const std::shared_ptr<archive> opened = openzip(zip);
  ASSERT_TRUE(opened);
  const archivemaplist maps = listarchivemaps(opened->names(), [&opened](std::size_t index) {
    const result<std::shared_ptr<wad>> w = readembeddedwad(*opened, index);
    return w.ok() ? w.value()->getmapnames() : std::list<text>();
  });
  const std::vector<listed> expected = {{"MAP07", 1, whole},
                                        {"MAP02", 2, marker},
                                        {"MAP01", 2, marker},
                                        {"MAP01", 5, whole},
                                        {"MAP99", 6, whole}};
  EXPECT_EQ(plain(maps), expected);
  const std::shared_ptr<mapsource> source = archivemapsource(opened);

  const std::string smallvertexes = testkit::encode(small.vertexes);
  const struct {
    std::u16string lookup;
    std::string marker;  // empty: no group
    std::string vertexes;
  } cases[] = {{u"map07", "XYZ", smallvertexes},
               {u"MAP02", "MAP02", smallvertexes},
               {u"Map01", "MAP01", testkit::encode(big.vertexes)},
               {u"MAP99", "", ""},
               {u"MAP03", "", ""}};
  for (const auto& c : cases) {
    const lumpgroup group = groupof(*source, c.lookup);
    if (c.marker.empty()) {
      EXPECT_TRUE(group.empty()) << tobytes(c.lookup);
      continue;
    }
    ASSERT_EQ(group.size(), static_cast<std::size_t>(wad::maplumps)) << tobytes(c.lookup);
    EXPECT_EQ(group[0]->trimmedname(), u(c.marker));
    EXPECT_EQ(group[4]->trimmedname(), u"VERTEXES");
    EXPECT_EQ(lumpdata(*group[4]), c.vertexes) << tobytes(c.lookup);
  }

  // Under content an embedded WAD lists its maps by their lumps: E1M1, not MAPINFO.
  wadbuilder episode;
  episode.addlump("MAPINFO", "map E1M1");
  episode.addmap("E1M1", small);
  const std::shared_ptr<archive> other = openzip(buildzip({{"episode.wad", episode.bytes(), true, ""}}));
  ASSERT_TRUE(other);
  const std::shared_ptr<mapsource> bycontent = archivemapsource(other, mapdetection::content);
  EXPECT_EQ(bycontent->getmapnames(), std::list<text>{u"E1M1"});
  EXPECT_TRUE(bycontent->loadmap(u"e1m1", wad::DOOM, u"E1M1").ok());
}

// Every freedoom2 map as maps/MAPxx.wad, and freedoom2.wad itself inside a
// .zip: the same maps, whose lumps hold the WAD's own bytes.
TEST(ArchiveMaps, FreedoomInArchivesMatchesTheWad) {
  const std::string path = testkit::freedoom2path();
  if (path.empty()) GTEST_SKIP() << "freedoom2.wad is not installed";
  const auto iwad = testkit::readwad(bytestream::openread(u(path)), wad::DOOM);
  ASSERT_TRUE(iwad);
  const std::list<text> names = iwad->getmapnames();
  const std::vector<zipentry> pk3 = testkit::mapwadentries(path);
  const std::vector<zipentry> zip = {{"freedoom2.txt", "Freedoom", true, ""},
                                     {"freedoom2.wad", testkit::readfile(path), true, ""}};
  for (const auto& entries : {pk3, zip}) {
    const std::string bytes = buildzip(entries);
    const std::shared_ptr<archive> opened = openzip(bytes);
    ASSERT_TRUE(opened);
    const std::shared_ptr<mapsource> source = archivemapsource(opened);
    ASSERT_EQ(source->getmapnames(), names);
    // One embedded WAD is held for all its maps; a few maps of the .zip stand for all.
    std::vector<text> lookups(names.begin(), names.end());
    if (entries.size() == zip.size()) lookups = {names.front(), *std::next(names.begin(), 15), names.back()};
    for (const text& name : lookups) {
      const lumpgroup expected = iwad->getmaplumps(name, wad::maplumps);
      const lumpgroup got = groupof(*source, name);
      ASSERT_EQ(got.size(), expected.size()) << tobytes(name);
      for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i]->trimmedname(), expected[i]->trimmedname());
        EXPECT_EQ(lumpdata(*got[i]), lumpdata(*expected[i])) << tobytes(name) << " lump " << i;
      }
    }
  }
}

}  // namespace
}  // namespace tracewell
