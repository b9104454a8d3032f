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

TEST(Text, Utf8RoundTripsAndReplacesInvalidBytes) {
  const std::string s = "Tracewell \xC3\xA4 \xE2\x82\xAC \xF0\x9F\x98\x80";
  EXPECT_EQ(toutf8(fromutf8(s)), s);
  EXPECT_EQ(fromutf8("a\xFF"
                     "b"),
            u"a\uFFFD"
            "b");
  EXPECT_EQ(fromutf8("\xC3"), u"\uFFFD");
  EXPECT_EQ(fromutf8("\xC0\x80"), u"\uFFFD\uFFFD");  // overlong NUL
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
