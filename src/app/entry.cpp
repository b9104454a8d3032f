// The program's two faces, callable in-process: the dialogue and the command line.
#include "app/entry.h"

#include <string>
#include <utility>
#include <vector>

#include "app/commandline.h"
#include "app/console.h"
#include "support/process.h"
#include "support/terminal.h"

namespace tracewell {

void runtool(int argc, const char* const* argv, const text& programfolder) {
  const commandline cl = commandline::parse(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
  if (cl.scripted) exitprocess(settle(runcommandline(cl, programfolder)));

  // Only the first argument counts; the rest are ignored.
  text startpath = cl.inputs.empty() ? text() : cl.inputs.front();
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
