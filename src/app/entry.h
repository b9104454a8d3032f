// The program's two faces, callable in-process: the dialogue and the command line.
#pragma once

#include "support/text.h"

namespace tracewell {

struct commandline;

// The program: reads the command line (see commandline). Without options it
// takes the first argument (if any) as the WAD of the first cycle, loads
// "settings.txt" from the working directory, prints the banner and runs
// cycle after cycle. With options it draws without a dialogue (see
// runcommandline), its settings file in `programfolder` unless --settings
// names one. It ends only through exitprocess or fatalstop.
[[noreturn]] void runtool(int argc, const char* const* argv, const text& programfolder = text());

// The command line's run: the options' values, the others from the settings
// file, each checked as the dialogue checks its answer, the first refused one
// ending the tool with "tracewell: " and the refusal on standard error
// (status 1). Standard output gets each PNG path written; failure lines go to
// standard error. Status 0 when every map asked for was written, 2 otherwise.
[[noreturn]] void runcommandline(const commandline& cl, const text& programfolder);

// Ends the run with `status`, or with 1 when standard output lost some of
// what it was given: a script reading it would otherwise take it as whole.
[[noreturn]] void finish(int status);

}  // namespace tracewell
