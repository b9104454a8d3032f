// Revisions of a WAD as the built program shows them: --dump as git's textconv, and --diff.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <sstream>

#include "apptest.h"
#include "testlib/mapedit.h"

namespace tracewell {
namespace {

namespace fs = std::filesystem;
using testkit::processresult;

class Revisions : public ::testing::Test {
 protected:
  void SetUp() override {
    if (testkit::freedoom2maps().size() < 2) GTEST_SKIP() << "freedoom2.wad is not installed";
    testkit::maketoolfolder(tool, TRACEWELL_EXE);
  }

  processresult run(const std::vector<std::string>& args) const {
    return testkit::runprocess((tool / "tracewell").string(), args, "", root.path());
  }

  // The first `count` freedoom2 maps, each passed through `edit` (given the map's index).
  std::string wadbytes(std::size_t count, const std::function<map(std::size_t, const map&)>& edit) const {
    std::vector<std::pair<text, map>> maps;
    for (std::size_t i = 0; i < count; ++i) {
      const auto& [name, m] = testkit::freedoom2maps()[i];
      maps.emplace_back(name, edit(i, *m));
    }
    return testkit::wadof(maps).bytes();
  }

  testkit::tempdir root;
  const fs::path tool = root / "tool";
};

map same(std::size_t, const map& m) {
  return m;
}
map renumber(std::size_t i, const map& m) {
  return testkit::renumbered(m, static_cast<std::uint32_t>(i + 1));
}

// The first linedef without a special of map 1 gets special 97 (a teleporter).
map specialonmap1(std::size_t i, const map& m) {
  map out = m;
  if (i != 1) return out;
  for (linedef& l : out.linedefs) {
    if (l.special == 0) {
      l.special = 97;
      break;
    }
  }
  return out;
}

std::vector<std::string> lineswith(const std::string& text, const std::string& prefix) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind(prefix, 0) == 0) out.push_back(line);
  }
  return out;
}

