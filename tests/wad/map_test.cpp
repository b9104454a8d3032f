// Map records: decoding in both layouts, record counts, missing lumps and files that end too early.
#include "wad/map.h"

#include <gtest/gtest.h>

#include "testlib/harness.h"
#include "testlib/wadbuilder.h"

namespace tracewell {
namespace {

using testkit::mapdata;
using testkit::mapoptions;
using testkit::rawlinedef;
using testkit::tempdir;
using testkit::wadbuilder;
using testkit::wadentry;

const failure eofstop = failure::stop(failure::reason::cutshort);
const failure invalid = failure::notice({u"encountered invalid map"});
const failure missing = failure::notice({u"failed to read map lumps", u"encountered invalid map"});

// Opens what the builder wrote and returns the group of "MAP01".
struct openedmap {
  std::shared_ptr<wad> w;
  lumpgroup group;
};
openedmap openmap(const tempdir& dir, const std::string& bytes) {
  openedmap o;
  o.w = testkit::readwad(testkit::openbytes(dir.path(), bytes));
  if (o.w) o.group = o.w->getmaplumps(u"MAP01", wad::maplumps);
  return o;
}

// The map Create makes, or null after a test failure that names what went wrong.
std::shared_ptr<map> create(const lumpgroup& group, std::int32_t format) {
  auto made = map::Create(group, format);
  if (made.ok()) return std::move(made).value();
  ADD_FAILURE() << "map::Create failed: "
                << (made.error().lines.empty() ? "" : toutf8(made.error().lines[0]));
  return nullptr;
}

// How Create failed; a test failure when it did not.
failure createfailure(const lumpgroup& group, std::int32_t format) {
  const auto made = map::Create(group, format);
  if (!made.ok()) return made.error();
  ADD_FAILURE() << "map::Create succeeded";
  return failure::notice({u"(none)"});
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
  const auto made = create(o.group, wad::DOOM);
  ASSERT_TRUE(made);
  const map& m = *made;
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
  EXPECT_EQ(a.args, (std::array<std::int64_t, 5>{}));
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
    const auto m = create(openmap(dir, b.bytes()).group, format);
    ASSERT_TRUE(m);
    ASSERT_EQ(m->linedefs.size(), 2u);
    const linedef& a = m->linedefs[0];
    EXPECT_EQ(a.endvertex, 65535u);
    EXPECT_EQ(a.flags, 5);
    EXPECT_EQ(a.special, 0xF2);  // one byte
    EXPECT_EQ(a.args, (std::array<std::int64_t, 5>{1, 2, 3, 4, 255}));
    EXPECT_EQ(a.sectortag, 0);
    EXPECT_EQ(a.rightside, 0);
    EXPECT_EQ(a.leftside, -1);
    EXPECT_EQ(m->linedefs[1].rightside, -32768);
    EXPECT_EQ(m->vertexes.size(), 4u);
    EXPECT_EQ(m->sidedefs.size(), 1u);
    EXPECT_EQ(m->sectors.size(), 1u);
  }
}

// The archive reader hands WADs over in memory: they must decode like the same bytes in a file.
TEST(Map, AWadInMemoryDecodesLikeTheSameFile) {
  tempdir dir;
  for (const std::int32_t format : {wad::DOOM, wad::HEXEN}) {
    wadbuilder b;
    b.addmap("MAP01", sample(format));
    const std::string bytes = b.bytes();
    const auto memory = bytestream::openmemory(
        std::make_shared<const std::vector<unsigned char>>(bytes.begin(), bytes.end()));
    const auto fromfile = create(openmap(dir, bytes).group, format);
    const auto w = testkit::readwad(memory);
    ASSERT_TRUE(w && fromfile);
    const auto frommemory = create(w->getmaplumps(u"MAP01", wad::maplumps), format);
    ASSERT_TRUE(frommemory);
    ASSERT_EQ(frommemory->linedefs.size(), fromfile->linedefs.size());
    for (std::size_t i = 0; i < fromfile->linedefs.size(); ++i) {
      const linedef &a = frommemory->linedefs[i], &z = fromfile->linedefs[i];
      EXPECT_EQ(std::tie(a.startvertex, a.endvertex, a.flags, a.special, a.sectortag, a.rightside, a.leftside,
                         a.args),
                std::tie(z.startvertex, z.endvertex, z.flags, z.special, z.sectortag, z.rightside, z.leftside,
                         z.args));
    }
    EXPECT_EQ(frommemory->vertexes.size(), fromfile->vertexes.size());
    EXPECT_EQ(frommemory->sidedefs[0].middletex, fromfile->sidedefs[0].middletex);
    EXPECT_EQ(frommemory->sectors[0].sectortag, fromfile->sectors[0].sectortag);
  }
}

TEST(Map, RecordCountsFromLumpSizes) {
  tempdir dir;
  wadbuilder b;
  b.addlump("DATA", std::string(100, '\x01'));
  auto w = testkit::readwad(b.open(dir.path()));
  ASSERT_TRUE(w);
  lump l = *w->getlumps(0, 1).at(0);
  struct {
    std::int32_t size;
    std::size_t vertices, doomlines, hexenlines, sides, sectors;
  } counts[] = {{30, 7, 2, 1, 1, 1},  {0, 0, 0, 0, 0, 0},    {3, 0, 0, 0, 0, 0},
                {-30, 0, 0, 0, 0, 0}, {100, 25, 7, 6, 3, 3}, {29, 7, 2, 1, 0, 1}};
  for (const auto& c : counts) {
    l.size = c.size;
    EXPECT_EQ(vertex::readlump(l, wad::DOOM).value().size(), c.vertices) << c.size;
    EXPECT_EQ(linedef::readlump(l, wad::DOOM).value().size(), c.doomlines) << c.size;
    EXPECT_EQ(linedef::readlump(l, wad::HEXEN).value().size(), c.hexenlines) << c.size;
    EXPECT_EQ(sidedef::readlump(l, wad::DOOM).value().size(), c.sides) << c.size;
    EXPECT_EQ(sector::readlump(l, wad::DOOM).value().size(), c.sectors) << c.size;
  }
}

TEST(Map, SingleRecordReadsAgreeWithLumpReads) {
  tempdir dir;
  const mapdata d = sample(wad::HEXEN);
  wadbuilder b;
  b.addmap("MAP01", d);
  const auto o = openmap(dir, b.bytes());
  const auto m = create(o.group, wad::HEXEN);
  ASSERT_TRUE(m);
  bytestream& s = *o.w->stream;
  s.seek(map::getlump(o.group, u"VERTEXES")->filepos + 4);
  EXPECT_EQ(vertex::read(s, wad::HEXEN).value().y, 32768);
  s.seek(map::getlump(o.group, u"LINEDEFS")->filepos);
  const linedef l = linedef::read(s, wad::HEXEN).value();
  EXPECT_EQ(l.args, m->linedefs[0].args);
  EXPECT_EQ(l.leftside, -1);
  EXPECT_EQ(s.position(), map::getlump(o.group, u"LINEDEFS")->filepos + 16);
  s.seek(map::getlump(o.group, u"SIDEDEFS")->filepos);
  EXPECT_EQ(sidedef::read(s, wad::DOOM).value().middletex, u"BIGDOOR1");
  s.seek(map::getlump(o.group, u"SECTORS")->filepos);
  EXPECT_EQ(sector::read(s, wad::DOOM).value().sectortag, 0x8001);
  // A record cut by the end of the file.
  s.seek(s.size() - 2);
  EXPECT_EQ(vertex::read(s, wad::DOOM).error(), failure::readstream());
}

TEST(Map, MissingLumpsRejectTheMap) {
  tempdir dir;
  EXPECT_EQ(createfailure({}, wad::DOOM), failure::notice({u"no lumps to read map from"}));
  for (const std::string name : {"THINGS", "LINEDEFS", "SIDEDEFS", "VERTEXES", "SEGS", "SSECTORS", "NODES",
                                 "SECTORS", "REJECT", "BLOCKMAP"}) {
    wadbuilder b;
    b.addmap("MAP01", testkit::squaremap(), testkit::mapoptions::without(name));
    EXPECT_EQ(createfailure(openmap(dir, b.bytes()).group, wad::DOOM), missing) << name;
  }
  // Names are matched exactly: lower case is not found.
  wadbuilder b;
  b.addmap("MAP01", testkit::squaremap(), testkit::mapoptions::renamed("LINEDEFS", "linedefs"));
  EXPECT_EQ(createfailure(openmap(dir, b.bytes()).group, wad::DOOM), missing);
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
    b.addmap("MAP01", testkit::squaremap());
    b.entry(name).filepos = -1;
    EXPECT_EQ(createfailure(openmap(dir, b.bytes()).group, wad::DOOM), invalid) << name;
  }
  // Lumps that are never read may point anywhere.
  wadbuilder b;
  b.addmap("MAP01", testkit::squaremap());
  b.entry("THINGS").filepos = -1;
  b.entry("REJECT").filepos = INT32_MAX;
  EXPECT_TRUE(create(openmap(dir, b.bytes()).group, wad::DOOM));
}

