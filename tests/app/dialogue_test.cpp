// The prompt dialogue: list texts, lookups, defaults, refusals and the end of input.
#include <gtest/gtest.h>

#include "app/console.h"
#include "apptest.h"
#include "wad/wad.h"

namespace tracewell {
namespace {

using testkit::crlf;
using testkit::runscripted;

std::shared_ptr<scheme> named(const text& name) {
  auto s = std::make_shared<scheme>();
  s->name = name;
  return s;
}

TEST(Dialogue, MapListStandsFourToALineWithoutTrailingLineFeed) {
  struct {
    std::list<text> names;
    const char16_t* want;
  } cases[] = {
      {{}, u""},
      {{u"MAP01"}, u" MAP01"},
      {{u"A", u"B", u"C", u"D"}, u" A B C D"},
      {{u"A", u"B", u"C", u"D", u"E"}, u" A B C D\n E"},
      {{u"MAP01", u"MAP02", u"MAP03", u"MAP04", u"MAP05", u"MAP06", u"MAP07"},
       u" MAP01 MAP02 MAP03 MAP04\n MAP05 MAP06 MAP07"},
      {{u"1", u"2", u"3", u"4", u"5", u"6", u"7", u"8"}, u" 1 2 3 4\n 5 6 7 8"},
  };
  const console c;
  for (const auto& k : cases) EXPECT_EQ(c.getmapstring(k.names), k.want) << toutf8(k.want);
}

TEST(Dialogue, SchemeListHasOneNamePerLine) {
  console c;
  EXPECT_EQ(c.getschemestring(), u"");
  c.schemes = {named(u"Dark"), named(u""), named(u"light")};
  EXPECT_EQ(c.getschemestring(), u"Dark\n\nlight");
}

TEST(Dialogue, FormatAndSchemeMatchIgnoringCaseOnly) {
  struct {
    const char16_t* word;
    std::int32_t want;
  } formatcases[] = {
      {u"doom", 0},  {u"DOOM", 0},   {u"Hexen", 1},  {u"hexen", 1}, {u"HEXEN", 1},    {u"zdoom", 2},
      {u"ZDoom", 2}, {u"Doom ", -1}, {u" doom", -1}, {u"", -1},     {u"heretic", -1}, {u"doom\t", -1},
  };
  for (const auto& k : formatcases) EXPECT_EQ(console::getformat(k.word), k.want) << toutf8(k.word);

  console c;
  c.schemes = {named(u"Dark"), named(u"DARK"), named(u"Light"), named(u"")};
  EXPECT_EQ(c.getscheme(u"dark"), c.schemes.front());  // the first of equal names wins
  EXPECT_EQ(c.getscheme(u"LIGHT")->name, u"Light");
  EXPECT_EQ(c.getscheme(u"")->name, u"");
  EXPECT_EQ(c.getscheme(u"Dark "), nullptr);
  EXPECT_EQ(c.getscheme(u"Blue"), nullptr);
}

TEST(Dialogue, InputOffersTheDefaultAndKeepsAnswersAsTyped) {
  struct {
    std::string input;
    std::optional<text> want;
  } cases[] = {
      {"\n", u"dflt"},   {"\r\n", u"dflt"},  {"  \n", u"  "},       {" x \n", u" x "},
      {"last", u"last"}, {"", std::nullopt}, {"\"q\"\n", u"\"q\""}, {"caf\xC3\xA9\n", u"café"},
  };
  for (const auto& k : cases) {
    std::optional<text> got;
    const auto s = runscripted(k.input, [&] { got = console::getinput(u"Prompt?", u"dflt"); });
    EXPECT_EQ(s.out, "Prompt?\r\n(Leave blank for \"dflt\")\r\n> ");
    EXPECT_EQ(got, k.want) << k.input;
    EXPECT_FALSE(s.exitstatus);
  }
}

class DialogueRun : public testkit::toolfolder {};

TEST_F(DialogueRun, RefusesEachBadAnswerAndAsksAgain) {
  testkit::wadbuilder("JUNK").write(dir / "notawad.wad");
  testkit::wadbuilder nomaps;
  nomaps.addlump("PLAYPAL", std::string(768, '\0'));
  nomaps.addlump("E1M1");
  nomaps.write(dir / "nomaps.wad");

  const std::shared_ptr<console> c = load();
  ASSERT_TRUE(c);
  const std::string input =
      "\"test.wad\"\nmissing.wad\n.\nnotawad.wad\nnomaps.wad\n\n"  // the WAD, then the default
      "\nMAP01 \nmap03\nmap01\n"                                   // the map
      "Doom \nHeretic\nhexen\n"                                    // the format
      "800x600\nabc\n -3\n"                                        // the size, never refused
      "Blue\nPLAIN\n"                                              // the scheme
      "\n";                                                        // the output pattern
  const auto s = runscripted(input, [&] { c->requestinputs(); });
  EXPECT_FALSE(s.exitstatus);
  testkit::dialoguetext d;
  d.wadrefusals = {"Error opening WAD file. Try again?", "Error opening WAD file. Try again?",
                   "Error opening WAD file. Try again?",  // a folder
                   "Error parsing WAD file. Try again?", "No maps found in WAD. Try again?"};
  d.maprefusals = 3;
  d.formatrefusals = 2;
  d.schemerefusals = 1;
  EXPECT_EQ(s.out, crlf(d.str()));
  EXPECT_EQ(c->inputpath, u"test.wad");
  EXPECT_EQ(c->maps, (std::list<text>{u"MAP01", u"MAP02", u"MAPINFO"}));
  EXPECT_EQ(c->mapname, u"MAP01");
  EXPECT_EQ(c->format, wad::HEXEN);
  EXPECT_EQ(c->formatname, u"hexen");
  EXPECT_EQ(c->width, 800);
  EXPECT_EQ(c->height, 0);
  EXPECT_EQ(c->margin, -3);
  EXPECT_EQ(c->schemename, u"PLAIN");
  ASSERT_TRUE(c->scheme);
  EXPECT_EQ(c->scheme->name, u"Plain");
  EXPECT_EQ(c->outputpath, u"out/%.png");
}

TEST_F(DialogueRun, AllInAnyCaseAndDefaultsThatAreInvalidAreRefused) {
  std::shared_ptr<console> c = load();
  ASSERT_TRUE(c);
  c->formatname = u"Heretic";
  c->schemename = u"Blue";
  const auto s = runscripted("\nall\n\nzdoom\n\n\n\n\nred\n\n", [&] { c->requestinputs(); });
  EXPECT_FALSE(s.exitstatus);
  EXPECT_EQ(c->mapname, u"ALL");
  EXPECT_EQ(c->format, wad::ZDOOM);
  EXPECT_EQ(c->formatname, u"zdoom");
  EXPECT_EQ(c->schemename, u"red");
  const std::string out = s.out;
  EXPECT_NE(out.find(crlf("(Leave blank for \"Heretic\")\n> Invalid map format. Try again?\n")),
            std::string::npos);
  EXPECT_NE(out.find(crlf("(Leave blank for \"Blue\")\n> Invalid color scheme. Try again?\n")),
            std::string::npos);
}

TEST_F(DialogueRun, EndOfInputEndsTheProcessQuietlyOnlyAtTheWadPrompt) {
  struct {
    std::string input;
    int status;
    std::string lastprompt;  // the prompt line asked last
  } cases[] = {
      {"", 0, "Input WAD path?"},
      {"missing.wad\n", 0, "Input WAD path?"},
      {"test.wad", 1, "Input map? (Input \"ALL\" to output all maps.)"},  // a last line without a line feed
      {"\nMAP01\n", 1, "Input WAD format? (Options: Doom, Hexen, ZDoom) "},
      {"\nMAP01\n\n", 1, "Input automap image width?"},
      {"\nMAP01\n\n\n", 1, "Input automap image height?"},
      {"\nMAP01\n\n\n\n", 1, "Input automap image margins?"},
      {"\nMAP01\n\n\n\n\n", 1, "Input automap color scheme?"},
      {"\nMAP01\n\n\n\n\nnone\n", 1, "Input automap color scheme?"},
      {"\nMAP01\n\n\n\n\n\n", 1, "Input automap PNG path? (Note: * replaced by date/time. % by map name.)"},
  };
  for (const auto& k : cases) {
    const std::shared_ptr<console> c = load();
    ASSERT_TRUE(c);
    const auto s = runscripted(k.input, [&] { c->requestinputs(); });
    ASSERT_EQ(s.exitstatus, k.status) << k.input;
    const std::size_t at = s.out.rfind(k.lastprompt + "\r\n");
    ASSERT_NE(at, std::string::npos) << k.input;
    std::string tail = s.out.substr(at + k.lastprompt.size() + 2);
    // Prompts with a default show it on the line before the answer.
    if (tail.rfind("(Leave blank for ", 0) == 0) tail = tail.substr(tail.find("\r\n") + 2);
    EXPECT_EQ(tail, k.status == 0 ? "> " : "> Unexpected end of input.\r\n") << k.input;
  }
}

// A start WAD that fails is not tried again: the prompt offers the settings' path.
TEST_F(DialogueRun, FailedCommandLineWadFallsBackToThePrompt) {
  const std::shared_ptr<console> c = load();
  const auto s = runscripted("", [&] { c->requestinputs(u"missing.wad"); });
  EXPECT_EQ(s.exitstatus, 0);
  EXPECT_EQ(s.out, crlf("Opening WAD \"missing.wad\".\nError opening WAD file. Try again?\n"
                        "Input WAD path?\n(Leave blank for \"test.wad\")\n> "));
}

}  // namespace
}  // namespace tracewell
