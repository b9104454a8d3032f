// The drawing of one map, worked out once: size, background, fit, and the strokes and thing markers in
// drawing order. Every writer (the rasteriser and with it the PNG, the vector image, the web page, the
// diff views) draws from a scene, so nothing about fitting, categories, passes, fallbacks, widths or
// markers is decided twice.
#pragma once

#include <cstdint>
#include <vector>

#include "render/mapfit.h"
#include "render/wideline.h"

namespace tracewell {

// One line to draw, in the map's vertex units (y negated as the map's vertexes), with what it is.
struct scenestroke {
  std::int64_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  std::int32_t color = 0;     // ARGB
  std::int32_t category = 0;  // the line category it is drawn as (render/linecategory.h), 0..19
  std::uint32_t linedef = 0;  // the linedef's number in the map
};

// One thing marker, at its map position in vertex units.
struct scenemarker {
  std::int64_t x = 0, y = 0;
  std::int32_t angle = 0;   // degrees, 0 east, counter-clockwise
  std::int32_t color = 0;   // ARGB
  std::uint8_t kind = 0;    // the thing kind's number (game/thingkind.h)
  bool cross = false;       // a cross; else a triangle pointing the thing's way
  std::uint32_t thing = 0;  // the thing's number in the map
};

struct scene {
  std::int32_t width = 0, height = 0, margin = 0;  // the image, in pixels
  std::int32_t background = 0;                     // ARGB
  mapfit fit;                                      // how map units become pixels
  linestyle style;                                 // of every stroke and marker line
  std::int64_t markerradius = 0;                   // in pixels
  std::int32_t fractionbits = 0;                   // the map's vertex units, as map::fractionbits
  std::vector<scenestroke> strokes;                // drawing order: passes, categories, linedef order
  std::vector<scenemarker> markers;                // drawn after every stroke, in this order
};

}  // namespace tracewell