// Things are read only when asked for, whole records in the map's layout,
// normalised to skills and modes; a THINGS lump outside the file leaves them
// absent and the map as it is.
TEST(Map, ThingsNeverFailAMap) {
  const auto record = [](std::initializer_list<std::int32_t> fields) {
    std::string bytes;
    for (const std::int32_t f : fields) testkit::putu16(bytes, bytes.size(), static_cast<std::uint16_t>(f));
    return bytes;
  };
  const std::string one = record({1, 2, 90, 3001, 0x7});
  struct thingcase {
    const char* what;
    std::int32_t format;
    std::string data;
    std::optional<std::int32_t> filepos, size;
    const char* want;  // nullptr: no things
  };
  const thingcase cases[] = {
      {"Doom records, a partial one left",
       wad::DOOM,
       one + record({-1, -2, 0, 9, 0x12}) + "abcde",
       {},
       {},
       "3001@1,-2/90 s31 1cd;9@-1,2/0 s4 mcd;"},
      // Boom's not-in-deathmatch and not-in-cooperative bits, ignored when the unused 0x100 is set.
      {"Doom records with Boom's mode bits",
       wad::DOOM,
       record({0, 0, 0, 1, 0x21}) + record({0, 0, 0, 2, 0x41}) + record({0, 0, 0, 3, 0x161}),
       {},
       {},
       "1@0,0/0 s3 1c;2@0,0/0 s3 1d;3@0,0/0 s3 1cd;"},
      {"a Hexen record",
       wad::HEXEN,
       record({5, 10, 20, 30, 45, 3001, 0x0301, 0x0150, 0x0302, 0x0504}),
       {},
       {},
       "3001@10,-20/45 s3 1c t5 z30 x80 a1,2,3,4,5,;"},
      {"a negative position", wad::DOOM, one, -1, {}, nullptr},
      {"a negative size", wad::DOOM, one, {}, -10, nullptr},
      {"past the end of the file", wad::DOOM, one, {}, 1 << 20, nullptr},
  };
  tempdir dir;
  for (const thingcase& c : cases) {
    SCOPED_TRACE(c.what);
    wadbuilder b;
    b.addmap("MAP01", testkit::squaremap(c.format));
    wadentry& things = b.entry("THINGS");
    things.data = c.data;
    things.filepos = c.filepos;
    things.size = c.size;
    const openedmap o = openmap(dir, b.bytes());
    ASSERT_TRUE(o.w);
    const auto without = map::Create(o.group, c.format);
    ASSERT_TRUE(without.ok());
    EXPECT_FALSE(without.value()->things);
    const auto with = map::Create(o.group, c.format, {}, true);
    ASSERT_TRUE(with.ok());
    EXPECT_EQ(with.value()->linedefs.size(), without.value()->linedefs.size());
    ASSERT_EQ(with.value()->things.has_value(), c.want != nullptr);
    if (!c.want) continue;
    std::string got;
    for (const thing& t : *with.value()->things) {
      got += std::to_string(t.type) + "@" + std::to_string(t.x) + "," + std::to_string(t.y) + "/" +
             std::to_string(t.angle) + " s" + std::to_string(t.skills) + (t.single ? " 1" : " m") +
             (t.coop ? "c" : "") + (t.deathmatch ? "d" : "");
      if (c.format == wad::HEXEN) {
        got += " t" + std::to_string(t.tid) + " z" + std::to_string(t.z) + " x" + std::to_string(t.special) +
               " a";
        for (const std::int64_t a : t.args) got += std::to_string(a) + ",";
      }
      got += ";";
    }
    EXPECT_EQ(got, c.want);
  }
}

