// Settings binding: defaults, colour schemes and unusable settings files.
#include <gtest/gtest.h>

#include "app/console.h"
#include "apptest.h"
#include "render/automap.h"

namespace tracewell {
namespace {

using testkit::crlf;
using testkit::runscripted;
using testkit::tempdir;
using testkit::writefile;

TEST(SettingsBinding, ReadsEveryKeyAndKeepsSchemesLastFirst) {
  tempdir dir;
  writefile(dir / "s.txt", R"(
< the defaults; the last assignment of a key counts >
#settings[
    default_map_format: hexen;
    default_width: 100;
    default_width: $200;
    default_height: %1010;
    default_margin: -7px;
    default_scheme: "Two ";
    default_input_path: "C:\wads\a.wad";
    default_output_path: "* % *.png";
    #color_scheme[
        scheme_name: One;
        action_is_special: 1;
        background_color: -16777216;
        passable_color: 1;           passable_order: 2;
        passable_floor_change_color: 3;   passable_floor_change_order: 4;
        passable_ceil_change_color: 5;    passable_ceil_change_order: 6;
        passable_both_change_color: 7;    passable_both_change_order: 8;
        passable_action_color: 9;         passable_action_order: 10;
        impassable_color: $FFFC0000;      impassable_order: 3;
        impassable_floor_change_color: 11; impassable_floor_change_order: 12;
        impassable_ceil_change_color: 13;  impassable_ceil_change_order: 14;
        impassable_both_change_color: 15;  impassable_both_change_order: 16;
        impassable_action_color: 4278190080; impassable_action_order: %11;
    ]
    #color_scheme[ ]
    #color_scheme[ scheme_name: one; background_color: $FF000000;
        teleport_color: abc; exit_order: ""; secret_line_order: 0; ]
]
)");
  std::shared_ptr<console> c;
  const auto s = runscripted("", [&] { c = console::readpath(fromutf8((dir / "s.txt").string())); });
  ASSERT_TRUE(c);
  EXPECT_EQ(s.out, "");
  EXPECT_EQ(c->formatname, u"hexen");
  EXPECT_EQ(c->width, 512);
  EXPECT_EQ(c->height, 10);
  EXPECT_EQ(c->margin, -7);
  EXPECT_EQ(c->schemename, u"Two ");
  EXPECT_EQ(c->inputpath, u"C:\\wads\\a.wad");
  EXPECT_EQ(c->outputpath, u"* % *.png");

  ASSERT_EQ(c->schemes.size(), 3u);
  auto it = c->schemes.begin();
  const scheme& last = **it++;
  const scheme& empty = **it++;
  const scheme& first = **it;
  EXPECT_EQ(last.name, u"one");
  EXPECT_EQ(last.look.background, -16777216);
  EXPECT_EQ(last.look.colors, (std::array<std::int32_t, linecolors>{}));
  EXPECT_EQ(last.look.orders, (std::array<std::int32_t, linecolors>{}));
  // A value, even one that reads as 0, mentions a category; an empty one does not.
  EXPECT_EQ(last.look.fallback.colorgiven, 1u << (teleportline - linecolors));
  EXPECT_EQ(last.look.fallback.ordergiven, 1u << (secretflagline - linecolors));
  EXPECT_EQ(first.look.fallback.mentioned(), 0u);
  EXPECT_EQ(empty.name, u"");
  EXPECT_EQ(empty.look.background, 0);
  EXPECT_EQ(empty.look.actionspecial, 0);
  EXPECT_EQ(first.name, u"One");
  EXPECT_EQ(first.look.actionspecial, 1);
  EXPECT_EQ(first.look.background, -16777216);
  EXPECT_EQ(first.look.colors,
            (std::array<std::int32_t, linecolors>{1, 3, 5, 7, 9, -262144, 11, 13, 15, -16777216}));
  EXPECT_EQ(first.look.orders, (std::array<std::int32_t, linecolors>{2, 4, 6, 8, 10, 3, 12, 14, 16, 3}));
  // The scheme written later wins over an earlier one of the same name.
  EXPECT_EQ(c->getscheme(u"ONE").get(), &last);
}

TEST(SettingsBinding, LineStyleKeysAreConvertedThenClamped) {
  struct {
    const char* keys;
    std::int32_t width;
    bool antialias;
  } const cases[] = {
      {"", 1, false},
      {"line_width: 0; antialias: 0;", 1, false},
      {"line_width: -3; antialias: 2;", 1, false},
      {"line_width: 2; antialias: 1;", 2, true},
      {"line_width: 16px; antialias: \" +1\";", 16, true},
      {"line_width: 17; antialias: $1;", 16, true},
      {"line_width: 2147483648; antialias: 4294967297;", 1, true},  // wraps to -2^31 and 1
      {"line_width: $FFFFFFFF; antialias: -1;", 1, false},
      {"line_width: %11; antialias: on;", 3, false},
  };
  std::string text = "#s[";
  for (const auto& k : cases) text += std::string(" #color_scheme[ ") + k.keys + " ]";
  tempdir dir;
  writefile(dir / "s.txt", text + " ]");
  std::shared_ptr<console> c;
  runscripted("", [&] { c = console::readpath(fromutf8((dir / "s.txt").string())); });
  ASSERT_TRUE(c);
  ASSERT_EQ(c->schemes.size(), std::size(cases));
  auto it = c->schemes.rbegin();
  for (const auto& k : cases) {
    const scheme& s = **it++;
    EXPECT_EQ(s.look.style.width, k.width) << k.keys;
    EXPECT_EQ(s.look.style.antialias, k.antialias) << k.keys;
  }
}

