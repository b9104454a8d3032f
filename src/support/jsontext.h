// JSON text for data put inside a web page: strings that cannot end the element around them, big integers
// kept exact.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "support/text.h"

namespace tracewell {

// Appends `s` as a quoted JSON string of ASCII characters only: every character outside printable
// ASCII, and `<`, `>`, `&`, `'`, `"` and `\`, as a \u escape (`"` and `\` as \" and \\), so the text
// is safe inside a <script> element and any attribute. Pairs of surrogates stay pairs; an unpaired
// one (an invalid byte of a file name, see fromutf8) becomes U+FFFD.
void appendjsonstring(std::string& out, const text& s);
// The same for bytes read as UTF-8 (names from a WAD, one byte per code unit as read).
void appendjsonbytes(std::string& out, std::string_view utf8);

// Appends `value` as a JSON number, or as a string of its digits when a double cannot hold it
// exactly (beyond 2^53), so a script never sees a rounded value.
void appendjsonint(std::string& out, std::int64_t value);

}  // namespace tracewell
