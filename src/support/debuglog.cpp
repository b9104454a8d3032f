// The debug log: a hook for diagnostics of the settings parser; silent unless a handler is installed.
#include "support/debuglog.h"

#include <utility>

namespace tracewell {

namespace {
debuglogger& loghook() {
  static debuglogger h;
  return h;
}
}  // namespace

void debuglog(const text& message) {
  if (loghook()) loghook()(message);
}

debuglogger setdebuglog(debuglogger handler) {
  return std::exchange(loghook(), std::move(handler));
}

}  // namespace tracewell
