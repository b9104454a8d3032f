// The program's cycle of dialogue and output run, callable in-process.
#include "app/entry.h"

#include "app/console.h"
#include "app/globals.h"
#include "support/terminal.h"

namespace tracewell {

void runtool(int argc, const char* const* argv) {
  // Only the first argument counts; the rest are ignored.
  startwadpath = argc > 1 ? fromutf8(argv[1]) : text();
  const std::shared_ptr<console> c = console::readpath(settingspath);
  c->welcome();
  for (;;) {
    printline(u"");
    c->requestinputs();
    printline(u"");
    c->do_();
    printline(u"");
    c->finished();
  }
}

}  // namespace tracewell
