// Wide smooth lines: every map drawn in the Poster look, against its PNG floor.
#pragma once

#include <cstdint>
#include <string>

namespace tracewell::bench {

// All maps of one WAD in the Poster look (the fallback colours and orders
// on opaque black, lines 3 pixels wide and anti-aliased) at one size.
struct postercost {
  std::int32_t size = 0;
  std::size_t maps = 0;
  double floorwallms = 0;  // libpng alone on the Poster images, one after another, wall time
  double floorms = 0;      // the same on the stopwatch's clock
  double clearms = 0;      // clearing the buffers to the background
  double plainms = 0;      // drawing the prepared maps with one-pixel lines, clearing included
  double posterms = 0;     // the same at width 3 with anti-aliasing
  std::string error;       // set when the WAD could not be read

  double plainlines() const { return plainms - clearms; }
  double posterlines() const { return posterms - clearms; }
};

// Prepares every map of `wadpath` once, then draws each with one-pixel lines
// and in the Poster look (least of `rounds` for each, on the stopwatch's
// clock), and encodes the Poster image for the floor.
postercost runposter(const std::string& wadpath, std::int32_t size, std::int32_t margin, int rounds);

}  // namespace tracewell::bench
