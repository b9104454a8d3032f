// The map page as text: its data read back by a JSON parser, placed as the drawing places the map
// (hostile names: the browser test).
#include "web/mappage.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>

#include "testlib/harness.h"
#include "web/diffpage.h"

namespace tracewell {
namespace {

// A map of two lines and one thing, and a scene that draws the first line as impassable and the
// thing as a monster, fitted into a 200 x 100 image.
struct smallmap {
  map m;
  scene s;
  smallmap() {
    m.vertexes = {{-320, 64}, {640, -128}, {640, 64}};
    m.linedefs.resize(2);
    m.linedefs[0] = {0, 1, 1, 26, 7, 0, -1, {}, 0};
    m.linedefs[1] = {1, 2, 4, 0, 0, 0, 1, {}, 0};
    m.sidedefs.resize(2);
    m.sidedefs[1].sector = 1;
    m.sectors.resize(2);
    m.sectors[1].floorheight = -8;
    m.sectors[1].floorfraction = 0x8000;
    thing t;
    t.x = 0;
    t.y = 0;
    t.type = 3001;
    t.skills = 0x1F;
    t.single = true;
    m.things = std::vector<thing>{t};
    s.width = 200;
    s.height = 100;
    s.margin = 5;
    s.background = static_cast<std::int32_t>(0xFF000000U);
    s.fit = mapfit::make(-320, -128, 640, 64, 200, 100, 5);
    s.markerradius = 3;
    s.strokes = {{-320, 64, 640, -128, static_cast<std::int32_t>(0xFFFC0000U), 5, 0}};
    s.markers = {{0, 0, 0, static_cast<std::int32_t>(0xFF00FF00U), 2, false, 0}};
  }
};

std::string page(const smallmap& p, const char* name, const char* input) {
  std::string out;
  EXPECT_TRUE(writemappage(p.s, p.m, factsof(p.m, true), svgnames{frombytes(name), fromutf8(input)},
                           [&out](std::string_view piece) {
                             out += piece;
                             return true;
                           }));
  return out;
}

nlohmann::json dataof(const std::string& html) {
  const std::string open = "<script type=\"application/json\" id=\"tw-data\">";
  const std::size_t from = html.find(open) + open.size();
  return nlohmann::json::parse(html.substr(from, html.find("</script>", from) - from));
}

TEST(MapPage, DataPlacesTheMapWhereTheDrawingDoes) {
  const smallmap p;
  const std::string html = page(p, "MAP01", "/maps/test.wad");
  const nlohmann::json data = dataof(html);
  // The drawing's first path starts at the first stroke's start ("m" from the origin is absolute).
  const std::size_t d = html.find(" d=\"", html.find("class=\"impassable\""));
  ASSERT_NE(d, std::string::npos);
  ASSERT_TRUE(html[d + 4] == 'm' || html[d + 4] == 'M');
  char* end = nullptr;
  const double x = std::strtod(html.c_str() + d + 5, &end);
  const double y = std::strtod(end + (*end == ',' || *end == ' ' ? 1 : 0), nullptr);
  const auto& fit = data["fit"];
  EXPECT_NEAR(fit[0].get<double>() * -320 + fit[1].get<double>(), x, 0.011);
  EXPECT_NEAR(fit[2].get<double>() * 64 + fit[3].get<double>(), y, 0.011);
  EXPECT_EQ(data["size"], nlohmann::json::parse("[200, 100]"));
  // Lines: vertices, flags, special, meanings, tag, sectors, layer; the undrawn line has none.
  EXPECT_EQ(data["lines"][0], nlohmann::json::parse("[0, 1, 1, 26, 4, 7, 0, -1, 0]"));
  EXPECT_EQ(data["lines"][1], nlohmann::json::parse("[1, 2, 4, 0, 0, 0, 0, 1, -1]"));
  EXPECT_EQ(data["sectors"][1], nlohmann::json::parse("[-7.5, 0, 0]"));
  EXPECT_EQ(data["things"][0], nlohmann::json::parse("[0, 0, 0, 3001, 2, 31, 1, 1]"));
  EXPECT_EQ(data["layers"].size(), 2U);
  EXPECT_EQ(data["layers"][0]["name"], "impassable");
  EXPECT_EQ(data["layers"][1]["cls"], "thing-monster");
  EXPECT_EQ(data["meanings"][2][0], "locked blue");
  EXPECT_EQ(data["input"], "test.wad");
  EXPECT_EQ(data["monster_types"], nlohmann::json::parse(R"({"3001": 1})"));
}

// Each document writer: a sink that refuses a piece stops it there, with no piece asked for after; into
// a file it leaves the bytes a sink gets, and no file at all for an image less than 1 x 1.
TEST(MapPage, WritersStopAtARefusedPieceAndFilesHoldWhatSinksGet) {
  const smallmap p;
  const mapdiff d;
  const svgnames names{u"MAP01", u"test.wad"};
  const mapfacts facts = factsof(p.m, true);
  struct writer {
    const char* name;
    std::function<bool(const scene&, const textsink&)> tosink;
    std::function<outputstatus(const scene&, outputfile&)> tofile;
    std::string_view ending;
  };
  const writer writers[] = {
      {"svg", [&](const scene& s, const textsink& k) { return writesvg(s, names, k); },
       [&](const scene& s, outputfile& o) { return writesvg(s, names, o); }, "</svg>\n"},
      {"map page", [&](const scene& s, const textsink& k) { return writemappage(s, p.m, facts, names, k); },
       [&](const scene& s, outputfile& o) { return writemappage(s, p.m, facts, names, o); }, "</html>\n"},
      {"diff page",
       [&](const scene& s, const textsink& k) { return writediffpage(s, p.m, p.m, d, names, k); },
       [&](const scene& s, outputfile& o) { return writediffpage(s, p.m, p.m, d, names, o); }, "</html>\n"},
  };
  const testkit::tempdir dir;
  for (const writer& w : writers) {
    std::string whole;
    std::size_t pieces = 0;
    ASSERT_TRUE(w.tosink(p.s, [&](std::string_view piece) {
      whole += piece;
      ++pieces;
      return true;
    })) << w.name;
    EXPECT_TRUE(whole.ends_with(w.ending)) << w.name;
    for (std::size_t refused = 1; refused <= pieces; ++refused) {
      std::size_t asked = 0;
      EXPECT_FALSE(w.tosink(p.s, [&](std::string_view) { return ++asked < refused; })) << w.name << refused;
      EXPECT_EQ(asked, refused) << w.name << refused;
    }
    outputfile out = outputfile::open(fromutf8((dir / "out").string()));
    ASSERT_TRUE(w.tofile(p.s, out).ok()) << w.name;
    ASSERT_TRUE(out.commit().ok()) << w.name;
    EXPECT_EQ(testkit::readfile(dir / "out"), whole) << w.name;
    scene empty = p.s;
    empty.height = 0;
    outputfile none = outputfile::open(fromutf8((dir / "empty").string()));
    const outputstatus written = w.tofile(empty, none);
    ASSERT_FALSE(written.ok()) << w.name;
    EXPECT_EQ(written.error().why, failure::reason::nocontent) << w.name;
    EXPECT_FALSE(none.commit().ok()) << w.name;
    EXPECT_FALSE(std::filesystem::exists(dir / "empty")) << w.name;
  }
}

}  // namespace
}  // namespace tracewell
