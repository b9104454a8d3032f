// JSON text for pages: hostile and broken names read back by an independent JSON parser, exact big integers.
#include "support/jsontext.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

namespace tracewell {
namespace {

TEST(JsonText, NamesReadBackAsTheyWereAndEndNoElement) {
  struct namecase {
    std::string bytes;  // as read from a file
    std::string want;   // the text a parser gives back, as UTF-8
  };
  const namecase cases[] = {
      {"MAP01", "MAP01"},
      {"</script><script>alert(1)</script>", "</script><script>alert(1)</script>"},
      {"\"><img src=x onerror=alert(1)>", "\"><img src=x onerror=alert(1)>"},
      {"a\\b'c&d", "a\\b'c&d"},
      {std::string("nul\0tab\t", 8), std::string("nul\0tab\t", 8)},
      {"caf\xC3\xA9 \xF0\x9F\x98\x80", "caf\xC3\xA9 \xF0\x9F\x98\x80"},  // two and four bytes
      {"bad \xFF\xC3", "bad \xEF\xBF\xBD\xEF\xBF\xBD"},                  // invalid bytes: U+FFFD each
      {"\xE2\x80\xA8", "\xE2\x80\xA8"},                                  // a line separator
  };
  for (const namecase& c : cases) {
    SCOPED_TRACE(c.bytes);
    std::string out;
    appendjsonbytes(out, c.bytes);
    for (const char ch : out) {
      EXPECT_TRUE(ch >= 0x20 && ch < 0x7F) << "only printable ASCII";
      EXPECT_TRUE(ch != '<' && ch != '>' && ch != '&' && ch != '\'');
    }
    EXPECT_EQ(nlohmann::json::parse(out).get<std::string>(), c.want);
  }
}

TEST(JsonText, IntegersAreNumbersWhileADoubleHoldsThemExactly) {
  const std::pair<std::int64_t, const char*> cases[] = {
      {0, "0"},
      {-42, "-42"},
      {std::int64_t{1} << 53, "9007199254740992"},
      {(std::int64_t{1} << 53) + 1, "\"9007199254740993\""},
      {-(std::int64_t{1} << 53) - 1, "\"-9007199254740993\""},
      {INT64_MIN, "\"-9223372036854775808\""},
  };
  for (const auto& [value, want] : cases) {
    std::string out;
    appendjsonint(out, value);
    EXPECT_EQ(out, want);
  }
}

}  // namespace
}  // namespace tracewell
