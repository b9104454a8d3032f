// UDMF maps: the geometry of a TEXTMAP lump, read from its text in one pass.
#include "wad/udmf.h"

#include <algorithm>
#include <array>
#include <limits>
#include <new>
#include <string>
#include <vector>

namespace tracewell {

namespace {

__extension__ typedef unsigned __int128 uint128;

constexpr int fractionbits = 16;
constexpr std::int64_t unit = std::int64_t{1} << fractionbits;
constexpr std::int64_t limit = std::int64_t{1} << 31;  // largest coordinate, in whole units

enum class blockkind { vertex, linedef, sidedef, sector, other };

// The keys that the drawing uses, by block. The first five name other records;
// their number is their slot in pending::refs.
enum class field { v1, v2, sidefront, sideback, sector, x, y, special, blocking, heightfloor, heightceiling };

struct keyname {
  std::string_view name;
  blockkind block;
  field f;
};
constexpr keyname keys[] = {
    {"x", blockkind::vertex, field::x},
    {"y", blockkind::vertex, field::y},
    {"v1", blockkind::linedef, field::v1},
    {"v2", blockkind::linedef, field::v2},
    {"sidefront", blockkind::linedef, field::sidefront},
    {"sideback", blockkind::linedef, field::sideback},
    {"special", blockkind::linedef, field::special},
    {"blocking", blockkind::linedef, field::blocking},
    {"sector", blockkind::sidedef, field::sector},
    {"heightfloor", blockkind::sector, field::heightfloor},
    {"heightceiling", blockkind::sector, field::heightceiling},
};

struct blockname {
  std::string_view name;
  blockkind kind;
};
constexpr blockname blocks[] = {{"vertex", blockkind::vertex},
                                {"linedef", blockkind::linedef},
                                {"sidedef", blockkind::sidedef},
                                {"sector", blockkind::sector}};

bool sameword(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char p, char q) {
           const auto lowered = [](char c) {
             return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
           };
           return lowered(p) == lowered(q);
         });
}

