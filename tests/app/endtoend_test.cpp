// The built program run as a user runs it: scripted answers on standard input, byte-exact output, the PNGs
// written.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <map>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>
#include <thread>

#include "apptest.h"

namespace tracewell {
namespace {

namespace fs = std::filesystem;
using testkit::crlf;
using testkit::leaveblank;
using testkit::processresult;
using testkit::readfile;
using testkit::writefile;

using testkit::banner;
using testkit::dialoguetext;

const std::string mapinfofails =
    "failed to read map lumps\nencountered invalid map\n"
    "Failed to load map lumps for \"MAPINFO\". Image not outputted.\n";

// The program copied with its settings into a folder of its own, started from
// another folder, so that every relative path must be taken from its own.
class EndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    testkit::maketoolfolder(tool, TRACEWELL_EXE);
    fs::create_directories(elsewhere);
  }

  processresult run(const std::string& input, const std::vector<std::string>& args = {}) const {
    return testkit::runprocess((tool / "tracewell").string(), args, input, elsewhere);
  }

  std::vector<std::string> written() const { return testkit::filesin(tool / "out"); }

  testkit::tempdir root;
  const fs::path tool = root / "tool";
  const fs::path elsewhere = root / "elsewhere";
};

TEST_F(EndToEnd, CyclesForOneMapAndForAllOfferThePreviousAnswers) {
  const std::string input =
      "\nmap01\n\n\n\n\n\n\n"                       // every default
      "\nAll\n\n32\n\n\nplain\nout/second-%.png\n"  // every map, narrower, no lines drawn
      "\nMAP02\n\n\n\n\n\n\n";                      // the answers before as defaults
  const processresult r = run(input);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  const dialoguetext first;  // from the settings, then the same answers again
  dialoguetext third;
  third.width = "32";
  third.scheme = "plain";
  third.output = "out/second-%.png";
  EXPECT_EQ(r.out, crlf(banner + "\n" +                                                    //
                        first.str() + "\nOutputting map...\n\nFinished outputting!\n\n" +  //
                        first.str() + "\nOutputting maps...\n" + mapinfofails +            //
                        "\nFinished outputting!\n\n" +                                     //
                        third.str() + "\nOutputting map...\n\nFinished outputting!\n\n" +  //
                        leaveblank("Input WAD path?", "test.wad")));
  ASSERT_EQ(written(), (std::vector<std::string>{"MAP01.png", "second-MAP01.png", "second-MAP02.png"}));
  testkit::expectredsquare(tool / "out" / "MAP01.png");
  for (const char* name : {"second-MAP01.png", "second-MAP02.png"}) {
    const testkit::decodedpng png = testkit::decodepng(tool / "out" / name);
    ASSERT_TRUE(png.ok) << name;
    EXPECT_EQ(png.width, 32);
    EXPECT_EQ(png.height, 48);
    // "Plain" sets no key: a transparent black background and no line drawn.
    EXPECT_EQ(std::count(png.bytes.begin(), png.bytes.end(), 0), 32 * 48 * 4) << name;
  }
}

TEST_F(EndToEnd, CommandLineWadOpensOnceAndFurtherArgumentsAreIgnored) {
  testkit::testwad().write(tool / "other.wad");
  const processresult r = run("map02\n\n\n\n\n\n\n", {"other.wad", "test.wad", "ignored"});
  EXPECT_EQ(r.status, 0);
  dialoguetext d;
  d.opening = "Opening WAD \"other.wad\".\n";
  EXPECT_EQ(r.out, crlf(banner + "\n" + d.str() + "\n" + "Outputting map...\n\nFinished outputting!\n\n" +
                        leaveblank("Input WAD path?", "other.wad")));
  ASSERT_EQ(written(), std::vector<std::string>{"MAP02.png"});
  testkit::expectredsquare(tool / "out" / "MAP02.png");
}

TEST_F(EndToEnd, UnusableSettingsStopBeforeTheBanner) {
  struct {
    const char* content;  // nullptr: the file is missing
    const char* message;
  } cases[] = {
      {nullptr, "Couldn't parse settings file \"settings.txt\"."},
      {"no node here", "Couldn't parse settings file \"settings.txt\"."},
      {"#settings[ default_width: 64; ]", "Settings file \"settings.txt\" contains no valid color schemes."},
  };
  for (const auto& k : cases) {
    fs::remove(tool / "settings.txt");
    if (k.content) writefile(tool / "settings.txt", k.content);
    for (const std::string input : {"\n", ""}) {
      const processresult r = run(input);
      EXPECT_EQ(r.status, 1) << k.message;
      EXPECT_EQ(r.out, crlf(std::string(k.message) + "\nPress enter to exit.\n>"));
    }
  }
}

TEST_F(EndToEnd, FatalStopInTheMapEndsAfterEnter) {
  testkit::mapdata bad = testkit::squaremap();
  bad.linedefs[2].startvertex = 4;  // one past the last vertex
  testkit::wadbuilder b;
  b.addmap("MAP01", bad);
  b.addmap("MAP02", testkit::squaremap());
  b.addlump("MAPINFO");
  b.write(tool / "bad.wad");
  const processresult r = run("bad.wad\nALL\n\n\n\n\n\n\n\nnever read\n");
  EXPECT_EQ(r.status, 1);
  dialoguetext d;
  EXPECT_EQ(r.out, crlf(banner + "\n" + d.str() + "\n" +
                        "Outputting maps...\n"
                        "Encountered invalid vertex ID. Probably using the wrong map format.\n"
                        "Press enter to exit.\n>"));
  EXPECT_TRUE(written().empty());
}

TEST_F(EndToEnd, EndOfInputInsideTheDialogueIsAnError) {
  const processresult r = run("\nMAP01\nDoom");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out,
            crlf(banner + "\n" + leaveblank("Input WAD path?", "test.wad") +
                 "Maps in WAD:\n MAP01 MAP02 MAPINFO\nInput map? (Input \"ALL\" to output all maps.)\n> " +
                 leaveblank("Input WAD format? (Options: Doom, Hexen, ZDoom) ", "Doom") +
                 "Input automap image width?\n(Leave blank for \"64\")\n> Unexpected end of input.\n"));
}

