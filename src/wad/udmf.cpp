// UDMF maps: the geometry of a TEXTMAP lump, read from its text in one pass.
#include "wad/udmf.h"

#include <algorithm>
#include <array>
#include <limits>
#include <new>
#include <string>
#include <vector>

#include "wad/playmodes.h"

namespace tracewell {

namespace {

__extension__ typedef unsigned __int128 uint128;

constexpr int fractionbits = 16;
constexpr std::int64_t unit = std::int64_t{1} << fractionbits;
constexpr std::int64_t limit = std::int64_t{1} << 31;  // largest coordinate, in whole units

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
// Names of keys and blocks. Editors write some keys starting with a digit
// (`1024 = true;` in a thing block), which the ports read too.
bool isnamepart(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || isdigit(c);
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

// The nearest 32-bit value. Heights are only compared with each other, so the
// extremes stand for anything beyond.
std::int32_t clamp32(std::int64_t n) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(n, std::numeric_limits<std::int32_t>::min(),
                                                            std::numeric_limits<std::int32_t>::max()));
}

// A sector height: an integer or a decimal literal, in 1/65536 units. Whole
// units clamp to 32 bits as whole heights always have; only an integer beyond
// 64 bits is too large.
number parseheight(std::string_view s, std::int64_t& out) {
  constexpr std::int64_t lowest = std::int64_t{std::numeric_limits<std::int32_t>::min()} * unit;
  constexpr std::int64_t highest = std::int64_t{std::numeric_limits<std::int32_t>::max()} * unit;
  std::int64_t whole = 0;
  switch (parseinteger(s, whole)) {
    case number::ok:
      out = std::int64_t{clamp32(whole)} * unit;
      return number::ok;
    case number::toolarge:
      return number::toolarge;
    case number::wrongkind:
      break;
  }
  switch (parsefixed(s, out)) {
    case number::ok:
      out = std::clamp(out, lowest, highest);
      return number::ok;
    case number::toolarge:
      // cppcheck-suppress duplicateExpressionTernary ; the two bounds differ in their sign's limit
      out = s.front() == '-' ? lowest : highest;
      return number::ok;
    case number::wrongkind:
      break;
  }
  return number::wrongkind;
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

enum class blockkind { global, vertex, linedef, sidedef, sector, thing, other };

// Slots of pending::refs: the keys that name other records.
enum refslot : std::size_t { v1, v2, sidefront, sideback, sectorref };

// The block being read: its record so far.
struct pending {
  blockkind kind = blockkind::other;
  std::string_view kindname;  // as the table spells it
  std::int32_t line = 0;      // of the name
  std::uint64_t seen = 0;     // bit i: row i of `keys` was given a usable value
  bool dropped = false;       // a thing block with a faulty key, left out
  bool unplaced = false;      // a thing block without a usable position, counted only
  vertex v;
  linedef l;
  sector s;
  thing t;
  std::string_view text;  // a text value (the namespace), without its quotes
  std::array<reference, 5> refs{{{}, {}, {-1, 0}, {-1, 0}, {}}};  // sides -1: no side
};

// A value as the row's kind reads it.
struct given {
  std::int64_t number = 0;  // integers, coordinates in 1/65536 units, booleans as 0 or 1
  std::string_view text;
  std::int32_t line = 0;
};

// How a value is written.
enum class valuekind {
  coordinate,  // an integer or a decimal literal
  integer,
  height,   // an integer or a decimal literal, whole units clamped to 32 bits
  boolean,  // true or false, ignoring case
  text,     // anything; a quoted string is kept without its quotes
};

// What a value of the wrong kind does. The keys the drawing has always read
// fail the map; keys read later never make a map fail that reads without them.
enum class onfault {
  fail,     // the map fails; a missing required key too
  absent,   // the assignment counts as absent (a boolean as false)
  drop,     // the block is left out; a missing required key too
  unplace,  // a thing without a position: counted, never drawn; a missing required key too
};

using putter = void (*)(pending&, const given&);

template <std::size_t slot>
void putref(pending& b, const given& v) {
  b.refs[slot] = {v.number, v.line};
}
template <int bit>
void putlineflag(pending& b, const given& v) {
  constexpr auto mask = static_cast<std::uint16_t>(1u << bit);
  b.l.flags = static_cast<std::uint16_t>(v.number != 0 ? b.l.flags | mask : b.l.flags & ~mask);
}
template <std::size_t i>
void putlinearg(pending& b, const given& v) {
  b.l.args[i] = v.number;
}
template <std::size_t i>
void putthingarg(pending& b, const given& v) {
  b.t.args[i] = v.number;
}
template <int skill>
void putskill(pending& b, const given& v) {
  constexpr auto bit = static_cast<std::uint8_t>(1u << (skill - 1));
  b.t.skills = static_cast<std::uint8_t>(v.number != 0 ? b.t.skills | bit : b.t.skills & ~bit);
}
// A height in 1/65536 units (within 32 bits of whole units) as whole units and the fraction above them.
void putheight(std::int64_t fixed, std::int32_t& whole, std::uint16_t& fraction) {
  whole = static_cast<std::int32_t>(fixed >> fractionbits);
  fraction = static_cast<std::uint16_t>(fixed & (unit - 1));
}

// Every key that is read: its block, how its value is written, what a fault
// does, whether the block needs it, and where the value goes. Rows of a block
// stand together; a block's required keys are checked in row order. Keys not
// here are skipped after their syntax is checked.
struct keyrow {
  std::string_view name;
  blockkind block;
  valuekind kind;
  onfault fault;
  bool required;
  putter put;
};
// The row of linedef flag `bit`, under its key in the flag table.
template <int bit>
constexpr keyrow flagrow(onfault fault) {
  static_assert(!lineflags[bit].udmfkey.empty(), "the flag has a UDMF key");
  return {lineflags[bit].udmfkey, blockkind::linedef, valuekind::boolean, fault, false, putlineflag<bit>};
}

// The row of play mode `mode`, under its key in the modes table.
template <std::size_t mode>
constexpr keyrow moderow() {
  return {playmoderows[mode].udmfkey,
          blockkind::thing,
          valuekind::boolean,
          onfault::absent,
          false,
          [](pending& b, const given& v) { b.t.*playmoderows[mode].in = v.number != 0; }};
}

constexpr keyrow keys[] = {
    {"namespace", blockkind::global, valuekind::text, onfault::absent, false,
     [](pending& b, const given& v) { b.text = v.text; }},

    {"x", blockkind::vertex, valuekind::coordinate, onfault::fail, true,
     [](pending& b, const given& v) { b.v.x = v.number; }},
    {"y", blockkind::vertex, valuekind::coordinate, onfault::fail, true,
     [](pending& b, const given& v) { b.v.y = -v.number; }},

    {"v1", blockkind::linedef, valuekind::integer, onfault::fail, true, putref<v1>},
    {"v2", blockkind::linedef, valuekind::integer, onfault::fail, true, putref<v2>},
    // Without a front side a line is drawn by its flags, as a binary line whose sides are both absent.
    {"sidefront", blockkind::linedef, valuekind::integer, onfault::fail, false, putref<sidefront>},
    {"sideback", blockkind::linedef, valuekind::integer, onfault::fail, false, putref<sideback>},
    {"special", blockkind::linedef, valuekind::integer, onfault::fail, false,
     [](pending& b, const given& v) { b.l.special = v.number; }},
    flagrow<linedef::impassable>(onfault::fail),
    flagrow<linedef::blockmonsters>(onfault::absent),
    flagrow<linedef::twosided>(onfault::absent),
    flagrow<linedef::upperunpegged>(onfault::absent),
    flagrow<linedef::lowerunpegged>(onfault::absent),
    flagrow<linedef::secret>(onfault::absent),
    flagrow<linedef::blocksound>(onfault::absent),
    flagrow<linedef::noautomap>(onfault::absent),
    flagrow<linedef::alwaysautomap>(onfault::absent),
    flagrow<lineflagbit("passuse")>(onfault::absent),
    {"arg0", blockkind::linedef, valuekind::integer, onfault::absent, false, putlinearg<0>},
    {"arg1", blockkind::linedef, valuekind::integer, onfault::absent, false, putlinearg<1>},
    {"arg2", blockkind::linedef, valuekind::integer, onfault::absent, false, putlinearg<2>},
    {"arg3", blockkind::linedef, valuekind::integer, onfault::absent, false, putlinearg<3>},
    {"arg4", blockkind::linedef, valuekind::integer, onfault::absent, false, putlinearg<4>},
    {"locknumber", blockkind::linedef, valuekind::integer, onfault::absent, false,
     [](pending& b, const given& v) { b.l.locknumber = v.number; }},

    {"sector", blockkind::sidedef, valuekind::integer, onfault::fail, true, putref<sectorref>},

    {"heightfloor", blockkind::sector, valuekind::height, onfault::fail, false,
     [](pending& b, const given& v) { putheight(v.number, b.s.floorheight, b.s.floorfraction); }},
    {"heightceiling", blockkind::sector, valuekind::height, onfault::fail, false,
     [](pending& b, const given& v) { putheight(v.number, b.s.ceilheight, b.s.ceilfraction); }},
    {"special", blockkind::sector, valuekind::integer, onfault::absent, false,
     [](pending& b, const given& v) { b.s.sectortype = v.number; }},

    {"x", blockkind::thing, valuekind::coordinate, onfault::unplace, true,
     [](pending& b, const given& v) { b.t.x = v.number; }},
    {"y", blockkind::thing, valuekind::coordinate, onfault::unplace, true,
     [](pending& b, const given& v) { b.t.y = -v.number; }},
    {"type", blockkind::thing, valuekind::integer, onfault::drop, true,
     [](pending& b, const given& v) { b.t.type = clamp32(v.number); }},
    {"angle", blockkind::thing, valuekind::integer, onfault::absent, false,
     [](pending& b, const given& v) { b.t.angle = clamp32(v.number); }},
    {"skill1", blockkind::thing, valuekind::boolean, onfault::absent, false, putskill<1>},
    {"skill2", blockkind::thing, valuekind::boolean, onfault::absent, false, putskill<2>},
    {"skill3", blockkind::thing, valuekind::boolean, onfault::absent, false, putskill<3>},
    {"skill4", blockkind::thing, valuekind::boolean, onfault::absent, false, putskill<4>},
    {"skill5", blockkind::thing, valuekind::boolean, onfault::absent, false, putskill<5>},
    moderow<0>(),
    moderow<1>(),
    moderow<2>(),
    {"special", blockkind::thing, valuekind::integer, onfault::absent, false,
     [](pending& b, const given& v) { b.t.special = v.number; }},
    {"arg0", blockkind::thing, valuekind::integer, onfault::absent, false, putthingarg<0>},
    {"arg1", blockkind::thing, valuekind::integer, onfault::absent, false, putthingarg<1>},
    {"arg2", blockkind::thing, valuekind::integer, onfault::absent, false, putthingarg<2>},
    {"arg3", blockkind::thing, valuekind::integer, onfault::absent, false, putthingarg<3>},
    {"arg4", blockkind::thing, valuekind::integer, onfault::absent, false, putthingarg<4>},
};
constexpr std::size_t keycount = std::size(keys);
static_assert(keycount <= 64, "pending::seen has a bit per row");

// The rows of one block: [first, last).
struct rowrange {
  std::size_t first = 0, last = 0;
};
constexpr rowrange rowsof(blockkind block) {
  rowrange r{keycount, keycount};
  for (std::size_t i = 0; i < keycount; ++i) {
    if (keys[i].block != block) continue;
    if (r.first == keycount) r.first = i;
    r.last = i + 1;
  }
  return r;
}
constexpr bool grouped() {
  for (std::size_t i = 0; i < keycount; ++i) {
    const rowrange r = rowsof(keys[i].block);
    for (std::size_t j = r.first; j < r.last; ++j) {
      if (keys[j].block != keys[i].block) return false;
    }
  }
  return true;
}
static_assert(grouped(), "rows of a block stand together");

struct blockname {
  std::string_view name;
  blockkind kind;
};
constexpr blockname blocks[] = {{"vertex", blockkind::vertex},
                                {"linedef", blockkind::linedef},
                                {"sidedef", blockkind::sidedef},
                                {"sector", blockkind::sector},
                                {"thing", blockkind::thing}};

// What each namespace's specials and things mean; any other namespace: ZDoom's.
struct namespacemeaning {
  std::string_view name;
  mapmeaning meaning;
};
constexpr namespacemeaning namespaces[] = {
    {"doom", mapmeaning::doom},       {"chex", mapmeaning::doom},     {"zdoomtranslated", mapmeaning::doom},
    {"heretic", mapmeaning::heretic}, {"strife", mapmeaning::strife}, {"hexen", mapmeaning::hexen},
};

mapmeaning meaningof(std::string_view ns) {
  for (const namespacemeaning& n : namespaces) {
    if (sameword(n.name, ns)) return n.meaning;
  }
  return mapmeaning::zdoom;
}

class reader {
 public:
  reader(std::string_view textmap, bool withthings)
      : p_(textmap.data()),
        end_(textmap.data() + textmap.size()),
        m_(std::make_shared<map>()),
        withthings_(withthings) {
    m_->fractionbits = fractionbits;
    m_->layout = maplayout::udmf;
    if (withthings_) m_->things.emplace();
    global_.kind = blockkind::global;
    // Editors may start the text with a UTF-8 byte-order mark.
    if (textmap.starts_with("\xEF\xBB\xBF")) p_ += 3;
  }

  udmfresult read() {
    if (!readall() || !linkrecords()) return {nullptr, std::move(error_)};
    m_->udmfnamespace = frombytes(global_.text);
    m_->meaning = meaningof(global_.text);
    return {std::move(m_), std::nullopt};
  }

 private:
  const char* p_;
  const char* end_;
  std::int32_t line_ = 1;
  std::shared_ptr<map> m_;
  bool withthings_;
  pending global_;                                  // the assignments outside any block
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

  static bool islineend(char c) { return c == '\n' || c == '\r'; }

  // Past the line end at the current position, counted: CR, LF and CR LF each end one line.
  void newline() {
    if (*p_++ == '\r' && p_ != end_ && *p_ == '\n') ++p_;
    ++line_;
  }

  // Past the current character, counting a line end.
  void advance() {
    if (islineend(*p_)) {
      newline();
    } else {
      ++p_;
    }
  }

  // Skips white space and comments.
  bool skip() {
    while (p_ != end_) {
      const char c = *p_;
      if (isspace(c)) {
        advance();
      } else if (c == '/' && end_ - p_ > 1 && p_[1] == '/') {
        while (p_ != end_ && !islineend(*p_)) ++p_;
      } else if (c == '/' && end_ - p_ > 1 && p_[1] == '*') {
        const std::int32_t start = line_;
        for (p_ += 2;; advance()) {
          if (end_ - p_ < 2) return fail(start, "a comment has no closing \"*/\"");
          if (p_[0] == '*' && p_[1] == '/') break;
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
    while (p_ != end_ && isnamepart(*p_)) ++p_;
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
      for (++p_;; advance()) {
        if (p_ == end_) return fail(startline, "a string has no closing quote");
        if (*p_ == '"') break;
        if (*p_ == '\\' && end_ - p_ > 1) ++p_;
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

  static std::string wrongvalue(std::string_view key, std::string_view kind, std::string_view v,
                                bool isquoted) {
    return quoted(shown(key)) + " needs " + std::string(kind) + ", found " +
           (isquoted ? std::string("a quoted string") : quoted(shown(v)));
  }

  // A fault of a row's value: the map fails with `detail`, or the block is left out.
  bool fault(pending& b, const keyrow& k, std::int32_t line, const std::string& detail) {
    if (k.fault == onfault::drop || k.fault == onfault::unplace) {
      (k.fault == onfault::drop ? b.dropped : b.unplaced) = true;
      return true;
    }
    return fail(line, detail);
  }

  bool store(pending& b, std::string_view key, std::string_view v, bool isquoted, std::int32_t line) {
    const rowrange rows = rowsof(b.kind);
    std::size_t row = rows.first;
    while (row < rows.last && !sameword(keys[row].name, key)) ++row;
    if (row >= rows.last) return true;
    const keyrow& k = keys[row];
    const bool strict = k.fault != onfault::absent;
    given got{0, v, line};
    switch (k.kind) {
      case valuekind::text:
        if (isquoted) got.text = v.substr(1, v.size() - 2);
        break;
      case valuekind::boolean:
        got.number = !isquoted && sameword(v, "true") ? 1 : 0;
        if (strict && got.number == 0 && (isquoted || !sameword(v, "false"))) {
          return fault(b, k, line, wrongvalue(key, "true or false", v, isquoted));
        }
        break;
      case valuekind::integer:
      case valuekind::height:
        switch (isquoted                      ? number::wrongkind
                : k.kind == valuekind::height ? parseheight(v, got.number)
                                              : parseinteger(v, got.number)) {
          case number::ok:
            break;
          case number::toolarge:
            if (!strict) return true;
            return fault(b, k, line, "the number " + quoted(shown(v)) + " is too large");
          case number::wrongkind:
            if (!strict) return true;
            return fault(b, k, line, wrongvalue(key, "an integer", v, isquoted));
        }
        break;
      case valuekind::coordinate:
        switch (isquoted ? number::wrongkind : parsecoordinate(v, got.number)) {
          case number::ok:
            break;
          case number::toolarge:
            if (!strict) return true;
            return fault(b, k, line,
                         "vertex " + std::to_string(m_->vertexes.size()) + " has " + std::string(k.name) +
                             " = " + shown(v) + ", beyond +-2^31");
          case number::wrongkind:
            if (!strict) return true;
            return fault(b, k, line, wrongvalue(key, "a number", v, isquoted));
        }
        break;
    }
    b.seen |= std::uint64_t{1} << row;
    k.put(b, got);
    return true;
  }

  bool missing(const pending& b, std::size_t index, std::string_view key) {
    return fail(b.line, std::string(b.kindname) + " " + std::to_string(index) + " has no " + quoted(key));
  }

  // The block's record, once its closing brace is read.
  bool finish(pending& b) {
    const rowrange rows = rowsof(b.kind);
    for (std::size_t row = rows.first; row < rows.last; ++row) {
      if (!keys[row].required || (b.seen & (std::uint64_t{1} << row)) != 0) continue;
      if (keys[row].fault == onfault::drop) return true;
      if (keys[row].fault == onfault::unplace) {
        b.unplaced = true;
        continue;
      }
      return missing(b, recordcount(b.kind), keys[row].name);
    }
    switch (b.kind) {
      case blockkind::vertex:
        m_->vertexes.push_back(b.v);
        break;
      case blockkind::linedef:
        m_->linedefs.push_back(b.l);
        linerefs_.push_back({b.refs[v1], b.refs[v2], b.refs[sidefront], b.refs[sideback]});
        break;
      case blockkind::sidedef:
        m_->sidedefs.emplace_back();
        siderefs_.push_back(b.refs[sectorref]);
        break;
      case blockkind::sector:
        m_->sectors.push_back(b.s);
        break;
      case blockkind::thing:
        if (b.dropped) break;
        if (b.unplaced) {
          ++m_->unplacedthings;
        } else {
          m_->things->push_back(b.t);
        }
        break;
      case blockkind::global:
      case blockkind::other:
        break;
    }
    return true;
  }

  // Records of a kind read so far: the number the next one gets.
  std::size_t recordcount(blockkind kind) const {
    switch (kind) {
      case blockkind::vertex:
        return m_->vertexes.size();
      case blockkind::linedef:
        return m_->linedefs.size();
      case blockkind::sidedef:
        return m_->sidedefs.size();
      case blockkind::sector:
        return m_->sectors.size();
      default:
        return 0;
    }
  }

  // The whole text: global assignments and blocks.
  bool readall() {
    for (;;) {
      if (!skip()) return false;
      // WAD tools may pad the lump with NUL bytes after its last block.
      if (std::all_of(p_, end_, [](char c) { return c == '\0' || isspace(c); })) return true;
      const std::int32_t nameline = line_;
      const std::string_view name = identifier();
      if (name.empty()) return fail(line_, "expected a block or a key, found " + found());
      if (!skip()) return false;
      if (p_ != end_ && *p_ == '=') {
        if (!assignment(name, &global_)) return false;
        continue;
      }
      if (!punct('{')) return fail(line_, "expected \"=\" or \"{\" after " + quoted(shown(name)));
      pending b;
      b.line = nameline;
      for (const blockname& n : blocks) {
        // Thing blocks are read only when asked for; otherwise they are like any other block.
        if (sameword(n.name, name) && (n.kind != blockkind::thing || withthings_)) {
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
      // -1, the default, is no side.
      for (const refslot side : {sidefront, sideback}) {
        if (r[side].index != -1) check(r[side], m_->sidedefs.size(), "linedef", i, "sidedef", "sidedefs");
      }
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

std::string decimal(std::int64_t value, std::int32_t fractionbits) {
  // The magnitude in unsigned arithmetic, so that the least value has one too;
  // the reader rounds the magnitude and applies the sign after.
  const bool negative = value < 0;
  const std::uint64_t magnitude =
      negative ? ~static_cast<std::uint64_t>(value) + 1 : static_cast<std::uint64_t>(value);
  const std::string sign = negative ? "-" : "";
  const std::uint64_t one = std::uint64_t{1} << fractionbits;
  if (magnitude % one == 0) return sign + std::to_string(magnitude / one);
  // The decimals d that read back as `magnitude` (rounding halves away from
  // zero): (2m - 1) / 2^(b+1) <= d < (2m + 1) / 2^(b+1). With k digits after the
  // point, d = n / 10^k; k = b always has one, the exact value.
  const auto twice = static_cast<uint128>(magnitude) * 2;
  const uint128 denominator = static_cast<uint128>(one) * 2;
  uint128 power = 1;  // 10^k
  for (int k = 1;; ++k) {
    power *= 10;
    const uint128 least = ((twice - 1) * power + denominator - 1) / denominator;
    const uint128 beyond = ((twice + 1) * power + denominator - 1) / denominator;  // first n past the range
    if (least >= beyond) continue;
    // The candidate nearest the exact value m * 10^k / 2^b: its floor or the next, within the range.
    const uint128 exact = static_cast<uint128>(magnitude) * power;
    uint128 n = std::clamp(exact / one, least, beyond - 1);
    const auto distance = [&](uint128 c) { return c * one > exact ? c * one - exact : exact - c * one; };
    if (n + 1 < beyond && distance(n + 1) < distance(n)) ++n;
    std::string fraction(static_cast<std::size_t>(k), '0');
    uint128 rest = n % power;
    for (std::size_t i = fraction.size(); i-- > 0; rest /= 10)
      fraction[i] = static_cast<char>('0' + rest % 10);
    std::string out = sign;
    out += std::to_string(static_cast<std::uint64_t>(n / power));
    out += '.';
    out += fraction;
    return out;
  }
}

udmfresult readudmf(std::string_view textmap, bool withthings) {
  return reader(textmap, withthings).read();
}

text udmferrorline(const text& mapname, const udmferror& error) {
  return u"Error in TEXTMAP of \"" + mapname + u"\" at line " + inttotext(error.line) + u": " + error.detail +
         u".";
}

status readtextmap(map& m, const lumpgroup& lumps, const text& mapname, bool withthings) {
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
      r = readudmf(std::string_view(reinterpret_cast<const char*>(inplace), static_cast<std::size_t>(l.size)),
                   withthings);
    } else {
      // The size is bounded by the file, but the file may still be too large to hold.
      std::string textmap(static_cast<std::size_t>(l.size), '\0');
      l.stream->seek(l.filepos);
      l.stream->readbytes(textmap.data(), textmap.size());
      if (l.stream->failed()) return fault({1, u"the lump cannot be read"});
      r = readudmf(textmap, withthings);
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
