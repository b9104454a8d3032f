// Reading the command line: the dialogue's WAD argument and the scripted options.
#include "app/commandline.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace tracewell {
namespace {

TEST(CommandLine, OptionsSelectTheScriptedMode) {
  struct {
    std::vector<std::string> args;
    bool scripted;
  } cases[] = {
      {{}, false},     {{"doom2.wad"}, false},         {{"doom2.wad", "extra", "-", "-5"}, false},
      {{"-5"}, false}, {{"doom2.wad", "--all"}, true}, {{"-l"}, true},
      {{"--"}, true},  {{"x.wad", "-Q"}, true},
  };
  for (const auto& c : cases) {
    const commandline cl = commandline::parse(c.args);
    EXPECT_EQ(cl.scripted, c.scripted) << ::testing::PrintToString(c.args);
  }
  // Without options only the first argument counts, unchanged.
  EXPECT_EQ(commandline::parse({"a b.wad", "--x"}).scripted, true);
  EXPECT_EQ(commandline::parse({"a b.wad", "c.wad"}).inputs, std::vector<text>{u"a b.wad"});
}

TEST(CommandLine, ReadsEveryOptionAndTheLaterSizeWins) {
  const commandline cl =
      commandline::parse({"--map", "map01", "maps.wad",  "-m",           "MAP02", "-a",  "-f",
                          "Hexen", "-s",    "$400x300",  "--height=200", "-M",    "8",   "-c",
                          "Paper", "-o",    "out/%.png", "--settings",   "s.txt", "-lhV"});
  EXPECT_TRUE(cl.error.empty()) << toutf8(cl.error);
  EXPECT_EQ(cl.inputs, std::vector<text>{u"maps.wad"});
  EXPECT_EQ(cl.maps, (std::vector<text>{u"map01", u"MAP02", u"ALL"}));
  EXPECT_EQ(*cl.format, u"Hexen");
  EXPECT_EQ(*cl.width, 1024);
  EXPECT_EQ(*cl.height, 200);
  EXPECT_EQ(*cl.margin, 8);
  EXPECT_EQ(*cl.scheme, u"Paper");
  EXPECT_EQ(*cl.output, u"out/%.png");
  EXPECT_EQ(*cl.settings, u"s.txt");
  EXPECT_TRUE(cl.list && cl.help && cl.version);

  EXPECT_FALSE(cl.png);
  EXPECT_EQ(commandline::parse({"-a", "--png=COMPACT"}).png, pngencoding::compact);
  EXPECT_EQ(commandline::parse({"-a", "--png", "compact", "--png", "Standard"}).png, pngencoding::standard);

  const commandline sized = commandline::parse({"--width", "5", "--size", "7X9", "--width", "11"});
  EXPECT_EQ(*sized.width, 11);
  EXPECT_EQ(*sized.height, 9);
}

TEST(CommandLine, RefusalsNameTheOffendingOption) {
  struct {
    std::vector<std::string> args;
    const char16_t* error;
  } cases[] = {
      {{"--bogus"}, u"unknown option '--bogus'"},
      {{"--bogus=1"}, u"unknown option '--bogus'"},
      {{"-x"}, u"unknown option '-x'"},
      {{"-ax"}, u"unknown option '-x'"},
      {{"--map"}, u"option '--map' needs a value"},
      {{"-a", "-m"}, u"option '-m' needs a value"},
      {{"--all", "--help=1"}, u"option '--help' takes no value"},
      {{"--s=1x1", "-a"},
       u"option '--s' is ambiguous; possibilities: '--size' '--scheme' '--skip-existing' '--settings'"},
      {{"--sc", "Red", "--hei", "9", "--all"}, u""},
      {{"--size", "640"}, u"invalid size \"640\" (expected WxH)"},
      // No digit read from a side: the option as typed, whatever form its value took.
      {{"--width", "abc"}, u"invalid value 'abc' for --width"},
      {{"--wid=", "-a"}, u"invalid value '' for --wid"},
      {{"-as10x"}, u"invalid value '10x' for -s"},
      {{"--size", "x10"}, u"invalid value 'x10' for --size"},
      {{"--height", "-", "-a"}, u"invalid value '-' for --height"},
      {{"-a", "--width", "800px", "--height", "$1F", "--size", "%101x+7", "--margin", ""}, u""},
      {{"a.wad", "b.wad", "-a"}, u"more than one WAD: \"b.wad\" (several inputs need --dest DIR)"},
      {{"-d", "o", "a.wad", "-", "-a"}, u""},
      {{"-d", "o", "a.wad", "b.wad", "-l"}, u"--list takes one input"},
      {{"-d", "o", "-o", "x/../../%.png", "-a"},
       u"output pattern \"x/../../%.png\" leads out of the --dest folder"},
      {{"-a", "-o", "../%.png", "--max-maps", "1"}, u""},
      {{"-a", "--max-maps", "lots"}, u"invalid value 'lots' for --max-maps"},
      {{"--diff", "a.wad", "b.wad", "--crop", "--manifest", "-", "-o", "%.svg"}, u""},
      {{"--diff", "a.wad"}, u"--diff takes two inputs, OLD and NEW"},
      {{"--diff", "a.wad", "b.wad", "c.wad"}, u"--diff takes two inputs, OLD and NEW"},
      {{"--diff", "a.wad", "b.wad", "-d", "o"}, u"option '--dest' cannot be used with --diff"},
      {{"--diff", "a.wad", "b.wad", "-l"}, u"option '--list' cannot be used with --diff"},
      {{"--diff", "a.wad", "b.wad", "--skip-existing"},
       u"option '--skip-existing' cannot be used with --diff"},
      {{"--diff", "a.wad", "b.wad", "--max-maps", "3"}, u"option '--max-maps' cannot be used with --diff"},
      {{"--crop", "-a"}, u"--crop needs --diff"},
      {{"--diff", "a.wad", "b.wad", "--gallery"}, u"option '--gallery' cannot be used with --diff"},
      {{"--diff", "a.wad", "b.wad", "--extra", "svg,html"}, u""},
      {{"--diff", "a.wad", "b.wad", "-o", "%.HTM"}, u""},
      {{"--dump", "a.wad", "-m", "MAP01", "-f", "auto"}, u""},
      {{"--dump", "a.wad", "b.wad"}, u"--dump takes its WAD as its value, no other input"},
      {{"--dump", "a.wad", "--diff", "b.wad", "c.wad"}, u"option '--diff' cannot be used with --dump"},
      {{"--d", "a.wad"}, u"option '--d' is ambiguous; possibilities: '--detect' '--dest' '--diff' '--dump'"},
      {{"-a", "--png", "palette"}, u"invalid value 'palette' for --png (standard or compact)"},
      {{"-a", "--pn="}, u"invalid value '' for --pn (standard or compact)"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(toutf8(commandline::parse(c.args).error), toutf8(c.error)) << ::testing::PrintToString(c.args);
  }
}

// Arguments may come before, between and after the options whatever the environment says.
TEST(CommandLine, ArgumentsAnywhereUnderPosixlyCorrect) {
  ::setenv("POSIXLY_CORRECT", "1", 1);
  const commandline cl = commandline::parse({"x.wad", "--list", "-m", "MAP01"});
  ::unsetenv("POSIXLY_CORRECT");
  EXPECT_TRUE(cl.error.empty()) << toutf8(cl.error);
  EXPECT_TRUE(cl.list);
  EXPECT_EQ(cl.maps, std::vector<text>{u"MAP01"});
  EXPECT_EQ(commandline::parse({"-a", "--", "-l"}).inputs, std::vector<text>{u"-l"});
}

// The help lines come from the option table: short and long-only forms in one column.
TEST(CommandLine, UsageLinesLineUp) {
  const std::string usage = usagetext();
  for (const char* line :
       {"\n  -m, --map NAME        draw this map;", "\n      --width N         image width\n",
        "\n  -a, --all             draw every map", "\n  -V, --version         print the version"}) {
    EXPECT_NE(usage.find(line), std::string::npos) << line;
  }
}

}  // namespace
}  // namespace tracewell
