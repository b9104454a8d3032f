// The drawing of one map, worked out once: size, background, fit, and the strokes and thing markers in
// drawing order. Every writer (the rasteriser and with it the PNG, the vector image, the web page, the
// diff views) draws from a scene, so nothing about fitting, categories, passes, fallbacks, widths or
// markers is decided twice.
#pragma once

#include <cstdint>
#include <vector>

#include "render/mapfit.h"
#include "render/wideline.h"
#include "support/failure.h"
#include "wad/map.h"

namespace tracewell {

struct schemelook;

// One line to draw, in the map's vertex units (y negated as the map's vertexes), with what it is.
struct scenestroke {
  std::int64_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  std::int32_t color = 0;     // ARGB
  std::int32_t category = 0;  // the line category it is drawn as (render/linecategory.h), 0..19
  std::uint32_t linedef = 0;  // the linedef's number in the map
  std::int8_t mark = -1;      // in a diff's picture the diffmark it shows (render/diffmark.h); else -1
};

// One thing marker, at its map position in vertex units.
struct scenemarker {
  std::int64_t x = 0, y = 0;
  std::int32_t angle = 0;   // degrees, 0 east, counter-clockwise
  std::int32_t color = 0;   // ARGB
  std::uint8_t kind = 0;    // the thing kind's number (game/thingkind.h)
  bool cross = false;       // a cross; else a triangle pointing the thing's way
  std::uint32_t thing = 0;  // the thing's number in the map
  std::int8_t mark = -1;    // in a diff's picture the diffmark it shows (render/diffmark.h); else -1
};

struct scene {
  std::int32_t width = 0, height = 0, margin = 0;  // the image, in pixels
  std::int32_t background = 0;                     // ARGB
  mapbounds bounds;                                // of every linedef, drawn or not
  mapfit fit;                                      // how map units become pixels
  linestyle style;                                 // of every stroke and marker line
  std::int64_t markerradius = 0;                   // in pixels
  std::int32_t fractionbits = 0;                   // the map's vertex units, as map::fractionbits
  std::vector<scenestroke> strokes;                // drawing order: passes, categories, linedef order
  std::vector<scenemarker> markers;                // drawn after every stroke, in this order
};

// The scene of `m` in a width x height image, `margin` pixels kept clear on every side, as `look`
// draws it. Strokes: passes 1 to 9 in turn; in each, the first ten categories whose pass it is, in
// ascending number, then the categories that fall back in number order, each in linedef order; a
// line in a pass outside 1..9 is left out. A line goes to the first category that falls back, in
// number order, that it is in (game/specialmeaning.h) and that `look` mentions, and takes the
// colour and pass given there, and those of its category of the first ten for what is not given;
// otherwise it stays in its category of the first ten. Markers: those of the things `look.things`
// draws (thingmarkers), when the map's things were read. Fails as boundsof does, and with
// failure::nomemory when the strokes or markers do not fit in memory. Draws nothing, so the
// drawing may go elsewhere.
result<scene> makescene(const map& m, std::int32_t width, std::int32_t height, std::int32_t margin,
                        const schemelook& look);

// Clears `buffer` to the background, draws every stroke between the pixels the fit gives its ends,
// then the thing markers. REQUIRES: `buffer` is width x height (any other size is drawn as clipped).
// Touches nothing but `buffer`, so maps may be drawn side by side.
void drawscene(const scene& s, TPixmap& buffer);

}  // namespace tracewell