TEST_F(EndToEnd, UnwritableAndTooLargeImagesAreReported) {
  const processresult r =
      run("\nMAP01\n\n\n\n\n\nnofolder/%.png\n"
          "\nMAP01\n\n70000\n70000\n\n\nout/%.png\n");
  EXPECT_EQ(r.status, 2);
  dialoguetext first;
  dialoguetext second;
  second.output = "nofolder/%.png";
  EXPECT_EQ(r.out, crlf(banner + "\n" + first.str() + "\nOutputting map...\n" +
                        "Failed to write PNG file \"nofolder/MAP01.png\".\n\nFinished outputting!\n\n" +
                        second.str() + "\nOutputting map...\n" +
                        "Image size 70000 x 70000 is too large for \"MAP01\". Image not outputted.\n"
                        "\nFinished outputting!\n\n" +
                        leaveblank("Input WAD path?", "test.wad")));
  EXPECT_TRUE(written().empty());
  EXPECT_FALSE(fs::exists(tool / "nofolder"));
}

// Nothing writes to these FIFOs: opening one the usual way would wait for ever.
TEST_F(EndToEnd, InputsThatAreNotRegularFilesAreRefusedAtOnce) {
  ASSERT_EQ(mkfifo((tool / "pipe").c_str(), 0600), 0);
  fs::create_directory(tool / "folder.wad");
  alarm(60);  // a run that blocks ends the test program instead of hanging it
  const processresult wads = run("pipe\nfolder.wad\n/dev/null\n");
  EXPECT_EQ(wads.status, 0);
  const std::string again =
      "Error opening WAD file. Try again?\n" + leaveblank("Input WAD path?", "test.wad");
  EXPECT_EQ(wads.out,
            crlf(banner + "\n" + leaveblank("Input WAD path?", "test.wad") + again + again + again));

  // An include that is a FIFO fails like a missing file; the rest of the settings stays usable.
  writefile(tool / "settings.txt", std::string(testkit::testsettings) + "#more[ include: pipe; ]");
  EXPECT_EQ(run("").out, crlf(banner + "\n" + leaveblank("Input WAD path?", "test.wad")));
  fs::remove(tool / "settings.txt");
  ASSERT_EQ(mkfifo((tool / "settings.txt").c_str(), 0600), 0);
  EXPECT_EQ(run("").out, crlf("Couldn't parse settings file \"settings.txt\".\nPress enter to exit.\n>"));
  alarm(0);
}

// Ctrl+C and its kin in the middle of a large write: the half-written file goes,
// the older image stays, and the tool ends as the signal would have ended it.
TEST_F(EndToEnd, SignalsDuringAWriteLeaveNoTemporaryFile) {
  const auto temporary = [this] {
    for (const auto& e : fs::directory_iterator(tool / "out"))
      if (e.path().filename().string().rfind(".tracewell-", 0) == 0) return true;
    return false;
  };
  for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
    writefile(tool / "out" / "MAP01.png", "old");
    bool seen = false;
    const processresult r = testkit::runprocess((tool / "tracewell").string(), {},
                                                "\nMAP01\n\n8192\n8192\n\n\n\n", elsewhere, [&](int pid) {
                                                  for (int i = 0; i < 60000 && !(seen = temporary()); ++i)
                                                    usleep(1000);
                                                  kill(pid, sig);
                                                });
    EXPECT_TRUE(seen) << "the write was over before it could be interrupted";
    EXPECT_EQ(r.signal, sig);
    EXPECT_EQ(written(), std::vector<std::string>{"MAP01.png"});
    EXPECT_EQ(readfile(tool / "out" / "MAP01.png"), "old");
  }
}

// Paths reach the file system byte for byte, valid UTF-8 or not; printed, a bad byte shows as U+FFFD.
TEST_F(EndToEnd, PathsKeepTheirBytes) {
  testkit::testwad().write(elsewhere / "caf\xe9.wad");
  const processresult r = run("", {"caf\xe9.wad", "-m", "MAP01", "-o", "out\xe9.png"});
  EXPECT_EQ(r.out, "out\xEF\xBF\xBD.png\n");
  EXPECT_TRUE(fs::exists(elsewhere / "out\xe9.png"));
  // The settings file's bytes and the dialogue's answers too.
  std::string settings = testkit::testsettings;
  settings.replace(settings.find("out/%.png"), 9, "out/caf\xc3\xa9-%.png");
  writefile(tool / "settings.txt", settings);
  testkit::testwad().write(tool / "t\xe9.wad");
  EXPECT_EQ(run("t\xe9.wad\nMAP01\n\n\n\n\n\n\n").status, 0);
  EXPECT_EQ(written(), std::vector<std::string>{"caf\xc3\xa9-MAP01.png"});
}

TEST_F(EndToEnd, TheToolNeverWritesOverItsOwnInputs) {
  fs::create_symlink("test.wad", tool / "alias.wad");
  const std::string wad = readfile(tool / "test.wad"), settings = readfile(tool / "settings.txt");
  const processresult r = run("\nMAP01\n\n\n\n\n\nalias.wad\n\nMAP01\n\n\n\n\n\nsettings.txt\n");
  for (const char* name : {"alias.wad", "settings.txt"}) {
    EXPECT_NE(r.out.find(crlf("Failed to write PNG file \"" + std::string(name) + "\".\n")),
              std::string::npos);
  }
  EXPECT_EQ(readfile(tool / "test.wad"), wad);
  EXPECT_EQ(readfile(tool / "settings.txt"), settings);
}

TEST_F(EndToEnd, WadEndingInsideItsDirectoryIsAStreamFailure) {
  testkit::wadbuilder b;
  b.addmap("MAP01", testkit::squaremap());
  writefile(tool / "short.wad", testkit::truncated(b.bytes(), b.bytes().size() - 5));
  const processresult r = run("short.wad\n");
  EXPECT_EQ(r.status, 255);
  EXPECT_EQ(r.err, "Error reading from stream");
  EXPECT_EQ(r.out, crlf(banner + "\n" + leaveblank("Input WAD path?", "test.wad")));
}

TEST_F(EndToEnd, BuildPutsTheDeliveredSettingsBesideTheProgram) {
  const fs::path built = fs::path(TRACEWELL_EXE).parent_path() / "settings.txt";
  ASSERT_TRUE(fs::exists(built)) << built;
  EXPECT_EQ(readfile(built), readfile(fs::path(TRACEWELL_SOURCE_DIR) / "settings.txt"));
}

