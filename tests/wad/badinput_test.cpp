// A WAD cut at every offset, read and decoded as the tool does: each cut ends in exactly one way.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testlib/harness.h"
#include "testlib/wadbuilder.h"
#include "wad/lumplayout.h"
#include "wad/map.h"
#include "wad/wad.h"

namespace tracewell {
namespace {

using testkit::tempdir;

// How reading and decoding MAP01 of a file ended.
enum class ending { decoded, notawad, nomap, streamfailure, eofstop };

const char* describe(ending e) {
  switch (e) {
    case ending::decoded:
      return "decoded";
    case ending::notawad:
      return "not a WAD";
    case ending::nomap:
      return "no map";
    case ending::streamfailure:
      return "stream failure";
    case ending::eofstop:
      return "EOF fatal stop";
  }
  return "?";
}

// Runs the pipeline and checks that each failure is one that fits where it came from.
ending pipeline(const tempdir& dir, const std::string& bytes, const std::string& name) {
  const auto read = wad::read(testkit::openbytes(dir.path(), bytes, name), wad::DOOM);
  if (!read.ok()) {
    if (read.error().why == failure::reason::notawad) return ending::notawad;
    EXPECT_EQ(read.error().what, failure::kind::readstream);
    return ending::streamfailure;
  }
  const auto made = map::Create(read.value()->getmaplumps(u"MAP01", wad::maplumps), wad::DOOM);
  if (!made.ok()) {
    const failure& f = made.error();
    if (f == failure::readstream()) return ending::streamfailure;
    if (f == failure::stop(failure::reason::cutshort)) return ending::eofstop;
    EXPECT_EQ(f, failure::notice({u"no lumps to read map from"}));  // the only way these files lack MAP01
    return ending::nomap;
  }
  return ending::decoded;
}

// A one-map WAD with its directory right after the header and the lump data
// after it, LINEDEFS last (with 5 bytes to spare), so that a cut can fall in
// the header, the directory, every record lump and the spare bytes. Within the
// group the lumps are found by name, so their directory order is free.
struct layout {
  std::string bytes;
  std::size_t directory = 0, data = 0;
  std::size_t vertexes = 0, linedefs = 0, end = 0;  // data offsets
  std::size_t vertexsize = 0, linedefsize = 0;      // bytes of whole records
};

layout directoryfirst() {
  const testkit::mapdata m = testkit::squaremap();
  testkit::wadbuilder b;
  b.directoryfirst();
  for (const char* empty : {"MAP01", "THINGS", "SEGS", "SSECTORS", "NODES", "REJECT", "BLOCKMAP"}) {
    b.addlump(empty);
  }
  const std::size_t vertexes = b.addlump("VERTEXES", testkit::encode(m.vertexes));
  b.addlump("SIDEDEFS", testkit::encode(m.sidedefs));
  b.addlump("SECTORS", testkit::encode(m.sectors));
  const std::string linedefs = testkit::encode(m.linedefs, wad::DOOM);
  const std::size_t lines = b.addlump("LINEDEFS", linedefs + "spare");
  layout l;
  l.bytes = b.bytes();
  l.directory = b.directoryoffset();
  l.data = b.dataoffset(0);
  l.vertexes = b.dataoffset(vertexes);
  l.linedefs = b.dataoffset(lines);
  l.end = b.dataoffset(lines + 1);
  l.vertexsize = b.entry(vertexes).data.size();
  l.linedefsize = linedefs.size();
  return l;
}

// The map reader reads VERTEXES, LINEDEFS, SIDEDEFS, SECTORS in that order;
// only a LINEDEFS lump that the file ends in exactly at a record start is
// taken for the wrong map format, every other short read is a stream failure.
ending expected(const layout& l, std::size_t cut) {
  if (cut < l.data) {
    const bool atentry = cut >= l.directory && (cut - l.directory) % wadformat::direntry::bytes == 0;
    return atentry ? ending::notawad : ending::streamfailure;
  }
  if (cut < l.vertexes + l.vertexsize) return ending::streamfailure;
  if (cut < l.linedefs + l.linedefsize) {
    const bool atrecord = cut >= l.linedefs && (cut - l.linedefs) % wadformat::doomlinedef::bytes == 0;
    return atrecord ? ending::eofstop : ending::streamfailure;
  }
  return ending::decoded;  // the spare bytes after the last whole linedef are never read
}

TEST(WadBadInput, EveryCutEndsInExactlyOneWay) {
  tempdir dir;
  const layout l = directoryfirst();
  ASSERT_EQ(l.bytes.size(), l.end);
  ASSERT_EQ(l.linedefs + l.linedefsize + 5, l.end);
  for (std::size_t cut = 0; cut <= l.end; ++cut) {
    const ending got = pipeline(dir, testkit::truncated(l.bytes, cut), "cut" + std::to_string(cut) + ".wad");
    EXPECT_EQ(describe(got), describe(expected(l, cut))) << "cut at " << cut;
  }
}

// Header fields that lie: entry counts and directory offsets at the ends of
// their range, and a directory offset at the very end of the file.
TEST(WadBadInput, LyingHeaderFields) {
  tempdir dir;
  testkit::wadbuilder good;
  good.addmap("MAP01", testkit::squaremap());
  const auto size = static_cast<std::int32_t>(good.bytes().size());
  const auto directory = static_cast<std::int32_t>(good.directoryoffset());
  struct lie {
    std::int32_t numlumps, infotableoffset;
    ending want;
  };
  const std::vector<lie> lies = {
      {INT32_MAX, directory, ending::notawad},  // the file ends where entry 12 would begin
      {INT32_MIN, directory, ending::nomap},    // no entries at all
      {-1, directory, ending::nomap},
      {0, INT32_MAX, ending::nomap},  // nothing to read, so the offset is never used
      {11, INT32_MAX, ending::streamfailure},
      {11, size, ending::notawad},  // the directory would begin exactly at the end
      {11, size - 8, ending::streamfailure},
      {11, INT32_MIN, ending::notawad},
      {11, -1, ending::notawad},
      {11, 0, ending::nomap},  // the header and the data read as entries: no MAP01 among them
  };
  for (const lie& l : lies) {
    testkit::wadbuilder b = good;
    b.numlumps(l.numlumps);
    b.infotableoffset(l.infotableoffset);
    const ending got = pipeline(dir, b.bytes(), "lie.wad");
    EXPECT_EQ(describe(got), describe(l.want)) << l.numlumps << " entries at " << l.infotableoffset;
  }
}

// A map marker among the last ten entries: the group stops at the end of the
// directory and the map reader finds lumps missing.
TEST(WadBadInput, MarkerAtTheEndOfTheDirectory) {
  tempdir dir;
  for (std::size_t kept = 0; kept < 10; ++kept) {
    testkit::wadbuilder b;
    b.addmap("MAP01", testkit::squaremap());
    b.entries().resize(kept + 1);
    auto w = testkit::readwad(b.open(dir.path()));
    ASSERT_TRUE(w);
    EXPECT_EQ(w->getmaplumps(u"MAP01", wad::maplumps).size(), kept + 1);
    const auto made = map::Create(w->getmaplumps(u"MAP01", wad::maplumps), wad::DOOM);
    ASSERT_FALSE(made.ok()) << kept;
    EXPECT_EQ(made.error(), failure::notice({u"failed to read map lumps", u"encountered invalid map"}))
        << kept;
  }
}

}  // namespace
}  // namespace tracewell
