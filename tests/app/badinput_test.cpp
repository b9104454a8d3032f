// Hostile answers and sizes through the whole tool in-process: NUL bytes, invalid UTF-8, edge image sizes.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/entry.h"
#include "apptest.h"

namespace tracewell {
namespace {

namespace fs = std::filesystem;
using testkit::crlf;
using testkit::leaveblank;
using testkit::runscripted;

class BadAnswers : public testkit::toolfolder {
 protected:
  // The tool from its start, with `input` on standard input, until the input ends.
  testkit::session session(const std::string& input) {
    return runscripted(input, [] {
      const char* const argv[] = {"tracewell"};
      runtool(1, argv);
    });
  }
  std::vector<std::string> written() const { return testkit::filesin(dir / "out"); }
};

// A NUL byte cannot be part of a file name, so a path that holds one names no
// file: it must not open or create the file named by the text before it.
// Elsewhere NUL and invalid UTF-8 are just characters that match nothing.
TEST_F(BadAnswers, NulBytesAndInvalidUtf8OnStandardInput) {
  using namespace std::string_literals;
  const std::string input =
      "test.wad\0.png\n"s  // opens nothing
      "test.wad\n"         //
      "MAP01\0\n"s         // no such map
      "\xffMAP01\n"        // U+FFFD then MAP01: no such map
      "map01\n"            //
      "Doom\0\n"s          // no such format
      "doom\n"             //
      "32\0 and more\n"s   // the number stops at the NUL
      "16\xff\n"           // and at the invalid byte
      "\n"                 //
      "Red\0\n"s           // no such scheme
      "red\n"              //
      "\n";
  const auto s = session(input);
  EXPECT_EQ(s.exitstatus, 0);  // the input ends at the next WAD prompt
  testkit::dialoguetext d;
  d.wadrefusals = {"Error opening WAD file. Try again?"};
  d.maprefusals = 2;
  d.formatrefusals = 1;
  d.schemerefusals = 1;
  EXPECT_EQ(s.out, crlf(testkit::banner + "\n" + d.str() + "\nOutputting map...\n\nFinished outputting!\n\n" +
                        leaveblank("Input WAD path?", "test.wad")));
  EXPECT_EQ(written(), std::vector<std::string>{"MAP01.png"});
}

TEST_F(BadAnswers, NulInTheOutputPatternCreatesNoFile) {
  using namespace std::string_literals;
  for (const std::string& pattern : {"out/%.png\0.txt"s, "out/%.png\0/../x.png"s, "\0out/%.png"s}) {
    SCOPED_TRACE(pattern);
    fs::remove_all(dir / "out");
    fs::create_directory(dir / "out");
    const auto s = session("\nMAP01\n\n\n\n\n\n" + pattern + "\n");
    EXPECT_EQ(s.exitstatus, 2);  // the map asked for was not written
    // The NUL shows as '?', as every control character of a path does.
    std::string shown = pattern;
    shown[shown.find('\0')] = '?';
    const std::size_t cut = shown.find('%');
    const std::string line =
        "Failed to write PNG file \"" + shown.substr(0, cut) + "MAP01" + shown.substr(cut + 1) + "\".";
    EXPECT_NE(s.out.find(crlf("Outputting map...\n" + line + "\n")), std::string::npos) << s.out;
    EXPECT_TRUE(written().empty());
    EXPECT_FALSE(fs::exists(dir / "x.png"));
  }
}

// Sizes the prompts take without question, on a map that spans the whole
// 16-bit coordinate range: what is printed and which file is written.
TEST_F(BadAnswers, EdgeSizesAndMarginsOnTheWidestMap) {
  testkit::mapdata m = testkit::squaremap();
  m.vertexes = {{-32768, -32768}, {-32768, 32767}, {32767, 32767}, {32767, -32768}};
  testkit::wadbuilder b;
  b.addmap("MAP01", m);
  b.write(dir / "wide.wad");

  struct sizecase {
    std::string width, height, margin;
    std::string line;          // printed after "Outputting map...", or ""
    std::uint32_t pngw, pngh;  // size of the PNG written, 0 x 0 for none
  };
  const std::string nofile = "Failed to write PNG file \"out/MAP01.png\".\n";
  const std::vector<sizecase> cases = {
      {"0", "48", "4", nofile, 0, 0},
      {"64", "0", "4", nofile, 0, 0},
      {"-1", "48", "0", nofile, 0, 0},
      {"64", "-1", "0", nofile, 0, 0},
      {"1", "1", "0", "", 1, 1},
      {"1", "1", "-1", "", 1, 1},
      {"100000", "1", "0", "", 100000, 1},
      {"1", "100000", "2", "", 1, 100000},
      {"100000", "100000", "0",
       "Image size 100000 x 100000 is too large for \"MAP01\". Image not outputted.\n", 0, 0},
      {"64", "48", "2147483647", "", 64, 48},
      {"64", "48", "-2147483648", "", 64, 48},
      {"64", "48", "32", "", 64, 48},
      {"2147483647", "1", "-2147483648",
       "Image size 2147483647 x 1 is too large for \"MAP01\". Image not outputted.\n", 0, 0},
  };
  for (const sizecase& c : cases) {
    SCOPED_TRACE(c.width + " x " + c.height + " margin " + c.margin);
    fs::remove_all(dir / "out");
    fs::create_directory(dir / "out");
    const auto s =
        session("wide.wad\nMAP01\n\n" + c.width + "\n" + c.height + "\n" + c.margin + "\nred\nout/%.png\n");
    EXPECT_EQ(s.exitstatus, c.line.empty() ? 0 : 2);
    const std::string run = crlf("Outputting map...\n" + c.line + "\nFinished outputting!\n");
    EXPECT_NE(s.out.find(run), std::string::npos) << s.out;
    if (c.pngw == 0) {
      EXPECT_TRUE(written().empty());
      continue;
    }
    const testkit::decodedpng png = testkit::decodepng(dir / "out" / "MAP01.png");
    ASSERT_TRUE(png.ok);
    EXPECT_EQ(png.width, c.pngw);
    EXPECT_EQ(png.height, c.pngh);
  }
}

}  // namespace
}  // namespace tracewell
