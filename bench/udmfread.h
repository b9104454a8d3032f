// UDMF reading: every map of a WAD written as a TEXTMAP and read back, against the PNG floor.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tracewell::bench {

struct udmfcost {
  std::size_t maps = 0;
  std::size_t bytes = 0;  // of all the TEXTMAP texts
  std::size_t lines = 0;  // linedefs of all maps
  double readms = 0;      // readudmf over every text, the least of the rounds
  double floorms = 0;     // floorencode of every map drawn at the floor size
  std::string error;      // set when the WAD or a map could not be read

  double ratio() const { return readms / floorms; }
};

// Reads every map of `wadpath` in the Doom layout, writes each as UDMF text
// (in memory) and times reading all the texts, `rounds` times (the least
// counts); the floor is the PNG encoding of each map drawn in the fallback
// look at `size` x `size` with `margin`.
udmfcost runudmfread(const std::string& wadpath, std::int32_t size, std::int32_t margin, int rounds);

}  // namespace tracewell::bench
