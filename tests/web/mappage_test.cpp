// The map page as text: its data read back by a JSON parser, placed as the drawing places the map
// (hostile names: the browser test).
#include "web/mappage.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>

#include "render/diffscene.h"
#include "render/schemelook.h"
#include "testlib/harness.h"
#include "testlib/mapedit.h"
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

std::string page(const smallmap& p, const char* name, const char* input,
                 const std::vector<finding>* findings = nullptr) {
  std::string out;
  EXPECT_TRUE(writemappage(p.s, p.m, factsof(p.m, true), findings, svgnames{frombytes(name), fromutf8(input)},
                           [&out](std::string_view piece) {
                             out += piece;
                             return true;
                           }));
  return out;
}

// The page's data, its objects' members in the page's order when `json` is nlohmann::ordered_json.
template <typename json = nlohmann::json>
json dataof(const std::string& html) {
  const std::string open = "<script type=\"application/json\" id=\"tw-data\">";
  const std::size_t from = html.find(open) + open.size();
  return json::parse(html.substr(from, html.find("</script>", from) - from));
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
  // Each table a column per field; the undrawn line has no layer.
  EXPECT_EQ(data["vertices"], nlohmann::json::parse(R"({"x": [-320, 640, 640], "y": [64, -128, 64]})"));
  EXPECT_EQ(data["lines"], nlohmann::json::parse(R"({"v1": [0, 1], "v2": [1, 2], "flags": [1, 4],
      "special": [26, 0], "meanings": [4, 0], "tag": [7, 0], "front": [0, 0], "back": [-1, 1],
      "layer": [0, -1]})"));
  EXPECT_EQ(data["sectors"],
            nlohmann::json::parse(R"({"floor": [0, -7.5], "ceiling": [0, 0], "special": [0, 0]})"));
  EXPECT_EQ(data["things"], nlohmann::json::parse(R"({"x": [0], "y": [0], "angle": [0], "type": [3001],
      "kind": [2], "skills": [31], "modes": [1], "layer": [1]})"));
  EXPECT_EQ(data["layers"].size(), 2U);
  EXPECT_EQ(data["layers"][0]["name"], "impassable");
  EXPECT_EQ(data["layers"][1]["cls"], "thing-monster");
  EXPECT_EQ(data["meanings"][2][0], "locked blue");
  EXPECT_EQ(data["input"], "test.wad");
  EXPECT_EQ(data["monster_types"], nlohmann::json::parse(R"({"3001": 1})"));
}