// A newcomer's first run: Enter at every prompt but the map. The settings are a
// fixed copy of the delivered ones with their five schemes, so the transcript
// stays as it is when schemes are added.
TEST_F(EndToEnd, DeliveredSettingsDrawFreedoomMap01) {
  if (testkit::freedoom2path().empty()) GTEST_SKIP() << "freedoom2.wad is not installed";
  if (testkit::freedoom2path() != "/usr/share/games/doom/freedoom2.wad")
    GTEST_SKIP() << "freedoom2.wad elsewhere";
  fs::copy_file(fs::path(TRACEWELL_SOURCE_DIR) / "tests/app/fixturesettings.txt", tool / "settings.txt",
                fs::copy_options::overwrite_existing);
  const processresult r = run("\nMAP01\n\n\n\n\n\n\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find(crlf(leaveblank("Input WAD path?", "/usr/share/games/doom/freedoom2.wad"))),
            std::string::npos);
  EXPECT_NE(
      r.out.find(crlf("Available color schemes:\nAutomap<LF>Paper<LF>Overlay<LF>Actions<LF>Blueprint\n" +
                      leaveblank("Input automap color scheme?", "Automap"))),
      std::string::npos);
  EXPECT_NE(r.out.find(crlf("> \nOutputting map...\n\nFinished outputting!\n\n")), std::string::npos)
      << r.out;
  const testkit::decodedpng png = testkit::decodepng(tool / "MAP01.png");
  ASSERT_TRUE(png.ok);
  EXPECT_EQ(png.width, 1024u);
  EXPECT_EQ(png.height, 1024u);
  int red = 0, brown = 0, yellow = 0, black = 0;
  for (std::uint32_t y = 0; y < png.height; ++y) {
    for (std::uint32_t x = 0; x < png.width; ++x) {
      const std::uint32_t p = png.pixel(x, y);
      red += p == 0xFFFC0000u;
      brown += p == 0xFFBC7C4Cu;
      yellow += p == 0xFFFCFC00u;
      black += p == 0xFF000000u;
    }
  }
  EXPECT_GT(red, 1000);
  EXPECT_GT(brown, 100);
  EXPECT_GT(yellow, 10);
  EXPECT_EQ(red + brown + yellow + black, 1024 * 1024);  // opaque colours, nothing blended
  for (int i = 0; i < 16; ++i) EXPECT_EQ(png.pixel(i, i), 0xFF000000u) << "the margin stays background";
}

// The delivered settings find maps by their lumps and read each in its own
// layout: all of Freedoom Phase 1's E#M# maps; the names rule finds none.
TEST_F(EndToEnd, DeliveredSettingsDrawEveryFreedoom1Map) {
  const std::string iwad = "/usr/share/games/doom/freedoom1.wad";
  if (!fs::exists(iwad)) GTEST_SKIP() << "freedoom1.wad is not installed";
  fs::copy_file(fs::path(TRACEWELL_SOURCE_DIR) / "settings.txt", tool / "settings.txt",
                fs::copy_options::overwrite_existing);
  const processresult all = run("", {iwad, "--all", "-s", "64x64", "-o", "f1-%.png"});
  EXPECT_EQ(all.status, 0) << all.err;
  std::string listed;
  for (int e = 1; e <= 4; ++e) {
    for (int m = 1; m <= 9; ++m) listed += "f1-E" + std::to_string(e) + "M" + std::to_string(m) + ".png\n";
  }
  EXPECT_EQ(all.out, listed);
  const processresult names = run("", {iwad, "--all", "--detect", "names"});
  EXPECT_EQ(names.status, 1);
  EXPECT_EQ(names.out + names.err, "tracewell: No maps found in WAD.\n");
}

// The delivered Keys scheme shows MAP02's red, blue and yellow key doors, its
// exit, teleporter and secret area, each in its own colour.
TEST_F(EndToEnd, DeliveredKeysSchemeColoursMap02) {
  if (testkit::freedoom2path().empty()) GTEST_SKIP() << "freedoom2.wad is not installed";
  fs::copy_file(fs::path(TRACEWELL_SOURCE_DIR) / "settings.txt", tool / "settings.txt",
                fs::copy_options::overwrite_existing);
  const processresult r =
      run("", {testkit::freedoom2path(), "-m", "MAP02", "-c", "keys", "-o", (tool / "out/%.png").string()});
  ASSERT_EQ(r.status, 0) << r.err;
  const testkit::decodedpng png = testkit::decodepng(tool / "out/MAP02.png");
  ASSERT_TRUE(png.ok);
  std::map<std::uint32_t, int> seen;
  for (std::uint32_t y = 0; y < png.height; ++y) {
    for (std::uint32_t x = 0; x < png.width; ++x) ++seen[png.pixel(x, y)];
  }
  for (std::uint32_t colour : {0xFFFF2020u, 0xFF3060FFu, 0xFFFFFF00u, 0xFF00FF00u, 0xFF008000u, 0xFFFF00FFu})
    EXPECT_GT(seen[colour], 10) << std::hex << colour;
}

// Archives at the WAD prompt: an empty one and one with a damaged central
// directory are refused like WADs; a map entry that is encrypted or fails its
// CRC is reported, with why, when drawn and the run goes on.
TEST_F(EndToEnd, ArchivesListTheirMapsAndReportBadEntries) {
  testkit::wadbuilder square;  // a PK3 map's marker may carry any name
  square.addmap("E1M1", testkit::squaremap());
  testkit::wadbuilder info;
  info.addlump("MAPINFO", "map MAP01 \"Test\"\n");
  const auto archive = [&](const testkit::zipentry& map02) {
    return testkit::buildzip({{"maps/MAP01.wad", square.bytes(), true, ""},
                              map02,
                              {"readme.txt", "not a WAD", true, ""},
                              {"extra/Info.WAD", info.bytes(), true, ""}});
  };
  writefile(tool / "encrypted.pk3", archive({"maps/map02.wad", square.bytes(), true, "secret"}));
  std::string damaged = archive({"maps/map02.wad", square.bytes(), false, ""});
  damaged[testkit::dataoffset(damaged, 1) + 20] ^= 1;
  writefile(tool / "damaged.pk3", damaged);
  std::string broken = damaged;
  broken[testkit::centralheader(broken, 2) + 3] = 9;
  writefile(tool / "broken.zip", broken);
  writefile(tool / "empty.zip", testkit::emptyzip());

  const processresult r =
      run("empty.zip\nbroken.zip\nencrypted.pk3\nALL\n\n\n\n\n\n\ndamaged.pk3\nALL\n\n\n\n\n\n\n");
  EXPECT_EQ(r.status, 2);  // the lost maps/map02.wad is missing from the result; MAPINFO is not
  const auto outputs = [](const std::string& why) {
    return "Outputting maps...\nError in archive entry \"maps/map02.wad\": " + why +
           ".\nFailed to load map lumps for \"MAP02\". Image not outputted.\n" + mapinfofails +
           "\nFinished outputting!\n\n";
  };
  dialoguetext first;
  first.wadrefusals = {"No maps found in WAD. Try again?", "Error parsing WAD file. Try again?"};
  dialoguetext second;
  second.wad = "encrypted.pk3";
  EXPECT_EQ(r.out,
            crlf(banner + "\n" + first.str() + "\n" + outputs("the entry is encrypted") + second.str() +
                 "\n" + outputs("the entry is damaged") + leaveblank("Input WAD path?", "damaged.pk3")));
  ASSERT_EQ(written(), std::vector<std::string>{"MAP01.png"});
  testkit::expectredsquare(tool / "out" / "MAP01.png");
}

