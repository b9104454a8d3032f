// JSON text for data put inside a web page: strings that cannot end the element around them, big integers
// kept exact.
#include "support/jsontext.h"

#include <array>
#include <charconv>

namespace tracewell {

namespace {

void appendunit(std::string& out, char16_t unit) {
  static constexpr std::string_view digits = "0123456789abcdef";
  out += "\\u";
  for (int shift = 12; shift >= 0; shift -= 4) out += digits[(unit >> shift) & 0xF];
}

bool high(char16_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool low(char16_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

}  // namespace

void appendjsonstring(std::string& out, const text& s) {
  out += '"';
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char16_t c = s[i];
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c >= 0x20 && c < 0x7F && c != '<' && c != '>' && c != '&' && c != '\'') {
      out += static_cast<char>(c);
    } else if (high(c) && i + 1 < s.size() && low(s[i + 1])) {
      appendunit(out, c);
      appendunit(out, s[++i]);
    } else if (high(c) || low(c)) {
      appendunit(out, 0xFFFD);
    } else {
      appendunit(out, c);
    }
  }
  out += '"';
}

void appendjsonbytes(std::string& out, std::string_view utf8) {
  appendjsonstring(out, fromutf8(utf8));
}

void appendjsonint(std::string& out, std::int64_t value) {
  constexpr std::int64_t exact = std::int64_t{1} << 53;
  std::array<char, 24> buffer{};
  const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value).ptr;
  const bool quoted = value > exact || value < -exact;
  if (quoted) out += '"';
  out.append(buffer.data(), end);
  if (quoted) out += '"';
}

}  // namespace tracewell
