// The output run: one PNG file per chosen map.
#include "app/console.h"
#include "app/outputname.h"
#include "app/parallelrun.h"
#include "app/report.h"
#include "render/automap.h"
#include "render/png.h"
#include "support/terminal.h"
#include "wad/map.h"
#include "wad/wad.h"

namespace tracewell {

void console::do_() {
  const bool all = mapname == u"ALL";
  printline(all ? u"Outputting maps..." : u"Outputting map...");
  const std::size_t side = all ? (inflight > 0 ? inflight : mapsinflight(width, height)) : 1;
  if (side > 1) {
    doparallel(side);
  } else if (all) {
    for (const text& name : maps) domap(name);
  } else {
    domap(mapname);
  }
  if (wstream) wstream->close();
}

void console::domap(const text& name) {
  const mapfile file = makemapfile(outputpath, name);
  const result<std::shared_ptr<map>> m = map::Create(w->getmaplumps(name, wad::maplumps), format);
  if (!m.ok()) {
    report(m.error());  // a notice; anything else ends the process here
    printline(loadfailedline(name));
    return;
  }
  const result<std::unique_ptr<TPixmap>> drawn = render(*m.value(), width, height, margin, scheme->background,
                                                        scheme->colors, scheme->order, scheme->actionspecial);
  if (!drawn.ok()) {
    report(drawn.error());
    return;
  }
  const std::unique_ptr<TPixmap>& image = drawn.value();
  if (!image) {
    printline(toolargeline(width, height, name));
    return;
  }
  // A silent failure would look like success; the writer keeps any older file.
  if (file.toolong()) {
    printfailedwrite(outputpath, file.filledname, file.stamp);
  } else if (WritePNG(*image, file.path, pnglevel, inputfiles(*this)) == 0) {
    printline(writefailedline(file.path));
  }
}

}  // namespace tracewell
