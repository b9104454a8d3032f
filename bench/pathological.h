// The pathological figures: a dense lattice of full-length lines, and lines far outside the image.
#pragma once

#include <cstdint>
#include <string>

namespace tracewell::bench {

// The lattice drawn once in one colour at size x size (margin 16).
struct densecost {
  std::int32_t colour = 0;
  double hiddenms = 0;  // render with every category hidden: create, clear, classify
  double renderms = 0;  // render drawing every line
  double floorms = 0;   // floorencode of the drawn buffer
};

// Renders the lattice map (synthmaps.h) with every line in `colour`, then the
// same with every line hidden, and encodes the drawn buffer for the floor.
densecost rundense(std::int32_t size, std::int32_t colour);

// The same map drawn inside the image and with a margin that puts its lines
// far outside; each time is the least of a few interleaved repetitions.
struct outsidecost {
  std::int32_t width = 0, height = 0;
  std::int32_t insidemargin = 0, outsidemargin = 0;
  double insidedrawms = 0, insidewritems = 0;
  double outsidedrawms = 0, outsidewritems = 0;

  double inside() const { return insidedrawms + insidewritems; }
  double outside() const { return outsidedrawms + outsidewritems; }
};

// Draws the lattice map in an opaque colour at width x height with each
// margin, `repeats` times each in turn; draw is render (classify, fit,
// create, clear, draw), write is WritePNG into "<outdir>/outside.png" and the
// release of the buffer.
outsidecost runoutside(std::int32_t width, std::int32_t height, std::int32_t insidemargin,
                       std::int32_t outsidemargin, int repeats, const std::string& outdir);

}  // namespace tracewell::bench
