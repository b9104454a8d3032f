// The picture of a diff: both versions' lines coloured by what became of them, and the things that changed.
#pragma once

#include <cstdint>

#include "game/mapdiff.h"
#include "render/scene.h"
#include "support/failure.h"
#include "wad/map.h"

namespace tracewell {

struct schemelook;

// The scene of `d`, the diff from `older` to `newer` (either may be a map without lines, for a map only
// one version has), in a width x height image with `margin`, in the background, line style and diff
// colours of `look`. Coordinates are in the finer of the two maps' units (scene::fractionbits). The
// fit covers both versions' lines; with `crop`, the changes only, widened on every side by a tenth of
// their larger extent and at least 128 map units. Strokes: the new version's unchanged lines, the
// removed lines where they were, the changed and the added lines, then a line from the old to the new
// place of each moved thing; markers: the things removed (at their old place), changed, added and
// moved (at the new place). Each stroke and marker carries its mark and its number in the version it
// is drawn from (the old one for what was removed). Fails as boundsof does for either map.
result<scene> makediffscene(const map& older, const map& newer, const mapdiff& d, std::int32_t width,
                            std::int32_t height, std::int32_t margin, const schemelook& look, bool crop);

}  // namespace tracewell
