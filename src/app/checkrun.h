// --check: the maps of every input checked, a line per finding and a summary per input, or workflow
// commands for CI.
#pragma once

#include "app/commandline.h"
#include "app/runend.h"
#include "game/mapchecks.h"
#include "support/text.h"

namespace tracewell {

class console;

// "INPUT: MAP: L949: error: MESSAGE [code]": the input as given and the map name, printable; a finding
// about the map as a whole has no address.
text findingline(const text& input, const text& mapname, const finding& f);

// "::error file=INPUT,title=MAP L949::MESSAGE [code]", a GitHub Actions workflow command ("::warning"
// for a warning), its values escaped as those commands ask: '%', CR and LF, in a property ':' and ','
// too; any other control character shows as '?'.
text workflowline(const text& input, const text& mapname, const finding& f);

// "INPUT: 32 maps checked, 3 errors, 11 warnings", "1 map", "1 error", "1 warning" for one.
text checksummary(const text& input, std::int64_t maps, std::int64_t errors, std::int64_t warnings);

// Checks every map of every input of `cl` (or `fallback`, the settings' input, when it names none) under
// the batch rules, with the severities of the settings' #checks node: after each input's findings, in
// map and then address order, its summary line (with --check-format github the findings alone as
// workflow commands; with --manifest - nothing but the records). Pictures only with -o, --dest or
// --extra, and no paths printed. The worst of: a stream failure (255), a refusal of the command line,
// the settings' #checks or the manifest (1), an input refused or a map not read or written (2), a finding
// of severity error (3).
runend runcheck(const commandline& cl, console& c, const text& fallback);

}  // namespace tracewell
