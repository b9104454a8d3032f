// The web page of one map's diff: the diff's drawing inline, each kind of change a layer, and every
// change listed with its old and new properties, in one file that needs nothing else.
#pragma once

#include "game/mapdiff.h"
#include "render/scene.h"
#include "support/outputfile.h"
#include "wad/map.h"
#include "web/svg.h"

namespace tracewell {

// Writes the page of `d`, the diff from `older` to `newer` drawn as `s` (makediffscene), into the file at
// `path`, which may be none of `keep`, put in place only when complete. Names are escaped as
// writemappage escapes them; the page runs the same script.
outputstatus writediffpage(const scene& s, const map& older, const map& newer, const mapdiff& d,
                           const svgnames& names, const text& path, const std::vector<fileid>& keep);

}  // namespace tracewell
