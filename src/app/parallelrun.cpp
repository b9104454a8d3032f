// An ALL run with several maps in flight: each drawn and encoded on a worker, all output in map order.
#include "app/parallelrun.h"

#include <algorithm>
#include <memory>
#include <new>
#include <optional>
#include <thread>

#include "app/console.h"
#include "app/outputname.h"
#include "app/report.h"
#include "render/automap.h"
#include "render/png.h"
#include "support/orderedpool.h"
#include "support/tempfile.h"
#include "support/terminal.h"
#include "wad/map.h"
#include "wad/wad.h"

namespace tracewell {

namespace {

// What a worker hands back: the file it wrote, or failed to.
struct mapwritten {
  text path;
  bool ok = false;
};

using mappool = orderedpool<mapwritten>;

}  // namespace

std::size_t mapsinflight(std::int32_t width, std::int32_t height) {
  const std::int64_t cores = std::max<std::int64_t>(std::thread::hardware_concurrency(), 1);
  const std::int64_t pixels = std::int64_t{std::max(width, 0)} * std::max(height, 0);
  const std::int64_t fits = pixels > 0 ? inflightbytes / 4 / pixels : cores;
  const std::int64_t n = std::clamp<std::int64_t>(fits, 1, cores);
  return std::min(static_cast<std::size_t>(n), tempfileguard::maxfiles);
}

// Only this thread reads the WAD and prints. Whatever can print or fail is
// done here in map order; a map that prints first waits until every map before
// it has printed its lines (drain). The workers get only the work that cannot
// fail or print: clear, draw and encode into the file. A fatal stop waits for
// the maps before it and starts none after it.
void console::doparallel(std::size_t mapsatonce) {
  // Only an ALL run comes here: a name that is no map is not a map asked for.
  const auto deliver = [this](mapwritten& done) {
    if (done.ok) {
      written(done.path);
    } else {
      say(writefailedline(done.path));
      missedmaps = true;
    }
  };
  std::optional<failure> stop;
  {
    mappool pool(mapsatonce);
    std::size_t turn = 0;
    for (const text& name : maps) {
      showturn(name, ++turn);
      const mapfile file = makemapfile(outputpath, name);
      const result<std::shared_ptr<map>> m = loadmap(name);
      if (!m.ok()) {
        pool.drain(deliver);
        if (m.error().what != failure::kind::notice) {
          stop = m.error();
          break;
        }
        report(m.error(), mode);
        say(loadfailedline(name));
        continue;
      }
      // No more buffers than maps in flight.
      pool.makeroom(deliver);
      std::shared_ptr<TPixmap> image = TPixmap::Create(width, height, TPixmap::RGBA, 4);
      std::optional<result<preparedmap>> prepared;
      if (image) {
        try {
          prepared.emplace(preparemap(*m.value(), width, height, margin, scheme->background, scheme->colors,
                                      scheme->order, scheme->actionspecial, scheme->style, scheme->fallback,
                                      scheme->things));
        } catch (const std::bad_alloc&) {
          image = nullptr;  // the lines do not fit in memory beside the image
        }
      }
      if (!image) {
        pool.drain(deliver);
        say(toolargeline(width, height, name));
        missedmaps = true;
        continue;
      }
      if (!prepared->ok()) {
        pool.drain(deliver);
        stop = prepared->error();
        break;
      }
      if (file.toolong()) {
        pool.drain(deliver);
        printfailedwrite(outputpath, file.filledname, file.stamp, mode);
        missedmaps = true;
        continue;
      }
      auto lines = std::make_shared<const preparedmap>(std::move(*prepared).value());
      pool.submit(
          [image = std::move(image), lines = std::move(lines), path = file.path, keep = inputfiles(*this)] {
            drawprepared(*lines, *image);
            return mapwritten{path, WritePNG(*image, path, pnglevel, keep).ok()};
          },
          deliver);
    }
    pool.drain(deliver);
  }
  // The workers are gone before the process may end.
  if (stop) report(*stop, mode);
}

}  // namespace tracewell
