// Maps built in memory for the pathological figures.
#pragma once

#include <cstdint>
#include <vector>

#include "wad/map.h"

namespace tracewell::bench {

// Lines in latticemap: the most a map can index with 16-bit vertex numbers
// while every line has its own pair of end points.
inline constexpr std::int32_t latticelines = 65535;

// A square map of 65,532 x 65,532 units whose latticelines linedefs all run
// from one side of the square to the opposite side: half from the top edge
// to the bottom edge, half from the left edge to the right edge, at varied
// slopes. Every linedef is impassable and one-sided (category 5), so the map
// is valid for render and draws as a dense lattice of full-length lines.
map latticemap();

// Colours (or orders) for render that give all ten categories `value`:
// with an order of 1, every line is drawn in one pass in one colour.
std::vector<std::int32_t> everycategory(std::int32_t value);

}  // namespace tracewell::bench
