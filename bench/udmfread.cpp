// UDMF reading: every map of a WAD written as a TEXTMAP and read back, against the PNG floor.
#include "udmfread.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "pngfloor.h"
#include "render/automap.h"
#include "stopwatch.h"
#include "testlib/udmfwriter.h"
#include "wad/map.h"
#include "wad/udmf.h"
#include "wad/wad.h"

namespace tracewell::bench {

udmfcost runudmfread(const std::string& wadpath, std::int32_t size, std::int32_t margin, int rounds) {
  udmfcost cost;
  const result<std::shared_ptr<wad>> read = wad::read(bytestream::openread(fromutf8(wadpath)), wad::DOOM);
  const std::shared_ptr<wad> w = read.ok() ? read.value() : nullptr;
  if (!w) {
    cost.error = "cannot read " + wadpath + " as a WAD";
    return cost;
  }
  std::vector<std::string> texts;
  std::vector<unsigned char> encoded;
  for (const text& name : w->getmapnames()) {
    const result<std::shared_ptr<map>> made = map::Create(w->getmaplumps(name, wad::maplumps), wad::DOOM);
    if (!made.ok()) continue;
    const std::shared_ptr<map>& m = made.value();
    texts.push_back(testkit::toudmf(*m));
    cost.bytes += texts.back().size();
    cost.lines += m->linedefs.size();
    const result<std::unique_ptr<TPixmap>> drawn = render(*m, size, size, margin, black, {}, {}, 0);
    const TPixmap* image = drawn.ok() ? drawn.value().get() : nullptr;
    if (image == nullptr) {
      cost.error = "no buffer for " + std::to_string(size) + " x " + std::to_string(size);
      return cost;
    }
    stopwatch clock;
    floorencode(*image, 5, encoded);
    cost.floorms += clock.lap();
  }
  cost.maps = texts.size();
  for (int round = 0; round < std::max(rounds, 1); ++round) {
    stopwatch clock;
    for (const std::string& t : texts) {
      if (!readudmf(t).m) {
        cost.error = "a map written as UDMF does not read back";
        return cost;
      }
    }
    const double ms = clock.lap();
    cost.readms = round == 0 ? ms : std::min(cost.readms, ms);
  }
  return cost;
}

}  // namespace tracewell::bench
