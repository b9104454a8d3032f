// The linedef flag bits: each one's UDMF key and its words, the one table the readers, the page and the
// map record's named bits share.
#pragma once

#include <array>
#include <string_view>

namespace tracewell {

// Bit `bit` of linedef::flags. The binary layouts store the sixteen bits as they are; UDMF sets one
// through its boolean key.
struct lineflag {
  int bit = 0;
  std::string_view udmfkey;  // empty: no UDMF key sets it
  std::string_view words;    // as a line's details show it
};

inline constexpr std::array<lineflag, 16> lineflags = {{
    {0, "blocking", "impassable"},
    {1, "blockmonsters", "block monsters"},
    {2, "twosided", "two-sided"},
    {3, "dontpegtop", "upper unpegged"},
    {4, "dontpegbottom", "lower unpegged"},
    {5, "secret", "secret"},
    {6, "blocksound", "block sound"},
    {7, "dontdraw", "hidden on map"},
    {8, "mapped", "always on map"},
    // Boom's pass-through for use; the details have never named it.
    {9, "passuse", "flag 0x200"},
    {10, "", "flag 0x400"},
    {11, "", "flag 0x800"},
    {12, "", "flag 0x1000"},
    {13, "", "flag 0x2000"},
    {14, "", "flag 0x4000"},
    {15, "", "flag 0x8000"},
}};

constexpr bool inbitorder() {
  for (std::size_t i = 0; i < lineflags.size(); ++i) {
    if (lineflags[i].bit != static_cast<int>(i)) return false;
  }
  return true;
}
static_assert(inbitorder(), "row i is bit i");

// The bit the UDMF key `key` sets, which must be one of the table's (another does not compile).
consteval int lineflagbit(std::string_view key) {
  for (const lineflag& f : lineflags) {
    if (!key.empty() && f.udmfkey == key) return f.bit;
  }
  throw "no such flag";
}

}  // namespace tracewell
