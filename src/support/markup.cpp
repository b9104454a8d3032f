// Text for XML and HTML documents: names from files and paths made safe to put between tags or quotes.
#include "support/markup.h"

#include <cstdint>

namespace tracewell {

namespace {

constexpr std::string_view replacement = "\xEF\xBF\xBD";  // U+FFFD

// The length of the valid UTF-8 sequence at the start of `s` and its code point, or 0 when invalid.
std::size_t sequence(std::string_view s, std::uint32_t& point) {
  const auto byte = [&s](std::size_t i) { return static_cast<std::uint8_t>(s[i]); };
  const std::uint8_t lead = byte(0);
  std::size_t length = 0;
  std::uint32_t least = 0;
  if (lead < 0x80) {
    point = lead;
    return 1;
  }
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, point = lead & 0x1FU, least = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, point = lead & 0x0FU, least = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, point = lead & 0x07U, least = 0x10000;
  } else {
    return 0;
  }
  if (s.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0U) != 0x80) return 0;
    point = point << 6 | (byte(i) & 0x3FU);
  }
  // Overlong forms, surrogates and points past U+10FFFF are not UTF-8.
  if (point < least || (point >= 0xD800 && point <= 0xDFFF) || point > 0x10FFFF) return 0;
  return length;
}

}  // namespace

void appendmarkup(std::string& out, std::string_view bytes) {
  while (!bytes.empty()) {
    std::uint32_t point = 0;
    const std::size_t length = sequence(bytes, point);
    if (length == 0 || point == 0xFFFE || point == 0xFFFF) {
      out += replacement;
    } else if (point < 0x20 || (point >= 0x7F && point <= 0x9F)) {
      // A control character is no text: dropped.
    } else if (point == '&') {
      out += "&amp;";
    } else if (point == '<') {
      out += "&lt;";
    } else if (point == '>') {
      out += "&gt;";
    } else if (point == '"') {
      out += "&quot;";
    } else if (point == '\'') {
      out += "&#39;";
    } else {
      out += bytes.substr(0, length);
    }
    bytes.remove_prefix(length == 0 ? 1 : length);
  }
}

std::string markuptext(std::string_view bytes) {
  std::string out;
  appendmarkup(out, bytes);
  return out;
}

}  // namespace tracewell
