// Kinds of output file: a .svg path writes SVG, --extra writes further kinds beside the main file, each
// listed, recorded and kept up to date on its own.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "apptest.h"
#include "testlib/harness.h"
#include "testlib/pngdecode.h"
#include "testlib/toolfolder.h"

namespace tracewell {
namespace {

namespace fs = std::filesystem;

class FileKinds : public ::testing::Test {
 protected:
  void SetUp() override {
    testkit::maketoolfolder(tool, TRACEWELL_EXE);
    fs::create_directories(elsewhere / "x");
    fs::copy_file(tool / "test.wad", elsewhere / "a.wad");
  }

  testkit::processresult run(const std::vector<std::string>& args, const std::string& input = "") const {
    return testkit::runprocess((tool / "tracewell").string(), args, input, elsewhere);
  }

  // What a file holds: "png" for a PNG that libpng reads whole, "svg" for text from "<svg" to "</svg>\n",
  // "html" for a page from its document type to "</html>\n".
  std::string kindof(const fs::path& p) const {
    const std::string bytes = testkit::readfile(elsewhere / p);
    if (bytes.rfind("<svg ", 0) == 0 && bytes.ends_with("</svg>\n")) return "svg";
    if (bytes.rfind("<!DOCTYPE html>", 0) == 0 && bytes.ends_with("</html>\n")) return "html";
    return testkit::decodepng(elsewhere / p).ok ? "png" : "other";
  }

