// The output run: file names from the pattern, progress and failure lines, the pictures written.
#include <gtest/gtest.h>

#include <regex>

#include "app/console.h"
#include "apptest.h"
#include "testlib/udmfwriter.h"
#include "wad/map.h"
#include "wad/wad.h"

namespace tracewell {
namespace {

using testkit::crlf;
using testkit::runscripted;

class OutputRun : public testkit::toolfolder {
 protected:
  // A console as a completed dialogue leaves it: test.wad open, scheme "Red".
  std::shared_ptr<console> ready(const text& mapname, const text& pattern,
                                 const text& wadpath = u"test.wad") {
    std::shared_ptr<console> c = load();
    EXPECT_TRUE(c->openwad(wadpath).ok());
    c->mapname = mapname;
    c->format = wad::DOOM;
    c->scheme = c->getscheme(u"Red");
    c->outputpath = pattern;
    return c;
  }

  // The names of the files in out/, sorted.
  std::vector<std::string> written() const { return testkit::filesin(dir / "out"); }
};

TEST_F(OutputRun, OneMapGoesToThePatternWithEveryPlaceholderReplaced) {
  struct {
    const char16_t* pattern;
    const char* file;
  } cases[] = {
      {u"out/%.png", "MAP01.png"},
      {u"out/a%b%", "aMAP01bMAP01"},
      {u"out/plain.png", "plain.png"},
      {u"out\\back%.png", "backMAP01.png"},
  };
  for (const auto& k : cases) {
    std::filesystem::remove_all(dir / "out");
    std::filesystem::create_directory(dir / "out");
    const auto c = ready(u"MAP01", k.pattern);
    const auto s = runscripted("", [&] { c->do_(); });
    EXPECT_FALSE(s.exitstatus);
    EXPECT_EQ(s.out, "Outputting map...\r\n");
    EXPECT_EQ(written(), std::vector<std::string>{k.file}) << toutf8(k.pattern);
    testkit::expectredsquare(dir / "out" / k.file);
  }
}

TEST_F(OutputRun, StarIsTheDottedTimeTakenOncePerMap) {
  const auto c = ready(u"ALL", u"out/*-%-*.png");
  const auto s = runscripted("", [&] { c->do_(); });
  const auto names = written();
  ASSERT_EQ(names.size(), 2u) << s.out;
  const std::regex form(
      R"(([0-9]{3})\.([0-9]{2})\.([0-9]{2})\.([0-9]{2})\.([0-9]{2})\.([0-9]{2})-MAP0[12]-(.*)\.png)");
  for (const std::string& name : names) {
    std::smatch m;
    ASSERT_TRUE(std::regex_match(name, m, form)) << name;
    EXPECT_EQ(m[7].str(), name.substr(0, 18)) << "both stars of one map give the same time";
    EXPECT_LE(std::stoi(m[2].str()), 12);
    EXPECT_LE(std::stoi(m[4].str()), 23);
  }
}

TEST_F(OutputRun, AllMapsGoOnPastAMapThatFails) {
  const auto c = ready(u"ALL", u"out/%.png");
  const auto s = runscripted("", [&] { c->do_(); });
  EXPECT_FALSE(s.exitstatus);
  EXPECT_EQ(s.out, crlf("Outputting maps...\n"
                        "failed to read map lumps\n"
                        "encountered invalid map\n"
                        "Failed to load map lumps for \"MAPINFO\". Image not outputted.\n"));
  EXPECT_EQ(written(), (std::vector<std::string>{"MAP01.png", "MAP02.png"}));
  // A bigger room fills the same picture: the map is scaled to the image.
  testkit::expectredsquare(dir / "out" / "MAP01.png");
  testkit::expectredsquare(dir / "out" / "MAP02.png");
}

TEST_F(OutputRun, ImagesThatCannotBeMadeOrWrittenAreReportedAndTheRunGoesOn) {
  struct {
    std::int32_t width, height;
    const char16_t* pattern;
    const char* lines;
  } cases[] = {
      {64, 48, u"nofolder/%.png",
       "Failed to write PNG file \"nofolder/MAP01.png\".\nFailed to write PNG file "
       "\"nofolder/MAP02.png\".\n"},
      {64, 48, u"", "Failed to write PNG file \"\".\nFailed to write PNG file \"\".\n"},
      {70000, 70000, u"out/%.png",
       "Image size 70000 x 70000 is too large for \"MAP01\". Image not outputted.\n"
       "Image size 70000 x 70000 is too large for \"MAP02\". Image not outputted.\n"},
      {0, 48, u"out/%.png",
       "Failed to write PNG file \"out/MAP01.png\".\nFailed to write PNG file \"out/MAP02.png\".\n"},
      {-64, -48, u"out/%.png",
       "Failed to write PNG file \"out/MAP01.png\".\nFailed to write PNG file \"out/MAP02.png\".\n"},
  };
  for (const auto& k : cases) {
    std::filesystem::remove_all(dir / "out");
    std::filesystem::create_directory(dir / "out");
    // A picture from an earlier run survives a failed write.
    testkit::writefile(dir / "out" / "MAP02.png", "older");
    const auto c = ready(u"ALL", k.pattern);
    c->width = k.width;
    c->height = k.height;
    const auto s = runscripted("", [&] { c->do_(); });
    EXPECT_FALSE(s.exitstatus);
    EXPECT_EQ(s.out, crlf(std::string("Outputting maps...\n") + k.lines +
                          "failed to read map lumps\nencountered invalid map\n"
                          "Failed to load map lumps for \"MAPINFO\". Image not outputted.\n"))
        << k.width;
    EXPECT_EQ(written(), std::vector<std::string>{"MAP02.png"}) << k.width;
    EXPECT_EQ(testkit::readfile(dir / "out" / "MAP02.png"), "older");
  }
}

// Failures of the map reader that end the process do so in the middle of the
// run, after what was printed so far and before any picture is written.
TEST_F(OutputRun, MapReadFailuresEndTheRunInOrder) {
  const std::string eofstop =
      "Unexpected EOF. Probably using the wrong map format.\r\nPress enter to exit.\r\n>";
  struct {
    const char* lump;  // placed at the end of the file, or past it
    std::int32_t pastend;
    int status;
    std::string out, err;
  } cases[] = {
      {"LINEDEFS", 0, 1, eofstop, ""},
      {"VERTEXES", 1, -1, "", "Error reading from stream"},
  };
  for (const auto& k : cases) {
    testkit::wadbuilder b;
    b.addmap("MAP01", testkit::squaremap());
    b.addmap("MAP02", testkit::squaremap());
    const auto end = static_cast<std::int32_t>(b.bytes().size());
    b.entry(*b.find(k.lump, *b.find("MAP02"))).filepos = end + k.pastend;
    b.entry(*b.find("SECTORS", *b.find("MAP02"))).filepos = -1;  // checked only after the lump above
    b.write(dir / "cut.wad");
    const auto c = ready(u"ALL", u"out/%.png", u"cut.wad");
    const auto s = runscripted("\n", [&] { c->do_(); });
    EXPECT_EQ(s.exitstatus, k.status) << k.lump;
    EXPECT_EQ(s.out, "Outputting maps...\r\n" + k.out) << k.lump;
    EXPECT_EQ(s.err, k.err) << k.lump;
    EXPECT_EQ(written(), std::vector<std::string>{"MAP01.png"}) << k.lump;
    std::filesystem::remove(dir / "out" / "MAP01.png");
  }
}

// The file name is built in one pass, and a name too long for any file system
// not at all: the failure line must still read as the two replacements in turn
// give it, a "*" inside the map name included.
TEST_F(OutputRun, LongPatternsAndStarsInMapNamesExpandAsBefore) {
  const text pattern = u"out/" + text(20000, u'%') + u"-*.png";
  const auto c = ready(u"MAP01", pattern);
  const auto s = runscripted("", [&] { c->do_(); });
  const std::size_t dash = s.out.rfind('-');
  ASSERT_NE(dash, std::string::npos);
  const text stamp = u(s.out.substr(dash + 1, s.out.find(".png", dash) - dash - 1));
  EXPECT_EQ(stamp.size(), 18u);
  EXPECT_EQ(s.out, crlf("Outputting map...\nFailed to write PNG file \"" +
                        toutf8(replaceall(replaceall(pattern, u"%", u"MAP01"), u"*", stamp)) + "\".\n"));

  testkit::wadbuilder b;
  b.addmap("MAP*", testkit::squaremap());
  b.write(dir / "star.wad");
  ASSERT_TRUE(c->openwad(u"star.wad").ok());
  c->outputpath = u"out/%.png";
  runscripted("", [&] { c->domap(u"MAP*"); });
  const auto names = written();
  ASSERT_EQ(names.size(), 1u);
  EXPECT_TRUE(std::regex_match(names[0], std::regex(R"(MAP[0-9]{3}(\.[0-9]{2}){5}\.png)"))) << names[0];
}

// Every freedoom2 map from a PK3 of maps/MAPxx.wad, through the dialogue and
// the output run: the same list, and PNG files byte for byte those of the WAD.
TEST_F(OutputRun, EveryFreedoomMapFromAPk3IsTheWadsPicture) {
  const std::string iwad = testkit::freedoom2path();
  if (iwad.empty()) GTEST_SKIP() << "freedoom2.wad is not installed";
  testkit::writefile(dir / "freedoom2.pk3", testkit::buildzip(testkit::mapwadentries(iwad)));
  const std::shared_ptr<console> c = load();
  std::vector<std::string> outs;
  for (const std::string& input : {iwad + "\nALL\n\n\n\n\n\nout/wad-%.png\n",
                                   std::string("freedoom2.pk3\nALL\n\n\n\n\n\nout/pk3-%.png\n")}) {
    outs.push_back(runscripted(input, [&] {
                     c->requestinputs();
                     c->do_();
                   }).out);
  }
  const auto listed = [](const std::string& out) {
    const std::size_t at = out.find("Maps in WAD:");
    return out.substr(at, out.find("Input map?") - at);
  };
  EXPECT_EQ(listed(outs[1]), listed(outs[0]));
  for (const std::string& out : outs) EXPECT_EQ(out.find("Failed"), std::string::npos) << out;
  const std::vector<std::string> files = written();
  ASSERT_EQ(files.size(), 2 * c->maps.size());
  for (const text& name : c->maps) {
    const std::string png = tobytes(name) + ".png";
    EXPECT_EQ(testkit::readfile(dir / "out" / ("pk3-" + png)),
              testkit::readfile(dir / "out" / ("wad-" + png)))
        << png;
  }
}

// A UDMF map is found and drawn by the same run as binary maps: freedoom2's
// MAP01 written as UDMF gives the very file its binary form gives, and a
// binary map after it still draws.
TEST_F(OutputRun, UdmfMapsDrawAsTheirBinaryForm) {
  const std::string freedoom = testkit::freedoom2path();
  if (freedoom.empty()) GTEST_SKIP() << "freedoom2.wad is not installed";
  const auto draw = [&](const text& wadpath, const text& mapname, const text& pattern) {
    const auto c = ready(mapname, pattern, wadpath);
    c->scheme = c->getscheme(u"Plain");
    c->width = 320;
    c->height = 200;
    return runscripted("", [&] { c->do_(); });
  };
  const auto binary = testkit::readwad(bytestream::openread(fromutf8(freedoom)));
  ASSERT_TRUE(binary);
  const auto map01 = map::Create(binary->getmapgroup(u"MAP01"), wad::DOOM);
  ASSERT_TRUE(map01.ok());
  testkit::wadbuilder b;
  b.addudmfmap("MAP01", testkit::toudmf(*map01.value()));
  b.addmap("MAP02", testkit::squaremap());
  b.write(dir / "udmf.wad");

  EXPECT_EQ(draw(fromutf8(freedoom), u"MAP01", u"out/want01.png").out, "Outputting map...\r\n");
  EXPECT_EQ(draw(u"test.wad", u"MAP01", u"out/want02.png").out, "Outputting map...\r\n");
  EXPECT_EQ(draw(u"udmf.wad", u"ALL", u"out/%.png").out, "Outputting maps...\r\n");
  EXPECT_EQ(written(), (std::vector<std::string>{"MAP01.png", "MAP02.png", "want01.png", "want02.png"}));
  EXPECT_TRUE(testkit::readfile(dir / "out" / "MAP01.png") == testkit::readfile(dir / "out" / "want01.png"));
  EXPECT_TRUE(testkit::readfile(dir / "out" / "MAP02.png") == testkit::readfile(dir / "out" / "want02.png"));
}

// A UDMF map that cannot be read prints its error line and the usual failure
// line, whatever the format answer, and the run goes on with the next map.
TEST_F(OutputRun, UdmfErrorsPrintTheirLineAndTheRunGoesOn) {
  const std::string square = "vertex { x = 0; y = 0; }\nvertex { x = 64; y = 0; }\n";
  struct {
    std::string textmap;
    std::optional<std::int32_t> filepos, size;
    const char* line;
  } cases[] = {
      {square + "linedef { v1 = 0; v2 = 1; sidefront = 0; }\n",
       {},
       {},
       "at line 3: linedef 0 names sidedef 0, but there are 0 sidedefs"},
      {square + "linedef { blocking true; }", {}, {}, "at line 3: expected \"=\" after \"blocking\""},
      {square, {}, 1 << 20, "at line 1: the lump reaches past the end of the file"},
      {square, -1, {}, "at line 1: the lump's position or size is negative"},
  };
  for (const auto& k : cases) {
    testkit::wadbuilder b;
    const std::size_t marker = b.addudmfmap("MAP01", k.textmap);
    b.entry(marker + 1).filepos = k.filepos;
    b.entry(marker + 1).size = k.size;
    b.addmap("MAP02", testkit::squaremap(wad::HEXEN));
    b.write(dir / "udmf.wad");
    std::filesystem::remove_all(dir / "out");
    std::filesystem::create_directory(dir / "out");
    const auto c = ready(u"ALL", u"out/%.png", u"udmf.wad");
    c->format = wad::HEXEN;
    const auto s = runscripted("", [&] { c->do_(); });
    EXPECT_FALSE(s.exitstatus);
    EXPECT_EQ(s.out, crlf(std::string("Outputting maps...\nError in TEXTMAP of \"MAP01\" ") + k.line +
                          ".\nFailed to load map lumps for \"MAP01\". Image not outputted.\n"));
    EXPECT_EQ(written(), std::vector<std::string>{"MAP02.png"});
    testkit::expectredsquare(dir / "out" / "MAP02.png");
  }
}

}  // namespace
}  // namespace tracewell