// Each record lump is checked in its turn (VERTEXES, LINEDEFS, SIDEDEFS,
// SECTORS): a negative position of a later lump does not hide what reading an
// earlier one runs into.
TEST(Map, EachLumpIsCheckedInItsTurn) {
  tempdir dir;
  wadbuilder good;
  good.addmap("MAP01", testkit::squaremap());
  const auto end = static_cast<std::int32_t>(good.bytes().size());
  struct damage {
    const char* lump;
    std::int32_t filepos;
  };
  const struct {
    std::vector<damage> damages;
    failure want;
  } cases[] = {
      {{{"SECTORS", -1}, {"VERTEXES", end + 100}}, failure::readstream()},
      {{{"SECTORS", -1}, {"LINEDEFS", end}}, eofstop},
      {{{"SIDEDEFS", -1}, {"LINEDEFS", end}}, eofstop},
      {{{"LINEDEFS", -1}, {"VERTEXES", end}}, failure::readstream()},
      {{{"VERTEXES", -1}, {"LINEDEFS", end}}, invalid},
      {{{"LINEDEFS", -1}, {"SIDEDEFS", end}}, invalid},
      {{{"SECTORS", -1}, {"SIDEDEFS", end + 1}}, failure::readstream()},
  };
  for (const auto& c : cases) {
    wadbuilder b = good;
    std::string what;
    for (const damage& d : c.damages) {
      b.entry(d.lump).filepos = d.filepos;
      what += std::string(d.lump) + "@" + std::to_string(d.filepos) + " ";
    }
    EXPECT_EQ(createfailure(openmap(dir, b.bytes()).group, wad::DOOM), c.want) << what;
  }
}

