// The check run as the built program gives it: statuses, its lines and their order, the workflow
// commands' escaping and the settings' severities.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "apptest.h"

namespace tracewell {
namespace {

namespace fs = std::filesystem;
using testkit::commandcase;
using testkit::processresult;

// A closed, textured room of 256 x 256 with the four player starts: nothing to find.
testkit::mapdata room() {
  testkit::mapdata m = testkit::squaremap(wad::DOOM, 256);
  for (std::int32_t p = 1; p <= 4; ++p) m.things.push_back({32 * p, 32, 0, p, 7});
  return m;
}
// The room with the red key door of Doom (special 28) on its line `line` and no key.
testkit::mapdata reddoor(testkit::mapdata m, std::size_t line = 2) {
  m.linedefs[line].special = 28;
  return m;
}
// The room with three starts: a warning.
testkit::mapdata threestarts(testkit::mapdata m) {
  m.things.pop_back();
  return m;
}

class CheckRun : public ::testing::Test {
 protected:
  void SetUp() override { testkit::maketoolfolder(tool, TRACEWELL_EXE); }

  void wad(const std::string& name, const std::vector<std::pair<std::string, testkit::mapdata>>& maps) const {
    testkit::wadbuilder b;
    for (const auto& [map, data] : maps) b.addmap(map, data);
    b.write(root / name);
  }
  processresult run(std::vector<std::string> args) const {
    args.insert(args.begin(), "--check");
    return testkit::runprocess((tool / "tracewell").string(), args, "", root.path());
  }
  // The test settings with `checks` as their #checks node, in file `name`.
  void settingswith(const std::string& name, const std::string& checks) const {
    std::string s = testkit::testsettings;
    s.insert(s.find("#color_scheme"), "#checks[ " + checks + " ]\n");
    testkit::writefile(root / name, s);
  }

  testkit::tempdir root;
  const fs::path tool = root / "tool";
};

// Worst first: a map not read (2) over a finding of severity error (3) over warnings (0); a refused
// value 1, as the batch run's refusals. The settings' #checks node sets a check's severity: off drops
// its lines, warning and error change the line and the status; a value or check it does not know
// refuses the run.
TEST_F(CheckRun, StatusIsTheWorstOfItsInputs) {
  wad("clean.wad", {{"MAP01", room()}});
  wad("error.wad", {{"MAP01", reddoor(room())}});
  wad("warning.wad", {{"MAP01", threestarts(room())}});
  testkit::wadbuilder broken;
  broken.addudmfmap("MAP01", "namespace = \"doom\"; vertex {");
  broken.write(root / "unreadable.wad");
  const std::string red =
      "error.wad: MAP01: L2: error: red lock, no red key at skills 1-2, 3 and 4-5 in single play and coop "
      "[missing-key]\n";
  settingswith("off.txt", "missing-key: off;");
  settingswith("warning.txt", "missing-key: Warning;");
  settingswith("error.txt", "missing-key: warning; missing-key: error");
  settingswith("typo.txt", "missing-key: eror;");
  settingswith("unknown.txt", "missing-keys: off;");
  std::string redwarning = red;
  redwarning.replace(redwarning.find("error: red"), 5, "warning");
  const std::string unreadable =
      "Error in TEXTMAP of \"MAP01\" at line 1: the \"vertex\" block has no closing \"}\".\n"
      "Failed to load map lumps for \"MAP01\". Image not outputted.\n";
  const std::vector<commandcase> cases = {
      {{"clean.wad"}, 0, "clean.wad: 1 map checked, 0 errors, 0 warnings\n", ""},
      {{"error.wad"}, 3, red + "error.wad: 1 map checked, 1 error, 0 warnings\n", ""},
      {{"warning.wad"},
       0,
       "warning.wad: MAP01: warning: 3 of 4 cooperative starts [player-start]\n"
       "warning.wad: 1 map checked, 0 errors, 1 warning\n",
       ""},
      {{"unreadable.wad"}, 2, "unreadable.wad: 0 maps checked, 0 errors, 0 warnings\n", unreadable},
      {{"error.wad", "unreadable.wad"},
       2,
       red + "error.wad: 1 map checked, 1 error, 0 warnings\nunreadable.wad: 0 maps checked, 0 errors, 0 "
             "warnings\n",
       unreadable},
      {{"missing.wad", "clean.wad"},
       2,
       "clean.wad: 1 map checked, 0 errors, 0 warnings\n",
       "tracewell: missing.wad: Error opening WAD file.\n"},
      {{"-f", "Nonsense", "clean.wad"}, 1, "", "tracewell: Invalid map format.\n"},
      {{"--settings", "off.txt", "error.wad"}, 0, "error.wad: 1 map checked, 0 errors, 0 warnings\n", ""},
      {{"--settings", "warning.txt", "error.wad"},
       0,
       redwarning + "error.wad: 1 map checked, 0 errors, 1 warning\n",
       ""},
      {{"--settings", "error.txt", "error.wad"},
       3,
       red + "error.wad: 1 map checked, 1 error, 0 warnings\n",
       ""},
      {{"--settings", "typo.txt", "error.wad"},
       1,
       "",
       "tracewell: settings file \"typo.txt\": invalid value 'eror' for missing-key in #checks (error, "
       "warning or off)\n"},
      {{"--settings", "unknown.txt", "error.wad"},
       1,
       "",
       "tracewell: settings file \"unknown.txt\": unknown check 'missing-keys' in #checks\n"},
      {{"--check-format", "json", "clean.wad"},
       1,
       "",
       "tracewell: invalid value 'json' for --check-format (text or github)\nTry 'tracewell --help'.\n"},
  };
  testkit::runcommands(cases, [&](const std::vector<std::string>& args) { return run(args); });
}

// Input order, then the WAD's own map order (MAP02 before MAP01 here), then the map as a whole and
// lines by number; a summary after each input. With --manifest - only the records, which hold the
// findings and the statistics.
TEST_F(CheckRun, LinesComeInInputMapAndAddressOrder) {
  testkit::mapdata faulty = reddoor(threestarts(room()), 3);
  faulty.sidedefs[1].middletex = "-";
  // p_inter.c: a box of rockets is 5 rockets, a cell pack 100 cells; skills 1 and 5 give twice that.
  faulty.things.push_back({128, 128, 0, 2046, 7});
  faulty.things.push_back({160, 128, 0, 17, 7});
  wad("a.wad", {{"MAP02", faulty}, {"MAP01", room()}});
  wad("b.wad", {{"MAP01", threestarts(room())}});
  const processresult r = run({"a.wad", "b.wad"});
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out,
            "a.wad: MAP02: warning: 3 of 4 cooperative starts [player-start]\n"
            "a.wad: MAP02: L1: warning: one-sided, no middle texture [missing-texture]\n"
            "a.wad: MAP02: L3: error: red lock, no red key at skills 1-2, 3 and 4-5 in single play and coop "
            "[missing-key]\n"
            "a.wad: 2 maps checked, 1 error, 2 warnings\n"
            "b.wad: MAP01: warning: 3 of 4 cooperative starts [player-start]\n"
            "b.wad: 1 map checked, 0 errors, 1 warning\n");

