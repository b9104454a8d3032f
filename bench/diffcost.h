// Revision diffs: a WAD against its renumbered copy, map by map, and two very large maps, against the PNG
// floor.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tracewell::bench {

struct diffcost {
  std::size_t maps = 0;
  std::size_t lines = 0;    // linedefs of all maps, one version
  std::size_t things = 0;   // things of all maps, one version
  std::size_t changes = 0;  // must be 0: renumbering changes nothing
  double diffms = 0;   // both WADs opened, every map read with its things and compared; least of the rounds
  double floorms = 0;  // floorencode of every map drawn at the floor size
  std::size_t biglines = 0;
  double bigms = 0;  // two synthetic maps of biglines linedefs compared, least of the rounds
  std::string error;

  double ratio() const { return diffms / floorms; }
};

// Writes `wadpath`'s maps renumbered (the test library's renumbered and WAD builder) to a WAD in
// `folder`, then times reading both files and diffing every map, `rounds` times; the floor is the PNG
// encoding of each map drawn in the fallback look at `size` x `size` with `margin`. Then two synthetic
// maps of 100,000 linedefs and 20,000 things, one the other renumbered.
diffcost rundiffcost(const std::string& wadpath, const std::string& folder, std::int32_t size,
                     std::int32_t margin, int rounds);

// Things crowded into one 64-unit square in both versions, at fractional places none of them held before,
// so that nearly every thing is within moving reach of every other.
struct crowdedpairing {
  std::size_t things = 0;  // per version
  double ms = 0;           // diffmaps of the two maps (things only), least of the rounds
  std::int64_t bytes = 0;  // peak resident memory above the two maps during the first round
  std::size_t moved = 0;   // things paired as moved
};
struct crowdedcost {
  std::vector<crowdedpairing> pairings;
  std::size_t runthings = 0;  // per version, for the real tool's --diff of two UDMF WADs
  double runms = 0;           // its wall time
  int runstatus = -1;
  std::string error;
};

// Times diffmaps on crowded maps of each count in `counts` (`rounds` times), then writes two UDMF WADs
// of `runthings` crowded things each to `folder` and runs `exe --diff` on them once.
crowdedcost runcrowdedcost(const std::string& exe, const std::string& folder,
                           const std::vector<std::size_t>& counts, std::size_t runthings, int rounds);

// The real tool's --diff of two WADs whose every map differs, PNGs at 1024 x 1024, once with the
// machine's cores and once pinned to one (taskset -c 0), in alternating order, least of the rounds each;
// both runs must write the same files and the same output.
struct diffcorescost {
  std::size_t files = 0;  // PNGs written by each run
  double bothms = 0;      // wall time on every core
  double onems = 0;       // wall time pinned to one core
  bool same = true;       // the two runs' files and output agree
  int status = -1;
  std::string error;

  double ratio() const { return bothms / onems; }
};

diffcorescost rundiffcores(const std::string& exe, const std::string& older, const std::string& newer,
                           const std::string& folder, int rounds);

}  // namespace tracewell::bench