// A PK3 of freedoom2 maps and a .zip holding freedoom2.wad beside a text file
// list the WAD's maps and draw its pictures byte for byte.
TEST_F(EndToEnd, FreedoomArchivesDrawTheWadsPictures) {
  const std::string iwad = testkit::freedoom2path();
  if (iwad.empty()) GTEST_SKIP() << "freedoom2.wad is not installed";
  writefile(tool / "few.pk3", testkit::buildzip(testkit::mapwadentries(iwad, {"MAP01", "MAP11", "MAP32"})));
  writefile(tool / "freedoom2.zip", testkit::buildzip({{"freedoom2.txt", "Freedoom: Phase 2", true, ""},
                                                       {"freedoom2.wad", readfile(iwad), true, ""}}));
  const processresult r = run(iwad + "\nALL\n\n\n\n\n\nout/wad-%.png\n" +
                              "few.pk3\nALL\n\n\n\n\n\nout/pk3-%.png\n"
                              "freedoom2.zip\nALL\n\n\n\n\n\nout/zip-%.png\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.find("Failed"), std::string::npos) << r.out;
  const auto mapname = [](int i) { return (i < 10 ? "MAP0" : "MAP") + std::to_string(i); };
  std::string list = "Maps in WAD:\n";
  for (int i = 1; i <= 32; ++i) list += (i % 4 == 1 && i > 1 ? "<LF> " : " ") + mapname(i);
  list = crlf(list + "\n");
  const std::size_t first = r.out.find(list);
  ASSERT_NE(first, std::string::npos) << r.out;
  EXPECT_NE(r.out.find(list, first + 1), std::string::npos) << "the .zip lists the WAD's maps";
  EXPECT_NE(r.out.find(crlf("Maps in WAD:\n MAP01 MAP11 MAP32\n")), std::string::npos);
  EXPECT_EQ(written().size(), 32u + 3u + 32u);
  for (int i = 1; i <= 32; ++i) {
    const std::string png = mapname(i) + ".png";
    const std::string want = readfile(tool / "out" / ("wad-" + png));
    EXPECT_EQ(readfile(tool / "out" / ("zip-" + png)), want) << png;
    if (i == 1 || i == 11 || i == 32) {
      EXPECT_EQ(readfile(tool / "out" / ("pk3-" + png)), want) << png;
    }
  }
}

}  // namespace
}  // namespace tracewell

namespace tracewell {
namespace {

// The command line, started from another folder: relative paths on it are
// taken from there, the settings' own from the settings file's folder.
TEST_F(EndToEnd, CommandLinesAndTheirStatuses) {
  testkit::mapdata bad = testkit::squaremap();
  bad.linedefs[2].startvertex = 4;
  testkit::wadbuilder b;
  b.addmap("MAP01", bad);
  b.write(elsewhere / "bad.wad");
  writefile(elsewhere / "short.wad", testkit::truncated(b.bytes(), b.bytes().size() - 5));
  testkit::wadbuilder u;
  u.addudmfmap("MAP01", "vertex { x = 0 }");
  u.addmap("MAP02", testkit::squaremap());
  u.addlump("MAPINFO", "map MAP01");
  u.write(elsewhere / "udmf.wad");
  const std::string usage = "\nTry 'tracewell --help'.\n";
  const std::string mapinfo =
      "failed to read map lumps\nencountered invalid map\n"
      "Failed to load map lumps for \"MAPINFO\". Image not outputted.\n";
  const std::vector<testkit::commandcase> cases = {
      {{"--version"}, 0, "Tracewell v1.0\n", ""},
      {{"x.wad", "--bogus"}, 1, "", "tracewell: unknown option '--bogus'" + usage},
      {{"--map"}, 1, "", "tracewell: option '--map' needs a value" + usage},
      {{"--list"}, 0, "MAP01\nMAP02\nMAPINFO\n", ""},
      {{"-m", "MAP09"}, 1, "", "tracewell: Invalid map name.\n"},
      {{"-s", "8x8"}, 1, "", "tracewell: no map given (use --map NAME or --all)\n"},
      {{"-a", "--width", "abc"}, 1, "", "tracewell: invalid value 'abc' for --width" + usage},
      {{"short.wad", "-l"}, 255, "", "Error reading from stream\n"},
      {{"-a", "-f", "quake"}, 1, "", "tracewell: Invalid map format.\n"},
      {{"-a", "-c", "blue"}, 1, "", "tracewell: Invalid color scheme.\n"},
      {{"missing.wad", "-a"}, 1, "", "tracewell: Error opening WAD file.\n"},
      {{"--settings", "nosuch.txt", "-a"}, 1, "", "Couldn't parse settings file \"nosuch.txt\".\n"},
      {{"-m", "map02", "-c", "red", "--map=MAP01", "-o", "%.png"}, 0, "MAP02.png\nMAP01.png\n", ""},
      {{"-a", "-o", "all-%.png", "-m", "MAP01"}, 0, "all-MAP01.png\nall-MAP02.png\n", mapinfo},
      {{"-m", "MAPINFO"}, 2, "", mapinfo},
      {{"udmf.wad", "-a", "-o", "u-%.png"},
       2,
       "u-MAP02.png\n",
       "Error in TEXTMAP of \"MAP01\" at line 1: expected \";\" after the value of \"x\".\n"
       "Failed to load map lumps for \"MAP01\". Image not outputted.\n" +
           mapinfo},
      {{"-m", "MAP01", "-o", "nofolder/%.png"},
       2,
       "",
       "Failed to write PNG file \"nofolder/MAP01.png\".\ntracewell: nofolder/MAP01.png: No such file or "
       "directory\n"},
      {{"bad.wad", "-a"}, 1, "", "Encountered invalid vertex ID. Probably using the wrong map format.\n"},
  };
  testkit::runcommands(cases, [&](const std::vector<std::string>& args) { return run("", args); });
  // The images are the dialogue's: the settings' defaults, written where the tool was started.
  testkit::expectredsquare(elsewhere / "MAP01.png");
  EXPECT_TRUE(written().empty());
  EXPECT_EQ(run("", {"--help"}).out.rfind("tracewell [WAD] [OPTIONS]\n", 0), 0u);

  // Standard output that takes nothing: the files are still written, the run says so and fails, a batch
  // run as a single one.
  const std::string full = "tracewell: standard output: No space left on device\n";
  const std::string tracewell = (tool / "tracewell").string();
  for (const auto& [command, err] : {std::pair{" --help", full},
                                     {" --list", full},
                                     {" -m MAP02 -m MAP01 -o full-%.png", full},
                                     {" -a -o full-%.png", mapinfo + full},
                                     {" -d fulld -m MAP01 --manifest -", full},
                                     {" -d fulld -m MAP02", full}}) {
    const processresult r =
        testkit::runprocess("/bin/sh", {"-c", tracewell + command + " >/dev/full"}, "", elsewhere);
    EXPECT_EQ(r.status, 1) << command;
    EXPECT_EQ(r.err, err) << command;
  }
  testkit::expectredsquare(elsewhere / "full-MAP02.png");
  testkit::expectredsquare(elsewhere / "fulld" / "test" / "MAP01.png");
  testkit::expectredsquare(elsewhere / "fulld" / "test" / "MAP02.png");
}

// Progress is drawn on an interactive standard error only, and erased before every other line.
TEST_F(EndToEnd, ProgressOnlyOnATerminal) {
  const std::string command = (tool / "tracewell").string() + " -a -o %.png 2>&1";
  const processresult tty =
      testkit::runprocess("/usr/bin/script", {"-qec", command, "/dev/null"}, "", elsewhere);
  if (tty.status != 0 && tty.out.empty()) GTEST_SKIP() << "no pseudo-terminal: " << tty.err;
  // Maps may be drawn ahead of the lines printed for the maps before them, so
  // check the progress lines, then that nothing else is left among the lines.
  for (const char* shown : {"\rMAP01  1/3\x1b[K", "\rMAP02  2/3\x1b[K", "\rMAPINFO  3/3\x1b[K"}) {
    EXPECT_NE(tty.out.find(shown), std::string::npos) << shown << " in " << tty.out;
  }
  const std::string lines = std::regex_replace(tty.out, std::regex("\r[^\r\n]*\x1b\\[K"), "");
  EXPECT_EQ(lines, crlf("MAP01.png\nMAP02.png\n" + mapinfofails));
  EXPECT_EQ(run("", {"-a", "-o", "%.png"}).err.find('\r'), std::string::npos);
}

}  // namespace
}  // namespace tracewell

