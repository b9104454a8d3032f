// The output run: one PNG file per chosen map.
#include "app/console.h"
#include "app/outputname.h"
#include "app/report.h"
#include "support/terminal.h"
#include "wad/wad.h"

namespace tracewell {

void console::do_() {
  const bool all = mapname == u"ALL";
  if (run->mode == voice::dialogue) printline(all ? u"Outputting maps..." : u"Outputting map...");
  drawmaps(all ? maps : std::list<text>{mapname}, all);
}

void console::domap(const text& name) {
  // In an ALL run every listed name is tried, MAPINFO among them: one that is
  // no map is not a map the user asked for.
  const status s = run->draw({name}, request(), mapname == u"ALL");
  if (!s.ok()) report(s.error(), run->mode);
}

void console::drawmaps(const std::list<text>& names, bool all) {
  const status s = run->draw(names, request(), all);
  if (!s.ok()) report(s.error(), run->mode);
  clearprogress();
  if (wstream) wstream->close();
  run->close();  // an archive's file closes with it
}

drawrequest console::request() const {
  drawrequest r;
  r.pattern = outputpath;
  r.format = format;
  r.width = width;
  r.height = height;
  r.margin = margin;
  r.look = scheme;
  r.keep = inputfiles(*this);
  r.png = png;
  return r;
}

}  // namespace tracewell
