// Process-wide hooks: exit, the fatal stop, stream failures and the debug log.
#include "support/process.h"

#include <cstdlib>
#include <utility>

#include "support/terminal.h"

namespace tracewell {

namespace {
exithandler& exithook() {
  static exithandler h = [](int status) { std::exit(status); };
  return h;
}
debuglogger& loghook() {
  static debuglogger h;
  return h;
}
}  // namespace

void exitprocess(int status) {
  if (exithook()) exithook()(status);
  std::exit(status);  // a handler that returns still ends the process
}

exithandler setexithandler(exithandler handler) {
  return std::exchange(exithook(), std::move(handler));
}

void fatalstop(const text& message) {
  printline(message);
  printline(u"Press enter to exit.");
  (void)readline(u">");
  exitprocess(0);
}

void streamfailure(const char* message) {
  currentterminal().writeerror(message);
  exitprocess(-1);
}

void debuglog(const text& message) {
  if (loghook()) loghook()(message);
}

debuglogger setdebuglog(debuglogger handler) {
  return std::exchange(loghook(), std::move(handler));
}

}  // namespace tracewell
