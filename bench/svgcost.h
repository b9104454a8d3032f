// Vector images: writing every map's SVG against the PNG floor of the same maps.
#pragma once

#include <cstdint>
#include <string>

namespace tracewell::bench {

struct svgcost {
  std::size_t maps = 0;
  std::size_t strokes = 0;  // lines drawn, over every map
  std::size_t bytes = 0;    // SVG text, over every map
  double svgms = 0;         // writing the SVG text of every scene, the least of the rounds per map
  double floorms = 0;       // libpng alone on the same maps' images
  std::string error;        // set when the settings, the WAD or a map could not be read

  double ratio() const { return svgms / floorms; }
  double bytesperline() const {
    return strokes == 0 ? 0 : static_cast<double>(bytes) / static_cast<double>(strokes);
  }
};

// Every map of `wadpath` in scheme `scheme` of the settings file `settingspath` at `size` x `size`:
// its scene made and drawn once, its PNG floor-encoded, its SVG written `rounds` times into memory.
svgcost runsvgcost(const std::string& wadpath, const std::string& settingspath, const std::string& scheme,
                   std::int32_t size, std::int32_t margin, int rounds);

}  // namespace tracewell::bench
