// What every run of the command line settles before its first map: the look, the manifest, the words of
// a refused input.
#pragma once

#include <optional>
#include <vector>

#include "app/runend.h"
#include "support/failure.h"
#include "support/path.h"
#include "support/text.h"

namespace tracewell {

class console;
class manifestwriter;
struct commandline;

// "tracewell: INPUT: WHY", the line of an input that cannot be used or ends early.
text inputline(const text& input, const text& why);
// The refusal of a manifest that cannot be written: cannot write the manifest "PATH".
text manifestline(const text& path);

// The end of a run whose input `path` could not be opened (openversion,
// console::tryopen): a stream failure as such (255), any other as
// "tracewell: PATH: MESSAGE" (inputline, status 1).
runend inputrefused(const text& path, const failure& f);

// Starts `m` at `path`, which may be none of `keep`. The refusal when it
// cannot be: manifestline, and for one of `keep` ": it is an input or the
// settings file" after it.
std::optional<runend> startmanifest(manifestwriter& m, const text& path, const std::vector<fileid>& keep);

// Ends the manifest `m` started at `path`: missed, after the line "tracewell: " and manifestline, when
// a line of it could not be written; else done.
runoutcome finishmanifest(manifestwriter& m, const text& path);

// Takes the format, the scheme and the sizes of `cl` over the answers the
// settings gave `c`, as every run of the command line does. The refusal of a
// format or a scheme that is not known.
std::optional<runend> applylook(const commandline& cl, console& c);

// Takes the format of `cl` over the settings' alone, for a run that draws nothing; refused as applylook.
std::optional<runend> applyformat(const commandline& cl, console& c);

}  // namespace tracewell
