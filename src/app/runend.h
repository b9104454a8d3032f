// How a run of the command line ends: the one table of outcomes and their exit statuses.
#pragma once

#include <algorithm>
#include <vector>

#include "support/failure.h"
#include "support/text.h"

namespace tracewell {

// What a run came to, from best to worst. A run notes what each input and
// map came to and ends with the status of the worst.
enum class runoutcome {
  done,      // 0: every map asked for was written, left as up to date or compared
  findings,  // 3: a check found an error in a map (no check reports one yet)
  missed,    // 2: a map not read or a file not written (the manifest and the gallery count)
  refused,   // 1: a command line or an input that cannot be used, a fatal stop, standard output lost
  damaged,   // 255: an input could not be read to its end (a stream failure)
};

// The exit status of `o`: 0, 3, 2, 1 or 255.
int exitstatusof(runoutcome o);

// How a run ended. One that stopped early carries the lines that tell why,
// printed on standard error once it is over; one that went to its end printed
// its own lines as it went.
struct runend {
  runoutcome outcome = runoutcome::done;
  std::vector<text> why;

  void note(runoutcome o) { outcome = std::max(outcome, o); }
  bool stopped() const { return !why.empty(); }

  // "tracewell: " and `reason`, status 1.
  static runend refusal(const text& reason);
  // A fatal stop (status 1) or a stream failure (255), with its message.
  static runend stop(const failure& f);
};

// What the tool says and the status it ends with after `end`: the lines of a
// run that stopped; for one that went to its end, a failure of standard output
// (reportoutputfailure), which makes the status 1 unless a worse one stands.
int settle(const runend& end);

}  // namespace tracewell
