// Thing markers: every map drawn and saved with its things marked, against the same without them.
#include "thingcost.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "render/automap.h"
#include "render/png.h"
#include "stopwatch.h"
#include "wad/map.h"
#include "wad/wad.h"

namespace tracewell::bench {

namespace {

constexpr int pnglevel = 5;

// Every kind marked, each in its own opaque colour.
thinglook everykind() {
  thinglook look;
  for (std::size_t i = 0; i < look.colors.size(); ++i)
    look.colors[i] = static_cast<std::int32_t>(0xFF204080u + 0x00301000u * static_cast<std::uint32_t>(i));
  return look;
}

}  // namespace

thingcost runthingcost(const std::string& wadpath, std::int32_t size, std::int32_t margin, int rounds,
                       const std::string& outdir) {
  thingcost cost;
  cost.size = size;
  auto read = wad::read(bytestream::openread(fromutf8(wadpath)), wad::DOOM);
  if (!read.ok()) {
    cost.error = "cannot read " + wadpath + " as a WAD";
    return cost;
  }
  const std::shared_ptr<wad> w = std::move(read).value();
  const thinglook look = everykind();
  std::vector<double> withms, withoutms;
  for (int round = 0; round < std::max(rounds, 1); ++round) {
    std::size_t index = 0;
    for (const text& name : w->getmapnames()) {
      const lumpgroup group = w->getmaplumps(name, wad::maplumps);
      double ms[2] = {0, 0};
      bool drawn = true;
      for (int turn = 0; turn < 2; ++turn) {
        const bool things = (turn + static_cast<int>(index)) % 2 == 1;  // alternate which comes first
        stopwatch clock;
        auto created = map::Create(group, wad::DOOM, {}, things);
        if (!created.ok()) {
          drawn = false;
          break;
        }
        const std::shared_ptr<map> m = std::move(created).value();
        schemelook shown = schemelook::fromlists(black, {}, {}, 0);
        if (things) shown.things = look;
        auto image = render(*m, size, size, margin, shown);
        drawn = drawn && image.ok() && image.value() &&
                WritePNG(*image.value(), fromutf8(outdir + "/" + tobytes(name) + ".png"), pnglevel).ok();
        ms[things ? 1 : 0] = clock.lap();
        if (things && round == 0 && m->things) {
          cost.things += m->things->size();
          cost.markers += thingmarkers(*m, look).size();
        }
      }
      if (!drawn) continue;
      if (round == 0) {
        withoutms.push_back(ms[0]);
        withms.push_back(ms[1]);
        ++cost.maps;
      } else if (index < withms.size()) {
        withoutms[index] = std::min(withoutms[index], ms[0]);
        withms[index] = std::min(withms[index], ms[1]);
      }
      ++index;
    }
  }
  for (std::size_t i = 0; i < withms.size(); ++i) {
    cost.withoutms += withoutms[i];
    cost.withms += withms[i];
  }
  if (cost.maps == 0) cost.error = "no map of " + wadpath + " could be drawn";
  return cost;
}

}  // namespace tracewell::bench
