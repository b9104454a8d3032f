// The debug log: a hook for diagnostics of the settings parser; silent unless a handler is installed.
#pragma once

#include <functional>

#include "support/text.h"

namespace tracewell {

// One text per call; discarded unless a handler is installed.
void debuglog(const text& message);
using debuglogger = std::function<void(const text&)>;
// Installs `handler` (empty: discard) and returns the previous one.
debuglogger setdebuglog(debuglogger handler);

}  // namespace tracewell