// A map whose `lumpname` lump claims `records` records of which the file holds
// only the bytes from `fromend` before its end.
std::string shortlump(const std::string& lumpname, std::int32_t format, std::int32_t fromend,
                      std::int32_t size) {
  wadbuilder b;
  b.addmap("MAP01", testkit::squaremap(format));
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
    EXPECT_EQ(createfailure(o.group, c.format), eofstop) << c.fromend << " " << c.size;
  }
}

TEST(Map, RecordsCutByTheEndOfTheFileAreReadFailures) {
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
    EXPECT_EQ(createfailure(o.group, c.format), failure::readstream())
        << c.lump << " " << c.fromend << " " << c.size;
  }
}

// Under Auto each group is read in its own layout, and a map that cannot be
// read is a notice without the hint at the format word.
TEST(Map, AutoReadsEachMapInItsOwnLayout) {
  testkit::mapdata badvertex = testkit::squaremap();
  badvertex.linedefs[1].endvertex = 99;
  testkit::mapdata badside = testkit::squaremap(wad::HEXEN);
  badside.linedefs[0].rightside = 7;
  wadbuilder b;
  b.addmap("E1M1", testkit::squaremap());
  b.addmap("MAP01", testkit::squaremap(wad::HEXEN));
  b.addudmfmap("MAP02", "namespace = \"hexen\"; vertex { x = 0; y = 0; }");
  b.addmap("E1M2", badvertex);
  b.addmap("E1M3", badside);
  b.addmap("E1M4", testkit::squaremap(), mapoptions::without("REJECT"));
  // The five lumps a map is drawn from, then a UDMF map with a BEHAVIOR lump inside E1M5's window.
  b.addmap("E1M5", testkit::squaremap(), mapoptions{{"SEGS", "SSECTORS", "NODES", "REJECT", "BLOCKMAP"}, {}});
  b.addlump("MAP03");
  b.addlump("TEXTMAP", "vertex { x = 0; y = 0; }");
  b.addlump("BEHAVIOR");
  b.addlump("ENDMAP");
  tempdir dir;
  const auto w = testkit::readwad(b.open(dir.path()));
  ASSERT_TRUE(w);
  struct autocase {
    const char16_t* name;
    mapdetection detection;
    maplayout layout;
    mapmeaning meaning;
    std::optional<failure> fails;  // none: read
  };
  const failure refused = failure::notice({u"failed to read map lumps", u"encountered invalid map"});
  constexpr mapdetection content = mapdetection::content;
  const autocase cases[] = {
      {u"E1M1", content, maplayout::doom, mapmeaning::doom, {}},
      {u"MAP01", content, maplayout::hexen, mapmeaning::zdoom, {}},
      {u"MAP02", mapdetection::names, maplayout::udmf, mapmeaning::hexen, {}},
      {u"E1M2", content, maplayout::doom, mapmeaning::doom, failure::because(failure::reason::badvertex)},
      {u"E1M3", content, maplayout::hexen, mapmeaning::zdoom, failure::because(failure::reason::badsidedef)},
      {u"E1M4", content, maplayout::doom, mapmeaning::doom, {}},
      {u"E1M4", mapdetection::names, {}, {}, refused},
      {u"E1M5", content, maplayout::doom, mapmeaning::doom, {}},
      {u"MAP03", content, maplayout::udmf, mapmeaning::zdoom, {}},
  };
  for (const autocase& c : cases) {
    SCOPED_TRACE(tobytes(c.name));
    const auto made =
        map::Create(w->getmapgroup(c.name, mapdetection::content), wad::AUTO, {}, false, c.detection);
    ASSERT_EQ(made.ok(), !c.fails);
    if (!made.ok()) {
      EXPECT_EQ(made.error(), *c.fails);
      continue;
    }
    EXPECT_EQ(made.value()->layout, c.layout);
    EXPECT_EQ(made.value()->meaning, c.meaning);
  }
  // The Doom layout's stop where the file ends is a notice too.
  const auto o = openmap(dir, shortlump("LINEDEFS", wad::DOOM, 28, 42));
  EXPECT_EQ(createfailure(o.group, wad::AUTO), failure::because(failure::reason::cutshort));
}

}  // namespace
}  // namespace tracewell