TEST(SettingsBinding, OnlySchemesGiveEmptyDefaults) {
  tempdir dir;
  writefile(dir / "s.txt", "#s[ #color_scheme[] ]");
  std::shared_ptr<console> c;
  runscripted("", [&] { c = console::readpath(fromutf8((dir / "s.txt").string())); });
  ASSERT_TRUE(c);
  EXPECT_EQ(c->formatname, u"");
  EXPECT_EQ(c->inputpath, u"");
  EXPECT_EQ(c->outputpath, u"");
  EXPECT_EQ(c->schemename, u"");
  EXPECT_EQ(c->width, 0);
  EXPECT_EQ(c->height, 0);
  EXPECT_EQ(c->margin, 0);
  EXPECT_EQ(c->schemes.size(), 1u);
}

// Only the word compact, in any case, chooses the compact encoder; anything else keeps the standard file.
TEST(SettingsBinding, PngEncodingIsCompactOnlyWhenNamed) {
  struct {
    const char* setting;
    pngencoding encoding;
  } cases[] = {
      {"", pngencoding::standard},
      {"png_encoding: compact;", pngencoding::compact},
      {"png_encoding: COMPACT;", pngencoding::compact},
      {"png_encoding: compact; png_encoding: standard;", pngencoding::standard},
      {"png_encoding: palette;", pngencoding::standard},
      {"png_encoding: \"compact \";", pngencoding::standard},
      {"#png_encoding[ ]", pngencoding::standard},
  };
  for (const auto& k : cases) {
    tempdir dir;
    writefile(dir / "s.txt", std::string("#s[ ") + k.setting + " #color_scheme[] ]");
    std::shared_ptr<console> c;
    runscripted("", [&] { c = console::readpath(fromutf8((dir / "s.txt").string())); });
    ASSERT_TRUE(c) << k.setting;
    EXPECT_EQ(c->png, k.encoding) << k.setting;
  }
}

TEST(SettingsBinding, UnusableFileEndsWithItsMessageAfterEnter) {
  struct {
    const char* content;  // nullptr: no file at all
    const char* message;
  } cases[] = {
      {nullptr, "Couldn't parse settings file \"settings.txt\"."},
      {"", "Couldn't parse settings file \"settings.txt\"."},
      {"< only a comment #s[ ] >", "Couldn't parse settings file \"settings.txt\"."},
      {"#settings[ default_width: 64; ]", "Settings file \"settings.txt\" contains no valid color schemes."},
      {"#settings[ #color_schemes[] #Color_scheme[] ]",
       "Settings file \"settings.txt\" contains no valid color schemes."},
      {"#settings[ #box[ #color_scheme[] ] ]",
       "Settings file \"settings.txt\" contains no valid color schemes."},
  };
  for (const auto& k : cases) {
    for (const std::string input : {"\n", ""}) {  // Enter, or the end of input
      tempdir dir;
      if (k.content) writefile(dir / "settings.txt", k.content);
      testkit::workingfolder cwd(dir.path());
      std::shared_ptr<console> c;
      const auto s = runscripted(input, [&] { c = console::readpath(u"settings.txt"); });
      EXPECT_EQ(s.exitstatus, 1) << k.message;
      EXPECT_FALSE(c);
      EXPECT_EQ(s.out, crlf(std::string(k.message) + "\nPress enter to exit.\n>"));
    }
  }
}

TEST(SettingsBinding, DeliveredSettingsOfferTheFallbackLookFirst) {
  std::shared_ptr<console> c;
  const auto s =
      runscripted("", [&] { c = console::readpath(fromutf8(TRACEWELL_SOURCE_DIR "/settings.txt")); });
  ASSERT_TRUE(c) << s.out;
  EXPECT_EQ(c->formatname, u"Auto");
  EXPECT_EQ(c->detection, mapdetection::content);
  // The delivered file only names the compact encoding; the standard file stays.
  EXPECT_EQ(c->png, pngencoding::standard);
  EXPECT_EQ(c->inputpath, u"/usr/share/games/doom/freedoom2.wad");
  EXPECT_EQ(c->outputpath, u"%.png");
  EXPECT_GT(c->width, 0);
  EXPECT_GT(c->height, 0);
  EXPECT_GE(c->margin, 0);
  EXPECT_GE(c->schemes.size(), 4u);
  const std::shared_ptr<scheme> chosen = c->getscheme(c->schemename);
  ASSERT_TRUE(chosen);
  EXPECT_EQ(chosen, c->schemes.front());
  EXPECT_EQ(chosen->look.background, black);
  EXPECT_EQ(chosen->look.colors, defaultcolors);
  EXPECT_EQ(chosen->look.orders, defaultorders);
  // Every scheme draws something on a background of its own.
  for (const auto& sc : c->schemes) {
    EXPECT_FALSE(sc->name.empty());
    EXPECT_TRUE(std::any_of(sc->look.orders.begin(), sc->look.orders.end(), [](std::int32_t o) {
      return o >= 1 && o <= 9;
    })) << toutf8(sc->name);
  }
}

}  // namespace
}  // namespace tracewell
