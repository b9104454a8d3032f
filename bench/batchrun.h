// Several WADs in one run of the tool, against the single-core floor, and the same run again skipping all.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tracewell::bench {

struct batchcost {
  std::vector<std::string> wads;  // the WADs with maps, in the order given to the tool
  std::size_t maps = 0;           // maps the floor encoded
  std::size_t files = 0;          // PNG files the first run left below its destination
  int firststatus = -1, secondstatus = -1;
  double firstms = 0;    // wall time of the first run
  double secondms = 0;   // wall time of the run with --skip-existing
  double floorwall = 0;  // the in-process floor of every map, one core, one image after another
  std::string error;     // set when nothing could be measured
};

// Draws every map of each of `wads` in process for the floor, then runs
// `exe` once over all of them with --dest at `size` x `size`, and once more
// with --skip-existing. WADs that give no map are left out of both.
batchcost runbatch(const std::string& exe, const std::vector<std::string>& wads, std::int32_t size,
                   std::int32_t margin, const std::string& workdir);

}  // namespace tracewell::bench