bool isspace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}
bool isdigit(char c) {
  return c >= '0' && c <= '9';
}
bool isidentstart(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool isidentpart(char c) {
  return isidentstart(c) || isdigit(c);
}
// Characters that end an unquoted value.
bool isdelimiter(char c) {
  return isspace(c) || c == '{' || c == '}' || c == '(' || c == ')' || c == ';' || c == '"' || c == '\'';
}
int hexvalue(char c) {
  if (isdigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

enum class number { ok, wrongkind, toolarge };

// An integer literal: optional sign, then decimal, 0x hexadecimal or leading-0 octal.
number parseinteger(std::string_view s, std::int64_t& out) {
  bool negative = false;
  if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
    negative = s[0] == '-';
    s.remove_prefix(1);
  }
  int base = 10;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    s.remove_prefix(2);
  } else if (s.size() > 1 && s[0] == '0') {
    base = 8;
    s.remove_prefix(1);
  }
  if (s.empty()) return number::wrongkind;
  constexpr std::uint64_t most = std::uint64_t{1} << 63;  // magnitude of the least int64
  std::uint64_t magnitude = 0;
  bool toolarge = false;
  for (const char c : s) {
    const int d = hexvalue(c);
    if (d < 0 || d >= base) return number::wrongkind;
    if (magnitude > (most - static_cast<std::uint64_t>(d)) / static_cast<std::uint64_t>(base))
      toolarge = true;
    magnitude = magnitude * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
  }
  if (toolarge || (!negative && magnitude == most)) return number::toolarge;
  out = negative ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
  return number::ok;
}

// A decimal literal with a point or an exponent (or both) as a multiple of
// 1/65536, rounded to the nearest, halves away from zero; computed exactly from
// the digits, so no binary floating point rounds first. Beyond +-2^31: toolarge.
number parsefixed(std::string_view s, std::int64_t& out) {
  bool negative = false;
  if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
    negative = s[0] == '-';
    s.remove_prefix(1);
  }
  std::size_t at = 0;
  while (at < s.size() && isdigit(s[at])) ++at;
  const std::string_view whole = s.substr(0, at);
  std::string_view fraction;
  bool point = false;
  if (at < s.size() && s[at] == '.') {
    point = true;
    const std::size_t from = ++at;
    while (at < s.size() && isdigit(s[at])) ++at;
    fraction = s.substr(from, at - from);
  }
  if (whole.empty() && fraction.empty()) return number::wrongkind;
  std::int64_t exponent = 0;
  bool hasexponent = false;
  if (at < s.size() && (s[at] == 'e' || s[at] == 'E')) {
    hasexponent = true;
    ++at;
    bool down = false;
    if (at < s.size() && (s[at] == '+' || s[at] == '-')) down = s[at++] == '-';
    const std::size_t from = at;
    // Past a billion the number is 0 or too large either way.
    for (; at < s.size() && isdigit(s[at]); ++at)
      exponent = std::min<std::int64_t>(exponent * 10 + (s[at] - '0'), 1'000'000'000);
    if (at == from) return number::wrongkind;
    if (down) exponent = -exponent;
  }
  if (at != s.size() || (!point && !hasexponent)) return number::wrongkind;

  // Digit i of the mantissa (whole then fraction digits); 0 outside it.
  const auto wholesize = static_cast<std::int64_t>(whole.size());
  const auto size = wholesize + static_cast<std::int64_t>(fraction.size());
  const auto digit = [&](std::int64_t i) -> std::uint64_t {
    if (i < 0 || i >= size) return 0;
    return static_cast<std::uint64_t>(i < wholesize
                                          ? whole[static_cast<std::size_t>(i)] - '0'
                                          : fraction[static_cast<std::size_t>(i - wholesize)] - '0');
  };
  std::int64_t first = 0;  // first nonzero digit
  while (first < size && digit(first) == 0) ++first;
  if (first == size) {
    out = 0;
    return number::ok;
  }
  const std::int64_t pointat = wholesize + exponent;  // digits before the point
  if (pointat - first > 10) return number::toolarge;  // at least 10^10
  std::uint64_t units = 0;
  for (std::int64_t i = first; i < pointat; ++i) units = units * 10 + digit(i);
  // Twenty digits of the fraction decide the rounding: times 65536 the rest is a
  // multiple of 2^16 / 10^20, so the digits after them could only turn an exact
  // half into a little more, which rounds the same way.
  constexpr uint128 scale = static_cast<uint128>(10'000'000'000ULL) * 10'000'000'000ULL;  // 10^20
  uint128 part = 0;
  for (std::int64_t i = 0; i < 20; ++i) part = part * 10 + digit(pointat + i);
  const uint128 scaled = part * static_cast<uint128>(unit);
  std::uint64_t fixed = static_cast<std::uint64_t>(scaled / scale);
  if ((scaled % scale) * 2 >= scale) ++fixed;
  fixed += units * static_cast<std::uint64_t>(unit);
  if (fixed > static_cast<std::uint64_t>(limit * unit)) return number::toolarge;
  out = negative ? -static_cast<std::int64_t>(fixed) : static_cast<std::int64_t>(fixed);
  return number::ok;
}

// A coordinate: an integer or a decimal literal, in 1/65536 units.
number parsecoordinate(std::string_view s, std::int64_t& out) {
  std::int64_t whole = 0;
  switch (parseinteger(s, whole)) {
    case number::ok:
      if (whole > limit || whole < -limit) return number::toolarge;
      out = whole * unit;
      return number::ok;
    case number::toolarge:
      return number::toolarge;
    case number::wrongkind:
      break;
  }
  return parsefixed(s, out);
}

// Text of the input for a message: printable ASCII kept, at most 24 characters.
std::string shown(std::string_view s) {
  std::string out;
  for (const char c : s.substr(0, 24)) out += c >= ' ' && c <= '~' ? c : '?';
  if (s.size() > 24) out += "...";
  return out;
}

std::string quoted(std::string_view s) {
  std::string out(1, '"');
  out += s;
  out += '"';
  return out;
}

std::string count(std::size_t n, std::string_view one, std::string_view many) {
  return (n == 1 ? "there is 1 " : "there are " + std::to_string(n) + " ") + std::string(n == 1 ? one : many);
}

// A number that names another record, and where it stands.
struct reference {
  std::int64_t index = 0;
  std::int32_t line = 0;
};

// The block being read: its fields so far.
struct pending {
  blockkind kind = blockkind::other;
  std::string_view kindname;  // as the table spells it
  std::int32_t line = 0;      // of the name
  std::int64_t x = 0, y = 0, special = 0, heightfloor = 0, heightceiling = 0;
  bool hasx = false, hasy = false, blocking = false;
  // v1, v2, sidefront, sideback, sector.
  std::array<reference, 5> refs{};
  std::array<bool, 5> hasref{};
};

class reader {
 public:
  explicit reader(std::string_view textmap)
      : p_(textmap.data()), end_(textmap.data() + textmap.size()), m_(std::make_shared<map>()) {
    m_->fractionbits = fractionbits;
  }

  udmfresult read() {
    if (!readall() || !linkrecords()) return {nullptr, std::move(error_)};
    return {std::move(m_), std::nullopt};
  }

 private:
  static constexpr auto v1 = static_cast<std::size_t>(field::v1), v2 = static_cast<std::size_t>(field::v2),
                        sidefront = static_cast<std::size_t>(field::sidefront),
                        sideback = static_cast<std::size_t>(field::sideback),
                        sectorref = static_cast<std::size_t>(field::sector);

  const char* p_;
  const char* end_;
  std::int32_t line_ = 1;
  std::shared_ptr<map> m_;
  std::vector<std::array<reference, 4>> linerefs_;  // v1, v2, sidefront, sideback per linedef
  std::vector<reference> siderefs_;                 // sector per sidedef
  std::optional<udmferror> error_;

  bool fail(std::int32_t line, const std::string& detail) {
    error_ = udmferror{line, frombytes(detail)};
    return false;
  }

  // What stands at the current position, for a message.
  std::string found() const {
    if (p_ == end_) return "the end of the text";
    if (*p_ == '"') return "a quoted string";
    const char* q = p_;
    while (q != end_ && !isdelimiter(*q) && *q != '=') ++q;
    if (q == p_) ++q;
    return quoted(shown(std::string_view(p_, static_cast<std::size_t>(q - p_))));
  }

  // Skips white space and comments.
  bool skip() {
    while (p_ != end_) {
      const char c = *p_;
      if (c == '\n') {
        ++line_;
        ++p_;
      } else if (isspace(c)) {
        ++p_;
      } else if (c == '/' && end_ - p_ > 1 && p_[1] == '/') {
        while (p_ != end_ && *p_ != '\n') ++p_;
      } else if (c == '/' && end_ - p_ > 1 && p_[1] == '*') {
        const std::int32_t start = line_;
        for (p_ += 2;; ++p_) {
          if (end_ - p_ < 2) return fail(start, "a comment has no closing \"*/\"");
          if (p_[0] == '*' && p_[1] == '/') break;
          if (*p_ == '\n') ++line_;
        }
        p_ += 2;
      } else {
        break;
      }
    }
    return true;
  }

  std::string_view identifier() {
    const char* start = p_;
    if (p_ != end_ && isidentstart(*p_)) {
      while (p_ != end_ && isidentpart(*p_)) ++p_;
    }
    return {start, static_cast<std::size_t>(p_ - start)};
  }

  bool punct(char c) {
    if (p_ == end_ || *p_ != c) return false;
    ++p_;
    return true;
  }

  // One value: a quoted string (quoted set) or a run of characters up to a
  // delimiter. Empty when there is none.
  bool value(std::string_view& out, bool& isquoted) {
    const char* start = p_;
    isquoted = p_ != end_ && *p_ == '"';
    if (isquoted) {
      const std::int32_t startline = line_;
      for (++p_;; ++p_) {
        if (p_ == end_) return fail(startline, "a string has no closing quote");
        if (*p_ == '"') break;
        if (*p_ == '\\' && end_ - p_ > 1) ++p_;
        if (*p_ == '\n') ++line_;
      }
      ++p_;
    } else {
      while (p_ != end_ && !isdelimiter(*p_) &&
             !(*p_ == '/' && end_ - p_ > 1 && (p_[1] == '/' || p_[1] == '*'))) {
        ++p_;
      }
    }
    out = std::string_view(start, static_cast<std::size_t>(p_ - start));
    return true;
  }

  // key = value ; with the key read; the value goes to the block when it uses it.
  bool assignment(std::string_view key, pending* block) {
    if (!skip()) return false;
    if (!punct('=')) return fail(line_, "expected \"=\" after " + quoted(shown(key)));
    if (!skip()) return false;
    const std::int32_t valueline = line_;
    std::string_view v;
    bool isquoted = false;
    if (!value(v, isquoted)) return false;
    if (v.empty()) return fail(valueline, "expected a value after " + quoted(shown(key)) + " =");
    if (block != nullptr && !store(*block, key, v, isquoted, valueline)) return false;
    if (!skip()) return false;
    if (!punct(';')) return fail(line_, "expected \";\" after the value of " + quoted(shown(key)));
    return true;
  }

  bool wrongvalue(std::string_view key, std::string_view kind, std::string_view v, bool isquoted,
                  std::int32_t line) {
    return fail(line, quoted(shown(key)) + " needs " + std::string(kind) + ", found " +
                          (isquoted ? std::string("a quoted string") : quoted(shown(v))));
  }

  bool integer(std::string_view key, std::string_view v, bool isquoted, std::int32_t line,
               std::int64_t& out) {
    if (isquoted) return wrongvalue(key, "an integer", v, true, line);
    switch (parseinteger(v, out)) {
      case number::ok:
        return true;
      case number::toolarge:
        return fail(line, "the number " + quoted(shown(v)) + " is too large");
      case number::wrongkind:
        break;
    }
    return wrongvalue(key, "an integer", v, false, line);
  }

  bool store(pending& b, std::string_view key, std::string_view v, bool isquoted, std::int32_t line) {
    const keyname* k = std::find_if(std::begin(keys), std::end(keys), [&](const keyname& n) {
      return n.block == b.kind && sameword(n.name, key);
    });
    if (k == std::end(keys)) return true;
    switch (k->f) {
      case field::x:
      case field::y: {
        std::int64_t& target = k->f == field::x ? b.x : b.y;
        const number n = isquoted ? number::wrongkind : parsecoordinate(v, target);
        if (n == number::wrongkind) return wrongvalue(key, "a number", v, isquoted, line);
        if (n == number::toolarge) {
          const std::size_t index = m_->vertexes.size();
          return fail(line, "vertex " + std::to_string(index) + " has " + std::string(k->name) + " = " +
                                shown(v) + ", beyond +-2^31");
        }
        (k->f == field::x ? b.hasx : b.hasy) = true;
        return true;
      }
      case field::blocking:
        if (!isquoted && sameword(v, "true")) {
          b.blocking = true;
        } else if (!isquoted && sameword(v, "false")) {
          b.blocking = false;
        } else {
          return wrongvalue(key, "true or false", v, isquoted, line);
        }
        return true;
      case field::special:
        return integer(key, v, isquoted, line, b.special);
      case field::heightfloor:
        return integer(key, v, isquoted, line, b.heightfloor);
      case field::heightceiling:
        return integer(key, v, isquoted, line, b.heightceiling);
      case field::v1:
      case field::v2:
      case field::sidefront:
      case field::sideback:
      case field::sector: {
        const auto slot = static_cast<std::size_t>(k->f);
        b.refs[slot].line = line;
        b.hasref[slot] = true;
        return integer(key, v, isquoted, line, b.refs[slot].index);
      }
    }
    return true;
  }

  bool missing(const pending& b, std::size_t index, std::string_view key) {
    return fail(b.line, std::string(b.kindname) + " " + std::to_string(index) + " has no " + quoted(key));
  }

  // The block's record, once its closing brace is read.
  bool finish(pending& b) {
    switch (b.kind) {
      case blockkind::vertex:
        if (!b.hasx) return missing(b, m_->vertexes.size(), "x");
        if (!b.hasy) return missing(b, m_->vertexes.size(), "y");
        m_->vertexes.push_back(vertex{b.x, -b.y});
        break;
      case blockkind::linedef: {
        if (!b.hasref[v1]) return missing(b, m_->linedefs.size(), "v1");
        if (!b.hasref[v2]) return missing(b, m_->linedefs.size(), "v2");
        if (!b.hasref[sidefront]) return missing(b, m_->linedefs.size(), "sidefront");
        if (!b.hasref[sideback]) b.refs[sideback].index = -1;
        linedef l;
        if (b.blocking) l.flags = static_cast<std::uint16_t>(1u << linedef::impassable);
        // Only "is there an action" matters to the drawing: any nonzero special stays nonzero.
        l.special =
            b.special == 0 ? 0 : static_cast<std::uint16_t>(std::clamp<std::int64_t>(b.special, 1, 65535));
        m_->linedefs.push_back(l);
        linerefs_.push_back({b.refs[v1], b.refs[v2], b.refs[sidefront], b.refs[sideback]});
        break;
      }
      case blockkind::sidedef:
        if (!b.hasref[sectorref]) return missing(b, m_->sidedefs.size(), "sector");
        m_->sidedefs.emplace_back();
        siderefs_.push_back(b.refs[sectorref]);
        break;
      case blockkind::sector: {
        // Heights are only compared with each other; the extremes of 32 bits stand for anything beyond.
        constexpr std::int64_t least = std::numeric_limits<std::int32_t>::min();
        constexpr std::int64_t most = std::numeric_limits<std::int32_t>::max();
        sector s;
        s.floorheight = static_cast<std::int32_t>(std::clamp(b.heightfloor, least, most));
        s.ceilheight = static_cast<std::int32_t>(std::clamp(b.heightceiling, least, most));
        m_->sectors.push_back(s);
        break;
      }
      case blockkind::other:
        break;
    }
    return true;
  }

  // The whole text: global assignments and blocks.
  bool readall() {
    for (;;) {
      if (!skip()) return false;
      if (p_ == end_) return true;
      const std::int32_t nameline = line_;
      const std::string_view name = identifier();
      if (name.empty()) return fail(line_, "expected a block or a key, found " + found());
      if (!skip()) return false;
      if (p_ != end_ && *p_ == '=') {
        if (!assignment(name, nullptr)) return false;
        continue;
      }
      if (!punct('{')) return fail(line_, "expected \"=\" or \"{\" after " + quoted(shown(name)));
      pending b;
      b.line = nameline;
      for (const blockname& n : blocks) {
        if (sameword(n.name, name)) {
          b.kind = n.kind;
          b.kindname = n.name;
        }
      }
      for (;;) {
        if (!skip()) return false;
        if (p_ == end_) return fail(nameline, "the " + quoted(shown(name)) + " block has no closing \"}\"");
        if (punct('}')) break;
        const std::string_view key = identifier();
        if (key.empty()) return fail(line_, "expected a key or \"}\", found " + found());
        if (!assignment(key, &b)) return false;
      }
      if (!finish(b)) return false;
    }
  }

  // Every reference against the counts; the first bad one in the text is reported.
  bool linkrecords() {
    const reference* worst = nullptr;
    std::string detail;
    const auto check = [&](const reference& r, std::size_t records, std::string_view owner, std::size_t index,
                           std::string_view one, std::string_view many) {
      if (r.index >= 0 && static_cast<std::uint64_t>(r.index) < records) return;
      if (worst != nullptr && worst->line <= r.line) return;
      worst = &r;
      detail = std::string(owner) + " " + std::to_string(index) + " names " + std::string(one) + " " +
               std::to_string(r.index) + ", but " + count(records, one, many);
    };
    for (std::size_t i = 0; i < linerefs_.size(); ++i) {
      const auto& r = linerefs_[i];
      check(r[v1], m_->vertexes.size(), "linedef", i, "vertex", "vertices");
      check(r[v2], m_->vertexes.size(), "linedef", i, "vertex", "vertices");
      check(r[sidefront], m_->sidedefs.size(), "linedef", i, "sidedef", "sidedefs");
      // -1, the default, is no side.
      if (r[sideback].index != -1)
        check(r[sideback], m_->sidedefs.size(), "linedef", i, "sidedef", "sidedefs");
    }
    for (std::size_t i = 0; i < siderefs_.size(); ++i) {
      check(siderefs_[i], m_->sectors.size(), "sidedef", i, "sector", "sectors");
    }
    if (worst != nullptr) return fail(worst->line, detail);
    for (std::size_t i = 0; i < linerefs_.size(); ++i) {
      linedef& l = m_->linedefs[i];
      l.startvertex = static_cast<std::uint32_t>(linerefs_[i][v1].index);
      l.endvertex = static_cast<std::uint32_t>(linerefs_[i][v2].index);
      l.rightside = static_cast<std::int32_t>(linerefs_[i][sidefront].index);
      l.leftside = static_cast<std::int32_t>(linerefs_[i][sideback].index);
    }
    for (std::size_t i = 0; i < siderefs_.size(); ++i) {
      m_->sidedefs[i].sector = static_cast<std::uint32_t>(siderefs_[i].index);
    }
    return true;
  }
};

}  // namespace

udmfresult readudmf(std::string_view textmap) {
  return reader(textmap).read();
}

text udmferrorline(const text& mapname, const udmferror& error) {
  return u"Error in TEXTMAP of \"" + mapname + u"\" at line " + inttotext(error.line) + u": " + error.detail +
         u".";
}

status readtextmap(map& m, const lumpgroup& lumps, const text& mapname) {
  const auto fault = [&](const udmferror& e) -> status {
    m.invalidmap = 1;
    return failure::notice({udmferrorline(mapname, e)});
  };
  const lump& l = *lumps.at(1);
  if (l.filepos < 0 || l.size < 0) return fault({1, u"the lump's position or size is negative"});
  if (!l.stream || std::int64_t{l.filepos} + l.size > l.stream->size()) {
    return fault({1, u"the lump reaches past the end of the file"});
  }
  udmfresult r;
  try {
    // A WAD in memory (an archive entry) is parsed where it lies: a copy would double a large TEXTMAP.
    if (const unsigned char* inplace = l.stream->inmemory(l.filepos, static_cast<std::size_t>(l.size))) {
      r = readudmf(
          std::string_view(reinterpret_cast<const char*>(inplace), static_cast<std::size_t>(l.size)));
    } else {
      // The size is bounded by the file, but the file may still be too large to hold.
      std::string textmap(static_cast<std::size_t>(l.size), '\0');
      l.stream->seek(l.filepos);
      l.stream->readbytes(textmap.data(), textmap.size());
      if (l.stream->failed()) return fault({1, u"the lump cannot be read"});
      r = readudmf(textmap);
    }
  } catch (const std::bad_alloc&) {
    return fault({1, u"the lump is too large to read"});
  }
  if (r.error) return fault(*r.error);
  const std::int32_t format = m.format;
  m = std::move(*r.m);
  m.format = format;
  return {};
}

}  // namespace tracewell
