// Map records: decoding in both layouts, record counts, missing lumps and files that end too early.
#include "wad/map.h"

#include <gtest/gtest.h>

#include "support/process.h"
#include "testlib/harness.h"
#include "testlib/wadbuilder.h"

namespace tracewell {
namespace {

using testing::mapdata;
using testing::rawlinedef;
using testing::runscripted;
using testing::tempdir;
using testing::wadbuilder;

const std::string eofstop =
    "Unexpected EOF. Probably using the wrong map format.\r\nPress enter to exit.\r\n>";

// Opens what the builder wrote and returns the group of "MAP01".
struct openedmap {
  std::shared_ptr<wad> w;
  lumpgroup group;
};
openedmap openmap(const tempdir& dir, const std::string& bytes) {
  openedmap o;
  o.w = wad::read(testing::openbytes(dir.path(), bytes), wad::DOOM);
  if (o.w) o.group = o.w->getmaplumps(u"MAP01", wad::maplumps);
  return o;
}

// Create run in-process with the console captured.
struct created {
  std::shared_ptr<map> m;
  testing::session s;
};
created create(const lumpgroup& group, std::int32_t format) {
  created c;
  c.s = runscripted("", [&] { c.m = map::Create(group, format); });
  return c;
}

mapdata sample(std::int32_t format) {
  mapdata m;
  m.format = format;
  m.vertexes = {{100, 200}, {0, -32768}, {-1, 32767}, {-32768, 0}};
  rawlinedef a;
  a.startvertex = 0;
  a.endvertex = 65535;
  a.flags = 0x0005;
  a.special = 0xF1F2;
  a.sectortag = 0xABCD;
  a.rightside = 0;
  a.leftside = 0xFFFF;
  a.args = {1, 2, 3, 4, 255};
  rawlinedef b;
  b.startvertex = 3;
  b.endvertex = 2;
  b.rightside = 0x8000;
  b.leftside = 0x7FFF;
  m.linedefs = {a, b};
  m.sidedefs = {{-1, -32768, "STARTAN3", "-", "BIGDOOR1", 0xFFFF}};
  m.sectors = {{-16, 32767, "FLOOR4_8", "F_SKY1", 0xFFFF, 9, 0x8001}};
  return m;
}

TEST(Map, DecodesEveryFieldInTheDoomLayout) {
  tempdir dir;
  wadbuilder b;
  b.addmap("MAP01", sample(wad::DOOM));
  const auto o = openmap(dir, b.bytes());
  const auto c = create(o.group, wad::DOOM);
  ASSERT_TRUE(c.m) << c.s.out;
  const map& m = *c.m;
  EXPECT_EQ(c.s.out, "");
  EXPECT_EQ(m.format, wad::DOOM);
  EXPECT_EQ(m.invalidmap, 0);

  ASSERT_EQ(m.vertexes.size(), 4u);
  const std::pair<int, int> wantvertices[] = {{100, -200}, {0, 32768}, {-1, -32767}, {-32768, 0}};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(m.vertexes[i].x, wantvertices[i].first) << i;
    EXPECT_EQ(m.vertexes[i].y, wantvertices[i].second) << i;
  }

  ASSERT_EQ(m.linedefs.size(), 2u);
  const linedef& a = m.linedefs[0];
  EXPECT_EQ(a.startvertex, 0u);
  EXPECT_EQ(a.endvertex, 65535u);
  EXPECT_EQ(a.flags, 5);
  EXPECT_EQ(a.special, 0xF1F2);
  EXPECT_EQ(a.sectortag, 0xABCD);
  EXPECT_EQ(a.rightside, 0);
  EXPECT_EQ(a.leftside, -1);
  EXPECT_EQ(a.args, (std::array<std::uint8_t, 5>{}));
  EXPECT_EQ(a.getflag(linedef::impassable), 1);
  EXPECT_EQ(a.getflag(linedef::twosided), 4);
  EXPECT_EQ(a.getflag(linedef::blockmonsters), 0);
  EXPECT_EQ(m.linedefs[1].rightside, -32768);
  EXPECT_EQ(m.linedefs[1].leftside, 32767);

