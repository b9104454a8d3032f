// Where failures from the layers below become console output, standard error and exit statuses.
#include "app/report.h"

#include "support/process.h"
#include "support/terminal.h"

namespace tracewell {

void report(const failure& f) {
  switch (f.what) {
    case failure::kind::notice:
      for (const text& line : f.lines) printline(line);
      return;
    case failure::kind::fatal:
      fatalstop(f.lines.empty() ? text() : f.lines.front());
    case failure::kind::readstream:
    case failure::kind::writestream:
      streamfailure(f.lines.empty() ? text() : f.lines.front());
  }
}

}  // namespace tracewell
