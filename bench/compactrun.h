// The compact PNG encoding: the real tool with a settings file that asks for it, against the libpng floor.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "childrun.h"

namespace tracewell::bench {

// The tool run a few times the same way; the quietest run (least wall time) counts.
struct compactrun {
  std::string what;
  std::vector<childresult> runs;
  std::vector<std::string> loads;  // the load average before each run
  std::size_t files = 0;           // PNG files the last run wrote
  std::int64_t bytes = 0;          // their size
  double floorms = 0;              // libpng alone on the same pixels, one core, processor time
  std::int64_t floorbytes = 0;     // the standard writer's bytes for them
  bool samepixels = true;          // every file decodes to the pixels the floor encoded (read back)

  std::size_t quietest() const;
  bool clean() const;  // every run started and ended with status 0, and files were written
};

// Every figure of the compact encoding.
struct compactcost {
  std::string settings;         // the settings fixture: the delivered file with png_encoding: compact
  compactrun automap, poster;   // ALL of the benchmark's WAD at the large size, each look
  compactrun onemap;            // its first map alone at the large size
  compactrun batch;             // the WADs of `batchwads` at the small size with --dest
  std::int64_t imagebytes = 0;  // one image buffer at the large size
  std::string error;
};

// Runs `exe` with the fixture made from `delivered` in `workdir`: ALL of
// `wadpath` at `large` in the Automap and Poster looks, its first map alone,
// and a --dest run over `batchwads` at `small`; `runs` times each. Then
// decodes every file the last runs wrote and encodes the pixels with libpng
// at level 5 for the floor and today's bytes. The tool runs come first, while
// the benchmark is small, since a child's peak memory counts the parent's.
compactcost runcompact(const std::string& exe, const std::string& delivered, const std::string& wadpath,
                       const std::vector<std::string>& batchwads, std::int32_t small, std::int32_t large,
                       std::int32_t margin, int runs, const std::string& workdir);

}  // namespace tracewell::bench
