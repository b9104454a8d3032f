// The program's two faces, callable in-process: the dialogue and the command line.
#pragma once

#include "app/runend.h"
#include "support/text.h"

namespace tracewell {

struct commandline;

// The program: reads the command line (see commandline). Without options it
// takes the first argument (if any) as the WAD of the first cycle, loads
// "settings.txt" from the working directory, prints the banner and runs
// cycle after cycle. With options it draws without a dialogue (see
// runcommandline), its settings file in `programfolder` unless --settings
// names one. The command line's run ends the process here, once, with the
// status of its outcome (settle); the dialogue ends it only as the dialogue may.
[[noreturn]] void runtool(int argc, const char* const* argv, const text& programfolder = text());

// The command line's run: the options' values, the others from the settings
// file, each checked as the dialogue checks its answer, the first refused one
// ending the run with "tracewell: " and the refusal (status 1). Standard
// output gets each PNG path written; failure lines go to standard error.
// Outcome done when every map asked for was written, missed otherwise.
runend runcommandline(const commandline& cl, const text& programfolder);

}  // namespace tracewell