namespace tracewell {
namespace {

// A map name is data: its control characters never reach the terminal, and
// in a file name it cannot leave the output folder.
TEST_F(EndToEnd, MapNamesAreShownAndUsedAsData) {
  testkit::wadbuilder b;
  b.addmap("MAP\x1b[2J", testkit::squaremap());
  b.addmap("MAP/../x", testkit::squaremap());
  b.addmap(
      "MAP\x9b"
      "2J",
      testkit::squaremap());  // the one-byte form of ESC [
  b.write(elsewhere / "names.wad");
  const processresult r = run("", {"names.wad", "--list"});
  EXPECT_EQ(r.out, "MAP?[2J\nMAP/../x\nMAP?2J\n");
  const processresult drawn = run("", {"names.wad", "-a", "-o", "%.png"});
  EXPECT_EQ(drawn.out, "MAP_[2J.png\nMAP_.._x.png\nMAP_2J.png\n");
  EXPECT_EQ(drawn.status, 0);
  const processresult dialogue = run((elsewhere / "names.wad").string() + "\n");
  EXPECT_NE(dialogue.out.find("Maps in WAD:\r\n MAP?[2J MAP/../x MAP?2J\r\n"), std::string::npos)
      << dialogue.out;
}

}  // namespace
}  // namespace tracewell

