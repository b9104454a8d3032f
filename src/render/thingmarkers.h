// Thing markers: which things a scheme shows, and the crosses and triangles that mark them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "render/mapfit.h"
#include "render/pixmap.h"
#include "render/scene.h"
#include "render/thingkindlook.h"
#include "render/wideline.h"
#include "wad/map.h"

namespace tracewell {

// Which things a scheme draws, and in which colours.
struct thinglook {
  std::array<std::optional<std::int32_t>, thingkindcount> colors;  // ARGB by kind; absent: not drawn
  std::int32_t skill = 0;        // as set: 0 stands for 4, others are clamped to 1..5
  std::int32_t multiplayer = 0;  // nonzero: things that appear only in multiplayer are drawn too

  // Some kind has a colour, so the map's things are needed.
  bool any() const;
};

// Whether `t`, of kind `k`, belongs to what `look` draws, its colour aside:
// whether it appears (thingappears) at the scheme's skill and mode.
bool thingshown(const thing& t, thingkind k, const thinglook& look);

// The markers of `m` that `look` draws, in drawing order: layer by layer,
// within a layer in THINGS order. Empty when `m` has no linedefs (nothing
// fixes the scale) or its things were not read.
std::vector<scenemarker> thingmarkers(const map& m, const thinglook& look);

// The marker radius in pixels: 16 map units at the fitted scale, rounded half
// away from zero, within 3..2^20. `fractionbits` as in map::fractionbits.
std::int64_t markerradius(const mapfit& fit, std::int32_t fractionbits);

struct pixelline {
  std::int64_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  bool operator==(const pixelline&) const = default;
};

// The lines of one marker at pixel (px, py), in drawing order.
struct markershape {
  std::array<pixelline, 3> lines{};
  std::size_t count = 0;
};

// The corners of a triangle marker of radius `r` turned by `angle` degrees
// counter-clockwise on the map, as offsets in pixels from its centre, rows
// growing downward: the point first, then the two back corners.
std::array<std::array<double, 2>, 3> trianglecorners(double r, std::int32_t angle);

// A cross of arms `r` (horizontal first), or the triangle of trianglecorners
// with each corner rounded to the nearest pixel, halves away from zero.
markershape markerat(std::int64_t px, std::int64_t py, std::int64_t r, std::int32_t angle, bool cross);

// Draws `markers` placed by `fit`, each line as a map line in `style`.
// Markers whose pixel lies more than `r` outside the buffer cannot touch it
// and are skipped. A marker of the same shape and colour as the one drawn
// just before it is skipped when drawing it again cannot change a pixel: its
// colour is opaque and the style not anti-aliased, or its last drawing
// changed no pixel. The image is the same as with every marker drawn.
void drawmarkers(const std::vector<scenemarker>& markers, const mapfit& fit, std::int64_t r,
                 const linestyle& style, TPixmap& buffer);

}  // namespace tracewell
