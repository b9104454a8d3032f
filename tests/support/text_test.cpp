// Text helpers.
#include "support/text.h"

#include <gtest/gtest.h>

namespace tracewell {
namespace {

TEST(Text, ReplaceAllDoesNotRescanInsertedText) {
  struct {
    const char16_t *s, *from, *to, *want;
  } cases[] = {
      {u"%.png", u"%", u"MAP01", u"MAP01.png"},
      {u"%%", u"%", u"%%", u"%%%%"},
      {u"aaa", u"aa", u"b", u"ba"},
      {u"abc", u"", u"x", u"abc"},
      {u"*/*", u"*", u"014.03.06", u"014.03.06/014.03.06"},
  };
  for (const auto& c : cases) EXPECT_EQ(replaceall(c.s, c.from, c.to), c.want) << toutf8(c.s);
}

TEST(Text, CaseMappingCoversLettersBeyondAscii) {
  EXPECT_EQ(upper(u"map01 äöü ß"), u"MAP01 ÄÖÜ ß");
  EXPECT_EQ(lower(u"DOOM ÄÖÜ"), u"doom äöü");
  EXPECT_EQ(upper(u"\xD83D\xDE00"), u"\xD83D\xDE00");  // surrogates untouched
}

// Invalid UTF-8 prints as U+FFFD per bad byte, yet every byte string comes back whole for the file system.
TEST(Text, Utf8RoundTripsAndKeepsInvalidBytesForTheSystem) {
  const std::string s = "Tracewell \xC3\xA4 \xE2\x82\xAC \xF0\x9F\x98\x80";
  EXPECT_EQ(toutf8(fromutf8(s)), s);
  struct {
    std::string bytes, shown;
  } cases[] = {
      {"a\xFF!", "a\uFFFD!"},
      {"\xC3", "\uFFFD"},
      {"\xC0\x80", "\uFFFD\uFFFD"},                        // overlong NUL
      {"\xED\xB3\xA9", "\uFFFD\uFFFD\uFFFD"},              // an encoded surrogate, as an escape would be
      {"\xF0\x9F\x98\x80\xE9", "\xF0\x9F\x98\x80\uFFFD"},  // an escape right after a pair
  };
  for (const auto& c : cases) {
    EXPECT_EQ(toutf8(fromutf8(c.bytes)), c.shown) << c.bytes;
    EXPECT_EQ(tosystembytes(fromutf8(c.bytes)), c.bytes) << c.bytes;
  }
  std::string every;
  for (int b = 0; b < 256; ++b) every += static_cast<char>(b);
  EXPECT_EQ(tosystembytes(fromutf8(every + every)), every + every);
}

TEST(Text, BytesMapToCodeUnits) {
  const std::string bytes("M\0\xFF", 3);
  const text t = frombytes(bytes);
  ASSERT_EQ(t.size(), 3u);
  EXPECT_EQ(t[1], 0);
  EXPECT_EQ(t[2], 0xFF);
  EXPECT_EQ(tobytes(t), bytes);
}

TEST(Text, NumbersAndTrim) {
  EXPECT_EQ(inttotext(-2147483648LL), u"-2147483648");
  EXPECT_EQ(inttotext(0), u"0");
  EXPECT_EQ(trim(text(u"\0 a b\t\r\n", 8)), u"a b");
}

}  // namespace
}  // namespace tracewell