  testkit::tempdir root;
  const fs::path tool = root / "tool";
  const fs::path elsewhere = root / "elsewhere";
};

TEST_F(FileKinds, PathsAndExtraKindsChooseWhatIsWritten) {
  fs::create_directories(elsewhere / "y" / "MAP01.svg");   // a folder where one file should go
  fs::create_directories(elsewhere / "g" / "index.html");  // and where the gallery should go
  struct {
    std::vector<std::string> args;
    int status;
    std::string out, err;
    std::vector<std::pair<std::string, std::string>> files;  // path, kind
  } cases[] = {
      {{"a.wad", "-m", "MAP01", "-o", "x/%.png", "--extra", "svg,SVG,png"},
       0,
       "x/MAP01.png\nx/MAP01.svg\n",
       "",
       {{"x/MAP01.png", "png"}, {"x/MAP01.svg", "svg"}}},
      // Up to date: nothing written, nothing printed.
      {{"a.wad", "-m", "MAP01", "-o", "x/%.png", "--extra", "svg", "--skip-existing"}, 0, "", "", {}},
      {{"a.wad", "-m", "MAP02", "-o", "x/%.Svg", "--extra", "png", "--extra", "svg"},
       0,
       "x/MAP02.Svg\nx/MAP02.png\n",
       "",
       {{"x/MAP02.Svg", "svg"}, {"x/MAP02.png", "png"}}},
      {{"a.wad", "-m", "MAP01", "-o", "x/n.%", "--extra", "svg"},
       0,
       "x/n.MAP01\nx/n.MAP01.svg\n",
       "",
       {{"x/n.MAP01", "png"}, {"x/n.MAP01.svg", "svg"}}},
      {{"a.wad", "-m", "MAP01", "-o", "x/plain-%", "--extra", "svg"},
       0,
       "x/plain-MAP01\nx/plain-MAP01.svg\n",
       "",
       {{"x/plain-MAP01", "png"}, {"x/plain-MAP01.svg", "svg"}}},
      {{"a.wad", "-m", "MAP01", "-o", "x/%.png", "--extra", "svg,gif"},
       1,
       "",
       "tracewell: invalid value 'svg,gif' for --extra (kinds: png, svg, html)\nTry 'tracewell --help'.\n",
       {}},
      // Pages: .html and .htm in any case (the main kind, so --extra html adds nothing), and --extra html.
      {{"a.wad", "-m", "MAP01", "-o", "x/%.HTM", "--extra", "html,png"},
       0,
       "x/MAP01.HTM\nx/MAP01.png\n",
       "",
       {{"x/MAP01.HTM", "html"}, {"x/MAP01.png", "png"}}},
      {{"a.wad", "-m", "MAP02", "-o", "x/%.svg", "--extra", "html"},
       0,
       "x/MAP02.svg\nx/MAP02.html\n",
       "",
       {{"x/MAP02.svg", "svg"}, {"x/MAP02.html", "html"}}},
      {{"a.wad", "-m", "MAP01", "-o", "missing/%.html"},
       2,
       "",
       "Failed to write HTML file \"missing/MAP01.html\".\n"
       "tracewell: missing/MAP01.html: No such file or directory\n",
       {}},
      {{"a.wad", "-m", "MAP01", "--gallery"},
       1,
       "",
       "tracewell: --gallery needs --dest DIR\nTry 'tracewell --help'.\n",
       {}},
      {{"a.wad", "-m", "MAP01", "-o", "missing/%.svg"},
       2,
       "",
       "Failed to write SVG file \"missing/MAP01.svg\".\n"
       "tracewell: missing/MAP01.svg: No such file or directory\n",
       {}},
      {{"-d", "d", "-m", "MAP01", "-m", "MAP02", "--extra", "svg", "a.wad"},
       0,
       "d/a/MAP01.png\nd/a/MAP01.svg\nd/a/MAP02.png\nd/a/MAP02.svg\n",
       "",
       {{"d/a/MAP02.svg", "svg"}}},
      // One kind that cannot be written: the others are, the map counts as not written.
      {{"a.wad", "-m", "MAP01", "-o", "y/%.png", "--extra", "svg", "--manifest", "-"},
       2,
       "{\"input\":\"a.wad\",\"map\":\"MAP01\",\"status\":\"failed\",\"output\":null,"
       "\"error\":\"Failed to write SVG file \\\"y/MAP01.svg\\\".\",\"layout\":null,\"width\":null,"
       "\"height\":null,\"linedefs\":null,\"bounds\":null,\"things\":null,\"locked_lines\":null,"
       "\"exit_lines\":null,\"teleport_lines\":null,\"secret_sectors\":null,\"keys\":null,\"monsters\":null,"
       "\"outputs\":{\"png\":\"y/MAP01.png\",\"svg\":null}}\n",
       "Failed to write SVG file \"y/MAP01.svg\".\ntracewell: y/MAP01.svg: Is a directory\n",
       {{"y/MAP01.png", "png"}}},
      {{"-d", "g", "--gallery", "-m", "MAP01", "a.wad"},
       2,
       "g/a/MAP01.png\n",
       "Failed to write HTML file \"g/index.html\".\ntracewell: g/index.html: Is a directory\n",
       {{"g/a/MAP01.png", "png"}}},
  };
  testkit::runcommands(
      cases, [&](const std::vector<std::string>& args) { return run(args); },
      [&](const auto& c, const std::string& line) {
        for (const auto& [path, kind] : c.files) EXPECT_EQ(kindof(path), kind) << line << " " << path;
      });
}

// Each map's further kinds are named after it whatever the pattern's last part holds, and a "*" in a map
// name stays itself on the command line; drawing and diff runs alike.
TEST_F(FileKinds, EachMapsFilesHaveNamesOfTheirOwn) {
  testkit::wadbuilder olds, news;
  for (const char* name : {"MAP01", "A*B"}) {
    olds.addmap(name, testkit::squaremap());
    news.addmap(name, testkit::squaremap(wad::DOOM, 128));
  }
  olds.write(elsewhere / "old.wad");
  news.write(elsewhere / "new.wad");
  const std::pair<std::string, std::vector<std::string>> cases[] = {
      {"x.%", {"x.A*B", "x.A*B.svg", "x.MAP01", "x.MAP01.svg"}},
      {"x.*", {}},  // named by the time: checked by pairs
      {"dir.v2/%", {"dir.v2/A*B", "dir.v2/A*B.svg", "dir.v2/MAP01", "dir.v2/MAP01.svg"}},
      {"%", {"A*B", "A*B.svg", "MAP01", "MAP01.svg"}},
      {"%.png", {"A*B.png", "A*B.svg", "MAP01.png", "MAP01.svg"}},
  };
  for (const auto& [pattern, files] : cases) {
    for (const bool diff : {false, true}) {
      SCOPED_TRACE(pattern + (diff ? " --diff" : ""));
      fs::remove_all(elsewhere / "o");
      fs::create_directories(elsewhere / "o" / "dir.v2");
      std::vector<std::string> args = {"new.wad", "-a", "--detect",     "content", "-s",
                                       "32x32",   "-o", "o/" + pattern, "--extra", "svg"};
      if (diff) args.insert(args.begin(), {"--diff", "old.wad"});
      ASSERT_EQ(run(args).status, 0);
      std::set<std::string> written;
      for (const auto& e : fs::recursive_directory_iterator(elsewhere / "o")) {
        if (e.is_regular_file()) {
          written.insert(e.path().lexically_relative(elsewhere / "o").string());
        }
      }
      if (!files.empty()) {
        EXPECT_EQ(written, std::set<std::string>(files.begin(), files.end()));
      }
      std::size_t pictures = 0;
      for (const std::string& f : written) {
        if (f.ends_with(".svg")) continue;
        ++pictures;
        EXPECT_EQ(kindof("o/" + f), "png") << f;
        const std::string svg = (f.ends_with(".png") ? f.substr(0, f.size() - 4) : f) + ".svg";
        EXPECT_TRUE(written.contains(svg) && kindof("o/" + svg) == "svg") << f;
      }
      EXPECT_EQ(written.size(), 2 * pictures);
    }
  }
}

// An input given twice is drawn into two folders, and so has two sections in the gallery.
TEST_F(FileKinds, AnInputGivenTwiceHasTwoGallerySections) {
  ASSERT_EQ(run({"-d", "g", "--gallery", "-m", "MAP01", "a.wad", "a.wad"}).status, 0);
  const std::string page = testkit::readfile(elsewhere / "g" / "index.html");
  const std::string section = "data-input=\"a.wad\"><h2>a.wad</h2><p class=\"tw-status\">1 map</p>";
  std::size_t sections = 0;
  for (std::size_t at = page.find(section); at != std::string::npos; at = page.find(section, at + 1))
    ++sections;
  EXPECT_EQ(sections, 2U) << page;
}

TEST_F(FileKinds, TheDialogueWritesSvgForAnSvgPath) {
  // Relative paths in the dialogue start in the program's folder.
  const testkit::processresult r = run({}, "\nMAP01\n\n\n\n\n\nout/%.svg\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(kindof("../tool/out/MAP01.svg"), "svg");
  const std::string svg = testkit::readfile(tool / "out" / "MAP01.svg");
  EXPECT_NE(svg.find("<title>MAP01 - test.wad</title>"), std::string::npos);
  EXPECT_NE(svg.find("<path class=\"impassable\" stroke=\"#ff0000\""), std::string::npos);
}

}  // namespace
}  // namespace tracewell
