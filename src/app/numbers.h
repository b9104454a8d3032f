// Text to number conversion for settings values and numeric answers.
#pragma once

#include <cstdint>

#include "support/text.h"

namespace tracewell {

// Reads a signed 32-bit number from the start of `s` and never fails: leading
// white space (space, tab, LF, VT, FF, CR) is skipped, one "+" or "-" is taken,
// then "%" introduces binary digits, "$" hexadecimal digits (either case), and
// anything else decimal digits. Reading stops at the first character that does
// not fit; no digits give 0. The value wraps modulo 2^32 before the sign is
// applied, so "4278190080", "$FF000000" and "-16777216" are all the same colour.
std::int32_t tonumber(const text& s);

// tonumber's reading of `s`, and whether it took at least one digit.
struct numberread {
  std::int32_t value = 0;
  bool digits = false;
};
numberread readnumber(const text& s);

}  // namespace tracewell