TEST_F(Revisions, DumpIgnoresRenumberingAndRefusesWhatIsNoWad) {
  testkit::writefile(root / "a.wad", wadbytes(3, same));
  testkit::writefile(root / "b.wad", wadbytes(3, renumber));
  testkit::writefile(root / "c.txt", "not a WAD at all");
  const processresult a = run({"--dump", "a.wad"}), b = run({"--dump", "b.wad"});
  EXPECT_EQ(a.status, 0);
  EXPECT_EQ(a.err, "");
  EXPECT_EQ(a.out, b.out);
  EXPECT_EQ(lineswith(a.out, "map "), (std::vector<std::string>{"map MAP01", "map MAP02", "map MAP03"}));
  EXPECT_EQ(a.out.find('\r'), std::string::npos);
  EXPECT_EQ(a.out.find("a.wad"), std::string::npos);
  // One map by name; a pipe read whole gives the same text.
  const processresult one = run({"--dump", "a.wad", "-m", "map02"});
  EXPECT_EQ(lineswith(one.out, "map "), std::vector<std::string>{"map MAP02"});
  ASSERT_EQ(mkfifo((root / "pipe").c_str(), 0600), 0);
  const processresult piped = testkit::runprocess(
      "/bin/sh", {"-c", "cat a.wad > pipe & exec \"$0\" --dump pipe", (tool / "tracewell").string()}, "",
      root.path());
  EXPECT_EQ(piped.status, 0) << piped.err;
  EXPECT_EQ(piped.out, a.out);
  const processresult refused = run({"--dump", "c.txt"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.out, "");
  EXPECT_EQ(refused.err, "tracewell: c.txt: Error parsing WAD file.\n");
}

TEST_F(Revisions, GitDiffThroughTheDumpShowsTheChangedLineOnly) {
  if (std::system("git --version > /dev/null 2>&1") != 0) GTEST_SKIP() << "git is not installed";
  const fs::path repo = root / "repo";
  fs::create_directories(repo);
  testkit::writefile(repo / ".gitattributes", "*.wad diff=wad\n");
  testkit::writefile(repo / "maps.wad", wadbytes(3, same));
  const std::string exe = (tool / "tracewell").string();
  const std::string git = "cd '" + repo.string() + "' && git -c user.name=t -c user.email=t@t ";
  ASSERT_EQ(std::system((git + "init -q && " + git + "config diff.wad.textconv '" + exe + " --dump' && " +
                         git + "add . && " + git + "commit -qm one")
                            .c_str()),
            0);
  // Renumbered: nothing to show. One special more: that line alone.
  testkit::writefile(repo / "maps.wad", wadbytes(3, renumber));
  const processresult quiet = testkit::runprocess("/bin/sh", {"-c", git + "diff"}, "", repo);
  EXPECT_EQ(quiet.status, 0) << quiet.err;
  EXPECT_EQ(lineswith(quiet.out, "+line").size() + lineswith(quiet.out, "-line").size(), 0u) << quiet.out;
  testkit::writefile(repo / "maps.wad", wadbytes(3, specialonmap1));
  const processresult changed = testkit::runprocess("/bin/sh", {"-c", git + "diff"}, "", repo);
  EXPECT_EQ(changed.status, 0) << changed.err;
  const auto added = lineswith(changed.out, "+line"), removed = lineswith(changed.out, "-line");
  ASSERT_EQ(added.size(), 1u) << changed.out;
  ASSERT_EQ(removed.size(), 1u) << changed.out;
  EXPECT_NE(added[0].find(" special=97"), std::string::npos) << added[0];
  EXPECT_EQ(added[0].substr(0, added[0].find(" sides")).substr(1),
            removed[0].substr(0, removed[0].find(" sides")).substr(1));
}

TEST_F(Revisions, DiffSummarisesEachMapAndDrawsTheChangedOnes) {
  testkit::writefile(root / "old.wad", wadbytes(3, same));
  // NEW: renumbered, one special more in MAP02, and MAP04 added.
  std::vector<std::pair<text, map>> maps;
  for (std::size_t i = 0; i < 4; ++i) {
    const auto& [name, m] = testkit::freedoom2maps()[i];
    maps.emplace_back(name, renumber(i, specialonmap1(i, *m)));
  }
  testkit::writefile(root / "new.wad", testkit::wadof(maps).bytes());
  const map& added = *testkit::freedoom2maps()[3].second;
  const std::string addedline =
      "MAP04: " + std::to_string(added.linedefs.size()) + " lines added, 0 removed, 0 changed; things " +
      std::to_string(added.things->size()) + " added, 0 removed, 0 moved, 0 changed";

  const processresult r = run({"--diff", "old.wad", "new.wad", "-s", "256x256", "--manifest", "diff.jsonl"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out,
            "MAP01: no changes\n"
            "MAP02: 0 lines added, 0 removed, 1 changed; things 0 added, 0 removed, 0 moved, 0 changed\n"
            "MAP02-diff.png\n"
            "MAP03: no changes\n" +
                addedline + "\nMAP04-diff.png\n");
  EXPECT_FALSE(fs::exists(root / "MAP01-diff.png"));
  const testkit::decodedpng png = testkit::decodepng(root / "MAP02-diff.png");
  ASSERT_TRUE(png.ok);
  EXPECT_EQ(png.width, 256u);

  std::vector<nlohmann::json> records;
  std::istringstream lines(testkit::readfile(root / "diff.jsonl"));
  for (std::string line; std::getline(lines, line);) records.push_back(nlohmann::json::parse(line));
  ASSERT_EQ(records.size(), 4u);
  EXPECT_EQ(records[0]["status"], "unchanged");
  EXPECT_TRUE(records[0]["output"].is_null());
  EXPECT_EQ(records[0]["old_input"], "old.wad");
  EXPECT_EQ(records[0]["input"], "new.wad");
  EXPECT_EQ(records[0]["diff"]["lines_changed"], 0);
  const nlohmann::json& changed = records[1]["diff"];
  EXPECT_EQ(records[1]["status"], "written");
  EXPECT_EQ(changed["lines_changed"], 1);
  ASSERT_EQ(changed["changes"].size(), 1u);
  EXPECT_EQ(changed["changes"][0]["changed"], nlohmann::json::array({"special"}));
  EXPECT_EQ(changed["changes"][0]["old_values"]["special"], "0");
  EXPECT_EQ(changed["changes"][0]["new_values"]["special"], "97");
  EXPECT_EQ(records[3]["diff"]["lines_added"], added.linedefs.size());
  // Removed whole: OLD and NEW the other way round; NEW's fields are null.
  const processresult back = run({"--diff", "new.wad", "old.wad", "-m", "MAP04", "--manifest", "-"});
  EXPECT_EQ(back.status, 0) << back.err;
  const nlohmann::json removed = nlohmann::json::parse(back.out);
  EXPECT_TRUE(removed["layout"].is_null());
  EXPECT_EQ(removed["diff"]["lines_removed"], added.linedefs.size());
}

// Maps compared on the pool, several in flight, give what each map compared alone gives, in map order; a
// file every map writes ends as the last changed map leaves it.
TEST_F(Revisions, DiffInFlightGivesWhatEachMapAloneGives) {
  // Six maps, or the four the sanitizer builds take.
  const std::size_t count = std::min<std::size_t>(6, testkit::freedoom2maps().size());
  if (count < 3) GTEST_SKIP() << "freedoom2.wad not installed";
  testkit::writefile(root / "old.wad", wadbytes(count, same));
  testkit::writefile(root / "new.wad", wadbytes(count, [](std::size_t i, const map& m) {
                       return i == 2 ? m : specialonmap1(1, renumber(i, m));
                     }));
  const std::vector<std::string> look = {"-s", "200x150", "--extra", "svg,html"};
  const auto diff = [&](std::vector<std::string> args) {
    args.insert(args.begin(), {"--diff", "old.wad", "new.wad"});
    args.insert(args.end(), look.begin(), look.end());
    return run(args);
  };
  fs::create_directories(root / "alone");
  fs::create_directories(root / "together");
  std::string alone;
  for (std::size_t i = 0; i < count; ++i) {
    const std::string name = toutf8(testkit::freedoom2maps()[i].first);
    const processresult r = diff({"-m", name, "-o", "alone/%.png"});
    ASSERT_EQ(r.status, 0) << r.err;
    alone += r.out;
    diff({"-m", name, "-o", "alone/last.png"});
  }
  const processresult together = diff({"-o", "together/%.png"});
  EXPECT_EQ(together.status, 0) << together.err;
  for (std::size_t at; (at = alone.find("alone/")) != std::string::npos;) alone.replace(at, 6, "together/");
  EXPECT_EQ(together.out, alone);
  EXPECT_EQ(lineswith(together.out, "MAP03: no changes").size(), 1u);
  EXPECT_TRUE(diff({"-o", "together/last.png"}).err.empty());
  std::size_t files = 0;
  for (const auto& f : fs::directory_iterator(root / "alone")) {
    ++files;
    EXPECT_EQ(testkit::readfile(f.path()), testkit::readfile(root / "together" / f.path().filename()))
        << f.path().filename();
  }
  EXPECT_EQ(files, 3 * (count - 1) + 3);  // three kinds of each changed map, and of last
}

TEST_F(Revisions, DiffRefusesWhatItCannotUse) {
  testkit::writefile(root / "a.wad", wadbytes(1, same));
  testkit::writefile(root / "c.txt", "no WAD");
  const processresult missing = run({"--diff", "a.wad", "none.wad"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "tracewell: none.wad: Error opening WAD file.\n");
  const processresult notwad = run({"--diff", "c.txt", "a.wad"});
  EXPECT_EQ(notwad.status, 1);
  EXPECT_EQ(notwad.err, "tracewell: c.txt: Error parsing WAD file.\n");
  const processresult usage = run({"--diff", "a.wad", "a.wad", "--dest", "x"});
  EXPECT_EQ(usage.status, 1);
  // A map NEW cannot read: its failure lines, no summary, status 2.
  testkit::wadbuilder broken;
  broken.addmap("MAP01", testkit::rawof(*testkit::freedoom2maps()[0].second),
                testkit::mapoptions::without("SECTORS"));
  broken.write(root / "broken.wad");
  const processresult unread = run({"--diff", "a.wad", "broken.wad"});
  EXPECT_EQ(unread.status, 2);
  EXPECT_EQ(unread.out, "");
  EXPECT_NE(unread.err.find("Failed to load map lumps for \"MAP01\". Image not outputted.\n"),
            std::string::npos)
      << unread.err;
  // Pictures that cannot be written: each kind's failure line, then why on the command line.
  testkit::writefile(root / "b.wad", wadbytes(2, specialonmap1));
  testkit::writefile(root / "a2.wad", wadbytes(2, same));
  const processresult unwritten = run({"--diff", "a2.wad", "b.wad", "-o", "no/%.png", "--extra", "svg"});
  EXPECT_EQ(unwritten.status, 2);
  EXPECT_EQ(
      unwritten.err,
      "Failed to write PNG file \"no/MAP02.png\".\ntracewell: no/MAP02.png: No such file or directory\n"
      "Failed to write SVG file \"no/MAP02.svg\".\ntracewell: no/MAP02.svg: No such file or directory\n");
  // The same file twice, the second through a pipe: nothing changed, nothing written.
  ASSERT_EQ(mkfifo((root / "pipe").c_str(), 0600), 0);
  const processresult piped = testkit::runprocess(
      "/bin/sh", {"-c", "cat a.wad > pipe & exec \"$0\" --diff a.wad pipe", (tool / "tracewell").string()},
      "", root.path());
  EXPECT_EQ(piped.status, 0) << piped.err;
  EXPECT_EQ(piped.out, "MAP01: no changes\n");
}

// A UDMF thing block without a usable x or y is one of the map's things wherever a record counts them:
// the manifest of a drawing run, the gallery's card, the page's statistics and the diff's record.
TEST_F(Revisions, AThingWithoutAPlaceCountsInEveryRecord) {
  const std::string room =
      "namespace = \"doom\"; vertex { x = 0; y = 0; } vertex { x = 64; y = 0; } vertex { x = 64; y = 64; }"
      "linedef { v1 = 0; v2 = 1; sidefront = 0; } linedef { v1 = 1; v2 = 2; sidefront = 0; }"
      "sidedef { sector = 0; } sector { }";
  // Three things: one placed, one without x, one whose y is no number.
  const std::string things =
      "thing { x = 32; y = 32; type = 3001; } thing { y = 8; type = 3001; } thing { x = 8; y = z; type = 5; "
      "}";
  testkit::wadbuilder older, newer;
  older.addudmfmap("MAP01", room);
  newer.addudmfmap("MAP01", room + things);
  older.write(root / "old.wad");
  newer.write(root / "new.wad");
  const auto record = [this](const std::string& file) {
    return nlohmann::json::parse(testkit::readfile(root / file));
  };

  const processresult drawn =
      run({"-d", "out", "--manifest", "draw.jsonl", "--gallery", "--extra", "html", "new.wad"});
  ASSERT_EQ(drawn.status, 0) << drawn.err;
  EXPECT_EQ(record("draw.jsonl")["things"], 3);
  EXPECT_NE(testkit::readfile(root / "out/index.html").find("3 things"), std::string::npos);
  const std::string page = testkit::readfile(root / "out/new/MAP01.html");
  const std::string open = "<script type=\"application/json\" id=\"tw-data\">";
  const std::size_t from = page.find(open) + open.size();
  const nlohmann::json data = nlohmann::json::parse(page.substr(from, page.find("</script>", from) - from));
  const auto row = std::find_if(data["stats"].begin(), data["stats"].end(),
                                [](const nlohmann::json& r) { return r[0] == "things"; });
  ASSERT_NE(row, data["stats"].end());
  EXPECT_EQ((*row)[1], 3);

  const processresult diffed = run({"--diff", "old.wad", "new.wad", "--manifest", "diff.jsonl"});
  ASSERT_EQ(diffed.status, 0) << diffed.err;
  EXPECT_EQ(record("diff.jsonl")["things"], 3);
  // Only a placed thing can be told apart from the older version's.
  EXPECT_EQ(record("diff.jsonl")["diff"]["things_added"], 1);
}

}  // namespace
}  // namespace tracewell
