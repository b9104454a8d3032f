// Text to number conversion for settings values and numeric answers.
#include "app/numbers.h"

namespace tracewell {

namespace {

bool iswhite(char16_t c) {
  return c == u' ' || (c >= u'\t' && c <= u'\r');
}

// The value of `c` as a digit in `base`, or -1.
int digitvalue(char16_t c, std::uint32_t base) {
  int v = -1;
  if (c >= u'0' && c <= u'9') v = c - u'0';
  if (c >= u'a' && c <= u'f') v = c - u'a' + 10;
  if (c >= u'A' && c <= u'F') v = c - u'A' + 10;
  return v >= 0 && static_cast<std::uint32_t>(v) < base ? v : -1;
}

}  // namespace

std::int32_t tonumber(const text& s) {
  return readnumber(s).value;
}

numberread readnumber(const text& s) {
  std::size_t i = 0;
  while (i < s.size() && iswhite(s[i])) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) negative = s[i++] == u'-';
  std::uint32_t base = 10;
  if (i < s.size() && s[i] == u'%') {
    base = 2;
    ++i;
  } else if (i < s.size() && s[i] == u'$') {
    base = 16;
    ++i;
  }
  // Unsigned arithmetic gives the wrap-around modulo 2^32 without overflow.
  std::uint32_t value = 0;
  const std::size_t first = i;
  for (; i < s.size(); ++i) {
    const int d = digitvalue(s[i], base);
    if (d < 0) break;
    value = value * base + static_cast<std::uint32_t>(d);
  }
  if (negative) value = 0u - value;
  return {static_cast<std::int32_t>(value), i > first};
}

}  // namespace tracewell
