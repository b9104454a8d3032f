// The output run: one PNG file per chosen map.
#include "app/console.h"
#include "app/outputname.h"
#include "app/parallelrun.h"
#include "app/report.h"
#include "render/automap.h"
#include "render/png.h"
#include "support/terminal.h"
#include "wad/map.h"
#include "wad/mapsource.h"
#include "wad/wad.h"

namespace tracewell {

void console::do_() {
  const bool all = mapname == u"ALL";
  if (mode == voice::dialogue) printline(all ? u"Outputting maps..." : u"Outputting map...");
  const std::size_t side = all ? (inflight > 0 ? inflight : mapsinflight(width, height)) : 1;
  if (side > 1) {
    doparallel(side);
  } else if (all) {
    std::size_t done = 0;
    for (const text& name : maps) {
      showturn(name, ++done);
      domap(name);
    }
  } else {
    domap(mapname);
  }
  clearprogress();
  if (wstream) wstream->close();
  source = nullptr;  // an archive's file closes with it
}

void console::showturn(const text& name, std::size_t done) const {
  showprogress(printable(name) + u"  " + inttotext(static_cast<std::int64_t>(done)) + u"/" +
               inttotext(static_cast<std::int64_t>(maps.size())));
}

result<std::shared_ptr<map>> console::loadmap(const text& name) const {
  if (source) return source->loadmap(name, format, printable(name));
  // A console filled without the dialogue has the WAD alone.
  return map::Create(w->getmapgroup(name, detection), format, printable(name), false, detection);
}

void console::domap(const text& name) {
  // In an ALL run every listed name is tried, MAPINFO among them: one that is
  // no map is not a map the user asked for.
  const bool asked = mapname != u"ALL";
  const mapfile file = makemapfile(outputpath, name);
  const result<std::shared_ptr<map>> m = loadmap(name);
  if (!m.ok()) {
    report(m.error(), mode);  // a notice; anything else ends the process here
    say(loadfailedline(name));
    if (asked) missedmaps = true;
    return;
  }
  const result<std::unique_ptr<TPixmap>> drawn =
      render(*m.value(), width, height, margin, scheme->background, scheme->colors, scheme->order,
             scheme->actionspecial, scheme->style, scheme->fallback, scheme->things);
  if (!drawn.ok()) {
    report(drawn.error(), mode);
    return;
  }
  const std::unique_ptr<TPixmap>& image = drawn.value();
  if (!image) {
    say(toolargeline(width, height, name));
    missedmaps = true;
    return;
  }
  // A silent failure would look like success; the writer keeps any older file.
  if (file.toolong()) {
    printfailedwrite(outputpath, file.filledname, file.stamp, mode);
    missedmaps = true;
  } else if (!WritePNG(*image, file.path, pnglevel, inputfiles(*this)).ok()) {
    say(writefailedline(file.path));
    missedmaps = true;
  } else {
    written(file.path);
  }
}

void console::say(const text& line) const {
  sayline(line, mode);
}

void console::written(const text& path) const {
  // The command line lists what it wrote, so its output can feed other tools.
  if (mode == voice::commandline) printplainline(path);
}

}  // namespace tracewell
