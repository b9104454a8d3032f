// Number conversion of settings values and numeric answers.
#include "app/numbers.h"

#include <gtest/gtest.h>

namespace tracewell {
namespace {

TEST(Numbers, ConvertsEveryNotationAndNeverFails) {
  struct {
    const char16_t* in;
    std::int32_t want;
  } cases[] = {
      {u"", 0},
      {u"abc", 0},
      {u"-", 0},
      {u"$", 0},
      {u"%", 0},
      {u"1024", 1024},
      {u"12px", 12},
      {u"800x600", 800},
      {u" -5", -5},
      {u"\t\n\v\f\r +7", 7},
      {u"- 5", 0},  // white space only before the sign
      {u"+-5", 0},  // one sign only
      {u"-16777216", -16777216},
      {u"4278190080", -16777216},  // wraps modulo 2^32
      {u"$FF000000", -16777216},
      {u"$ff000000", -16777216},
      {u"$FfBc7c4C", -4424628},
      {u"-$10", -16},
      {u"$1G", 1},
      {u"%101", 5},
      {u"%102", 2},
      {u"-%1", -1},
      {u"%11111111000000000000000000000000", -16777216},
      {u"2147483647", 2147483647},
      {u"2147483648", -2147483647 - 1},
      {u"-2147483648", -2147483647 - 1},
      {u"4294967296", 0},
      {u"4294967297", 1},
      {u"99999999999", 1215752191},  // 99999999999 mod 2^32
      {u"$123456789", 0x23456789},
      {u"0x10", 0},  // C notation is not known: the 'x' stops the digits
      {u"\u00A0"
       u"5",
       0},             // no-break space is not white space
      {u"\uFF15", 0},  // a full-width digit is not a digit
  };
  for (const auto& c : cases) EXPECT_EQ(tonumber(c.in), c.want) << toutf8(c.in);
}

}  // namespace
}  // namespace tracewell
