// The drawing of one map, worked out once, and the rasteriser that draws it into a pixel buffer.
#include "render/scene.h"

#include <array>
#include <cstddef>
#include <new>

#include "render/lineplace.h"
#include "render/schemelook.h"
#include "render/thingmarkers.h"

namespace tracewell {

namespace {

constexpr std::int32_t passes = 9;
constexpr std::int32_t categories = static_cast<std::int32_t>(linecategories.size());

struct strokelook {
  std::int32_t pass = 0;
  std::int32_t color = 0;
};

// A category that falls back takes the pass and colour its scheme gives it, and those of the line's
// category among the first ten for what the scheme leaves unsaid.
strokelook strokelookof(const schemelook& look, lineplace p) {
  const auto base = static_cast<std::size_t>(p.base);
  if (p.category < linecolors) return {look.orders[base], look.colors[base]};
  const auto i = static_cast<std::size_t>(p.category - linecolors);
  const std::uint32_t bit = std::uint32_t{1} << i;
  const fallbacklooks& f = look.fallback;
  return {(f.ordergiven & bit) != 0 ? f.orders[i] : look.orders[base],
          (f.colorgiven & bit) != 0 ? f.colors[i] : look.colors[base]};
}

// The strokes in drawing order, by a counting sort over (pass, category) that keeps linedef order:
// linear, and besides the strokes one byte per linedef.
std::vector<scenestroke> strokesof(const map& m, const schemelook& look) {
  const std::uint32_t mentioned = look.fallback.mentioned() & ((std::uint32_t{1} << fallbackcategories) - 1);
  const auto drawnin = [](std::int32_t pass) { return pass >= 1 && pass <= passes; };
  const auto bucket = [](std::int32_t pass, std::int32_t category) {
    return static_cast<std::size_t>(pass - 1) * static_cast<std::size_t>(categories) +
           static_cast<std::size_t>(category);
  };
  std::vector<std::uint8_t> places(m.linedefs.size());  // category * linecolors + base
  std::array<std::size_t, static_cast<std::size_t>(passes * categories) + 1> starts{};
  for (std::size_t i = 0; i < m.linedefs.size(); ++i) {
    const lineplace p = placeof(m, m.linedefs[i], look.actionspecial, mentioned);
    places[i] = static_cast<std::uint8_t>(p.category * linecolors + p.base);
    const std::int32_t pass = strokelookof(look, p).pass;
    if (drawnin(pass)) ++starts[bucket(pass, p.category) + 1];
  }
  for (std::size_t i = 1; i < starts.size(); ++i) starts[i] += starts[i - 1];
  std::vector<scenestroke> out(starts.back());
  for (std::size_t i = 0; i < m.linedefs.size(); ++i) {
    const lineplace p{places[i] / linecolors, places[i] % linecolors};
    const strokelook s = strokelookof(look, p);
    if (!drawnin(s.pass)) continue;
    const linedef& l = m.linedefs[i];
    const vertex& a = m.vertexes[l.startvertex];
    const vertex& e = m.vertexes[l.endvertex];
    out[starts[bucket(s.pass, p.category)]++] = {
        a.x, a.y, e.x, e.y, s.color, p.category, static_cast<std::uint32_t>(i)};
  }
  return out;
}

}  // namespace

result<scene> makescene(const map& m, std::int32_t width, std::int32_t height, std::int32_t margin,
                        const schemelook& look) {
  const result<mapbounds> bounds = boundsof(m);
  if (!bounds.ok()) return bounds.error();
  scene s;
  s.width = width;
  s.height = height;
  s.margin = margin;
  s.background = look.background;
  s.bounds = bounds.value();
  s.fit = mapfit::make(s.bounds, width, height, margin);
  s.style = look.style;
  s.fractionbits = m.fractionbits;
  s.markerradius = markerradius(s.fit, m.fractionbits);
  try {
    s.strokes = strokesof(m, look);
    s.markers = thingmarkers(m, look.things);
  } catch (const std::bad_alloc&) {
    return failure::nomemory(u"the lines do not fit in memory");
  }
  return s;
}

void drawscene(const scene& s, TPixmap& buffer) {
  buffer.ClearPixels(s.background);
  const mapfit& f = s.fit;
  for (const scenestroke& l : s.strokes)
    drawstyledline(buffer, f.column(l.x0), f.row(l.y0), f.column(l.x1), f.row(l.y1), l.color, s.style);
  if (!s.markers.empty()) drawmarkers(s.markers, f, s.markerradius, s.style, buffer);
}

}  // namespace tracewell
