// Revisions of a WAD as the built program shows them: --dump as git's textconv, and --diff.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
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
  EXPECT_EQ(refused.err, "tracewell: Error parsing WAD file.\n");
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

}  // namespace
}  // namespace tracewell
