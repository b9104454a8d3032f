// The pathological figures: a dense lattice of full-length lines, and lines far outside the image.
#include "pathological.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "pngfloor.h"
#include "render/automap.h"
#include "render/png.h"
#include "stopwatch.h"
#include "synthmaps.h"

namespace tracewell::bench {

namespace {

constexpr int pnglevel = 5;

const map& lattice() {
  static const map m = latticemap();
  return m;
}

}  // namespace

densecost rundense(std::int32_t size, std::int32_t colour) {
  densecost cost;
  cost.colour = colour;
  const std::vector<std::int32_t> colours = everycategory(colour);
  lattice();  // built before the clock starts
  stopwatch clock;
  std::unique_ptr<TPixmap> image =
      render(lattice(), size, size, 16, black, colours, everycategory(0), 0).value();
  cost.hiddenms = clock.lap();
  image.reset();
  clock.lap();
  image = render(lattice(), size, size, 16, black, colours, everycategory(1), 0).value();
  cost.renderms = clock.lap();
  if (!image) return cost;
  std::vector<unsigned char> encoded;
  floorencode(*image, pnglevel, encoded);
  cost.floorms = clock.lap();
  return cost;
}

outsidecost runoutside(std::int32_t width, std::int32_t height, std::int32_t insidemargin,
                       std::int32_t outsidemargin, int repeats, const std::string& outdir) {
  outsidecost cost{width, height, insidemargin, outsidemargin};
  const std::vector<std::int32_t> colours = everycategory(red);
  const std::vector<std::int32_t> orders = everycategory(1);
  const text path = fromutf8(outdir + "/outside.png");
  lattice();
  for (int i = 0; i < std::max(repeats, 1); ++i) {
    for (const bool inside : {true, false}) {
      stopwatch clock;
      auto image =
          render(lattice(), width, height, inside ? insidemargin : outsidemargin, black, colours, orders, 0)
              .value();
      const double drawms = clock.lap();
      if (image) (void)WritePNG(*image, path, pnglevel);
      image.reset();
      const double writems = clock.lap();
      double& keptdraw = inside ? cost.insidedrawms : cost.outsidedrawms;
      double& keptwrite = inside ? cost.insidewritems : cost.outsidewritems;
      keptdraw = i == 0 ? drawms : std::min(keptdraw, drawms);
      keptwrite = i == 0 ? writems : std::min(keptwrite, writems);
    }
  }
  return cost;
}

}  // namespace tracewell::bench
