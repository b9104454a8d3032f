// Where failures from the layers below become console output, standard error and exit statuses.
#pragma once

#include <vector>

#include "support/failure.h"

namespace tracewell {

// How the tool speaks. The dialogue prints every line on standard output,
// ending in CR LF. The command line keeps standard output for the files it
// wrote and sends every other line, ending in LF, to standard error; its fatal
// stops end the process without waiting for Enter.
enum class voice { dialogue, commandline };

// Prints one line of the run (a failure or a map reader's notice) as `v` does.
void sayline(const text& line, voice v);

// The line that tells why an archive entry could not be read, from the
// failure's reason and subject (the entry's name as stored, printed as map
// names are); empty for a failure that concerns no archive entry.
text entryerrorline(const failure& f);

// The lines a failure prints: its own, after the wording of a reason the app
// words (a map's broken references, its records cut short), which carries the
// hint " Probably using the wrong map format." in a fatal stop only: the
// notice of a map read under Auto has no format word to blame.
std::vector<text> failurelines(const failure& f);

// The one place a failure is shown. A notice about an archive entry prints
// its entryerrorline first. A notice (and a want of memory) prints its
// lines and returns, so the caller goes on. In the dialogue's voice every
// other kind ends the process: a fatal stop prints its message, "Press enter
// to exit." and waits for a line at ">" (status 1); a stream failure writes
// its message to standard error without a line end (status 255). In the
// command line's voice a stop prints its message on standard error and
// returns: the run ends with it (runend::stop).
void report(const failure& f, voice v = voice::dialogue);

// When standard output lost some of what the command line gave it, prints
// "tracewell: standard output: REASON" on standard error and returns true: a
// script reading it would otherwise take it as whole.
bool reportoutputfailure();

}  // namespace tracewell
