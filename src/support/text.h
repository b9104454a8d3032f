// Text helpers: the program's text is 16-bit code units; files give bytes, the console UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tracewell {

using text = std::u16string;

// ASCII literal to text, for messages and keys written in the source.
text u(std::string_view ascii);

// Upper/lower case, one code unit at a time (simple one-to-one mapping of the
// Unicode letters that fit in 16 bits); other units are kept.
text upper(const text& s);
text lower(const text& s);
// Upper case of the ASCII letters only.
text upperascii(const text& s);

// Replaces every occurrence of `from` by `to`, scanning left to right and never
// rescanning inserted text. An empty `from` leaves `s` unchanged.
text replaceall(const text& s, const text& from, const text& to);

// Decimal text of a number, with a leading "-" for negatives.
text inttotext(std::int64_t value);

// Cuts code units 0..32 off both ends.
text trim(const text& s);

// Names read from files are data: `printable` shows each control character
// (below 0x20, and 0x7F to 0x9F) as '?', so a name cannot drive the terminal;
// `filenamesafe` turns them and '/' and '\' into '_', so a name put into a
// path cannot leave its folder or name another.
text printable(const text& name);
text filenamesafe(const text& name);

// Bytes as code units 0..255 and back (units above 255 become '?').
text frombytes(std::string_view bytes);
std::string tobytes(const text& s);

// UTF-8 <-> UTF-16. Each byte b of invalid UTF-8 decodes to the unpaired
// surrogate U+DC00 + b (b is 0x80 to 0xFF), so that a name the system gave
// keeps its bytes; toutf8 shows every unpaired surrogate as U+FFFD, and
// tosystembytes gives such a byte back as itself. Never fails.
text fromutf8(std::string_view utf8);
std::string toutf8(const text& s);
std::string tosystembytes(const text& s);

}  // namespace tracewell
