// Vector images: writing every map's SVG against the PNG floor of the same maps.
#include "svgcost.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "app/console.h"
#include "pngfloor.h"
#include "render/automap.h"
#include "render/scene.h"
#include "render/svg.h"
#include "stopwatch.h"
#include "wad/map.h"
#include "wad/wad.h"

namespace tracewell::bench {

namespace {

constexpr int pnglevel = 5;

// The scene of a prepared map, in drawing order: passes, categories, linedef order, then the markers.
scene sceneof(const preparedmap& p) {
  scene s;
  s.width = p.width;
  s.height = p.height;
  s.margin = p.margin;
  s.background = p.background;
  s.fit = mapfit::make(p.leastx, p.leasty, p.greatestx, p.greatesty, p.width, p.height, p.margin);
  s.style = p.style;
  s.fractionbits = p.fractionbits;
  s.markerradius = markerradius(s.fit, p.fractionbits);
  for (std::int32_t pass = 1; pass <= 9; ++pass) {
    for (std::size_t i = 0; i < p.slots.size(); ++i) {
      if (!p.slots[i] || p.passes[i] != pass) continue;
      for (const renderline& l : *p.slots[i]) {
        s.strokes.push_back({l.x0, l.y0, l.x1, l.y1, p.colors[i], static_cast<std::int32_t>(i), 0});
      }
    }
  }
  return s;
}

}  // namespace

svgcost runsvgcost(const std::string& wadpath, const std::string& settingspath, const std::string& scheme,
                   std::int32_t size, std::int32_t margin, int rounds) {
  svgcost cost;
  const result<std::shared_ptr<console>> settings = console::load(fromutf8(settingspath));
  const std::shared_ptr<tracewell::scheme> look =
      settings.ok() ? settings.value()->getscheme(fromutf8(scheme)) : nullptr;
  const result<std::shared_ptr<wad>> read = wad::read(bytestream::openread(fromutf8(wadpath)), wad::DOOM);
  std::unique_ptr<TPixmap> buffer = TPixmap::Create(size, size, TPixmap::RGBA, 4);
  if (!look || !read.ok() || !buffer) {
    cost.error = "cannot read " + wadpath + " or scheme " + scheme + " of " + settingspath;
    return cost;
  }
  std::vector<unsigned char> encoded;
  std::string svgtext;
  for (const text& name : read.value()->getmapnames()) {
    const result<std::shared_ptr<map>> made =
        map::Create(read.value()->getmaplumps(name, wad::maplumps), wad::DOOM);
    if (!made.ok()) continue;
    const result<preparedmap> p =
        preparemap(*made.value(), size, size, margin, look->background, look->colors, look->order,
                   look->actionspecial, look->style, look->fallback);
    if (!p.ok()) {
      cost.error = "a map of " + wadpath + " does not draw";
      return cost;
    }
    const scene s = sceneof(p.value());
    drawprepared(p.value(), *buffer);
    stopwatch floor;
    floorencode(*buffer, pnglevel, encoded);
    cost.floorms += floor.lap();
    double least = 0;
    for (int round = 0; round < std::max(rounds, 1); ++round) {
      svgtext.clear();
      stopwatch clock;
      writesvg(s, {name, fromutf8(wadpath)}, [&svgtext](std::string_view piece) {
        svgtext += piece;
        return true;
      });
      const double ms = clock.lap();
      least = round == 0 ? ms : std::min(least, ms);
    }
    ++cost.maps;
    cost.svgms += least;
    cost.strokes += s.strokes.size();
    cost.bytes += svgtext.size();
  }
  return cost;
}

}  // namespace tracewell::bench
