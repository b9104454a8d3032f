// The web page of one map: its drawing inline, zoom and pan, the legend as layer switch, the details
// of any line, thing or sector, and its statistics, in one file that needs nothing else.
#pragma once

#include <string>

#include "game/mapfacts.h"
#include "render/scene.h"
#include "render/svg.h"
#include "support/outputfile.h"
#include "wad/map.h"

namespace tracewell {

// Writes the page of map `m` drawn as `s` (the scene made from `m`, things read or not): the SVG
// of writesvg inline, and the map's lines, sectors, things, layers and counts (its `facts`, taken with
// counts) as JSON data for the page's script. Every name is escaped for HTML and for the data, so a page runs
// only its own script. The same scene, map and names give the same bytes. Fails (false) as writesvg does.
bool writemappage(const scene& s, const map& m, const mapfacts& facts, const svgnames& names,
                  const svgsink& sink);

// The same into a file opened already, which this finishes but does not commit (as writesvg).
outputstatus writemappage(const scene& s, const map& m, const mapfacts& facts, const svgnames& names,
                          outputfile& out);

// The same into the file at `path`, which may be none of `keep`, put in place only when complete.
outputstatus writemappage(const scene& s, const map& m, const mapfacts& facts, const svgnames& names,
                          const text& path, const std::vector<fileid>& keep);

// Appends the page data's "size" and "fit" members (pixel = a * vertex unit + b on each axis, then the
// vertex units per map unit), read by the page script; the map page and the diff page share them.
void appendpagefit(std::string& out, const scene& s);

}  // namespace tracewell
