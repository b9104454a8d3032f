// Scheme cost: every map of a WAD classified and drawn with one scheme against another.
#include "schemecost.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "app/console.h"
#include "app/scheme.h"
#include "render/scene.h"
#include "stopwatch.h"
#include "wad/map.h"
#include "wad/wad.h"

namespace tracewell::bench {

schemecost runschemecost(const std::string& wadpath, const std::string& settingspath,
                         const std::string& scheme, const std::string& against, std::int32_t size,
                         std::int32_t margin, int rounds) {
  schemecost cost;
  cost.scheme = scheme;
  cost.against = against;
  const result<std::shared_ptr<console>> settings = console::load(fromutf8(settingspath));
  const std::shared_ptr<tracewell::scheme> looks[] = {
      settings.ok() ? settings.value()->getscheme(fromutf8(scheme)) : nullptr,
      settings.ok() ? settings.value()->getscheme(fromutf8(against)) : nullptr};
  if (!looks[0] || !looks[1]) {
    cost.error = "no schemes " + scheme + " and " + against + " in " + settingspath;
    return cost;
  }
  const result<std::shared_ptr<wad>> read = wad::read(bytestream::openread(fromutf8(wadpath)), wad::DOOM);
  std::unique_ptr<TPixmap> buffer = TPixmap::Create(size, size, TPixmap::RGBA, 4);
  if (!read.ok() || !buffer) {
    cost.error = "cannot read " + wadpath + " or make its buffer";
    return cost;
  }
  for (const text& name : read.value()->getmapnames()) {
    const result<std::shared_ptr<map>> made =
        map::Create(read.value()->getmaplumps(name, wad::maplumps), wad::DOOM);
    if (!made.ok()) continue;
    ++cost.maps;
    double least[2] = {0, 0};
    for (int round = 0; round < std::max(rounds, 1); ++round) {
      for (int turn = 0; turn < 2; ++turn) {
        const int which = (round + turn) % 2;  // alternate which goes first
        const tracewell::scheme& s = *looks[which];
        stopwatch clock;
        const result<scene> p = makescene(*made.value(), size, size, margin, s.look);
        if (!p.ok()) {
          cost.error = "a map of " + wadpath + " does not draw";
          return cost;
        }
        drawscene(p.value(), *buffer);
        const double ms = clock.lap();
        least[which] = round == 0 ? ms : std::min(least[which], ms);
      }
    }
    cost.schemems += least[0];
    cost.againstms += least[1];
  }
  return cost;
}

}  // namespace tracewell::bench
