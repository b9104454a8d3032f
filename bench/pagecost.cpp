// Web pages: writing every map's page against encoding the same maps' PNG files (the floor).
#include "pagecost.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <vector>

#include "pngfloor.h"
#include "render/pixmap.h"
#include "render/scene.h"
#include "render/schemelook.h"
#include "stopwatch.h"
#include "wad/map.h"
#include "wad/wad.h"
#include "web/mappage.h"

namespace tracewell::bench {

pagecost runpagecost(const std::string& wadpath, std::int32_t size, std::int32_t margin, int rounds,
                     const std::string& outdir) {
  pagecost cost;
  cost.size = size;
  auto read = wad::read(bytestream::openread(fromutf8(wadpath)), wad::DOOM);
  if (!read.ok()) {
    cost.error = "cannot read " + wadpath + " as a WAD";
    return cost;
  }
  const std::shared_ptr<wad> w = std::move(read).value();
  schemelook look;
  look.background = black;
  for (std::size_t i = 0; i < look.things.colors.size(); ++i)
    look.things.colors[i] =
        static_cast<std::int32_t>(0xFF204080U + 0x00301000U * static_cast<std::uint32_t>(i));
  const std::unique_ptr<TPixmap> image = TPixmap::Create(size, size, TPixmap::RGBA, 4);
  std::vector<unsigned char> encoded;
  for (const text& name : w->getmapnames()) {
    auto created = map::Create(w->getmaplumps(name, wad::maplumps), wad::DOOM, {}, true);
    if (!created.ok() || !image) continue;
    const map& m = *created.value();
    const text path = fromutf8(outdir + "/" + tobytes(name) + ".html");
    double pagems = 0, floorms = 0;
    bool done = true;
    for (int round = 0; round < std::max(rounds, 1); ++round) {
      stopwatch clock;
      const result<scene> s = makescene(m, size, size, margin, look);
      outputfile out = outputfile::open(path);
      // A page run checks each map it writes a page of.
      const std::vector<finding> found = checkmap(m, sectoroutlines(m), presetseverities());
      done =
          done && s.ok() &&
          writemappage(s.value(), m, factsof(m, true), &found, svgnames{name, fromutf8(wadpath)}, out).ok() &&
          out.commit().ok();
      const double page = clock.lap();
      if (!done) break;
      drawscene(s.value(), *image);
      clock.lap();
      done = floorencode(*image, 5, encoded);
      const double floor = clock.lap();
      pagems = round == 0 ? page : std::min(pagems, page);
      floorms = round == 0 ? floor : std::min(floorms, floor);
    }
    if (!done) continue;
    cost.pagems += pagems;
    cost.floorms += floorms;
    cost.bytes += static_cast<std::size_t>(std::filesystem::file_size(nativepath(path)));
    ++cost.maps;
  }
  if (cost.maps == 0) cost.error = "no map of " + wadpath + " could be written";
  return cost;
}

}  // namespace tracewell::bench
