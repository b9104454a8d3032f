// Thing markers: every map drawn and saved with its things marked, against the same without them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tracewell::bench {

struct thingcost {
  std::int32_t size = 0;
  std::size_t maps = 0;
  std::size_t things = 0;   // things of all maps, read
  std::size_t markers = 0;  // of those, marked
  double withoutms = 0;     // read without things, render, WritePNG: every map, each the least of its rounds
  double withms = 0;        // read with things, render with every kind coloured, WritePNG
  std::string error;

  double ratio() const { return withms / withoutms; }
};

// Every map of `wadpath` at `size` x `size` with `margin`, the fallback look,
// saved as "<outdir>/<name>.png", once without things and once with every
// thing kind in its own colour at the default skill, in alternating order per
// map; with `rounds` above 1 each time is the least seen.
thingcost runthingcost(const std::string& wadpath, std::int32_t size, std::int32_t margin, int rounds,
                       const std::string& outdir);

}  // namespace tracewell::bench
