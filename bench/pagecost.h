// Web pages: writing every map's page against encoding the same maps' PNG files (the floor).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tracewell::bench {

struct pagecost {
  std::int32_t size = 0;
  std::size_t maps = 0;
  std::size_t bytes = 0;  // of every page
  double pagems =
      0;  // the scene made and the page written to a file: every map, each the least of its rounds
  double floorms = 0;  // the same scene drawn and encoded by libpng alone, into memory
  std::string error;

  double ratio() const { return pagems / floorms; }
};

// Every map of `wadpath` at `size` x `size` with `margin`, things read, the fallback look with every
// thing kind marked: its page written as "<outdir>/<name>.html", against the PNG floor of the same
// scene; with `rounds` above 1 each time is the least seen.
pagecost runpagecost(const std::string& wadpath, std::int32_t size, std::int32_t margin, int rounds,
                     const std::string& outdir);

}  // namespace tracewell::bench
