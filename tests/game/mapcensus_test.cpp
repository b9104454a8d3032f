// The census of freedoom2's maps against a count made here straight from the WAD's bytes.
#include "game/mapcensus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "testlib/harness.h"
#include "testlib/wadbuilder.h"

namespace tracewell {
namespace {

std::uint32_t u16at(const std::string& b, std::size_t at) {
  return static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8;
}

std::uint32_t u32at(const std::string& b, std::size_t at) {
  return u16at(b, at) | u16at(b, at + 2) << 16;
}

bool among(std::uint32_t value, std::initializer_list<std::uint32_t> list) {
  return std::find(list.begin(), list.end(), value) != list.end();
}

// Doom's (with Boom's and ID24's) keyed doors and switches, exits and teleporters, from the specials' lists.
bool locked(std::uint32_t s) {
  return among(s, {26, 27, 28, 32, 33, 34, 99, 133, 134, 135, 136, 137}) || (s >= 0x3800 && s < 0x3C00);
}
bool exits(std::uint32_t s) {
  return among(s, {11, 51, 52, 124, 197, 198}) || (s >= 2069 && s <= 2074);
}
bool teleports(std::uint32_t s) {
  return among(s, {39, 97, 125, 126, 174, 195, 207, 208, 209, 210, 243, 244}) || (s >= 262 && s <= 269);
}
bool key(std::uint32_t type) {
  return among(type, {5, 6, 13, 38, 39, 40});
}
bool monster(std::uint32_t type) {
  return among(type, {7, 9, 16, 58, 64, 65, 66, 67, 68, 69, 71, 72, 84, 88}) ||
         (type >= 3001 && type <= 3006);
}

// A map's lumps after its MAPxx marker, walked in the directory of the raw file: a record per
// LINEDEFS (14 bytes, special at 6), SECTORS (26, type at 22) and THINGS (10, type at 6).
mapcensus rawcount(const std::string& wadbytes) {
  mapcensus c;
  c.keys = 0;
  c.monsters = 0;
  const std::uint32_t count = u32at(wadbytes, 4), directory = u32at(wadbytes, 8);
  bool inmap = false;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::size_t entry = directory + 16 * std::size_t{i};
    const std::uint32_t at = u32at(wadbytes, entry), size = u32at(wadbytes, entry + 4);
    std::string name = wadbytes.substr(entry + 8, 8);
    name.resize(std::min(name.find('\0'), name.size()));
    if (name.size() == 5 && name.starts_with("MAP")) inmap = true;
    if (!inmap) continue;
    if (name == "LINEDEFS") {
      for (std::uint32_t r = at; r + 14 <= at + size; r += 14) {
        const std::uint32_t s = u16at(wadbytes, r + 6);
        c.lockedlines += locked(s), c.exitlines += exits(s), c.teleportlines += teleports(s);
      }
    } else if (name == "SECTORS") {
      for (std::uint32_t r = at; r + 26 <= at + size; r += 26) {
        const std::uint32_t type = u16at(wadbytes, r + 22);
        c.secretsectors += type == 9 || (type & 128) != 0;
      }
    } else if (name == "THINGS") {
      for (std::uint32_t r = at; r + 10 <= at + size; r += 10) {
        const std::uint32_t type = u16at(wadbytes, r + 6);
        *c.keys += key(type), *c.monsters += monster(type);
      }
    }
  }
  return c;
}

TEST(MapCensus, Freedoom2AgreesWithItsRawRecords) {
  const std::string path = testkit::freedoom2path();
  if (path.empty()) GTEST_SKIP() << "freedoom2.wad is not installed";
  const mapcensus want = rawcount(testkit::readfile(path));
  const auto w = testkit::readwad(bytestream::openread(fromutf8(path)));
  ASSERT_TRUE(w);
  mapcensus got;
  got.keys = 0;
  got.monsters = 0;
  for (const text& name : w->getmapnames()) {
    const auto m = map::Create(w->getmaplumps(name, wad::maplumps), wad::DOOM, {}, true).value();
    const mapcensus c = takecensus(*m);
    ASSERT_TRUE(c.keys && c.monsters);
    got.lockedlines += c.lockedlines, got.exitlines += c.exitlines, got.teleportlines += c.teleportlines;
    got.secretsectors += c.secretsectors, *got.keys += *c.keys, *got.monsters += *c.monsters;
  }
  EXPECT_GT(want.lockedlines, 0);
  EXPECT_GT(*want.keys, 0);
  EXPECT_EQ(got.lockedlines, want.lockedlines);
  EXPECT_EQ(got.exitlines, want.exitlines);
  EXPECT_EQ(got.teleportlines, want.teleportlines);
  EXPECT_EQ(got.secretsectors, want.secretsectors);
  EXPECT_EQ(got.keys, want.keys);
  EXPECT_EQ(got.monsters, want.monsters);
}

}  // namespace
}  // namespace tracewell
