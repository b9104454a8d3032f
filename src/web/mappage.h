// The web page of one map: its drawing inline, zoom and pan, the legend as layer switch, the details
// of any line, thing or sector, and its statistics, in one file that needs nothing else.
#pragma once

#include <vector>

#include "game/mapchecks.h"
#include "game/mapfacts.h"
#include "render/scene.h"
#include "support/outputfile.h"
#include "support/textsink.h"
#include "wad/map.h"
#include "web/svg.h"

namespace tracewell {

// Writes the page of map `m` drawn as `s` (the scene made from `m`, things read or not): the SVG
// of writesvg inline, and the map's lines, sectors, things, layers and counts (its `facts`, taken with
// counts; their statistics as a table per skill group and mode) as JSON data for the page's script. The
// checks' `findings` of a map that was checked (null: not checked) are a list whose entries select what
// they point at. Every name is escaped for HTML and for the data, so a page runs only its own script. The
// same scene, map, facts, findings and names give the same bytes. Fails (false) as writesvg does.
bool writemappage(const scene& s, const map& m, const mapfacts& facts, const std::vector<finding>* findings,
                  const svgnames& names, const textsink& sink);

// The same into a file opened already, which this finishes but does not commit (see writethrough).
outputstatus writemappage(const scene& s, const map& m, const mapfacts& facts,
                          const std::vector<finding>* findings, const svgnames& names, outputfile& out);

}  // namespace tracewell
