// Vector images: the SVG text read back by an XML parser, its path data against the exact fit.
#include "web/svg.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <optional>
#include <sstream>

#include "render/linecategory.h"
#include "render/mapfit.h"
#include "render/thingmarkers.h"
#include "testlib/harness.h"

namespace tracewell {
namespace {

// One element of the image as Python's XML parser reads it.
struct element {
  int depth = 0;
  std::string tag, cls, stroke, opacity, fill, fillopacity, d, title;
};

// Parses `svg` with the standard library's XML parser of Python; an empty list when it is not
// well-formed XML.
std::vector<element> parse(const std::string& svg) {
  const testkit::tempdir dir;
  testkit::writefile(dir / "image.svg", svg);
  static const std::string script = R"(
import sys, xml.etree.ElementTree as E
ns = '{http://www.w3.org/2000/svg}'
def walk(e, depth):
    tag = e.tag.replace(ns, '')
    a = e.attrib
    fields = [str(depth), tag] + [a.get(k, '') for k in
              ('class', 'stroke', 'stroke-opacity', 'fill', 'fill-opacity', 'd')]
    fields.append(e.text or '' if tag == 'title' else '')
    sys.stdout.buffer.write(('\x1f'.join(fields) + '\x1e').encode('utf-8'))
    for c in e: walk(c, depth + 1)
walk(E.parse(sys.argv[1]).getroot(), 0)
)";
  const testkit::processresult r =
      testkit::runprocess("/usr/bin/python3", {"-c", script, "image.svg"}, "", dir.path());
  EXPECT_EQ(r.status, 0) << r.err;
  std::vector<element> out;
  std::stringstream records(r.out);
  std::string record;
  while (std::getline(records, record, '\x1e')) {
    std::vector<std::string> f;
    std::stringstream fields(record);
    std::string field;
    while (std::getline(fields, field, '\x1f')) f.push_back(field);
    f.resize(9);
    out.push_back({std::stoi(f[0]), f[1], f[2], f[3], f[4], f[5], f[6], f[7], f[8]});
  }
  return out;
}

std::string svgof(const scene& s, const svgnames& names = {u"MAP01", u"/wads/doom.wad"}) {
  std::string out;
  EXPECT_TRUE(writesvg(s, names, [&out](std::string_view piece) {
    out += piece;
    return true;
  }));
  return out;
}

// A segment in hundredths of a pixel, absolute.
using segment = std::array<std::int64_t, 4>;

// Reads path data the way the SVG grammar does for the commands a writer of lines needs (m and l,
// relative, with implicit repeats; a first m absolute), numbers in hundredths with at most two
// decimals.
std::vector<segment> segmentsof(const std::string& d) {
  std::vector<segment> out;
  std::size_t at = 0;
  const auto number = [&]() -> std::optional<std::int64_t> {
    while (at < d.size() && (d[at] == ' ' || d[at] == ',')) ++at;
    const std::size_t start = at;
    const bool negative = at < d.size() && d[at] == '-';
    if (negative) ++at;
    std::int64_t whole = 0, fraction = 0;
    while (at < d.size() && std::isdigit(static_cast<unsigned char>(d[at])) != 0)
      whole = whole * 10 + (d[at++] - '0');
    if (at < d.size() && d[at] == '.') {
      ++at;
      int digits = 0;
      while (at < d.size() && std::isdigit(static_cast<unsigned char>(d[at])) != 0) {
        fraction = fraction * 10 + (d[at++] - '0');
        ++digits;
      }
      EXPECT_LE(digits, 2) << d.substr(start, at - start);
      if (digits == 1) fraction *= 10;
    }
    if (at == start || (negative && at == start + 1)) return std::nullopt;
    return (negative ? -1 : 1) * (whole * 100 + fraction);
  };
  char command = 0;
  bool first = true, moving = false;
  std::int64_t x = 0, y = 0;
  while (at < d.size()) {
    while (at < d.size() && d[at] == ' ') ++at;
    if (at >= d.size()) break;
    if (d[at] == 'm' || d[at] == 'l') {
      command = d[at++];
      moving = command == 'm';
      continue;
    }
    const auto dx = number();
    const auto dy = number();
    if (!dx || !dy || command == 0) {
      ADD_FAILURE() << "unreadable path data at " << at << ": " << d.substr(0, 200);
      return out;
    }
    if (moving) {
      x = first ? *dx : x + *dx;
      y = first ? *dy : y + *dy;
      moving = false;  // further pairs after a move are lines
    } else {
      out.push_back({x, y, x + *dx, y + *dy});
      x += *dx;
      y += *dy;
    }
    first = false;
  }
  return out;
}

// The exact fitted position of a map coordinate, in hundredths of a pixel, worked out in floating point.
double model(std::int64_t v, std::int64_t least, std::int64_t extent, std::int64_t size,
             std::int64_t offset) {
  if (extent <= 0) return static_cast<double>(offset) * 100;
  const long double exact = static_cast<long double>(v - least) * size / extent + offset;
  return static_cast<double>(exact * 100);
}

scene makescene(std::int32_t width, std::int32_t height, std::int32_t margin, std::int32_t bits,
                const std::vector<std::array<std::int64_t, 4>>& lines) {
  scene s;
  s.width = width;
  s.height = height;
  s.margin = margin;
  s.fractionbits = bits;
  s.background = -16777216;
  std::int64_t lx = lines[0][0], ly = lines[0][1], gx = lx, gy = ly;
  for (const auto& l : lines) {
    lx = std::min({lx, l[0], l[2]}), ly = std::min({ly, l[1], l[3]});
    gx = std::max({gx, l[0], l[2]}), gy = std::max({gy, l[1], l[3]});
  }
  s.fit = mapfit::make(lx, ly, gx, gy, width, height, margin);
  s.markerradius = markerradius(s.fit, bits);
  std::uint32_t number = 0;
  for (const auto& l : lines) {
    // Two categories and two colours in turn, so that runs change.
    const std::int32_t category = number % 3 == 0 ? impassablecategories : floorchangeline;
    s.strokes.push_back({l[0], l[1], l[2], l[3], number % 5 == 0 ? red : brown, category, number});
    ++number;
  }
  return s;
}

TEST(Svg, EverySegmentSitsAtItsExactFitInDrawingOrder) {
  constexpr std::int64_t big = std::int64_t{1} << 47;  // UDMF's +-2^31 in 1/65536 units
  struct {
    const char* what;
    std::int32_t width, height, margin, bits;
    std::vector<std::array<std::int64_t, 4>> lines;
  } cases[] = {
      {"a room",
       1024,
       1024,
       16,
       0,
       {{0, 0, 256, 0},
        {256, 0, 256, -128},
        {256, -128, 0, 0},
        {64, -64, 64, -64},
        {10, -3, 200, -97},
        {200, -97, 10, -3},
        {7, -11, 13, -5}}},
      {"one zero-length line", 64, 64, 4, 0, {{5, 5, 5, 5}}},
      {"the UDMF limits",
       1000,
       700,
       10,
       16,
       {{-big, -big, big, big}, {big, -big, -big, big}, {-big, 0, 1, -1}}},
      {"one pixel", 1, 1, 0, 0, {{0, 0, 100, 37}, {100, 37, 3, 3}}},
      {"a wide strip", 5000, 7, 2, 0, {{-3000, 1, 9000, 2}, {5, 5, 5, -40}}},
      {"margins past the middle", 100, 100, 70, 0, {{0, 0, 50, 50}, {50, 0, 0, 50}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const scene s = makescene(c.width, c.height, c.margin, c.bits, c.lines);
    const std::vector<element> image = parse(svgof(s));
    ASSERT_FALSE(image.empty());
    std::vector<segment> drawn;
    std::vector<std::string> classes;
    for (const element& e : image) {
      if (e.tag != "path" || e.cls.empty()) continue;
      classes.push_back(e.cls + " " + e.stroke);
      for (const segment& g : segmentsof(e.d)) drawn.push_back(g);
    }
    ASSERT_EQ(drawn.size(), s.strokes.size());
    std::vector<std::string> runs;
    for (std::size_t i = 0; i < s.strokes.size(); ++i) {
      const scenestroke& l = s.strokes[i];
      const mapfit& f = s.fit;
      const std::array<double, 4> exact = {
          model(l.x0, f.leastx, f.dx, f.w, f.offx), model(l.y0, f.leasty, f.dy, f.h, f.offy),
          model(l.x1, f.leastx, f.dx, f.w, f.offx), model(l.y1, f.leasty, f.dy, f.h, f.offy)};
      for (std::size_t k = 0; k < 4; ++k) {
        // Rounded down to a hundredth: within one hundredth below the exact value.
        EXPECT_LE(static_cast<double>(drawn[i][k]), exact[k] + 1e-6) << "stroke " << i << " coordinate " << k;
        EXPECT_GT(static_cast<double>(drawn[i][k]), exact[k] - 1 - 1e-6)
            << "stroke " << i << " coordinate " << k;
      }
      const std::string run =
          std::string(l.category == floorchangeline ? "passable-floor-change" : "impassable") +
          (l.color == red ? " #fc0000" : " #bc7c4c");
      if (runs.empty() || runs.back() != run) runs.push_back(run);
    }
    EXPECT_EQ(classes, runs);
  }
}

// Hostile names through every writer are the browser test's table; here only what no command line can
// give: a map name starting with NUL, an input named "/" and one in backslashed folders.
TEST(Svg, TitlesOfNamesNoFileCanCarry) {
  struct {
    std::string map;  // bytes, as read from a file
    text input;
    std::string title;  // as the XML parser reads it back
  } cases[] = {
      {"MAP01", u"/usr/share/games/doom/freedoom2.wad", "MAP01 - freedoom2.wad"},
      {"\xC0\xAF", u"a\\b\\c.wad", "\xEF\xBF\xBD\xEF\xBF\xBD - c.wad"},
      {std::string("\0x", 2), u"/", "x"},
  };
  const scene s = makescene(32, 32, 2, 0, {{0, 0, 10, 10}});
  for (const auto& c : cases) {
    const std::vector<element> image = parse(svgof(s, {frombytes(c.map), c.input}));
    ASSERT_GE(image.size(), 2U) << c.title;
    EXPECT_EQ(image[1].tag, "title");
    EXPECT_EQ(image[1].title, c.title);
  }
}

TEST(Svg, BackgroundStrokesAndMarkersCarryTheirLook) {
  scene s = makescene(200, 100, 0, 0, {{0, 0, 100, 0}, {0, 0, 0, -50}});
  s.style = {3, true};
  s.strokes[0].color = static_cast<std::int32_t>(0x80FFFFFFU);
  s.strokes[1].category = secretflagline;
  s.strokes[1].color = static_cast<std::int32_t>(0x01000000U);
  s.background = static_cast<std::int32_t>(0x401C3F7AU);
  // A key cross, a monster facing north-east, and one too far outside to touch the image.
  s.markers = {{50, -25, 0, static_cast<std::int32_t>(0xFFFF0000U), 5, true, 0},
               {25, -25, 45, static_cast<std::int32_t>(0xFF800000U), 2, false, 1},
               {100000, -25, 0, static_cast<std::int32_t>(0xFF800000U), 2, false, 2}};
  const std::string text = svgof(s);
  EXPECT_NE(text.find("stroke-width=\"3\" stroke-linecap=\"square\">"), std::string::npos);
  EXPECT_EQ(text.find("crispEdges"), std::string::npos);
  const std::vector<element> image = parse(text);
  std::vector<std::string> looks;
  const double r = static_cast<double>(s.markerradius) * 100;
  for (const element& e : image) {
    if (e.tag == "rect") looks.push_back("rect " + e.fill + " " + e.fillopacity);
    if (e.tag == "path" && !e.cls.empty()) looks.push_back(e.cls + " " + e.stroke + " " + e.opacity);
    if (e.tag == "g" && !e.cls.empty()) looks.push_back(e.cls + " " + e.stroke + " " + e.opacity);
    if (e.tag == "path" && e.cls.empty()) {
      const std::vector<segment> lines = segmentsof(e.d);
      ASSERT_TRUE(lines.size() == 2 || lines.size() == 3) << e.d;
      const double cx = model(lines.size() == 2 ? 50 : 25, s.fit.leastx, s.fit.dx, s.fit.w, s.fit.offx);
      const double cy = model(-25, s.fit.leasty, s.fit.dy, s.fit.h, s.fit.offy);
      std::vector<std::array<double, 2>> corners;
      if (lines.size() == 2) {
        corners = {{cx - r, cy}, {cx + r, cy}, {cx, cy - r}, {cx, cy + r}};
      } else {
        // Point, then the back corners: 0.5 r behind and 0.7 r to each side, turned 45 degrees.
        const double a = std::acos(-1.0) / 4;
        for (const auto& [along, side] : {std::pair{1.0, 0.0}, {-0.5, 0.7}, {-0.5, -0.7}}) {
          corners.push_back({cx + r * (along * std::cos(a) - side * std::sin(a)),
                             cy - r * (along * std::sin(a) + side * std::cos(a))});
        }
      }
      for (std::size_t i = 0; i < lines.size(); ++i) {
        // Crosses: each arm's ends; triangles: each side from one corner to the next.
        const auto& from = lines.size() == 2 ? corners[2 * i] : corners[i];
        const auto& to = lines.size() == 2 ? corners[2 * i + 1] : corners[(i + 1) % 3];
        EXPECT_NEAR(static_cast<double>(lines[i][0]), from[0], 1.01) << e.d;
        EXPECT_NEAR(static_cast<double>(lines[i][1]), from[1], 1.01) << e.d;
        EXPECT_NEAR(static_cast<double>(lines[i][2]), to[0], 1.01) << e.d;
        EXPECT_NEAR(static_cast<double>(lines[i][3]), to[1], 1.01) << e.d;
      }
    }
  }
  EXPECT_EQ(looks, (std::vector<std::string>{"rect #1c3f7a 0.251", "impassable #ffffff 0.502",
                                             "secret-line #000000 0.004", "thing-key-red #ff0000 1",
                                             "thing-monster #800000 1"}));
  s.background = 0x00FFFFFF;  // fully transparent: no rectangle
  EXPECT_EQ(svgof(s).find("<rect"), std::string::npos);
}

TEST(Svg, AMillionLinesAreStreamedInPieces) {
  scene s = makescene(4096, 4096, 0, 0, {{0, 0, 1 << 20, 1 << 20}});
  s.strokes.resize(1000000);
  for (std::size_t i = 0; i < s.strokes.size(); ++i) {
    const auto v = static_cast<std::int64_t>(i * 1048573 % 1048576);
    s.strokes[i] = {v,
                    -v,
                    (v * 7) % 1048576,
                    -(v * 13 % 1048576),
                    red,
                    impassablecategories,
                    static_cast<std::uint32_t>(i)};
  }
  std::size_t total = 0, largest = 0, pieces = 0;
  std::string tail;
  EXPECT_TRUE(writesvg(s, {u"BIG", u"big.wad"}, [&](std::string_view piece) {
    total += piece.size();
    largest = std::max(largest, piece.size());
    ++pieces;
    tail = std::string(piece.substr(piece.size() > 16 ? piece.size() - 16 : 0));
    return true;
  }));
  EXPECT_GT(total, 10000000U);
  EXPECT_LT(largest, std::size_t{1} << 17);
  EXPECT_GT(pieces, 100U);
  EXPECT_EQ(tail.substr(tail.size() - 7), "</svg>\n");
}

TEST(Svg, RefusedSinksAndEmptyImagesFail) {
  const scene s = makescene(16, 16, 0, 0, {{0, 0, 1, 1}});
  EXPECT_FALSE(writesvg(s, {}, [](std::string_view) { return false; }));
  for (const auto& [w, h] : {std::pair{0, 16}, {16, 0}, {-5, -5}}) {
    scene empty = s;
    empty.width = w;
    empty.height = h;
    EXPECT_FALSE(writesvg(empty, {}, [](std::string_view) { return true; }));
  }
  // Into a file: an image less than 1 x 1 leaves nothing behind.
  const testkit::tempdir dir;
  scene empty = s;
  empty.width = 0;
  outputfile out = outputfile::open(fromutf8((dir / "a.svg").string()));
  const outputstatus written = writesvg(empty, {}, out);
  ASSERT_FALSE(written.ok());
  EXPECT_EQ(written.error().why, failure::reason::nocontent);
  EXPECT_FALSE(std::filesystem::exists(dir / "a.svg"));
}

}  // namespace
}  // namespace tracewell
