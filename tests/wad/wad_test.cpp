// WAD container: header checks, directory reading, map detection and map lump groups.
#include "wad/wad.h"

#include <gtest/gtest.h>

#include <sstream>
#include <utility>

#include "testlib/harness.h"
#include "testlib/wadbuilder.h"

namespace tracewell {
namespace {

using testkit::openbytes;
using testkit::tempdir;
using testkit::wadbuilder;

std::vector<text> names(const lumpgroup& group) {
  std::vector<text> out;
  for (const auto& l : group) out.push_back(l->trimmedname());
  return out;
}

TEST(Wad, OnlyUpperCaseIwadAndPwadAreWads) {
  tempdir dir;
  struct {
    std::string id;
    bool valid;
  } cases[] = {{"IWAD", true},  {"PWAD", true}, {"iwad", false}, {"Pwad", false},
               {"WAD2", false}, {"IWA", false}, {" PWA", false}};
  for (const auto& c : cases) {
    wadbuilder b(c.id);
    b.addlump("PLAYPAL", "xyz");
    auto w = testkit::readwad(b.open(dir.path()), wad::HEXEN);
    ASSERT_EQ(w != nullptr, c.valid) << c.id;
    if (!w) continue;
    EXPECT_EQ(w->identification, u(c.id));
    EXPECT_EQ(w->format, wad::HEXEN);
    EXPECT_EQ(w->invalidwad, 0);
  }
  EXPECT_EQ(testkit::readwad(nullptr, wad::DOOM), nullptr);
}

TEST(Wad, DirectoryEntriesKeepTheirFieldsAndShareTheStream) {
  tempdir dir;
  wadbuilder b("IWAD");
  b.addlump("PLAYPAL", "abcd");
  b.addlump("BLOCKMAP", "ef");
  b.addlump(std::string("AB\0CD\0\0\0", 8));
  b.entry(2).filepos = -7;
  b.entry(2).size = -1;
  auto stream = b.open(dir.path());
  auto w = testkit::readwad(stream, wad::DOOM);
  ASSERT_TRUE(w);
  EXPECT_EQ(w->numlumps, 3);
  EXPECT_EQ(w->infotableoffset, static_cast<std::int32_t>(b.directoryoffset()));
  ASSERT_EQ(w->directory.size(), 3u);
  const lumpgroup lumps = w->getlumps(0, 3);
  ASSERT_EQ(lumps.size(), 3u);
  EXPECT_EQ(lumps[0]->filepos, 12);
  EXPECT_EQ(lumps[0]->size, 4);
  EXPECT_EQ(lumps[0]->name, text(u"PLAYPAL\0", 8));
  EXPECT_EQ(lumps[1]->name, u"BLOCKMAP");  // eight characters, no NUL
  EXPECT_EQ(lumps[1]->trimmedname(), u"BLOCKMAP");
  EXPECT_EQ(lumps[2]->filepos, -7);  // stored as is, never checked
  EXPECT_EQ(lumps[2]->size, -1);
  EXPECT_EQ(lumps[2]->trimmedname(), u"AB");  // cut at the first NUL
  EXPECT_EQ(w->directory[2].trimmedname(), u"AB");
  for (const auto& l : lumps) EXPECT_EQ(l->stream, stream);
  EXPECT_EQ(w->getlumps(1, 11).size(), 2u);  // cut at the end of the directory
  EXPECT_TRUE(w->getlumps(3, 11).empty());
  EXPECT_TRUE(w->getlumps(0, -1).empty());
}

TEST(Wad, EmptyNegativeAndOversizedDirectories) {
  tempdir dir;
  for (const std::int32_t n : {0, -1, INT32_MIN}) {
    wadbuilder b;
    b.addlump("MAP01");
    b.numlumps(n);
    auto w = testkit::readwad(b.open(dir.path()), wad::DOOM);
    ASSERT_TRUE(w) << n;
    EXPECT_TRUE(w->directory.empty());
    EXPECT_TRUE(w->getmapnames().empty());
    EXPECT_TRUE(w->getmaplumps(u"MAP01", wad::maplumps).empty());
  }
  // More entries claimed than the file holds: the file ends where an entry
  // should begin, so the WAD is invalid (and nothing huge is allocated).
  for (const std::int32_t n : {3, INT32_MAX}) {
    wadbuilder b;
    b.addlump("MAP01");
    b.addlump("THINGS", "12345678");
    b.numlumps(n);
    EXPECT_EQ(testkit::readwad(b.open(dir.path()), wad::DOOM), nullptr) << n;
  }
  // A directory offset that cannot be sought to.
  wadbuilder b;
  b.addlump("MAP01");
  b.infotableoffset(-16);
  EXPECT_EQ(testkit::readwad(b.open(dir.path()), wad::DOOM), nullptr);
}

// Cut the file at every offset: inside the header, the lump data or a directory
// entry the read fails; exactly at an entry start the WAD is merely invalid.
TEST(Wad, TruncatedFiles) {
  tempdir dir;
  wadbuilder b;
  b.addlump("MAP01", "data");
  b.addlump("THINGS");
  const std::string whole = b.bytes();
  for (std::size_t cut = 0; cut < whole.size(); ++cut) {
    auto stream = openbytes(dir.path(), testkit::truncated(whole, cut), "cut" + std::to_string(cut));
    const bool atentrystart =
        cut >= b.directoryoffset() && (cut - b.directoryoffset()) % wadformat::direntry::bytes == 0;
    const auto read = wad::read(stream, wad::DOOM);
    if (atentrystart) {
      ASSERT_FALSE(read.ok()) << cut;
      EXPECT_EQ(read.error(), failure::because(failure::reason::notawad)) << cut;
    } else {
      ASSERT_FALSE(read.ok()) << cut;
      failure ending = failure::readstream();
      if (cut < 4) ending.why = failure::reason::nosignature;  // too short to be anything
      EXPECT_EQ(read.error(), ending) << cut;
    }
  }
}

TEST(Wad, MapNamesAreEntriesStartingWithUpperCaseMap) {
  tempdir dir;
  wadbuilder b;
  for (const std::string& name :
       {std::string("MAP01"), std::string("E1M1"), std::string("MAPINFO"), std::string("map02"),
        std::string("MAP03\0XY", 8), std::string("MAP01"), std::string("XMAP04"), std::string("MAP")}) {
    b.addlump(name);
  }
  auto w = testkit::readwad(b.open(dir.path()), wad::DOOM);
  ASSERT_TRUE(w);
  const std::list<text> want = {u"MAP01", u"MAPINFO", u"MAP03", u"MAP01", u"MAP"};
  EXPECT_EQ(w->getmapnames(), want);
}

TEST(Wad, MapLumpGroupIsFoundIgnoringCaseAndPadding) {
  tempdir dir;
  wadbuilder b;
  b.addlump("PLAYPAL");
  b.addmap("MAP01", testkit::squaremap());
  b.addmap(std::string("MAP02\0XY", 8), testkit::squaremap());
  b.addmap("MAP01", testkit::squaremap());  // a second MAP01: never reached
  b.addlump("MAPINFO");
  b.addlump("ENDOOM");
  auto w = testkit::readwad(b.open(dir.path()), wad::DOOM);
  ASSERT_TRUE(w);
  const std::vector<text> group = {u"MAP01",    u"THINGS", u"LINEDEFS", u"SIDEDEFS", u"VERTEXES", u"SEGS",
                                   u"SSECTORS", u"NODES",  u"SECTORS",  u"REJECT",   u"BLOCKMAP"};
  for (const text request : {u"MAP01", u"map01", u"Map01"}) {
    const lumpgroup g = w->getmaplumps(request, wad::maplumps);
    EXPECT_EQ(names(g), group);
    ASSERT_FALSE(g.empty());
    EXPECT_EQ(g[0]->filepos, w->directory[1].filepos);  // the first marker
  }
  EXPECT_EQ(w->getmaplumps(u"map02", wad::maplumps).size(), 11u);
  EXPECT_EQ(w->getmaplumps(text(u"MAP02\0XY", 8), wad::maplumps).size(), 11u);
  // Positional: MAPINFO's group is simply whatever follows it, cut at the end.
  EXPECT_EQ(names(w->getmaplumps(u"mapinfo", wad::maplumps)), (std::vector<text>{u"MAPINFO", u"ENDOOM"}));
  EXPECT_EQ(names(w->getmaplumps(u"ENDOOM", wad::maplumps)), std::vector<text>{u"ENDOOM"});
  EXPECT_EQ(w->getmaplumps(u"MAP01", 3).size(), 3u);
  EXPECT_TRUE(w->getmaplumps(u"MAP01", 0).empty());
  EXPECT_TRUE(w->getmaplumps(u"MAP03", wad::maplumps).empty());
  EXPECT_TRUE(w->getmaplumps(u"MAP0", wad::maplumps).empty());
}

// A UDMF marker's group runs through ENDMAP (or the end of the directory, or
// the bound); any other entry's group is the 11 entries that follow.
TEST(Wad, MapGroupFromTheMarker) {
  tempdir dir;
  wadbuilder b;
  b.addudmfmap("MAP01", "");
  b.addmap("MAP02", testkit::squaremap());
  b.addlump("MAP03");
  b.addlump("TEXTMAP");
  b.addlump("ZNODES");
  b.addlump("endmap");  // not ENDMAP: names are compared exactly
  b.addlump("ENDMAP");
  b.addlump("MAP05");
  b.addlump("TEXTMAP");  // no ENDMAP before the bound
  for (int i = 0; i < 100; ++i) b.addlump("SCRIPTS");
  b.addlump("ENDMAP");
  b.addlump("MAP06");
  b.addlump("TEXTMAP");  // no ENDMAP before the end
  auto w = testkit::readwad(b.open(dir.path()), wad::DOOM);
  ASSERT_TRUE(w);
  struct {
    const char16_t* name;
    std::size_t size;
    const char16_t* last;
  } cases[] = {
      {u"MAP01", 3, u"ENDMAP"},   {u"map02", 11, u"BLOCKMAP"}, {u"MAP03", 5, u"ENDMAP"},
      {u"MAP05", 64, u"SCRIPTS"}, {u"MAP06", 2, u"TEXTMAP"},   {u"TEXTMAP", 11, u"SECTORS"},
  };
  for (const auto& k : cases) {
    const lumpgroup g = w->getmapgroup(k.name);
    ASSERT_EQ(g.size(), k.size) << toutf8(k.name);
    EXPECT_EQ(g.front()->filepos, w->directory[*w->findentry(k.name)].filepos);
    EXPECT_EQ(g.back()->trimmedname(), k.last) << toutf8(k.name);
    EXPECT_EQ(istextmapgroup(g), k.size != 11) << toutf8(k.name);
  }
  EXPECT_TRUE(w->getmapgroup(u"MAP07").empty());
  EXPECT_TRUE(w->mapgroupat(w->directory.size()).empty());
  EXPECT_EQ(names(w->mapgroupat(0)), names(w->getmapgroup(u"MAP01")));
}

// Lookups go through an index: every name of a large directory must still
// give its first entry, whatever the case asked for.
TEST(Wad, LookupInALargeDirectoryFindsTheFirstEntry) {
  tempdir dir;
  wadbuilder b;
  constexpr int count = 40000;
  const auto name = [](int i) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "MAP%05d", i);
    return std::string(buf);
  };
  for (int i = 0; i < count; ++i) b.addlump(name(i));
  for (int i = 0; i < count; i += 7) b.addlump(name(i));  // later duplicates are never found
  b.addlump("MAPLONGERNAME");                             // cut to 8: a duplicate of nothing
  auto w = testkit::readwad(b.open(dir.path()), wad::DOOM);
  ASSERT_TRUE(w);
  int wrong = 0;
  for (int i = 0; i < count; ++i) {
    const text asked = i % 2 ? u(name(i)) : lower(u(name(i)));
    const auto found = w->findentry(asked);
    if ((!found || *found != static_cast<std::size_t>(i)) && ++wrong <= 5) ADD_FAILURE() << name(i);
  }
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(w->findentry(u"MAPLONGE"), w->directory.size() - 1);
  EXPECT_FALSE(w->findentry(u"MAP40000"));
  EXPECT_FALSE(w->findentry(u"MAP0000"));
  // An entry added after the first lookup is found too.
  w->directory.push_back(lumpentry{0, 0, {'E', 'X', 'T', 'R', 'A'}});
  EXPECT_EQ(w->findentry(u"extra"), w->directory.size() - 1);
}

