// The batch run: many inputs in one run, a folder per input, a record per map.
#pragma once

#include "support/text.h"

namespace tracewell {

class console;
struct commandline;

// Takes the format, the scheme and the sizes of `cl` over the answers the
// settings gave `c`, as every run of the command line does. A format or scheme
// that is not known ends the process with its refusal (status 1).
void applylook(const commandline& cl, console& c);

// Draws every input of `cl` (or `fallback`, the settings' input, when it
// names none) under the batch rules, with `c` loaded from the settings. The
// maps, the format and the scheme are checked once, first, as the command
// line checks them. Then each input is opened in turn: one that cannot be
// used prints "tracewell: INPUT: MESSAGE" and the run goes on with the next.
// Ends the process: 255 when an input could not be read to its end, else 2
// when an input was refused or a map asked for was not written, else 0.
[[noreturn]] void runbatch(const commandline& cl, console& c, const text& fallback);

}  // namespace tracewell
