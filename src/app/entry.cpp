// The program's cycle of dialogue and output run, callable in-process.
#include "app/entry.h"

#include <utility>

#include "app/console.h"
#include "support/terminal.h"

namespace tracewell {

void runtool(int argc, const char* const* argv) {
  // Only the first argument counts; the rest are ignored.
  text startpath = argc > 1 ? fromutf8(argv[1]) : text();
  const std::shared_ptr<console> c = console::readpath(u"settings.txt");
  c->welcome();
  for (;;) {
    printline(u"");
    // The command-line WAD is for the first cycle only.
    c->requestinputs(std::exchange(startpath, text()));
    printline(u"");
    c->do_();
    printline(u"");
    c->finished();
  }
}

}  // namespace tracewell
