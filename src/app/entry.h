// The program's cycle of dialogue and output run, callable in-process.
#pragma once

namespace tracewell {

// The program once it runs in its own folder: takes the first argument (if
// any) as the WAD of the first cycle, loads "settings.txt" from the working
// directory, prints the banner and runs cycle after cycle. It ends only
// through exitprocess or fatalstop (end of input, a fatal stop, a stream failure).
[[noreturn]] void runtool(int argc, const char* const* argv);

}  // namespace tracewell