  const processresult records = run({"a.wad", "b.wad", "--manifest", "-"});
  EXPECT_EQ(records.status, 3);
  std::istringstream lines(records.out);
  std::string line;
  std::vector<nlohmann::json> read;
  while (std::getline(lines, line)) read.push_back(nlohmann::json::parse(line));
  ASSERT_EQ(read.size(), 3u) << records.out;
  EXPECT_EQ(read[0]["status"], "checked");
  EXPECT_EQ(read[0]["output"], nullptr);
  EXPECT_EQ(read[0]["findings"].size(), 3u);
  EXPECT_EQ(
      read[0]["findings"][2],
      nlohmann::json::parse(R"({"code":"missing-key","severity":"error","address":"L3","message":)"
                            R"("red lock, no red key at skills 1-2, 3 and 4-5 in single play and coop"})"));
  EXPECT_EQ(read[0]["findings"][0]["address"], nullptr);
  EXPECT_EQ(read[1]["findings"], nlohmann::json::array());
  EXPECT_EQ(read[0]["stats"]["names"],
            nlohmann::json::parse(R"({"17":"cell pack","2046":"box of rockets"})"));
  // Counted from the things placed: three starts and two boxes in every cell, no monsters.
  for (const char* mode : {"single", "coop", "deathmatch"}) {
    for (const auto& cell : read[0]["stats"][mode]) {
      EXPECT_EQ(cell["player_starts"], 3);
      EXPECT_EQ(cell["monsters"], 0);
      EXPECT_EQ(cell["ammo_hp_ratio"], nullptr);
      EXPECT_EQ(cell["ammo"], nlohmann::json::parse(R"({"bullets":0,"shells":0,"rockets":5,"cells":100})"));
    }
  }
  EXPECT_FALSE(fs::exists(root / "MAP01.png")) << "nothing drawn unless asked";
}

// Every value a property of a workflow command holds is escaped, the message's too: a hostile input
// and map name (found by content) give one command each, and the text lines show them printable.
TEST_F(CheckRun, GithubFormatEscapesTheWorkflowCommand) {
  const std::string hostile = "x%:,\ny.wad";
  wad(hostile, {{"A%:,\nB", reddoor(threestarts(room()))}});
  const processresult github = run({"--detect", "content", "--check-format", "github", hostile});
  EXPECT_EQ(github.status, 3);
  EXPECT_EQ(
      github.out,
      "::warning file=x%25%3A%2C%0Ay.wad,title=A%25%3A%2C%0AB::3 of 4 cooperative starts [player-start]\n"
      "::error file=x%25%3A%2C%0Ay.wad,title=A%25%3A%2C%0AB L2::red lock, no red key at skills 1-2, 3 "
      "and 4-5 in single play and coop [missing-key]\n");
  const processresult text = run({"--detect", "content", hostile});
  EXPECT_EQ(text.out.substr(0, text.out.find('\n')),
            "x%:,?y.wad: A%:,?B: warning: 3 of 4 cooperative starts [player-start]");
}

}  // namespace
}  // namespace tracewell
