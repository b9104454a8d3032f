// Process-wide hooks: exit, the fatal stop, stream failures and the debug log.
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
// prompt (end of input counts as enter) and exits with status 0.
[[noreturn]] void fatalstop(const text& message);

// A byte stream that cannot be read or written: `message` goes to standard
// error without a line end and the process exits with status -1 (255).
[[noreturn]] void streamfailure(const char* message);
inline constexpr const char* readfailure = "Error reading from stream";
inline constexpr const char* writefailure = "Error writing to stream";

// The debug log: one text per call; discarded unless a handler is installed.
void debuglog(const text& message);
using debuglogger = std::function<void(const text&)>;
debuglogger setdebuglog(debuglogger handler);

}  // namespace tracewell