// Which entries each rule lists, and where a name's group starts under content.
TEST(Wad, MapsByNameAndByContent) {
  struct layoutcase {
    const char* what;
    std::string entries;             // "map:NAME" a Doom map, "udmf:NAME" a UDMF map, else an empty lump
    std::string bynames, bycontent;  // listed names, space-separated
  };
  const layoutcase cases[] = {
      {"maps around MAPINFO", "map:E1M1 MAPINFO map:MAP01", "MAPINFO MAP01", "E1M1 MAP01"},
      {"a TEXTMAP after a TEXTMAP", "udmf:E1M4B X TEXTMAP TEXTMAP ENDMAP map:MAP00", "MAP00",
       "E1M4B X TEXTMAP MAP00"},
      {"only some of the four, two markers in a row",
       "E1M2 THINGS LINEDEFS SIDEDEFS VERTEXES SEGS MAPA map:MAPB", "MAPA MAPB", "MAPB"},
      {"four lumps past the tenth entry", "E2M1 THINGS A B C D E F LINEDEFS SIDEDEFS VERTEXES SECTORS", "",
       ""},
      {"markers at the end", "MAP07 E1M1 THINGS", "MAP07", ""},
      {"a lump named like a later map", "E1M9 map:E1M9", "", "E1M9"},
  };
  tempdir dir;
  for (const layoutcase& c : cases) {
    SCOPED_TRACE(c.what);
    wadbuilder b;
    std::istringstream entries(c.entries);
    for (std::string e; entries >> e;) {
      if (e.starts_with("map:")) {
        b.addmap(e.substr(4), testkit::squaremap());
      } else if (e.starts_with("udmf:")) {
        b.addudmfmap(e.substr(5), "");
      } else {
        b.addlump(e);
      }
    }
    const auto w = testkit::readwad(b.open(dir.path()));
    ASSERT_TRUE(w);
    for (const auto& [how, want] :
         {std::pair{mapdetection::names, c.bynames}, {mapdetection::content, c.bycontent}}) {
      std::string got;
      for (const text& name : w->getmapnames(how)) {
        if (!got.empty()) got += ' ';
        got += tobytes(name);
      }
      EXPECT_EQ(got, want);
    }
    // Under content every listed name's group starts at a marker, its first by that rule.
    for (const text& name : w->getmapnames(mapdetection::content)) {
      const std::optional<std::size_t> at = w->findmap(name, mapdetection::content);
      ASSERT_TRUE(at && w->ismapmarker(*at));
      for (std::size_t i = 0; i < *at; ++i)
        EXPECT_FALSE(w->ismapmarker(i) && upper(w->directory[i].trimmedname()) == upper(name));
      EXPECT_TRUE(ismapgroup(w->getmapgroup(name, mapdetection::content)));
    }
  }
}

}  // namespace
}  // namespace tracewell
