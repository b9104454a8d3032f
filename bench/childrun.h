// Running the real tool as a child process with scripted standard input.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tracewell::bench {

// What one child run gave.
struct childresult {
  bool started = false;      // false when the program could not be started
  int status = -1;           // exit status; -1 when it ended through a signal
  double wallms = 0;         // from just before the start to just after the end
  double cpums = 0;          // processor time of the child, user and system, all its threads
  std::int64_t peakrss = 0;  // peak resident memory in bytes (ru_maxrss of the child)
  std::string output;        // standard output and standard error, as written
};

// Runs `exe` with `args` (none: the dialogue), feeds `input` to its standard input and then
// closes it, and waits for the end. Standard output and error go to a file in
// `workdir`, which must exist; the file is read back into the result and
// removed. The processor time (all threads) and the peak memory are the
// child's own, from wait4. Never throws for a failed start: `started` stays
// false.
childresult runchild(const std::string& exe, const std::string& input, const std::string& workdir,
                     const std::vector<std::string>& args = {});

}  // namespace tracewell::bench
