// The real work: every map of a WAD drawn and saved in process, against the floor.
#include "realwork.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>
#include <memory>

#include "pngfloor.h"
#include "render/automap.h"
#include "render/png.h"
#include "report.h"
#include "stopwatch.h"
#include "wad/map.h"
#include "wad/wad.h"

namespace tracewell::bench {

namespace {

constexpr int pnglevel = 5;

std::vector<unsigned char> filebytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The least of the times seen so far; the first round sets it.
void keepleast(double& kept, double seen, bool first) {
  kept = first ? seen : std::min(kept, seen);
}

}  // namespace

double realwork::total() const {
  double sum = wadms;
  for (const mapcost& m : maps) sum += m.total();
  return sum;
}

double realwork::floor() const {
  double sum = 0;
  for (const mapcost& m : maps) sum += m.floorms;
  return sum;
}

double realwork::floorwall() const {
  double sum = 0;
  for (const mapcost& m : maps) sum += m.floorwallms;
  return sum;
}

namespace {
// floorencode timed in wall time as well as on the stopwatch's clock.
double floorencodewall(const TPixmap& image, std::vector<unsigned char>& encoded) {
  const auto start = std::chrono::steady_clock::now();
  floorencode(image, pnglevel, encoded);
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}
}  // namespace

realwork runrealwork(const std::string& wadpath, std::int32_t size, std::int32_t margin, int rounds,
                     const std::string& outdir) {
  realwork work;
  work.size = size;
  std::vector<unsigned char> encoded;
  for (int round = 0; round < std::max(rounds, 1); ++round) {
    const bool first = round == 0;
    stopwatch clock;
    auto read = wad::read(bytestream::openread(fromutf8(wadpath)), wad::DOOM);
    const std::shared_ptr<wad> w = read.ok() ? std::move(read).value() : nullptr;
    keepleast(work.wadms, clock.lap(), first);
    if (!w) {
      work.error = "cannot read " + wadpath + " as a WAD";
      work.maps.clear();
      return work;
    }
    std::size_t index = 0;
    for (const text& name : w->getmapnames()) {
      clock.lap();
      auto created = map::Create(w->getmaplumps(name, wad::maplumps), wad::DOOM);
      const double readms = clock.lap();
      if (!created.ok()) continue;
      std::shared_ptr<map> m = std::move(created).value();
      const std::size_t lines = m->linedefs.size();
      auto drawn = render(*m, size, size, margin, black, {}, {}, 0);
      std::unique_ptr<TPixmap> image = drawn.ok() ? std::move(drawn).value() : nullptr;
      const double drawms = clock.lap();
      if (!image) {
        work.error = "no buffer for " + std::to_string(size) + " x " + std::to_string(size);
        return work;
      }
      const std::string path = outdir + "/" + tobytes(name) + ".png";
      double floorms = 0, floorwallms = 0;
      const bool writefirst = index % 2 == 0;
      if (!writefirst) {
        floorwallms = floorencodewall(*image, encoded);
        floorms = clock.lap();
      }
      const bool saved = WritePNG(*image, fromutf8(path), pnglevel).ok();
      double writems = clock.lap();
      if (writefirst) {
        floorwallms = floorencodewall(*image, encoded);
        floorms = clock.lap();
      }
      image.reset();
      m.reset();
      writems += clock.lap();

      if (first) {
        work.maps.push_back(mapcost{});
        work.maps.back().name = tobytes(name);
      }
      mapcost& cost = work.maps[index++];
      keepleast(cost.readms, readms, first);
      keepleast(cost.drawms, drawms, first);
      keepleast(cost.writems, writems, first);
      keepleast(cost.floorms, floorms, first);
      keepleast(cost.floorwallms, floorwallms, first);
      if (first) {
        const std::vector<unsigned char> written = saved ? filebytes(path) : std::vector<unsigned char>{};
        cost.pngbytes = static_cast<std::int64_t>(written.size());
        cost.samebytes = saved && written == encoded;
        cost.lines = lines;
      }
    }
  }
  return work;
}

void printrealwork(const realwork& work) {
  const std::string size = std::to_string(work.size) + " x " + std::to_string(work.size);
  say("Real work: every map at " + size + ", times in ms (read = lumps and map records; draw = classify,");
  say("fit, create, clear and draw; write = WritePNG to a file and release; floor = libpng alone into "
      "memory)");
  table t({"map", "lines", "read", "draw", "write", "total", "floor", "total/floor", "PNG bytes", "same"});
  double read = 0, draw = 0, write = 0;
  for (const mapcost& m : work.maps) {
    t.add({m.name, std::to_string(m.lines), fixed(m.readms, 2), fixed(m.drawms, 2), fixed(m.writems, 2),
           fixed(m.total(), 2), fixed(m.floorms, 2), fixed(m.total() / m.floorms, 3),
           std::to_string(m.pngbytes), m.samebytes ? "yes" : "NO"});
    read += m.readms;
    draw += m.drawms;
    write += m.writems;
  }
  t.rule();
  t.add({"WAD directory", "", fixed(work.wadms, 2), "", "", fixed(work.wadms, 2)});
  t.add({"all " + std::to_string(work.maps.size()) + " maps", "", fixed(read + work.wadms, 1), fixed(draw, 1),
         fixed(write, 1), fixed(work.total(), 1), fixed(work.floor(), 1),
         fixed(work.total() / work.floor(), 3)});
  t.print();
}

}  // namespace tracewell::bench
