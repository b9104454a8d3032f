// A pile of keys: one map with a million keys at one spot, drawn in Keys against Automap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tracewell::bench {

struct keypilecost {
  std::int32_t size = 0;
  bool wide = false;     // lines 16 pixels wide and smoothed in both looks
  std::size_t keys = 0;  // things of the map, all red keys at one spot
  double keysms = 0;     // read with things, drawn in Keys, WritePNG: the least of the rounds
  double automapms = 0;  // the same in Automap
  std::string error;

  double ratio() const { return keysms / automapms; }
};

// Writes a square room holding `keys` red keys at its centre as "<outdir>/pile.wad", then reads it
// with its things, draws it at `size` x `size` with `margin` in the Keys and in the Automap scheme
// of `settingspath` (both with width 16 and smoothing when `wide`) and saves the image, in
// alternating order, `rounds` times; each time is the least seen.
keypilecost runkeypile(const std::string& settingspath, std::size_t keys, std::int32_t size,
                       std::int32_t margin, bool wide, int rounds, const std::string& outdir);

}  // namespace tracewell::bench