  ASSERT_EQ(m.sidedefs.size(), 1u);
  const sidedef& s = m.sidedefs[0];
  EXPECT_EQ(s.xoff, -1);
  EXPECT_EQ(s.yoff, -32768);
  EXPECT_EQ(s.uppertex, u"STARTAN3");
  EXPECT_EQ(s.lowertex, text(u"-\0\0\0\0\0\0\0", 8));  // padding kept
  EXPECT_EQ(s.middletex, u"BIGDOOR1");
  EXPECT_EQ(s.sector, 65535u);

  ASSERT_EQ(m.sectors.size(), 1u);
  const sector& sec = m.sectors[0];
  EXPECT_EQ(sec.floorheight, -16);
  EXPECT_EQ(sec.ceilheight, 32767);
  EXPECT_EQ(sec.floortex, u"FLOOR4_8");
  EXPECT_EQ(sec.ceiltex, text(u"F_SKY1\0\0", 8));
  EXPECT_EQ(sec.light, 65535);
  EXPECT_EQ(sec.sectortype, 9);
  EXPECT_EQ(sec.sectortag, 0x8001);
}

TEST(Map, HexenAndZDoomReadTheHexenLinedefLayout) {
  tempdir dir;
  for (const std::int32_t format : {wad::HEXEN, wad::ZDOOM}) {
    wadbuilder b;
    b.addmap("MAP01", sample(format));
    const auto c = create(openmap(dir, b.bytes()).group, format);
    ASSERT_TRUE(c.m) << c.s.out;
    ASSERT_EQ(c.m->linedefs.size(), 2u);
    const linedef& a = c.m->linedefs[0];
    EXPECT_EQ(a.endvertex, 65535u);
    EXPECT_EQ(a.flags, 5);
    EXPECT_EQ(a.special, 0xF2);  // one byte
    EXPECT_EQ(a.args, (std::array<std::uint8_t, 5>{1, 2, 3, 4, 255}));
    EXPECT_EQ(a.sectortag, 0);
    EXPECT_EQ(a.rightside, 0);
    EXPECT_EQ(a.leftside, -1);
    EXPECT_EQ(c.m->linedefs[1].rightside, -32768);
    EXPECT_EQ(c.m->vertexes.size(), 4u);
    EXPECT_EQ(c.m->sidedefs.size(), 1u);
    EXPECT_EQ(c.m->sectors.size(), 1u);
  }
}

TEST(Map, RecordSizesAndCountsFromLumpSizes) {
  struct {
    std::int32_t format, vertex, linedef, sidedef, sector;
  } sizes[] = {{wad::DOOM, 4, 14, 30, 26},
               {wad::HEXEN, 4, 16, 30, 26},
               {wad::ZDOOM, 4, 16, 30, 26},
               {7, 4, 14, 30, 26},
               {-1, 4, 14, 30, 26}};
  for (const auto& s : sizes) {
    EXPECT_EQ(vertex::size(s.format), s.vertex);
    EXPECT_EQ(linedef::size(s.format), s.linedef) << s.format;
    EXPECT_EQ(sidedef::size(s.format), s.sidedef);
    EXPECT_EQ(sector::size(s.format), s.sector);
  }

  tempdir dir;
  wadbuilder b;
  b.addlump("DATA", std::string(100, '\x01'));
  auto w = wad::read(b.open(dir.path()), wad::DOOM);
  ASSERT_TRUE(w);
  lump l = *w->directory[0];
  struct {
    std::int32_t size;
    std::size_t vertices, doomlines, hexenlines, sides, sectors;
  } counts[] = {{30, 7, 2, 1, 1, 1},  {0, 0, 0, 0, 0, 0},    {3, 0, 0, 0, 0, 0},
                {-30, 0, 0, 0, 0, 0}, {100, 25, 7, 6, 3, 3}, {29, 7, 2, 1, 0, 1}};
  for (const auto& c : counts) {
    l.size = c.size;
    EXPECT_EQ(vertex::readlump(l, wad::DOOM).size(), c.vertices) << c.size;
    EXPECT_EQ(linedef::readlump(l, wad::DOOM).size(), c.doomlines) << c.size;
    EXPECT_EQ(linedef::readlump(l, wad::HEXEN).size(), c.hexenlines) << c.size;
    EXPECT_EQ(sidedef::readlump(l, wad::DOOM).size(), c.sides) << c.size;
    EXPECT_EQ(sector::readlump(l, wad::DOOM).size(), c.sectors) << c.size;
  }
}

TEST(Map, SingleRecordReadsAgreeWithLumpReads) {
  tempdir dir;
  const mapdata d = sample(wad::HEXEN);
  wadbuilder b;
  b.addmap("MAP01", d);
  const auto o = openmap(dir, b.bytes());
  const auto c = create(o.group, wad::HEXEN);
  ASSERT_TRUE(c.m);
  bytestream& s = *o.w->stream;
  s.seek(map::getlump(o.group, u"VERTEXES")->filepos + 4);
  EXPECT_EQ(vertex::read(s, wad::HEXEN).y, 32768);
  s.seek(map::getlump(o.group, u"LINEDEFS")->filepos);
  const linedef l = linedef::read(s, wad::HEXEN);
  EXPECT_EQ(l.args, c.m->linedefs[0].args);
  EXPECT_EQ(l.leftside, -1);
  EXPECT_EQ(s.position(), map::getlump(o.group, u"LINEDEFS")->filepos + 16);
  s.seek(map::getlump(o.group, u"SIDEDEFS")->filepos);
  EXPECT_EQ(sidedef::read(s, wad::DOOM).middletex, u"BIGDOOR1");
  s.seek(map::getlump(o.group, u"SECTORS")->filepos);
  EXPECT_EQ(sector::read(s, wad::DOOM).sectortag, 0x8001);
}

TEST(Map, MissingLumpsRejectTheMap) {
  tempdir dir;
  EXPECT_EQ(create({}, wad::DOOM).s.out, "no lumps to read map from\r\n");
  const std::string failed = "failed to read map lumps\r\nencountered invalid map\r\n";
  for (const std::string name : {"THINGS", "LINEDEFS", "SIDEDEFS", "VERTEXES", "SEGS", "SSECTORS", "NODES",
                                 "SECTORS", "REJECT", "BLOCKMAP"}) {
    wadbuilder b;
    b.addmap("MAP01", testing::squaremap(), testing::mapoptions::without(name));
    const auto c = create(openmap(dir, b.bytes()).group, wad::DOOM);
    EXPECT_FALSE(c.m) << name;
    EXPECT_EQ(c.s.out, failed) << name;
  }
  // Names are matched exactly: lower case is not found.
  wadbuilder b;
  b.addmap("MAP01", testing::squaremap(), testing::mapoptions::renamed("LINEDEFS", "linedefs"));
  EXPECT_EQ(create(openmap(dir, b.bytes()).group, wad::DOOM).s.out, failed);
}

TEST(Map, GetLumpMatchesStoredOrTrimmedNamesExactly) {
  auto named = [](const std::string& stored) {
    auto l = std::make_shared<lump>();
    l->name = frombytes(stored);
    return l;
  };
  const lumpgroup group = {named(std::string("MAP01\0\0\0", 8)), nullptr, named(std::string("SEGS\0XYZ", 8)),
                           named("VERTEXES"), named(std::string("SEGS\0\0\0\0", 8))};
  EXPECT_EQ(map::getlump(group, u"SEGS"), group[2]);  // the first, by its trimmed name
  EXPECT_EQ(map::getlump(group, text(u"SEGS\0XYZ", 8)), group[2]);
  EXPECT_EQ(map::getlump(group, u"VERTEXES"), group[3]);
  EXPECT_EQ(map::getlump(group, u"vertexes"), nullptr);
  EXPECT_EQ(map::getlump(group, u"VERTEX"), nullptr);
}

TEST(Map, NegativePositionOfARecordLumpMakesTheMapInvalid) {
  tempdir dir;
  for (const std::string name : {"VERTEXES", "LINEDEFS", "SIDEDEFS", "SECTORS"}) {
    wadbuilder b;
    b.addmap("MAP01", testing::squaremap());
    b.entry(name).filepos = -1;
    const auto c = create(openmap(dir, b.bytes()).group, wad::DOOM);
    EXPECT_FALSE(c.m) << name;
    EXPECT_EQ(c.s.out, "encountered invalid map\r\n") << name;
    EXPECT_EQ(c.s.exitstatus, std::nullopt);
  }
  // Lumps that are never read may point anywhere.
  wadbuilder b;
  b.addmap("MAP01", testing::squaremap());
  b.entry("THINGS").filepos = -1;
  b.entry("REJECT").filepos = INT32_MAX;
  EXPECT_TRUE(create(openmap(dir, b.bytes()).group, wad::DOOM).m);
}

// A map whose `lumpname` lump claims `records` records of which the file holds
// only the bytes from `fromend` before its end.
std::string shortlump(const std::string& lumpname, std::int32_t format, std::int32_t fromend,
                      std::int32_t size) {
  wadbuilder b;
  b.addmap("MAP01", testing::squaremap(format));
  const auto total = static_cast<std::int32_t>(b.bytes().size());
  b.entry(lumpname).filepos = total - fromend;
  b.entry(lumpname).size = size;
  return b.bytes();
}

TEST(Map, LinedefsEndingAtARecordStartGiveTheFatalStop) {
  tempdir dir;
  struct {
    std::int32_t format, fromend, size;
  } cases[] = {
      {wad::DOOM, 28, 42},         // two records, then the end of the file
      {wad::DOOM, 0, 14},          // the lump starts at the end of the file
      {wad::DOOM, 14, INT32_MAX},  // a huge size in a small file
      {wad::HEXEN, 32, 48},       {wad::ZDOOM, 16, 1000},
  };
  for (const auto& c : cases) {
    const auto o = openmap(dir, shortlump("LINEDEFS", c.format, c.fromend, c.size));
    const auto got = create(o.group, c.format);
    EXPECT_EQ(got.s.out, eofstop) << c.fromend << " " << c.size;
    EXPECT_EQ(got.s.exitstatus, 0);
  }
}

TEST(MapDeathTest, RecordsCutByTheEndOfTheFileEndTheProcess) {
  tempdir dir;
  struct {
    const char* lump;
    std::int32_t format, fromend, size;
  } cases[] = {
      {"LINEDEFS", wad::DOOM, 20, 28},   // ends inside the second record
      {"LINEDEFS", wad::HEXEN, 8, 16},   // ends inside the first record
      {"LINEDEFS", wad::DOOM, -10, 14},  // starts beyond the end
      {"VERTEXES", wad::DOOM, 8, 12},    // ends at a record start: no stop for vertices
      {"VERTEXES", wad::DOOM, 0, 4},    {"VERTEXES", wad::DOOM, 4, INT32_MAX},  // a huge size in a small file
      {"SIDEDEFS", wad::DOOM, 30, 60},  {"SECTORS", wad::DOOM, 13, 26},
      {"SECTORS", wad::DOOM, -100, 26},
  };
  for (const auto& c : cases) {
    const auto o = openmap(dir, shortlump(c.lump, c.format, c.fromend, c.size));
    ASSERT_EQ(o.group.size(), 11u);
    EXPECT_EXIT(map::Create(o.group, c.format), ::testing::ExitedWithCode(255), "^Error reading from stream$")
        << c.lump << " " << c.fromend << " " << c.size;
  }
}

}  // namespace
}  // namespace tracewell
