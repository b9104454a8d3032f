// The runs of a revision: --diff draws what changed between two versions of a WAD, --dump prints one as text.
#pragma once

#include "app/runend.h"

namespace tracewell {

class console;
struct commandline;

// --diff: the maps of the two inputs (OLD, NEW) compared by name, with the
// look, sizes and format of a drawing run. Per map its summary line
// (summaryline) and, when it changed, the picture of its diff under -o (default
// "%-diff.png") and that file's path, on standard output (nothing of it with
// --manifest -); records with `old_input` and `diff` under --manifest. An
// input that cannot be used: "tracewell: PATH: MESSAGE", status 1. Status 2
// when a map could not be read or its picture not written, 255 for a stream
// failure, else 0, whether or not maps differ.
runend rundiff(const commandline& cl, console& c);

// --dump: every map of the WAD (or those `cl.maps` names), each as a line
// "map NAME" and then dumpmap's text, on standard output. An input that
// cannot be used prints "tracewell: " and its refusal on standard error
// (status 1); a map that cannot be read prints its failure lines on standard
// error and "unreadable" in its place (status 2); a stream failure 255.
runend rundump(const commandline& cl, console& c);

}  // namespace tracewell
