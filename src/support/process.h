// Ending the process: exit, the fatal stop and stream failures. For the app layer only.
#pragma once

#include <functional>

#include "support/text.h"

namespace tracewell {

// Ends the process with `status` through the installed exit handler
// (std::exit by default). Tests install a handler that throws `processexit`
// so that the stop can be observed in-process; a handler must not return.
[[noreturn]] void exitprocess(int status);
using exithandler = std::function<void(int status)>;
exithandler setexithandler(exithandler handler);

// What a test exit handler throws.
struct processexit {
  int status;
};

// Prints `message`, then "Press enter to exit.", reads one line at the ">"
// prompt (end of input counts as enter) and exits with status 1: the tool
// did not do what it was asked.
[[noreturn]] void fatalstop(const text& message);

// A byte stream that could not be read or written: `message` (see
// failure::readstream) goes to standard error as UTF-8 without a line end and
// the process exits with status -1 (255).
[[noreturn]] void streamfailure(const text& message);

}  // namespace tracewell
