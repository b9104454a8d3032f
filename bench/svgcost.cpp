// Vector images: writing every map's SVG against the PNG floor of the same maps.
#include "svgcost.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "app/console.h"
#include "pngfloor.h"
#include "render/scene.h"
#include "stopwatch.h"
#include "wad/map.h"
#include "wad/wad.h"
#include "web/svg.h"

namespace tracewell::bench {

namespace {

constexpr int pnglevel = 5;

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
    const result<std::shared_ptr<map>> loaded =
        map::Create(read.value()->getmaplumps(name, wad::maplumps), wad::DOOM);
    if (!loaded.ok()) continue;
    const result<scene> made = makescene(*loaded.value(), size, size, margin, look->look);
    if (!made.ok()) {
      cost.error = "a map of " + wadpath + " does not draw";
      return cost;
    }
    const scene& s = made.value();
    drawscene(s, *buffer);
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