namespace tracewell {
namespace {

const std::string fatal =
    "Encountered invalid vertex ID. Probably using the wrong map format.\n"
    "Failed to load map lumps for \"MAP01\". Image not outputted.\n";

// Several inputs in one run: each into its own folder, a bad one never stopping the rest.
TEST_F(EndToEnd, BatchRunsGoOnPastBadInputs) {
  fs::copy_file(tool / "test.wad", elsewhere / "a.wad");
  fs::create_directories(elsewhere / "sub");
  fs::copy_file(tool / "test.wad", elsewhere / "sub" / "a.wad");
  testkit::mapdata broken = testkit::squaremap();
  broken.linedefs[2].startvertex = 4;
  testkit::wadbuilder bad;
  bad.addmap("MAP01", broken);
  bad.addmap("MAP02", testkit::squaremap());
  bad.write(elsewhere / "bad.wad");
  writefile(elsewhere / "short.wad", testkit::truncated(bad.bytes(), bad.bytes().size() - 5));
  const std::vector<testkit::commandcase> cases = {
      {{"-d", "o", "-m", "MAP01", "a.wad", "sub/a.wad", "a.wad"},
       0,
       "o/a/MAP01.png\no/a-2/MAP01.png\no/a-3/MAP01.png\n",
       ""},
      // The second run finds MAP01 drawn already and leaves it.
      {{"-d", "o/", "--skip-existing", "-m", "MAP01", "-m", "map02", "a.wad"}, 0, "o/a/MAP02.png\n", ""},
      {{"-d", "r", "-m", "MAP02", "a.wad", "missing.wad", "sub/a.wad"},
       2,
       "r/a/MAP02.png\nr/a-2/MAP02.png\n",
       "tracewell: missing.wad: Error opening WAD file.\n"},
      {{"-d", "f", "-m", "MAP01", "-m", "MAP02", "a.wad", "bad.wad", "sub/a.wad"},
       2,
       "f/a/MAP01.png\nf/a/MAP02.png\nf/a-2/MAP01.png\nf/a-2/MAP02.png\n",
       fatal},
      {{"-d", "s", "-m", "MAP01", "a.wad", "short.wad", "sub/a.wad"},
       255,
       "s/a/MAP01.png\ns/a-2/MAP01.png\n",
       "tracewell: short.wad: Error reading from stream\n"},
      {{"-d", "m", "--max-maps", "2", "-a", "a.wad"},
       2,
       "",
       "tracewell: a.wad: 3 maps listed, more than --max-maps 2\n"},
  };
  testkit::runcommands(cases, [&](const std::vector<std::string>& args) { return run("", args); });
  testkit::expectredsquare(elsewhere / "o" / "a-3" / "MAP01.png");
}

// The manifest, on standard output in place of the paths, against what the test WAD holds.
TEST_F(EndToEnd, ManifestRecordsEveryMapInInputOrder) {
  testkit::mapdata broken = testkit::squaremap();
  broken.linedefs[2].startvertex = 4;
  testkit::wadbuilder bad;
  bad.addmap("MAP01", broken);
  bad.addmap("MAP02", testkit::squaremap());
  bad.write(elsewhere / "bad.wad");
  // Doom's own numbers: a blue door, an exit, a secret exit and a teleporter; a secret sector; a blue
  // keycard, an imp and a zombieman on no skill at all, and a shotgun.
  testkit::wadbuilder play;
  play.addudmfmap("MAP01", R"(namespace = "doom";
vertex { x = 0.0; y = 0.0; } vertex { x = 64.0; y = 0.0; } vertex { x = 64.0; y = 32.5; } vertex { x = 0.0; y = 32.5; }
sector { texturefloor = "F"; textureceiling = "C"; special = 9; }
sidedef { sector = 0; }
linedef { v1 = 0; v2 = 1; sidefront = 0; special = 26; } linedef { v1 = 1; v2 = 2; sidefront = 0; special = 11; }
linedef { v1 = 2; v2 = 3; sidefront = 0; special = 124; } linedef { v1 = 3; v2 = 0; sidefront = 0; special = 97; }
thing { x = 8.0; y = 8.0; type = 5; skill1 = true; } thing { x = 16.0; y = 8.0; type = 3001; }
thing { x = 24.0; y = 8.0; type = 3004; single = true; } thing { x = 32.0; y = 8.0; type = 2001; skill3 = true; }
thing { y = 8.0; type = 3001; }
)");
  play.write(elsewhere / "play.wad");
  const processresult r = run("", {"--manifest", "-", "-d", "j", "-a", (tool / "test.wad").string(),
                                   "nothing.wad", "bad.wad", "play.wad"});
  EXPECT_EQ(r.status, 2);

  using json = nlohmann::ordered_json;
  // Bounds over the linedefs' end points, y as the file stores it.
  const auto mapfields = [](const testkit::mapdata& m, json row) {
    std::int32_t bounds[4] = {INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (const testkit::rawlinedef& l : m.linedefs) {
      for (const std::int32_t v : {l.startvertex, l.endvertex}) {
        const testkit::rawvertex& p = m.vertexes[static_cast<std::size_t>(v)];
        bounds[0] = std::min(bounds[0], p.x), bounds[1] = std::min(bounds[1], p.y);
        bounds[2] = std::max(bounds[2], p.x), bounds[3] = std::max(bounds[3], p.y);
      }
    }
    row.update({{"layout", "doom"},
                {"width", 64},
                {"height", 48},
                {"linedefs", m.linedefs.size()},
                {"bounds", bounds},
                {"things", 1},  // the builder's one empty record
                {"locked_lines", 0},
                {"exit_lines", 0},
                {"teleport_lines", 0},
                {"secret_sectors", 0},
                {"keys", 0},
                {"monsters", 0}});
    return row;
  };
  const auto failed = [](const std::string& input, json name, const std::string& error) {
    json row{{"input", input}, {"map", name}, {"status", "failed"}, {"output", nullptr}, {"error", error}};
    for (const char* field : {"layout", "width", "height", "linedefs", "bounds", "things", "locked_lines",
                              "exit_lines", "teleport_lines", "secret_sectors", "keys", "monsters"})
      row[field] = nullptr;
    return row;
  };
  const std::string test = (tool / "test.wad").string();
  const auto written = [&](const std::string& name, const testkit::mapdata& m) {
    return mapfields(m, {{"input", test},
                         {"map", name},
                         {"status", "written"},
                         {"output", "j/test/" + name + ".png"},
                         {"error", nullptr}});
  };
  const std::vector<json> expected = {
      written("MAP01", testkit::squaremap()),
      written("MAP02", testkit::squaremap(wad::DOOM, 128)),
      failed(test, "MAPINFO", mapinfofails.substr(0, mapinfofails.size() - 1)),
      failed("nothing.wad", nullptr, "Error opening WAD file."),
      failed("bad.wad", "MAP01", fatal.substr(0, fatal.size() - 1)),
      failed("bad.wad", "MAP02", "not drawn: an earlier map stopped this input"),
      json{{"input", "play.wad"},
           {"map", "MAP01"},
           {"status", "written"},
           {"output", "j/play/MAP01.png"},
           {"error", nullptr},
           {"layout", "udmf"},
           {"width", 64},
           {"height", 48},
           {"linedefs", 4},
           {"bounds", {0, 0, 64, 32.5}},
           {"things", 5},  // the imp without an x counts, but not among the monsters
           {"locked_lines", 1},
           {"exit_lines", 2},
           {"teleport_lines", 1},
           {"secret_sectors", 1},
           {"keys", 1},
           {"monsters", 2}},
  };
  std::vector<json> lines;
  std::istringstream in(r.out);
  for (std::string line; std::getline(in, line);) lines.push_back(json::parse(line));
  EXPECT_EQ(lines, expected) << r.out;
}

// Where the manifest may go, each row a real run over a.wad into o/: the tool's own files are refused before
// anything is drawn, a link leads to the file replaced, a device and a FIFO take the lines as they come, and
// a manifest that cannot be finished says so at the end. No row leaves a temporary file.
TEST_F(EndToEnd, ManifestTargets) {
  const bool root = geteuid() == 0;
  if (!root) std::cout << "not root: no device nodes, their rows are left out\n";
  fs::copy_file(tool / "test.wad", elsewhere / "a.wad");
  fs::copy_file(tool / "settings.txt", elsewhere / "s.txt");
  const std::string wad = readfile(elsewhere / "a.wad"), settings = readfile(elsewhere / "s.txt");
  fs::create_symlink("a.wad", elsewhere / "toinput");
  writefile(elsewhere / "old.jsonl", "old\n");
  fs::create_symlink("old.jsonl", elsewhere / "link.jsonl");
  fs::create_directories(elsewhere / "dir.jsonl");
  ASSERT_EQ(mkfifo((elsewhere / "fifo").c_str(), 0600), 0);
  if (root) {
    ASSERT_EQ(mknod((elsewhere / "null").c_str(), S_IFCHR | 0600, makedev(1, 3)), 0);
    ASSERT_EQ(mknod((elsewhere / "full").c_str(), S_IFCHR | 0600, makedev(1, 7)), 0);
  }
  const auto kind = [](const fs::path& p) {
    struct stat st {};
    return lstat(p.c_str(), &st) == 0 ? st.st_mode & S_IFMT : 0;
  };
  const std::string refused = "\": it is an input or the settings file\n";
  struct row {
    std::string target;
    bool device;  // needs mknod
    int status;
    std::string err;  // after "tracewell: cannot write the manifest \""; empty for none
    bool drawn;
    mode_t after;  // what the target is afterwards
  };
  const std::vector<row> rows = {
      {"a.wad", false, 1, "a.wad" + refused, false, S_IFREG},
      {"toinput", false, 1, "toinput" + refused, false, S_IFLNK},
      {"s.txt", false, 1, "s.txt" + refused, false, S_IFREG},
      {"link.jsonl", false, 0, "", true, S_IFLNK},
      {"dir.jsonl", false, 1, "dir.jsonl\"\n", false, S_IFDIR},
      {"missing/m.jsonl", false, 1, "missing/m.jsonl\"\n", false, 0},
      {"fifo", false, 0, "", true, S_IFIFO},
      {"null", true, 0, "", true, S_IFCHR},
      {"full", true, 2, "full\"\n", true, S_IFCHR},
  };
  std::string fromfifo;
  for (const row& c : rows) {
    if (c.device && !root) continue;
    fs::remove_all(elsewhere / "o");
    // A FIFO's reader, released by a writer of its own if the tool never opens it.
    std::thread reader;
    if (c.target == "fifo") reader = std::thread([&] { fromfifo = readfile(elsewhere / "fifo"); });
    const processresult r =
        run("", {"--settings", "s.txt", "--manifest", c.target, "-d", "o", "-m", "MAP01", "a.wad"});
    if (reader.joinable()) {
      const int release = open((elsewhere / "fifo").c_str(), O_WRONLY | O_NONBLOCK);
      if (release >= 0) close(release);
      reader.join();
    }
    EXPECT_EQ(r.status, c.status) << c.target;
    EXPECT_EQ(r.err, c.err.empty() ? "" : "tracewell: cannot write the manifest \"" + c.err) << c.target;
    EXPECT_EQ(r.out, c.drawn ? "o/a/MAP01.png\n" : "") << c.target;
    EXPECT_EQ(fs::exists(elsewhere / "o" / "a" / "MAP01.png"), c.drawn) << c.target;
    EXPECT_EQ(kind(elsewhere / c.target), c.after) << c.target;
    EXPECT_EQ(readfile(elsewhere / "a.wad"), wad) << c.target;
    EXPECT_EQ(readfile(elsewhere / "s.txt"), settings) << c.target;
    for (const auto& e : fs::directory_iterator(elsewhere))
      EXPECT_EQ(e.path().filename().string().rfind(".tracewell", 0), std::string::npos) << c.target;
  }
  // The lines reached the file the link names, and the FIFO's reader.
  const auto record = nlohmann::json::parse(readfile(elsewhere / "old.jsonl"));
  EXPECT_EQ(record["output"], "o/a/MAP01.png");
  EXPECT_EQ(nlohmann::json::parse(fromfifo)["map"], "MAP01");
}

}  // namespace
}  // namespace tracewell

namespace tracewell {
namespace {

// Every file below a folder, as paths relative to it, sorted.
std::vector<std::string> treeof(const fs::path& folder) {
  std::vector<std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(folder)) {
    if (e.is_regular_file()) files.push_back(fs::relative(e.path(), folder).string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// Names are data. "%" and "*" are pattern characters only in the output pattern: the names of inputs, of
// --dest and of maps are taken as they are, and no name leads a file out of DIR/NAME. On the console the
// control characters of a path show as '?' (C0, DEL and C1 written in UTF-8; other bytes that are not
// UTF-8 as U+FFFD). Each row starts from a folder holding only the inputs; the files afterwards are the
// inputs and those listed.
TEST_F(EndToEnd, NamesAreTakenLiterallyAndShownPrintable) {
  testkit::wadbuilder b;
  for (const char* name : {"MAP01", ".", ".."}) b.addmap(name, testkit::squaremap());
  b.addmap(std::string(1, '\0'), testkit::squaremap());  // a name whose first byte is NUL
  const std::string osc = "t\x1b]0;x\x07", nl = "n\nl", c1 = "c\xc2\x9b", bad = "bad\xff";
  const std::vector<std::string> inputs = {"%.wad",      "MAP01.wad", "%%.wad",    "*.wad",
                                           osc + ".wad", nl + ".wad", c1 + ".wad", bad + ".wad"};
  struct {
    std::vector<std::string> args;
    int status;
    std::string out, err;
    std::vector<std::string> files;
  } cases[] = {
      {{"-d", "out", "-m", "MAP01", "%.wad", "MAP01.wad"},
       0,
       "out/%/MAP01.png\nout/MAP01/MAP01.png\n",
       "",
       {"out/%/MAP01.png", "out/MAP01/MAP01.png"}},
      {{"-d", "out", "-m", ".", "%%.wad"}, 0, "out/%%/..png\n", "", {"out/%%/..png"}},
      {{"-d", "out", "-o", "x/%.png", "-m", ".", "-m", "..", "%%.wad"},
       0,
       "out/%%/x/..png\nout/%%/x/...png\n",
       "",
       {"out/%%/x/...png", "out/%%/x/..png"}},
      {{"-d", "out", "-o", "x/%/y.png", "-m", "..", "-m", "MAP01", "%%.wad"},
       2,
       "out/%%/x/MAP01/y.png\n",
       "Failed to write PNG file \"out/%%/x/../y.png\".\n",
       {"out/%%/x/MAP01/y.png"}},
      {{"-d", "out", "-o", "%", "-m", "..", "MAP01.wad"},
       2,
       "",
       "Failed to write PNG file \"out/MAP01/..\".\n",
       {}},
      {{"-d", "o/*%", "-o", "*%.png", "-m", "MAP01", "*.wad"}, 0, "", "", {}},  // the stamp: checked below
      {{"-d", "out", "-a", "MAP01.wad"},
       0,
       "out/MAP01/MAP01.png\nout/MAP01/..png\nout/MAP01/...png\nout/MAP01/_.png\n",
       "",
       {"out/MAP01/...png", "out/MAP01/..png", "out/MAP01/MAP01.png", "out/MAP01/_.png"}},
      {{"MAP01.wad", "-a", "-o", "z%.png"},
       0,
       "zMAP01.png\nz..png\nz...png\nz_.png\n",
       "",
       {"z...png", "z..png", "zMAP01.png", "z_.png"}},
      {{"MAP01.wad", "--list"}, 0, "MAP01\n.\n..\n\n", "", {}},  // the NUL name listed as before
      {{"-d", "o", "-m", "MAP01", osc + ".wad", nl + ".wad", c1 + ".wad", bad + ".wad"},
       0,
       "o/t?]0;x?/MAP01.png\no/n?l/MAP01.png\no/c?/MAP01.png\no/bad\xef\xbf\xbd/MAP01.png\n",
       "",
       {"o/" + osc + "/MAP01.png", "o/" + nl + "/MAP01.png", "o/" + c1 + "/MAP01.png",
        "o/" + bad + "/MAP01.png"}},
      {{"-d", "m", "-a", "gone\x1b[2J.wad"}, 2, "", "tracewell: gone?[2J.wad: Error opening WAD file.\n", {}},
      {{nl + ".wad", "-m", "MAP01", "-o", "w\r%.png"}, 0, "w?MAP01.png\n", "", {"w\rMAP01.png"}},
      {{"-m", "MAP01", "-o", "none\x1b/%.png", "MAP01.wad"},
       2,
       "",
       "Failed to write PNG file \"none?/MAP01.png\".\ntracewell: none?/MAP01.png: No such file or "
       "directory\n",
       {}},
      {{"-m", "MAP01", "a.wad", "b\x1b[2J.wad"},
       1,
       "",
       "tracewell: more than one WAD: \"b?[2J.wad\" (several inputs need --dest DIR)\nTry 'tracewell "
       "--help'.\n",
       {}},
  };
  for (const auto& c : cases) {
    const std::string line = ::testing::PrintToString(c.args);
    fs::remove_all(elsewhere);
    fs::create_directories(elsewhere);
    for (const std::string& input : inputs) b.write(elsewhere / input);
    std::vector<std::string> args = {"--detect", "content"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const processresult r = run("", args);
    EXPECT_EQ(r.status, c.status) << line;
    EXPECT_EQ(r.err, c.err) << line;
    if (c.args[1] == "o/*%") {
      // The folder keeps its "*" and "%"; the pattern's are replaced.
      EXPECT_TRUE(std::regex_match(r.out, std::regex(R"(o/\*%/\*/[0-9.]{18}MAP01\.png\n)"))) << r.out;
      continue;
    }
    EXPECT_EQ(r.out, c.out) << line;
    std::vector<std::string> files;
    for (const std::string& f : treeof(tool)) files.push_back("tool/" + f);
    for (const std::string& f : inputs) files.push_back("elsewhere/" + f);
    for (const std::string& f : c.files) files.push_back("elsewhere/" + f);
    std::sort(files.begin(), files.end());
    EXPECT_EQ(treeof(elsewhere.parent_path()), files) << line;
  }
}

}  // namespace
}  // namespace tracewell

namespace tracewell {
namespace {}  // namespace
}  // namespace tracewell

namespace tracewell {
namespace {

// --skip-existing leaves only whole files newer than their input, drawn by an earlier run, and records the
// size they have. Each row: what o/a/MAP01.png and its SVG are before the run, and what the record says.
TEST_F(EndToEnd, SkipCases) {
  fs::copy_file(tool / "test.wad", elsewhere / "a.wad");
  ASSERT_EQ(run("", {"-d", "first", "-s", "10x7", "-m", "MAP01", "--extra", "svg", "a.wad"}).status, 0);
  const std::string small = readfile(elsewhere / "first" / "a" / "MAP01.png");
  const std::string svg = readfile(elsewhere / "first" / "a" / "MAP01.svg");
  const auto age = [&](const fs::path& p, int seconds) {
    fs::last_write_time(p, fs::last_write_time(elsewhere / "a.wad") + std::chrono::seconds(seconds));
  };
  struct {
    const char* what;
    std::string before, beforesvg;  // the files' bytes; empty: no file
    int newer;                      // seconds after the input's time
    std::string status;
    int width, height;
  } cases[] = {
      {"no file", "", "", 0, "written", 64, 48},
      {"whole and newer", small, svg, 5, "skipped", 10, 7},
      {"whole and older", small, svg, -5, "written", 64, 48},
      {"cut short", small.substr(0, small.size() / 2), svg, 5, "written", 64, 48},
      {"no IEND at its end", small + "junk", svg, 5, "written", 64, 48},
      {"not a PNG", "not a picture, long enough to be taken for one by its size", svg, 5, "written", 64, 48},
      {"SVG cut short", small, svg.substr(0, svg.size() - 1), 5, "written", 64, 48},
      {"no SVG", small, "", 5, "written", 64, 48},
  };
  for (const auto& c : cases) {
    fs::remove_all(elsewhere / "o");
    fs::create_directories(elsewhere / "o" / "a");
    for (const auto& [file, bytes] :
         {std::pair{"MAP01.png", c.before}, std::pair{"MAP01.svg", c.beforesvg}}) {
      if (bytes.empty()) continue;
      writefile(elsewhere / "o" / "a" / file, bytes);
      age(elsewhere / "o" / "a" / file, c.newer);
    }
    const processresult r =
        run("", {"-d", "o", "--skip-existing", "--extra", "svg", "--manifest", "-", "-m", "MAP01", "a.wad"});
    EXPECT_EQ(r.status, 0) << c.what << r.err;
    const auto j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["status"], c.status) << c.what;
    EXPECT_EQ(j["width"], c.width) << c.what;
    EXPECT_EQ(j["height"], c.height) << c.what;
    if (c.status == "written") {
      testkit::expectredsquare(elsewhere / "o" / "a" / "MAP01.png");
      EXPECT_NE(readfile(elsewhere / "o" / "a" / "MAP01.svg"), c.beforesvg) << c.what;
    }
  }
  // One file for every map of a fresh run: each map is drawn, the last one stays.
  const processresult same = run("", {"--skip-existing", "-o", "same.png", "-a", "a.wad"});
  EXPECT_EQ(same.out, "same.png\nsame.png\n") << same.err;
  EXPECT_EQ(same.status, 0);  // MAPINFO is no map, and was not asked for by name
  const processresult again =
      run("", {"--skip-existing", "--manifest", "-", "-o", "same.png", "-a", "a.wad"});
  for (const char* map : {"MAP01", "MAP02"})
    EXPECT_NE(again.out.find(std::string(R"("map":")") + map + R"(","status":"skipped")"), std::string::npos)
        << again.out;
}

}  // namespace
}  // namespace tracewell
