// Scheme cost: every map of a WAD classified and drawn with one scheme against another.
#pragma once

#include <cstdint>
#include <string>

namespace tracewell::bench {

struct schemecost {
  std::string scheme, against;  // the scheme measured and the one it is held to
  std::size_t maps = 0;
  double schemems = 0;   // prepare and draw of every map, the least of the rounds
  double againstms = 0;  // the same with `against`
  std::string error;     // set when the settings, the WAD or a map could not be read

  double ratio() const { return schemems / againstms; }
};

// Prepares and draws every map of `wadpath` at `size` x `size` into one buffer
// with each of two schemes of the settings file `settingspath`, the two in
// turn map by map, `rounds` times; each scheme's time is the sum of its least
// time per map. No PNG is written: the encoding does not depend on the scheme.
schemecost runschemecost(const std::string& wadpath, const std::string& settingspath,
                         const std::string& scheme, const std::string& against, std::int32_t size,
                         std::int32_t margin, int rounds);

}  // namespace tracewell::bench
