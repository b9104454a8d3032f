// Text helpers: case mapping, replacement, number and encoding conversions.
#include "support/text.h"

#include <locale.h>

#include <clocale>
#include <cwctype>

namespace tracewell {

namespace {

// A UTF-8 C locale for towupper/towlower, independent of the process locale.
locale_t caselocale() {
  static const locale_t loc = [] {
    locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
    if (l == nullptr) {
      l = newlocale(LC_CTYPE_MASK, "C", nullptr);
    }
    return l;
  }();
  return loc;
}

char16_t mapcase(char16_t c, bool toupper) {
  if (c < 0x80) {
    if (toupper && c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 32);
    if (!toupper && c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + 32);
    return c;
  }
  if (c >= 0xD800 && c <= 0xDFFF) return c;  // half of a surrogate pair: no case
  const wint_t r = toupper ? towupper_l(c, caselocale()) : towlower_l(c, caselocale());
  return r <= 0xFFFF ? static_cast<char16_t>(r) : c;
}

text mapcase(const text& s, bool toupper) {
  text out(s);
  for (auto& c : out) c = mapcase(c, toupper);
  return out;
}

bool isspaceunit(char16_t c) {
  return c <= 32;
}

// fromutf8 keeps a byte b that is no part of valid UTF-8 as the unpaired surrogate escapedbyte + b.
constexpr char16_t escapedbyte = 0xDC00;

}  // namespace

text u(std::string_view ascii) {
  return text(ascii.begin(), ascii.end());
}

text upper(const text& s) {
  return mapcase(s, true);
}
text lower(const text& s) {
  return mapcase(s, false);
}
text upperascii(const text& s) {
  text out(s);
  for (auto& c : out) {
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  }
  return out;
}

text replaceall(const text& s, const text& from, const text& to) {
  if (from.empty()) return s;
  text out;
  std::size_t pos = 0;
  for (;;) {
    const std::size_t hit = s.find(from, pos);
    if (hit == text::npos) break;
    out.append(s, pos, hit - pos);
    out += to;
    pos = hit + from.size();
  }
  out.append(s, pos, text::npos);
  return out;
}

text inttotext(std::int64_t value) {
  return u(std::to_string(value));
}

text trim(const text& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && isspaceunit(s[b])) ++b;
  while (e > b && isspaceunit(s[e - 1])) --e;
  return s.substr(b, e - b);
}

text frombytes(std::string_view bytes) {
  text out(bytes.size(), u'\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) out[i] = static_cast<unsigned char>(bytes[i]);
  return out;
}

std::string tobytes(const text& s) {
  std::string out(s.size(), '\0');
  for (std::size_t i = 0; i < s.size(); ++i) out[i] = s[i] <= 0xFF ? static_cast<char>(s[i]) : '?';
  return out;
}

text fromutf8(std::string_view utf8) {
  text out;
  out.reserve(utf8.size());
  std::size_t i = 0;
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(utf8[k]); };
  while (i < utf8.size()) {
    const unsigned char b = byte(i);
    std::uint32_t cp = 0;
    std::size_t len = 0;
    if (b < 0x80) {
      cp = b, len = 1;
    } else if (b >= 0xC2 && b <= 0xDF) {
      cp = b & 0x1F, len = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
      cp = b & 0x0F, len = 3;
    } else if (b >= 0xF0 && b <= 0xF4) {
      cp = b & 0x07, len = 4;
    }
    bool ok = len > 0 && i + len <= utf8.size();
    for (std::size_t k = 1; ok && k < len; ++k) {
      if ((byte(i + k) & 0xC0) != 0x80) ok = false;
      cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    // Reject overlong forms, surrogates and values past U+10FFFF.
    if (ok && ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
               (cp >= 0xD800 && cp <= 0xDFFF))) {
      ok = false;
    }
    if (!ok) {
      out += static_cast<char16_t>(escapedbyte + b);  // b is 0x80 or more: ASCII is always valid
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
    i += len;
  }
  return out;
}

namespace {

// UTF-8 of `s`; with `keepbytes`, a byte that fromutf8 escaped goes back as itself.
std::string encodeutf8(const text& s, bool keepbytes) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    std::uint32_t cp = s[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (keepbytes && cp >= escapedbyte + 0x80 && cp <= escapedbyte + 0xFF) {
      out += static_cast<char>(cp - escapedbyte);
      continue;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

}  // namespace

std::string toutf8(const text& s) {
  return encodeutf8(s, false);
}

std::string tosystembytes(const text& s) {
  return encodeutf8(s, true);
}

namespace {
// C0, DEL and C1: a terminal acts on each (0x9B alone starts an escape sequence, as ESC [ does).
bool iscontrol(char16_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}
}  // namespace

text printable(const text& name) {
  text out = name;
  for (char16_t& c : out) {
    if (iscontrol(c)) c = u'?';
  }
  return out;
}

text filenamesafe(const text& name) {
  text out = name;
  for (char16_t& c : out) {
    if (iscontrol(c) || c == u'/' || c == u'\\') c = u'_';
  }
  return out;
}

}  // namespace tracewell
