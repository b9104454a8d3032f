// The output run: one PNG file per chosen map.
#include "app/console.h"
#include "app/mapchoice.h"
#include "app/outputname.h"
#include "app/report.h"
#include "support/terminal.h"
#include "wad/wad.h"

namespace tracewell {

void console::do_() {
  const bool all = mapname == u"ALL";
  if (run->mode == voice::dialogue) printline(all ? u"Outputting maps..." : u"Outputting map...");
  const std::optional<mapselection> chosen = choosemaps(mapchoice::of({mapname}), maps, unlistedname::refuse);
  const std::list<text> names = chosen ? chosen->names : std::list<text>{mapname};
  if (all || names.size() != 1) {
    const drawend end = drawmaps(names, all);
    if (!end.ok()) report(*end.stop, run->mode);  // ends the process
    return;
  }
  domap(names.front());
  closeoutput();
}

void console::domap(const text& name) {
  // In an ALL run every listed name is tried, MAPINFO among them: one that is
  // no map is not a map the user asked for.
  const drawend end = run->draw({name}, request(), mapname == u"ALL");
  if (!end.ok()) report(*end.stop, run->mode);
}

drawend console::drawmaps(const std::list<text>& names, bool all) {
  drawend end = run->draw(names, request(), all);
  // A stop leaves the source open: the dialogue ends the process at once.
  if (!end.ok()) return end;
  closeoutput();
  return end;
}

void console::closeoutput() {
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
  r.keep = keptfiles({});
  r.png = png;
  r.input = inputpath;  // named in an image's title; a batch run gives each input's own
  r.extra = extra;
  r.severities = checks;
  r.literalnames = run && run->mode == voice::commandline;
  return r;
}

std::vector<fileid> console::keptfiles(const std::vector<text>& inputs) const {
  std::vector<fileid> ids;
  const auto keep = [&ids](const text& path) {
    if (const auto id = identify(path)) ids.push_back(*id);
  };
  keep(inputpath);
  keep(settingspath);
  for (const text& input : inputs) keep(input);
  return ids;
}

}  // namespace tracewell
