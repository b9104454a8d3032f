// UDMF reader: the syntax it accepts, the faults it reports, and exact coordinates.
#include "wad/udmf.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "testlib/harness.h"
#include "testlib/wadbuilder.h"

namespace tracewell {
namespace {

// A coordinate in 1/65536 units as text: whole units plain, otherwise as a fraction.
std::string coordinate(std::int64_t v) {
  return v % 65536 == 0 ? std::to_string(v / 65536) : std::to_string(v) + "/65536";
}

// Appends the pieces to `out` (one += each; GCC 12 misreads "literal" + string).
template <typename... Pieces>
void add(std::string& out, const Pieces&... pieces) {
  ((out += pieces), ...);
}

// The fields the drawing uses, in one line per record type.
std::string describe(const map& m) {
  std::string out = "v";
  for (const vertex& v : m.vertexes) add(out, " ", coordinate(v.x), ",", coordinate(v.y));
  out += " | l";
  for (const linedef& l : m.linedefs) {
    add(out, " ", std::to_string(l.startvertex), ">", std::to_string(l.endvertex), " s",
        std::to_string(l.rightside), "/", std::to_string(l.leftside), " a", std::to_string(l.special),
        l.getflag(linedef::impassable) != 0 ? " B" : "");
  }
  out += " | s";
  for (const sidedef& s : m.sidedefs) add(out, " ", std::to_string(s.sector));
  out += " | h";
  for (const sector& s : m.sectors)
    add(out, " ", std::to_string(s.floorheight), "/", std::to_string(s.ceilheight));
  return out;
}

// Every case writes the same small map its own way, unless `want` says otherwise.
const std::string plain =
    "namespace = \"doom\";\n"
    "vertex { x = 0; y = 0; }\n"
    "vertex { x = 64; y = -64.5; }\n"
    "linedef { v1 = 0; v2 = 1; sidefront = 0; sideback = 1; special = 11; blocking = true; }\n"
    "sidedef { sector = 0; }\n"
    "sidedef { sector = 1; }\n"
    "sector { heightfloor = 8; heightceiling = 128; }\n"
    "sector { heightfloor = -8; heightceiling = 128; }\n";
const std::string plainmap = "v 0,0 64,4227072/65536 | l 0>1 s0/1 a11 B | s 0 1 | h 8/128 -8/128";

TEST(Udmf, SyntaxCases) {
  struct syntaxcase {
    const char* what;
    std::string textmap;
    std::string want;
  };
  const syntaxcase cases[] = {
      {"spaced out, with a namespace", plain, plainmap},
      {"no white space, no namespace",
       "vertex{x=0;y=0;}vertex{x=64;y=-64.5;}linedef{v1=0;v2=1;sidefront=0;sideback=1;special=11;blocking="
       "true;}"
       "sidedef{sector=0;}sidedef{sector=1;}sector{heightfloor=8;heightceiling=128;}"
       "sector{heightfloor=-8;heightceiling=128;}",
       plainmap},
      {"comments anywhere, markers inside strings are text",
       "// a map\n/* several\nlines */ vertex /**/ { x // the x\n= 0; y = 0; } vertex { x = 64; y = -64.5; "
       "}\n"
       "linedef { v1 = 0; v2 = 1; sidefront = 0; sideback = 1; special = 11; blocking = true; "
       "comment = \"// not /* a comment\"; }\n"
       "sidedef { sector = 0; } sidedef { sector = 1; }/* end */\n"
       "sector { heightfloor = 8; heightceiling = 128; } sector { heightfloor = -8; heightceiling = 128; }//",
       plainmap},
      {"names, keys and keywords in any case",
       "VERTEX { X = 0; Y = 0; } Vertex { x = 64; Y = -64.5; }\n"
       "LineDef { V1 = 0; v2 = 1; SIDEFRONT = 0; SideBack = 1; SPECIAL = 11; Blocking = TRUE; }\n"
       "SIDEDEF { Sector = 0; } sidedef { SECTOR = 1; }\n"
       "Sector { HeightFloor = 8; HEIGHTCEILING = 128; } SECTOR { heightfloor = -8; heightceiling = 128; }",
       plainmap},
      {"hexadecimal, octal and signs",
       "vertex { x = -0x0; y = +0; } vertex { x = 0x40; y = -64.5; }\n"
       "linedef { v1 = 00; v2 = 01; sidefront = 0; sideback = +1; special = 013; blocking = true; }\n"
       "sidedef { sector = 0x0; } sidedef { sector = 0X1; }\n"
       "sector { heightfloor = 010; heightceiling = 0x80; } sector { heightfloor = -010; heightceiling = "
       "0200; }",
       plainmap},
      {"floats with exponents and without digits after the point",
       "vertex { x = 0.0; y = -0.0e5; } vertex { x = 6.4E+1; y = -645e-1; }\n"
       "linedef { v1 = 0; v2 = 1; sidefront = 0; sideback = 1; special = 11; blocking = true; }\n"
       "sidedef { sector = 0; } sidedef { sector = 1; }\n"
       "sector { heightfloor = 8; heightceiling = 128; } sector { heightfloor = -8; heightceiling = 128; }",
       "v 0,0 64,4227072/65536 | l 0>1 s0/1 a11 B | s 0 1 | h 8/128 -8/128"},
      {"strings with escapes, keyword values, unknown keys and blocks",
       "namespace = \"zdoom\"; version = 1.5; custom = some-keyword; flag = true;\n"
       "thing { x = 5.0; y = 7; type = 1; }\n"
       "vertex { x = 0; y = 0; user_note = \"a \\\"quoted\\\" } ; \\\\ text\"; }\n"
       "udmf_extra { }\n"
       "vertex { x = 64; y = -64.5; zfloor = 1.0e3; }\n"
       "linedef { v1 = 0; v2 = 1; sidefront = 0; sideback = 1; special = 11; blocking = true; arg0 = 3;"
       " twosided = true; }\n"
       "sidedef { sector = 0; texturemiddle = \"STARTAN3\"; } sidedef { sector = 1; offsetx = -4; }\n"
       "sector { heightfloor = 8; heightceiling = 128; texturefloor = \"FLOOR4_8\"; lightlevel = 160; }\n"
       "sector { heightfloor = -8; heightceiling = 128; }",
       plainmap},
      {"optional fields left out, and the last of a repeated key",
       "vertex { x = 1; x = 0; y = 0; } vertex { x = 64; y = -64.5; }\n"
       "linedef { v1 = 0; v2 = 1; sidefront = 0; }\n"
       "linedef { v1 = 1; v2 = 0; sidefront = 1; sideback = -1; blocking = true; blocking = false; special = "
       "0; }\n"
       "sidedef { sector = 0; } sidedef { sector = 1; } sector { } sector { heightceiling = 5; }",
       "v 0,0 64,4227072/65536 | l 0>1 s0/-1 a0 1>0 s1/-1 a0 | s 0 1 | h 0/0 0/5"},
      {"Windows line ends and tabs",
       "vertex\r\n{\r\n\tx = 0;\r\n\ty = 0;\r\n}\r\nvertex{x=64;y=-64.5;}\r\n"
       "linedef{v1=0;v2=1;sidefront=0;sideback=1;special=11;blocking=true;}\r\n"
       "sidedef{sector=0;}sidedef{sector=1;}sector{heightfloor=8;heightceiling=128;}\r\n"
       "sector{heightfloor=-8;heightceiling=128;}\r\n",
       plainmap},
      {"a special beyond 16 bits stays an action",
       "linedef { v1 = 0; v2 = 0; sidefront = 0; special = 65536; }\n"
       "vertex { x = 0; y = 0; } sidedef { sector = 0; } sector { heightfloor = 99999999999; }",
       "v 0,0 | l 0>0 s0/-1 a65536 | s 0 | h 2147483647/0"},
      {"lines without a front side, as editors save them",
       "vertex { x = 0; y = 0; } vertex { x = 64; y = -64.5; }\n"
       "linedef // 0\n{\nv1 = 0;\nv2 = 1;\nblocking = true;\n}\n"
       "linedef { v1 = 1; v2 = 0; sideback = 0; } linedef { v1 = 0; v2 = 1; sidefront = -1; sideback = -1; "
       "}\n"
       "sidedef { sector = 0; } sector { }",
       "v 0,0 64,4227072/65536 | l 0>1 s-1/-1 a0 B 1>0 s-1/0 a0 0>1 s-1/-1 a0 | s 0 | h 0/0"},
      {"keys starting with a digit",
       "namespace = \"zdoom\"; 1 = 2;\nvertex { x = 0; 0x = 1.0; y = 0; } vertex { x = 64; y = -64.5; }\n"
       "thing // 0\n{\nx = 0.0;\ny = 0.0;\ntype = 1;\n1 = true;\n1024 = true;\n2_a = \"b\";\n}\n"
       "linedef { v1 = 0; v2 = 1; sidefront = 0; sideback = 1; special = 11; blocking = true; 9 = 1; }\n"
       "sidedef { sector = 0; } sidedef { sector = 1; }\n"
       "sector { heightfloor = 8; heightceiling = 128; } sector { heightfloor = -8; heightceiling = 128; }",
       plainmap},
      {"nothing but comments", "// nothing\n/* at all */", "v | l | s | h"},
      {"empty", "", "v | l | s | h"},
  };
  for (const auto& c : cases) {
    const udmfresult r = readudmf(c.textmap);
    ASSERT_FALSE(r.error) << c.what << ": line " << r.error->line << " " << tobytes(r.error->detail);
    ASSERT_TRUE(r.m) << c.what;
    EXPECT_EQ(describe(*r.m), c.want) << c.what;
    EXPECT_EQ(r.m->fractionbits, 16) << c.what;
  }
}

TEST(Udmf, ErrorCases) {
  // Line 1 of every case: two vertices, one sidedef and one sector that are fine.
  const std::string fine = "vertex{x=0;y=0;} vertex{x=1;y=1;} sidedef{sector=0;} sector{}\n";
  struct errorcase {
    std::string textmap;
    std::int32_t line;
    const char* detail;
  };
  const errorcase cases[] = {
      // Syntax.
      {fine + "linedef { blocking true; }", 2, "expected \"=\" after \"blocking\""},
      {fine + "vertex { x = 0\n y = 0; }", 3, "expected \";\" after the value of \"x\""},
      {fine + "vertex { x = ; y = 0; }", 2, "expected a value after \"x\" ="},
      {fine + "vertex { x = 0; y = 0; }\n}", 3, "expected a block or a key, found \"}\""},
      {fine + "vertex x = 1;", 2, "expected \"=\" or \"{\" after \"vertex\""},
      {fine + "sector { inner { } }", 2, "expected \"=\" after \"inner\""},
      {fine + "vertex { -1 = 0; }", 2, "expected a key or \"}\", found \"-1\""},
      {fine + "thing { 1.5 = 0; }", 2, "expected \"=\" after \"1\""},
      {fine + "vertex { \"x\" = 0; }", 2, "expected a key or \"}\", found a quoted string"},
      {fine + "namespace = \"doom\";;", 2, "expected a block or a key, found \";\""},
      {fine + "\n\nvertex {\n x = 0;\n y = 0;\n", 4, "the \"vertex\" block has no closing \"}\""},
      {fine + "thing { note = \"open\n\n; }", 2, "a string has no closing quote"},
      {fine + "thing { note = \"ends in a backslash\\", 2, "a string has no closing quote"},
      {fine + "/* open\n */ /* still\nopen", 3, "a comment has no closing \"*/\""},
      {fine + "// fine\n/*", 3, "a comment has no closing \"*/\""},
      // Values of the wrong kind for the keys that are used.
      {fine + "vertex { x = \"1\"; y = 0; }", 2, "\"x\" needs a number, found a quoted string"},
      {fine + "vertex { x = 1; Y = abc; }", 2, "\"Y\" needs a number, found \"abc\""},
      {fine + "vertex { x = 08; y = 0; }", 2, "\"x\" needs a number, found \"08\""},
      {fine + "vertex { x = 1.5.5; y = 0; }", 2, "\"x\" needs a number, found \"1.5.5\""},
      {fine + "linedef { v1 = 08; }", 2, "\"v1\" needs an integer, found \"08\""},
      {fine + "linedef { v1 = 1.0; }", 2, "\"v1\" needs an integer, found \"1.0\""},
      {fine + "sector { heightfloor = 0x; }", 2, "\"heightfloor\" needs an integer, found \"0x\""},
      {fine + "linedef { blocking = 1; }", 2, "\"blocking\" needs true or false, found \"1\""},
      {fine + "linedef { blocking = \"true\"; }", 2,
       "\"blocking\" needs true or false, found a quoted string"},
      {fine + "linedef { v1 = 9223372036854775808; }", 2, "the number \"9223372036854775808\" is too large"},
      {fine + "vertex { x = 2147483648.00001; }", 2, "vertex 2 has x = 2147483648.00001, beyond +-2^31"},
      {fine + "vertex { y = -0x80000001; }", 2, "vertex 2 has y = -0x80000001, beyond +-2^31"},
      {fine + "vertex { x = 1e10; }", 2, "vertex 2 has x = 1e10, beyond +-2^31"},
      // Required fields, reported at the block's name.
      {fine + "vertex\n{ x = 0; }", 2, "vertex 2 has no \"y\""},
      {fine + "vertex { y = 0; }", 2, "vertex 2 has no \"x\""},
      {fine + "linedef { v2 = 0; sidefront = 0; }", 2, "linedef 0 has no \"v1\""},
      {fine + "linedef { v1 = 0; sidefront = 0; }", 2, "linedef 0 has no \"v2\""},
      {fine + "SideDef { }", 2, "sidedef 1 has no \"sector\""},
      // References, reported at the number; of several bad ones the first in the text.
      {fine + "linedef {\n v1 = 0;\n v2 = 2;\n sidefront = 0; }", 4,
       "linedef 0 names vertex 2, but there are 2 vertices"},
      {fine + "linedef { v1 = -1; v2 = 0; sidefront = 0; }", 2,
       "linedef 0 names vertex -1, but there are 2 vertices"},
      {fine + "linedef { v1 = 0; v2 = 1; sidefront = -2; }", 2,
       "linedef 0 names sidedef -2, but there is 1 sidedef"},
      {fine + "linedef { v1 = 0; v2 = 1; sidefront = 0; sideback = -2; }", 2,
       "linedef 0 names sidedef -2, but there is 1 sidedef"},
      {fine + "linedef { v1 = 0; v2 = 1; sidefront = 0; }\nlinedef { v1 = 0; v2 = 1; sidefront = 0; sideback "
              "= 1; }",
       3, "linedef 1 names sidedef 1, but there is 1 sidedef"},
      {fine + "sidedef { sector = 1; }", 2, "sidedef 1 names sector 1, but there is 1 sector"},
      {"sidedef { sector = 0; }", 1, "sidedef 0 names sector 0, but there are 0 sectors"},
      {fine + "linedef { v1 = 5; v2 = 1; sidefront = 0; }\nsidedef { sector = 7; }", 2,
       "linedef 0 names vertex 5, but there are 2 vertices"},
      {"linedef { v1 = 0; v2 = 0; sidefront = 1; }\n\nsidedef { sector = 7; }\nvertex { x = 0; y = 0; }", 1,
       "linedef 0 names sidedef 1, but there is 1 sidedef"},
      {"\nsidedef { sector = 7; }\nlinedef { v1 = 3; v2 = 0; sidefront = 0; }\nvertex { x = 0; y = 0; }", 2,
       "sidedef 0 names sector 7, but there are 0 sectors"},
      {"linedef { v1 = 0; v2 = 0; sidefront = 0; }", 1, "linedef 0 names vertex 0, but there are 0 vertices"},
  };
  for (const auto& c : cases) {
    const udmfresult r = readudmf(c.textmap);
    ASSERT_TRUE(r.error) << c.textmap;
    EXPECT_FALSE(r.m) << c.textmap;
    EXPECT_EQ(tobytes(r.error->detail), c.detail) << c.textmap;
    EXPECT_EQ(r.error->line, c.line) << c.textmap;
  }
}

TEST(Udmf, CoordinatesRoundToTheNearest65536thHalvesAwayFromZero) {
  // Wanted values worked out with exact rational arithmetic, apart from the reader.
  const std::pair<const char*, std::int64_t> cases[] = {
      {"1", 65536},
      {"0.5", 32768},
      {"0.00000762939453125", 1},  // exactly half of 1/65536
      {"-0.00000762939453125", -1},
      {"0.0000076293945312499999999999", 0},  // a hair below half, past twenty digits
      {"-0.0000076293945312499", 0},
      {"0.00000762939453125000000000001", 1},
      {"1.5e-5", 1},
      {"7.62939453125E-6", 1},
      {"0.1", 6554},
      {"-0.1", -6554},
      {"32767.99999", 2147483647},
      {"3.14159265358979323846264338327950288", 205887},
      {"12345678901234567890e-19", 80909},
      {"0.000000000000000000000000001e27", 65536},
      {"100e-2", 65536},
      {"-64.5", -4227072},
      {"2147483648", std::int64_t{1} << 47},
      {"-2147483648.0", -(std::int64_t{1} << 47)},
      {"2147483648.000007", std::int64_t{1} << 47},  // rounds down onto the limit
      {"0x7fffffff", std::int64_t{0x7fffffff} << 16},
      {"-017", -15 * 65536},
      {"0e999999999999", 0},
      {"5e-999999999999", 0},
  };
  for (const auto& [literal, want] : cases) {
    const udmfresult r = readudmf(std::string("vertex { x = ") + literal + "; y = " + literal + "; }");
    ASSERT_TRUE(r.m) << literal << ": " << tobytes(r.error->detail);
    EXPECT_EQ(r.m->vertexes.at(0).x, want) << literal;
    EXPECT_EQ(r.m->vertexes.at(0).y, -want) << literal;
  }
}

// Byte-order mark, NUL padding, the three line ends, and decimal heights as
// levels (1/65536 units, the renderer's comparison) after the whole units.
TEST(Udmf, AsEditorsWriteIt) {
  using namespace std::string_literals;
  const struct {
    std::string textmap;
    std::int32_t line;  // 0: the text reads
    std::string want;   // the heights or the error's detail
  } cases[] = {
      {"\xEF\xBB\xBFsector{heightfloor=8.5;heightceiling=-8.5;}sector{heightfloor=8;heightceiling=-3e9;}\0\0"s,
       0, "8:557056/-9:-557056 8:524288/-2147483648:-140737488355328"},
      {"sector{heightfloor=2147483647.5;heightceiling=0.00001;}\0\0\n"s, 0, "2147483647:140737488289792/0:1"},
      {"\r\n\n\r//c\r/*\r\n\r*/thing{a=\"\r\n\r\";}\r\n\0x"s, 10, "expected a block or a key, found \"?x\""},
      {"sector{heightfloor=8.5.;}", 1, "\"heightfloor\" needs an integer, found \"8.5.\""},
  };
  for (const auto& c : cases) {
    const udmfresult r = readudmf(c.textmap);
    std::string got = r.error ? tobytes(r.error->detail) : "";
    for (const sector& s : r.m ? r.m->sectors : std::vector<sector>{}) {
      add(got, got.empty() ? "" : " ", std::to_string(s.floorheight), ":", std::to_string(s.floorlevel()),
          "/", std::to_string(s.ceilheight), ":", std::to_string(s.ceillevel()));
    }
    EXPECT_EQ(got, c.want) << c.textmap;
    EXPECT_EQ(r.error ? r.error->line : 0, c.line) << c.textmap;
  }
}

// The value the reader makes of a decimal as the x of a vertex, in 1/65536 units.
std::int64_t readback(const std::string& literal) {
  const udmfresult r = readudmf("vertex { x = " + literal + "; y = 0; }");
  return r.m ? r.m->vertexes.at(0).x : INT64_MIN;
}

// Values print as the shortest decimal the reader reads back to them: checked
// against the reader for hand-picked and random values, and no decimal with
// fewer digits after the point (the two nearest the exact value stand for all)
// reads back to the value.
TEST(Udmf, DecimalIsTheShortestThatReadsBack) {
  const std::pair<std::int64_t, const char*> cases[] = {
      {0, "0"},
      {64 * 65536, "64"},
      {65536 + 32768, "1.5"},
      {-(65536 * 12 + 32768), "-12.5"},
      {1, "0.00002"},
      {6554, "0.1"},
      {316123644, "4823.664"},  // 4823.664 as the reader stores it
      {std::int64_t{1} << 47, "2147483648"},
      {(std::int64_t{1} << 47) - 1, "2147483647.99998"},
  };
  for (const auto& [value, want] : cases) EXPECT_EQ(decimal(value, 16), want) << value;
  EXPECT_EQ(decimal(INT64_MIN, 0), "-9223372036854775808");
  EXPECT_EQ(decimal(-12, 0), "-12");

  std::mt19937_64 rng(41);
  std::vector<std::int64_t> values;
  for (const auto& c : cases) values.push_back(c.first);
  for (int i = 0; i < 2000; ++i) {
    const auto v = static_cast<std::int64_t>(rng() % (std::uint64_t{1} << 40)) - (std::int64_t{1} << 39);
    values.push_back(i % 2 == 0 ? v : v % (65536 * 4));
  }
  for (const std::int64_t v : values) {
    const std::string printed = decimal(v, 16);
    ASSERT_EQ(readback(printed), v) << printed;
    const std::size_t point = printed.find('.');
    const std::size_t digits = point == std::string::npos ? 0 : printed.size() - point - 1;
    const std::uint64_t magnitude = static_cast<std::uint64_t>(v < 0 ? -v : v);
    std::uint64_t power = 1;
    for (std::size_t k = 0; k < digits; ++k, power *= 10) {
      const std::uint64_t below = magnitude * power / 65536;
      for (const std::uint64_t n : {below, below + 1}) {
        std::string shorter = v < 0 ? "-" : "";
        shorter += std::to_string(n / power);
        if (k > 0) {
          const std::string fraction = std::to_string(n % power);
          add(shorter, ".", std::string(k - fraction.size(), '0'), fraction);
        }
        EXPECT_NE(readback(shorter), v) << printed << " is longer than " << shorter;
      }
    }
  }
}

TEST(Udmf, ErrorLine) {
  EXPECT_EQ(udmferrorline(u"MAP01", udmferror{12, u"expected \"=\" after \"blocking\""}),
            u"Error in TEXTMAP of \"MAP01\" at line 12: expected \"=\" after \"blocking\".");
}

// Through map::Create: any format answer reads the TEXTMAP and is kept; the
// error line names the map as listed (the marker's name unless told), alone.
TEST(Udmf, MapCreateReadsTextMapsWhateverTheFormat) {
  testkit::tempdir dir;
  testkit::wadbuilder b;
  b.addudmfmap(std::string("MAP01\0XY", 8), "vertex { x = 1.5; y = 2; }");
  b.addudmfmap("MAP02", "vertex { x = 1; }");
  const auto w = testkit::readwad(b.open(dir.path()));
  ASSERT_TRUE(w);
  for (const std::int32_t format : {wad::DOOM, wad::HEXEN, wad::ZDOOM}) {
    const auto good = map::Create(w->getmapgroup(u"MAP01"), format);
    ASSERT_TRUE(good.ok()) << format;
    EXPECT_EQ(good.value()->format, format);
    EXPECT_EQ(good.value()->vertexes.at(0).x, 3 * 32768);
  }
  const auto line = u"at line 1: vertex 0 has no \"y\".";
  struct {
    const char16_t* listed;
    text want;
  } cases[] = {{u"", u"Error in TEXTMAP of \"MAP02\" " + text(line)},
               {u"maps/e1.wad", u"Error in TEXTMAP of \"maps/e1.wad\" " + text(line)}};
  for (const auto& k : cases) {
    const auto bad = map::Create(w->getmapgroup(u"MAP02"), wad::DOOM, k.listed);
    ASSERT_FALSE(bad.ok());
    EXPECT_EQ(bad.error().what, failure::kind::notice);
    EXPECT_EQ(bad.error().lines, std::vector<text>{k.want}) << tobytes(bad.error().lines.at(0));
  }
}

// Keys the drawing does not use never fail a map: a value of the wrong kind
// counts as absent, a boolean is true only when written true, and a thing
// block without a usable type is left out, one without a usable x or y only
// counted ("+N").
TEST(Udmf, KeysReadLaterNeverFailAMap) {
  struct keycase {
    const char* what;
    std::string ns, line, sector, thingblocks;
    std::string want;    // flags special arg0 locknumber | sector special | meaning
    std::string things;  // read when asked for
  };
  const keycase cases[] = {
      {"booleans ignoring case", "doom", "blockmonsters = TRUE; dontdraw = true; passuse = True;", "", "",
       "642 0 0 0 | 0 | 0", ""},
      {"a boolean of another kind is false", "doom", "dontdraw = 1; mapped = \"true\"; secret = yes;", "", "",
       "0 0 0 0 | 0 | 0", ""},
      {"a later false clears", "doom", "twosided = true; twosided = false;", "", "", "0 0 0 0 | 0 | 0", ""},
      {"numbers as read; wrong kinds absent", "doom",
       "special = -7; arg0 = 5; arg0 = \"x\"; arg0 = 99999999999999999999; locknumber = 0x10;",
       "special = 9;", "", "0 -7 5 16 | 9 | 0", ""},
      {"wrong kinds absent", "doom", "arg0 = 1.5; locknumber = \"3\";", "special = x;", "", "0 0 0 0 | 0 | 0",
       ""},
      {"things", "Heretic", "", "",
       "thing { x = 1.5; y = 2; type = 3001; angle = 90; skill1 = true; skill5 = TRUE; single = 1; dm = "
       "true; }",
       "0 0 0 0 | 0 | 1", "3001@98304,-131072/90s17d"},
      {"faulty things left out or only counted", "ZDoomTranslated", "", "",
       "thing { x = \"a\"; y = 0; type = 1; } thing { y = 0; type = 1; } thing { x = 0; y = 0; type = 1.5; }"
       "thing { x = 0; y = 0; type = 2; angle = \"n\"; skill2 = \"true\"; single = TRUE; }"
       "thing { x = 0; y = 1e99; type = 3; } thing { y = 0; } thing { x = 0; y = z; type = \"5\"; }",
       "0 0 0 0 | 0 | 0", "2@0,0/0s01 +3"},
      {"any other namespace", "gzdoom", "", "", "", "0 0 0 0 | 0 | 4", ""},
  };
  for (const keycase& c : cases) {
    const std::string textmap =
        "namespace = \"" + c.ns + "\"; vertex { x = 0; y = 0; } linedef { v1 = 0; v2 = 0; sidefront = 0; " +
        c.line + " } sidedef { sector = 0; } sector { " + c.sector + " } " + c.thingblocks;
    for (const bool withthings : {false, true}) {
      SCOPED_TRACE(std::string(c.what) + (withthings ? " with things" : ""));
      const udmfresult r = readudmf(textmap, withthings);
      ASSERT_TRUE(r.m) << tobytes(r.error->detail);
      const map& m = *r.m;
      const linedef& l = m.linedefs.at(0);
      std::string got;
      add(got, std::to_string(l.flags), " ", std::to_string(l.special), " ", std::to_string(l.args[0]), " ",
          std::to_string(l.locknumber), " | ", std::to_string(m.sectors.at(0).sectortype), " | ",
          std::to_string(static_cast<int>(m.meaning)));
      EXPECT_EQ(got, c.want);
      EXPECT_EQ(m.udmfnamespace, frombytes(c.ns));
      ASSERT_EQ(m.things.has_value(), withthings);
      std::string things;
      for (const thing& t : m.things.value_or(std::vector<thing>{})) {
        add(things, std::to_string(t.type), "@", std::to_string(t.x), ",", std::to_string(t.y), "/",
            std::to_string(t.angle), "s", std::to_string(t.skills), t.single ? "1" : "",
            t.deathmatch ? "d" : "");
      }
      if (m.unplacedthings > 0) add(things, " +", std::to_string(m.unplacedthings));
      EXPECT_EQ(things, withthings ? c.things : "");
    }
  }
}

}  // namespace
}  // namespace tracewell
