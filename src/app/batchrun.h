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
#include "support/text.h"
#include "web/gallerypage.h"

namespace tracewell {

class console;
struct commandline;

// "tracewell: INPUT: WHY", the line of an input that cannot be used or ends early.
text inputline(const text& input, const text& why);
// The refusal of a manifest that cannot be written: cannot write the manifest "PATH".
text manifestline(const text& path);
// Starts `m` at `path`, which may be none of `keep`; a refusal ends the process (status 1) with
// manifestline, and for one of `keep` ": it is an input or the settings file" after it.
void startmanifest(manifestwriter& m, const text& path, const std::vector<fileid>& keep);

// Takes the format, the scheme and the sizes of `cl` over the answers the
// settings gave `c`, as every run of the command line does. A format or scheme
// that is not known ends the process with its refusal (status 1).
void applylook(const commandline& cl, console& c);

// What became of one input, or of the run's own files, from best to worst.
enum class runoutcome {
  drawn,         // every map asked for was written or skipped as up to date
  missed,        // the input was refused, a map asked for was not written, the manifest was not written
  outputfailed,  // standard output lost some of what it was given
  damaged,       // an input could not be read to its end
};

// The run's status: the worst outcome noted, as the exit status it gives.
class runstatus {
 public:
  void note(runoutcome o) { worst_ = std::max(worst_, o); }
  // 255 for a damaged input, else 1 for a failure of standard output, else 2 for anything missed, else 0.
  int exitstatus() const;

 private:
  runoutcome worst_ = runoutcome::drawn;
};

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
// input when `cl` names none. A refusal ends the process (status 1): a
// manifest that would replace an input or the settings file, or that cannot
// be started.
void setupbatch(const commandline& cl, console& c, const text& fallback, batchsetup& b);

// Opens input `i` and draws its maps. One that cannot be used prints "tracewell: INPUT: MESSAGE" and
// records itself; a map that stops the input prints why. Leaves the input closed.
runoutcome runinput(console& c, const batchsetup& b, std::size_t i);

// Delivers every map still in flight and puts the manifest in place.
runoutcome finishbatch(console& c, batchsetup& b);

// Draws every input of `cl` (or `fallback`, the settings' input, when it
// names none) under the batch rules, with `c` loaded from the settings: the
// setup, each input in turn, the end. Ends the process with the status of
// runstatus.
[[noreturn]] void runbatch(const commandline& cl, console& c, const text& fallback);

}  // namespace tracewell