// Every table of both pages holds one array per column, each as long as the table has records, and only
// the page's own columns: a map in the Doom layout has tags, one in UDMF arguments, a diff neither nor
// sectors nor the map page's names; a diff's line or thing leads to the change listed at its address.
TEST(MapPage, EveryColumnHoldsOneValuePerRecordOfItsPage) {
  const smallmap doom;
  smallmap udmf;
  udmf.m.layout = maplayout::udmf;
  udmf.m.linedefs[0].args = {1, 2, 3, 4, 5};
  const map older = testkit::linesandthings({{0, 0, 512, 0}, {512, 0, 512, 512}, {512, 512, 0, 512}},
                                            {{3001, 100, 100}, {2001, 400, 100}});
  map newer = testkit::linesandthings({{0, 0, 512, 0}, {512, 0, 512, 512}, {512, 600, 0, 600}},
                                      {{3001, 132, 100}, {2012, 400, 400}});
  newer.linedefs[1].special = 1;
  const mapdiff d = diffmaps(older, newer);
  const result<scene> made = makediffscene(older, newer, d, 200, 200, 10, schemelook{}, false);
  ASSERT_TRUE(made.ok());
  const scene& s = made.value();
  std::string diffhtml;
  ASSERT_TRUE(writediffpage(s, older, newer, d, svgnames{u"MAP01", u"new.wad"}, [&](std::string_view piece) {
    diffhtml += piece;
    return true;
  }));

  // Each table: its name, its records and its columns in the page's order.
  struct table {
    const char* name;
    std::size_t records;
    std::string columns;
  };
  const table vertices{"vertices", 3, "x y"}, sectors{"sectors", 2, "floor ceiling special"},
      things{"things", 1, "x y angle type kind skills modes layer"},
      tags{"lines", 2, "v1 v2 flags special meanings tag front back layer"},
      args{"lines", 2, "v1 v2 flags special meanings args front back layer"};
  struct pagecase {
    const char* what;
    std::string html;
    std::vector<table> tables;
    std::vector<const char*> absent;
  };
  const pagecase pages[] = {
      {"doom", page(doom, "MAP01", "a.wad"), {vertices, sectors, things, tags}, {"changes", "findings"}},
      {"udmf", page(udmf, "MAP01", "a.wad"), {vertices, sectors, things, args}, {"changes", "findings"}},
      {"diff",
       diffhtml,
       {{"vertices", 2 * s.strokes.size(), "x y"},
        {"lines", s.strokes.size(), "v1 v2 layer address change"},
        {"things", s.markers.size(), "x y angle kind layer address change"}},
       {"sectors", "flagnames", "meanings", "kinds", "modenames", "skills", "cells", "typenames",
        "findings"}},
  };
  for (const pagecase& p : pages) {
    const auto data = dataof<nlohmann::ordered_json>(p.html);
    for (const table& t : p.tables) {
      ASSERT_TRUE(data.contains(t.name)) << p.what << ' ' << t.name;
      std::string names;
      for (const auto& [name, values] : data[t.name].items()) {
        names += names.empty() ? name : ' ' + name;
        EXPECT_EQ(values.size(), t.records) << p.what << ' ' << t.name << '.' << name;
      }
      EXPECT_EQ(names, t.columns) << p.what << ' ' << t.name;
    }
    for (const char* key : p.absent) EXPECT_FALSE(data.contains(key)) << p.what << ' ' << key;
  }
  EXPECT_EQ(dataof(pages[1].html)["lines"]["args"][0], nlohmann::json::parse("[1, 2, 3, 4, 5]"));

  const nlohmann::json data = dataof(diffhtml);
  std::size_t led = 0;
  for (const char* name : {"lines", "things"}) {
    const nlohmann::json& t = data[name];
    for (std::size_t i = 0; i < t["change"].size(); ++i) {
      const std::int64_t c = t["change"][i];
      if (c < 0) continue;
      ++led;
      EXPECT_EQ(data["changes"][static_cast<std::size_t>(c)]["id"], t["address"][i]) << name << i;
    }
  }
  EXPECT_EQ(led, d.lines.size() + d.things.size() + 1);  // the moved imp: its marker and its way
}

// A checked page lists its findings by address (an unchecked one has none: the table above); the
// statistics per skill group and mode hold the imp's hit points from Doom's info.c (spawnhealth 60), and null
// where the game's values are not known; thing types are named where the game's tables name them.
TEST(MapPage, FindingsStatisticsAndTypeNames) {
  smallmap doom;
  smallmap heretic;
  heretic.m.meaning = mapmeaning::heretic;
  const std::vector<finding> found = {
      {checkcode::missingkey, severity::error, {checkaddress::kind::line, 0}, u"red lock <b>"},
      {checkcode::unclosedsector, severity::warning, {checkaddress::kind::sector, 1}, u"open"}};
  const nlohmann::json data = dataof(page(doom, "MAP01", "a.wad", &found));
  EXPECT_EQ(data["findings"], nlohmann::json::parse(R"({"code": ["missing-key", "unclosed-sector"],
      "severity": ["error", "warning"], "address": ["L0", "S1"], "message": ["red lock <b>", "open"]})"));
  EXPECT_EQ(data["typenames"], nlohmann::json::parse(R"({"3001": "imp"})"));
  EXPECT_EQ(data["stats"].back(), nlohmann::json::parse(R"(["secret exit lines", 0])"));
  const nlohmann::json& single = data["cells"]["values"][0];
  const nlohmann::json& coop = data["cells"]["values"][1];
  ASSERT_EQ(data["cells"]["fields"][1], "monster hit points");
  for (std::size_t group = 0; group < 3; ++group) {
    EXPECT_EQ(single[group][0], 1) << group;
    EXPECT_EQ(single[group][1], 60) << group;
    EXPECT_EQ(coop[group][0], 0) << group;
  }
  const nlohmann::json other = dataof(page(heretic, "E1M1", "h.wad"));
  EXPECT_TRUE(other["cells"]["values"][0][0][1].is_null());
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
      {"map page",
       [&](const scene& s, const textsink& k) { return writemappage(s, p.m, facts, nullptr, names, k); },
       [&](const scene& s, outputfile& o) { return writemappage(s, p.m, facts, nullptr, names, o); },
       "</html>\n"},
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
