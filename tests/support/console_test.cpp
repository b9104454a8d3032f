// Console lines, the fatal stop, stream failures, the debug log and path conversion.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>

#include "support/debuglog.h"
#include "support/path.h"
#include "support/process.h"
#include "support/terminal.h"
#include "testlib/harness.h"

namespace tracewell {
namespace {

using testkit::runscripted;

TEST(Console, PrintLineEndsWithCrLfInUtf8) {
  const auto s = runscripted("", [] {
    printline(u"Tracewell \u00E4");
    printline(u"");
  });
  EXPECT_EQ(s.out, "Tracewell \xC3\xA4\r\n\r\n");
}

TEST(Console, ReadLineShowsThePromptDropsCrAndDecodesUtf8) {
  std::vector<std::optional<text>> got;
  const auto s = runscripted("MAP01\r\n\xC3\xA4\rb\n\nlast", [&] {
    for (int i = 0; i < 5; ++i) got.push_back(readline(u"> "));
  });
  EXPECT_EQ(s.out, "> > > > > ");
  ASSERT_EQ(got.size(), 5u);
  EXPECT_EQ(got[0], text(u"MAP01"));
  EXPECT_EQ(got[1], text(u"\u00E4b"));
  EXPECT_EQ(got[2], text(u""));
  EXPECT_EQ(got[3], text(u"last"));  // no line feed at the end
  EXPECT_EQ(got[4], std::nullopt);
}

// The real standard input: run in a child whose stdin is a file.
TEST(ConsoleDeathTest, StandardInputLinesAndEnd) {
  testkit::tempdir dir;
  testkit::writefile(dir / "in", "a\r\n\xE2\x82\xAC\nend");
  const auto body = [&] {
    if (std::freopen((dir / "in").c_str(), "rb", stdin) == nullptr) std::exit(3);
    std::string report;
    for (int i = 0; i < 4; ++i) {
      const auto line = readline(u"");
      if (line) {
        report += '[';
        report += toutf8(*line);
        report += ']';
      } else {
        report += "<eof>";
      }
    }
    currentterminal().writeerror(report);
    std::exit(0);
  };
  EXPECT_EXIT(body(), ::testing::ExitedWithCode(0), "^\\[a\\]\\[\xE2\x82\xAC\\]\\[end\\]<eof>$");
}

TEST(Console, FatalStopWaitsForEnterThenExitsWithOne) {
  for (const std::string input : {"\n", "", "anything\nmore\n"}) {
    const auto s = runscripted(input, [] { fatalstop(u"Something broke."); });
    EXPECT_EQ(s.out, "Something broke.\r\nPress enter to exit.\r\n>") << input;
    EXPECT_EQ(s.exitstatus, 1);
    EXPECT_EQ(s.err, "");
  }
}

TEST(Console, StreamFailureGoesToStandardErrorWithoutLineEnd) {
  const auto s = runscripted("", [] { streamfailure(u"Error writing to stream"); });
  EXPECT_EQ(s.err, "Error writing to stream");
  EXPECT_EQ(s.out, "");
  EXPECT_EQ(s.exitstatus, -1);
}

TEST(ConsoleDeathTest, StreamFailureExitsWith255) {
  EXPECT_EXIT(streamfailure(u"Error reading from stream"), ::testing::ExitedWithCode(255),
              "^Error reading from stream$");
}

TEST(Console, DebugLogIsDiscardedUnlessHooked) {
  debuglog(u"nobody listens");  // no hook yet: dropped, not kept for the next one
  const auto s = runscripted("", [] { debuglog(u"parsed"); });
  ASSERT_EQ(s.log.size(), 1u);
  EXPECT_EQ(s.log[0], u"parsed");
}

TEST(Path, BackslashesBecomeSlashesAndUtf8) {
  struct {
    const char16_t* in;
    const char* want;
  } cases[] = {
      {u"wads\\doom2.wad", "wads/doom2.wad"},
      {u"C:\\Games\\doom.wad", "C:/Games/doom.wad"},
      {u"C:doom.wad", "C:doom.wad"},
      {u"/abs/x.wad", "/abs/x.wad"},
      {u"m\u00E4p\\%.png", "m\xC3\xA4p/%.png"},
  };
  for (const auto& c : cases) EXPECT_EQ(nativepath(c.in), c.want) << c.want;
  EXPECT_EQ(directorypart(u"a/b\\c.wad"), u"a/b");
  EXPECT_EQ(directorypart(u"c.wad"), u"");
}

}  // namespace
}  // namespace tracewell
