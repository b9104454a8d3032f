// The bash completion run in bash over hostile map and file names: every word offered literally, nothing
// run.
#include <gtest/gtest.h>

#include "apptest.h"

namespace tracewell {
namespace {

namespace fs = std::filesystem;

// Sources the completion, sets the line to `words` with the cursor on word `cword`, runs it
// and gives one line per word offered.
const char* const completeline =
    "source \"$1\" && cword=$2 && shift 2 && COMP_WORDS=(\"$@\") COMP_CWORD=$cword && _tracewell && "
    "printf '%s\\n' \"${COMPREPLY[@]}\"";

TEST(Completion, NamesAreOfferedLiterallyAndNothingRuns) {
  testkit::tempdir dir;
  testkit::maketoolfolder(dir.path(), TRACEWELL_EXE);
  const fs::path program = dir / "tracewell";
  // Maps found by their lumps, whatever their names, unless the line says otherwise.
  std::string settings = testkit::testsettings;
  settings.insert(settings.find('[') + 1, " map_detection: content;");
  // Scheme names as the settings language allows them: quoted, in comments (no scheme), included,
  // given twice in different case.
  settings.insert(settings.rfind(']'),
                  "< #color_scheme[ scheme_name: Fake; ] < nested > scheme_name: Fake2; >\n"
                  "#color_scheme[ scheme_name: \"$(id>W) x;y\"; ]\ninclude: more.txt;\n"
                  "#color_scheme[ scheme_name: RED; scheme_name: Green; ]\n#deeper[ #color_scheme[ "
                  "scheme_name: No; ] ]\n");
  testkit::writefile(dir / "settings.txt", settings);
  testkit::writefile(dir / "more.txt", "#color_scheme[ scheme_name: Blue; ]");
  testkit::writefile(dir / "other.txt", "#s[ include: more.txt; ]");
  testkit::wadbuilder evil;
  for (const char* name : {"$(id>X)", "`id>Y`", "*", "a b", "-x"}) evil.addmap(name, testkit::squaremap());
  evil.write(dir / "evil.wad");
  testkit::wadbuilder one;
  one.addmap("MAP01", testkit::squaremap());
  testkit::writefile(dir / "evil.pk3", testkit::buildzip({{"maps/$(touch Z).wad", one.bytes(), true, ""}}));
  testkit::writefile(dir / "my map.wad", one.bytes());
  const std::vector<std::string> before = testkit::filesin(dir.path());

  const std::string p = program.string();
  const struct {
    std::vector<std::string> words;  // the last one is under the cursor
    std::string offered;             // one line per word, as readline puts it on the line
  } cases[] = {
      {{p, "evil.wad", "-m", ""}, "ALL\n\\$\\(id\\>X\\)\n\\`id\\>Y\\`\n\\*\na\\ b\n-x\n"},
      {{p, "evil.wad", "--map", "\\$"}, "\\$\\(id\\>X\\)\n"},
      {{p, "evil.wad", "-m", "'$("}, "\\$\\(id\\>X\\)\n"},
      {{p, "evil.wad", "-m", "\"a "}, "a\\ b\n"},
      {{p, "evil.wad", "-m", "-"}, "-x\n"},
      {{p, "evil.wad", "-m", "*"}, "\\*\n"},
      {{p, "evil.wad", "--detect", "names", "-m", ""}, "ALL\n"},  // none of them is named MAP...
      {{p, "evil.pk3", "-m", ""}, "ALL\n\\$\\(TOUCH\\ Z\\)\n"},
      {{p, "'my map.wad'", "-m", "M"}, "MAP01\n"},
      {{p, "my"}, "my map.wad\n"},
      {{p, "--ma"}, "--map\n--margin\n--manifest\n--max-maps\n"},
      {{p, "--dump", "evil.wad", "-m", "-"}, "-x\n"},
      {{p, "evil.wad", "--png", ""}, "standard\ncompact\n"},
      {{p, "--detect", "C"}, "\n"},
      {{p, "--detect", "c"}, "content\n"},
      {{p, "--extra", "svg,"}, "svg,png\nsvg,html\n"},
      {{p, "--extra", "png,h"}, "png,html\n"},
      {{p, "-c", "p"}, "Plain\n"},
      {{p, "--settings", "other.txt", "--scheme", ""}, "Blue\n"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"-c", completeline, "bash", TRACEWELL_SOURCE_DIR "/dist/tracewell.bash",
                                     std::to_string(c.words.size() - 1)};
    args.insert(args.end(), c.words.begin(), c.words.end());
    const testkit::processresult r = testkit::runprocess("/bin/bash", args, "", dir.path());
    EXPECT_EQ(r.status, 0) << c.words.back() << r.err;
    EXPECT_EQ(r.out, c.offered) << ::testing::PrintToString(c.words);
  }
  EXPECT_EQ(testkit::filesin(dir.path()), before);

  // The schemes offered are those the dialogue lists for the same settings, in its order.
  const testkit::processresult dialogue =
      testkit::runprocess(program.string(), {}, "\nMAP01\n\n\n\n\n", dir.path());
  const std::size_t from = dialogue.out.find("Available color schemes:\r\n");
  const std::size_t to = dialogue.out.find("Input automap color scheme?");
  ASSERT_NE(from, std::string::npos) << dialogue.out;
  std::string listed = dialogue.out.substr(from + 26, to - from - 26);
  std::erase(listed, '\r');
  std::vector<std::string> args = {
      "-c", completeline, "bash", TRACEWELL_SOURCE_DIR "/dist/tracewell.bash", "2", p, "-c", ""};
  const testkit::processresult offered = testkit::runprocess("/bin/bash", args, "", dir.path());
  std::string unquoted;
  for (const char c : offered.out)
    if (c != '\\') unquoted += c;
  EXPECT_EQ(unquoted, listed);
}

}  // namespace
}  // namespace tracewell
