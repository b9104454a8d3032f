// Ending the process: exit, the fatal stop and stream failures. For the app layer only.
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
  exitprocess(1);
}

void streamfailure(const text& message) {
  clearprogress();
  currentterminal().writeerror(toutf8(message));
  exitprocess(-1);
}

}  // namespace tracewell
