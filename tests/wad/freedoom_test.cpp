// Real data: every map of Debian's freedoom2.wad is listed and decodes consistently.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>

#include "testlib/harness.h"
#include "testlib/udmfwriter.h"
#include "testlib/wadbuilder.h"
#include "wad/map.h"
#include "wad/mapsource.h"

namespace tracewell {
namespace {

TEST(Freedoom2, ListsMap01ToMap32AndDecodesThemInDoomFormat) {
  const std::string path = testkit::freedoom2path();
  if (path.empty()) GTEST_SKIP() << "freedoom2.wad is not installed";
  auto stream = bytestream::openread(fromutf8(path));
  ASSERT_TRUE(stream);
  auto w = testkit::readwad(stream);
  ASSERT_TRUE(w);
  EXPECT_EQ(w->identification, u"IWAD");

  std::list<text> want;
  for (int i = 1; i <= 32; ++i) want.push_back(u"MAP" + text(i < 10 ? u"0" : u"") + inttotext(i));
  ASSERT_EQ(w->getmapnames(), want);

  for (const text& name : want) {
    SCOPED_TRACE(toutf8(name));
    const lumpgroup group = w->getmaplumps(name, wad::maplumps);
    ASSERT_EQ(group.size(), 11u);
    const auto made = map::Create(group, wad::DOOM);
    ASSERT_TRUE(made.ok());
    const std::shared_ptr<map>& m = made.value();

    const lump& lines = *map::getlump(group, u"LINEDEFS");
    EXPECT_EQ(m->vertexes.size(), static_cast<std::size_t>(map::getlump(group, u"VERTEXES")->size / 4));
    EXPECT_EQ(m->linedefs.size(), static_cast<std::size_t>(lines.size / 14));
    EXPECT_EQ(m->sidedefs.size(), static_cast<std::size_t>(map::getlump(group, u"SIDEDEFS")->size / 30));
    EXPECT_EQ(m->sectors.size(), static_cast<std::size_t>(map::getlump(group, u"SECTORS")->size / 26));
    EXPECT_FALSE(m->linedefs.empty());

    // Decoded in the right layout, every reference points at a record that exists.
    for (const linedef& l : m->linedefs) {
      ASSERT_LT(l.startvertex, m->vertexes.size());
      ASSERT_LT(l.endvertex, m->vertexes.size());
      ASSERT_LT(l.rightside, static_cast<std::int32_t>(m->sidedefs.size()));
      ASSERT_LT(l.leftside, static_cast<std::int32_t>(m->sidedefs.size()));
      ASSERT_GE(l.rightside, 0);  // every line has a front side
    }
    for (const sidedef& sd : m->sidedefs) ASSERT_LT(sd.sector, m->sectors.size());

    // The Hexen layout over the same bytes: the lump lies inside the file, so
    // it yields size / 16 records and never runs into the end of the file.
    ASSERT_LE(static_cast<std::int64_t>(lines.filepos) + lines.size, stream->size());
    EXPECT_EQ(linedef::readlump(lines, wad::HEXEN).value().size(), static_cast<std::size_t>(lines.size / 16));
  }
}

// Appends each piece with its own += (GCC 12 misreads "literal" + string).
template <typename... Pieces>
void add(std::string& out, const Pieces&... pieces) {
  ((out += pieces), ...);
}

// What a map means beyond its geometry, in one comparable line; positions in 1/65536 units.
std::string meaning(const map& m) {
  const std::int64_t scale = std::int64_t{1} << (16 - m.fractionbits);
  std::string out = "lines";
  for (const linedef& l : m.linedefs) add(out, " ", std::to_string(l.flags), "/", std::to_string(l.special));
  out += " sectors";
  for (const sector& s : m.sectors) add(out, " ", std::to_string(s.sectortype));
  out += " things";
  for (const thing& t : m.things.value_or(std::vector<thing>{})) {
    add(out, " ", std::to_string(t.type), "@", std::to_string(t.x * scale), ",", std::to_string(t.y * scale),
        "/", std::to_string(t.angle), "s", std::to_string(t.skills), t.single ? "1" : "m");
  }
  return out;
}

TEST(Freedoom2, EveryMapMeansTheSameInEveryLayout) {
  const std::string path = testkit::freedoom2path();
  if (path.empty()) GTEST_SKIP() << "freedoom2.wad is not installed";
  const auto w = testkit::readwad(bytestream::openread(fromutf8(path)));
  ASSERT_TRUE(w);
  testkit::tempdir dir;
  testkit::wadbuilder converted;
  std::map<text, std::shared_ptr<map>> binary;
  for (const text& name : w->getmapnames()) {
    if (binary.size() == testkit::freedoom2mapcount) break;
    const auto made = map::Create(w->getmapgroup(name), wad::DOOM, {}, true);
    ASSERT_TRUE(made.ok() && made.value()->things);
    binary[name] = made.value();
    converted.addudmfmap(tobytes(name), testkit::toudmf(*made.value()));
  }
  const auto udmf = testkit::readwad(converted.open(dir.path()));
  ASSERT_TRUE(udmf);

  for (const auto& [what, source, layout] :
       {std::tuple{"binary", w.get(), maplayout::doom}, {"UDMF", udmf.get(), maplayout::udmf}}) {
    for (const auto& [name, want] : binary) {
      SCOPED_TRACE(std::string(what) + " " + tobytes(name));
      const auto made = map::Create(source->getmapgroup(name), wad::DOOM, {}, true);
      ASSERT_TRUE(made.ok());
      const map& got = *made.value();
      EXPECT_EQ(got.layout, layout);
      EXPECT_EQ(got.meaning, mapmeaning::doom);
      ASSERT_TRUE(got.things);
      EXPECT_EQ(got.things->size(), want->things->size());
      EXPECT_EQ(meaning(got), meaning(*want));
    }
  }
  EXPECT_EQ(binary.size(), testkit::freedoom2mapcount);
}

// Found by their lumps, the 36 ExMy maps of freedoom1.wad each read under Auto.
TEST(Freedoom1, ContentFindsEveryMapAndAutoReadsIt) {
  const std::string path = "/usr/share/games/doom/freedoom1.wad";
  if (!std::filesystem::exists(path)) GTEST_SKIP() << "freedoom1.wad is not installed";
  const auto opened = openmapsource(fromutf8(path), {}, mapdetection::content);
  ASSERT_TRUE(opened.ok() && opened.value());
  mapsource& source = *opened.value();
  const std::list<text> names = source.getmapnames();
  EXPECT_EQ(names.size(), 36u);
  EXPECT_EQ(names.front(), u"E1M1");
  for (const text& name : names) {
    const auto made = source.loadmap(name, wad::AUTO, name);
    ASSERT_TRUE(made.ok()) << tobytes(name);
    EXPECT_EQ(made.value()->layout, maplayout::doom);
  }
  EXPECT_TRUE(testkit::readwad(bytestream::openread(fromutf8(path)))->getmapnames().empty());
}

}  // namespace
}  // namespace tracewell
