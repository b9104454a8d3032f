// The web page of one map's diff: the diff's drawing inline, each kind of change a layer, and every
// change listed with its old and new properties, in one file that needs nothing else.
#pragma once

#include "game/mapdiff.h"
#include "render/scene.h"
#include "support/outputfile.h"
#include "support/textsink.h"
#include "wad/map.h"
#include "web/svg.h"

namespace tracewell {

// Writes the page of `d`, the diff from `older` to `newer` drawn as `s` (makediffscene). Names are
// escaped as writemappage escapes them; the page runs the same script. Fails (false) as writesvg does.
bool writediffpage(const scene& s, const map& older, const map& newer, const mapdiff& d,
                   const svgnames& names, const textsink& sink);

// The same into a file opened already, which this finishes but does not commit (see writethrough).
outputstatus writediffpage(const scene& s, const map& older, const map& newer, const mapdiff& d,
                           const svgnames& names, outputfile& out);

}  // namespace tracewell
