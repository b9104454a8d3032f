// A WAD cut at every offset, read and decoded as the tool does: each cut ends in exactly one way.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testlib/harness.h"
#include "testlib/wadbuilder.h"
#include "wad/format.h"
#include "wad/map.h"
#include "wad/wad.h"

namespace tracewell {
namespace {

using testing::runscripted;
using testing::tempdir;

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

// Runs the pipeline and checks that what it printed fits how it ended.
ending pipeline(const tempdir& dir, const std::string& bytes, const std::string& name) {
  bool wadread = false, mapmade = false;
  const testing::session s = runscripted("", [&] {
    auto w = wad::read(testing::openbytes(dir.path(), bytes, name), wad::DOOM);
    if (!w) return;
    wadread = true;
    auto m = map::Create(w->getmaplumps(u"MAP01", wad::maplumps), wad::DOOM);
    if (!m) return;
    mapmade = true;
  });
  if (s.exitstatus == -1) {
    EXPECT_EQ(s.err, "Error reading from stream");
    EXPECT_EQ(s.out, "");
    return ending::streamfailure;
  }
  EXPECT_EQ(s.err, "");
  if (s.exitstatus) {
    EXPECT_EQ(s.exitstatus, 0);
    EXPECT_EQ(s.out, "Unexpected EOF. Probably using the wrong map format.\r\nPress enter to exit.\r\n>");
    return ending::eofstop;
  }
  if (!wadread) {
    EXPECT_EQ(s.out, "");
    return ending::notawad;
  }
  if (!mapmade) {
    EXPECT_EQ(s.out, "no lumps to read map from\r\n");  // the only way these files lack MAP01
    return ending::nomap;
  }
  EXPECT_EQ(s.out, "");
  return ending::decoded;
}

void puts32(std::string& out, std::int32_t v) {
  for (int shift = 0; shift < 32; shift += 8)
    out += static_cast<char>((static_cast<std::uint32_t>(v) >> shift) & 0xFF);
}

// A one-map WAD with its directory right after the header and the lump data
// after it, LINEDEFS last (with 5 bytes to spare), so that a cut can fall in
// the header, the directory, every record lump and the spare bytes.
struct layout {
  std::string bytes;
  std::size_t directory = 12, data = 0;
  std::size_t vertexes = 0, sidedefs = 0, sectors = 0, linedefs = 0, end = 0;    // data offsets
  std::size_t vertexsize = 0, sidedefsize = 0, sectorsize = 0, linedefsize = 0;  // bytes of whole records
};

layout directoryfirst() {
  const testing::mapdata m = testing::squaremap();
  const std::string vertexes = testing::encode(m.vertexes), sidedefs = testing::encode(m.sidedefs),
                    sectors = testing::encode(m.sectors), linedefs = testing::encode(m.linedefs, wad::DOOM);
  layout l;
  l.data = l.directory + 11 * wadformat::entrysize;
  l.vertexes = l.data;
  l.sidedefs = l.vertexes + vertexes.size();
  l.sectors = l.sidedefs + sidedefs.size();
  l.linedefs = l.sectors + sectors.size();
  l.end = l.linedefs + linedefs.size() + 5;
  l.vertexsize = vertexes.size();
  l.sidedefsize = sidedefs.size();
  l.sectorsize = sectors.size();
  l.linedefsize = linedefs.size();

  l.bytes = "PWAD";
  puts32(l.bytes, 11);
  puts32(l.bytes, static_cast<std::int32_t>(l.directory));
  auto entry = [&l](std::size_t pos, std::size_t size, std::string name) {
    puts32(l.bytes, static_cast<std::int32_t>(pos));
    puts32(l.bytes, static_cast<std::int32_t>(size));
    name.resize(8, '\0');
    l.bytes += name;
  };
  entry(0, 0, "MAP01");
  entry(0, 0, "THINGS");
  entry(l.linedefs, linedefs.size() + 5, "LINEDEFS");
  entry(l.sidedefs, sidedefs.size(), "SIDEDEFS");
  entry(l.vertexes, vertexes.size(), "VERTEXES");
  for (const char* empty : {"SEGS", "SSECTORS", "NODES"}) entry(0, 0, empty);
  entry(l.sectors, sectors.size(), "SECTORS");
  entry(0, 0, "REJECT");
  entry(0, 0, "BLOCKMAP");
  l.bytes += vertexes + sidedefs + sectors + linedefs + "spare";
  return l;
}

// The map reader reads VERTEXES, LINEDEFS, SIDEDEFS, SECTORS in that order;
// only a LINEDEFS lump that the file ends in exactly at a record start is
// taken for the wrong map format, every other short read ends the process.
ending expected(const layout& l, std::size_t cut) {
  if (cut < l.data) {
    const bool atentry = cut >= l.directory && (cut - l.directory) % wadformat::entrysize == 0;
    return atentry ? ending::notawad : ending::streamfailure;
  }
  if (cut < l.vertexes + l.vertexsize) return ending::streamfailure;
  if (cut < l.linedefs + l.linedefsize) {
    const bool atrecord = cut >= l.linedefs && (cut - l.linedefs) % wadformat::doomlinedefsize == 0;
    return atrecord ? ending::eofstop : ending::streamfailure;
  }
  return ending::decoded;  // the spare bytes after the last whole linedef are never read
}

TEST(WadBadInput, EveryCutEndsInExactlyOneWay) {
  tempdir dir;
  const layout l = directoryfirst();
  ASSERT_EQ(l.bytes.size(), l.end);
  for (std::size_t cut = 0; cut <= l.end; ++cut) {
    const ending got = pipeline(dir, testing::truncated(l.bytes, cut), "cut" + std::to_string(cut) + ".wad");
    EXPECT_EQ(describe(got), describe(expected(l, cut))) << "cut at " << cut;
  }
}

// Header fields that lie: entry counts and directory offsets at the ends of
// their range, and a directory offset at the very end of the file.
TEST(WadBadInput, LyingHeaderFields) {
  tempdir dir;
  testing::wadbuilder good;
  good.addmap("MAP01", testing::squaremap());
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
    testing::wadbuilder b = good;
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
    testing::wadbuilder b;
    b.addmap("MAP01", testing::squaremap());
    b.entries().resize(kept + 1);
    bool created = true;
    const testing::session s = runscripted("", [&] {
      auto w = wad::read(b.open(dir.path()), wad::DOOM);
      ASSERT_TRUE(w);
      EXPECT_EQ(w->getmaplumps(u"MAP01", wad::maplumps).size(), kept + 1);
      created = map::Create(w->getmaplumps(u"MAP01", wad::maplumps), wad::DOOM) != nullptr;
    });
    EXPECT_FALSE(created) << kept;
    EXPECT_EQ(s.out, "failed to read map lumps\r\nencountered invalid map\r\n") << kept;
    EXPECT_EQ(s.exitstatus, std::nullopt);
  }
}

}  // namespace
}  // namespace tracewell
