// The batch run: many inputs in one run, a folder per input, a record per map.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "app/manifest.h"
#include "app/mapchoice.h"
#include "app/maprun.h"
#include "app/runend.h"
#include "support/text.h"
#include "web/gallerypage.h"

namespace tracewell {

class console;
struct commandline;

// What a batch run settles once, before its first input: the names, the
// request, the folders and the manifest.
struct batchsetup {
  std::vector<text> inputs;   // in argument order
  std::vector<text> folders;  // each input's folder below `dest`, in the same order
  text dest;                  // --dest as a folder to join names to; empty without it
  text pattern;               // the file-name pattern of every map, below the input's folder with --dest
  drawrequest base;           // what every input's request starts from
  mapchoice asked;
  std::optional<std::int64_t> maxmaps;
  std::optional<text> manifestpath;
  manifestwriter manifest;
  bool gallery = false;                      // DIR/index.html when the run ends
  std::vector<galleryentry> galleryentries;  // every record, in run order
};

// Checks the maps, the format and the scheme of `cl` once, as the command
// line checks them, makes the destination, starts the manifest and the run
// that spans every input (c.run). `fallback`, the settings' input, is the
// input when `cl` names none. The refusal of a format or a scheme, or of a
// manifest that would replace an input or the settings file, or that cannot
// be started.
std::optional<runend> setupbatch(const commandline& cl, console& c, const text& fallback, batchsetup& b);

// Opens input `i` and draws its maps. One that cannot be used prints "tracewell: INPUT: MESSAGE" and
// records itself (missed, damaged for a stream failure); a map that stops the input prints why. Leaves
// the input closed.
runoutcome runinput(console& c, const batchsetup& b, std::size_t i);

// Delivers every map still in flight and puts the manifest in place.
runoutcome finishbatch(console& c, batchsetup& b);

// Draws every input of `cl` (or `fallback`, the settings' input, when it
// names none) under the batch rules, with `c` loaded from the settings: the
// setup, each input in turn, the end. The worst outcome of any input, or the
// setup's refusal.
runend runbatch(const commandline& cl, console& c, const text& fallback);

}  // namespace tracewell
