// What a diff says of one map: its summary line and its manifest figures.
#pragma once

#include <nlohmann/json_fwd.hpp>

#include "game/mapdiff.h"
#include "support/text.h"
#include "wad/map.h"

namespace tracewell {

// "NAME: 12 lines added, 4 removed, 7 changed; things 3 added, 1 removed, 2 moved, 1 changed", or
// "NAME: no changes" for an empty diff; `name` as the console shows it.
text summaryline(const text& name, const mapdiff& d);

// The manifest's `diff` object: the seven counts, sectors_changed and `changes`, one
// object per change in the diff's order: "record" (line or thing), "change" (added, removed, changed,
// moved), "old" and "new" numbers (null where the record is missing), "changed" (the names of the
// properties that differ) and "old_values" / "new_values" (those properties' values, as --dump
// writes them). `older` and `newer` are the maps `d` was made from.
nlohmann::ordered_json diffjson(const mapdiff& d, const map& older, const map& newer);

}  // namespace tracewell
