// Where failures from the layers below become console output, standard error and exit statuses.
#pragma once

#include "support/failure.h"

namespace tracewell {

// The one place a failure is shown. A notice prints its lines and returns, so
// the caller goes on. Every other kind ends the process: a fatal stop prints
// its message, "Press enter to exit." and waits for a line at ">" (status 0);
// a stream failure writes its message to standard error without a line end
// (status 255).
void report(const failure& f);

}  // namespace tracewell
