// Wide smooth lines: every map drawn in the Poster look, against its PNG floor.
#include "poster.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

#include "pngfloor.h"
#include "render/pixmap.h"
#include "render/scene.h"
#include "render/schemelook.h"
#include "stopwatch.h"
#include "wad/map.h"
#include "wad/wad.h"

namespace tracewell::bench {

namespace {

constexpr int pnglevel = 5;
constexpr linestyle poster{3, true};

// The least time of `rounds` runs of `work`.
template <typename Work>
double least(int rounds, Work work) {
  double best = 0;
  for (int i = 0; i < std::max(rounds, 1); ++i) {
    stopwatch clock;
    work();
    const double ms = clock.lap();
    best = i == 0 ? ms : std::min(best, ms);
  }
  return best;
}

}  // namespace

postercost runposter(const std::string& wadpath, std::int32_t size, std::int32_t margin, int rounds) {
  postercost cost;
  cost.size = size;
  auto read = wad::read(bytestream::openread(fromutf8(wadpath)), wad::DOOM);
  if (!read.ok() || !read.value()) {
    cost.error = "cannot read " + wadpath + " as a WAD";
    return cost;
  }
  const std::shared_ptr<wad> w = std::move(read).value();
  const std::unique_ptr<TPixmap> image = TPixmap::Create(size, size);
  if (!image) {
    cost.error = "no buffer for " + std::to_string(size) + " x " + std::to_string(size);
    return cost;
  }
  std::vector<unsigned char> encoded;
  for (const text& name : w->getmapnames()) {
    auto created = map::Create(w->getmaplumps(name, wad::maplumps), wad::DOOM);
    if (!created.ok()) continue;
    auto plain = makescene(*created.value(), size, size, margin, schemelook::fromlists(black, {}, {}, 0));
    if (!plain.ok()) continue;
    scene p = std::move(plain).value();
    ++cost.maps;
    cost.clearms += least(rounds, [&] { image->ClearPixels(black); });
    cost.plainms += least(rounds, [&] { drawscene(p, *image); });
    p.style = poster;
    cost.posterms += least(rounds, [&] { drawscene(p, *image); });
    const auto start = std::chrono::steady_clock::now();
    stopwatch clock;
    floorencode(*image, pnglevel, encoded);
    cost.floorms += clock.lap();
    cost.floorwallms +=
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  }
  return cost;
}

}  // namespace tracewell::bench
