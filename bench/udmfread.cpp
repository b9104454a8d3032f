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
  const std::shared_ptr<wad> w = wad::read(bytestream::openread(fromutf8(wadpath)), wad::DOOM);
  if (!w) {
    cost.error = "cannot read " + wadpath + " as a WAD";
    return cost;
  }
  std::vector<std::string> texts;
  std::vector<unsigned char> encoded;
  for (const text& name : w->getmapnames()) {
    const std::shared_ptr<map> m = map::Create(w->getmaplumps(name, wad::maplumps), wad::DOOM);
    if (!m) continue;
    texts.push_back(testing::toudmf(*m));
    cost.bytes += texts.back().size();
    cost.lines += m->linedefs.size();
    const std::unique_ptr<TPixmap> image = render(*m, size, size, margin, black, {}, {}, 0);
    if (!image) {
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
