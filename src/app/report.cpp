// Where failures from the layers below become console output, standard error and exit statuses.
#include "app/report.h"

#include "support/process.h"
#include "support/terminal.h"

namespace tracewell {

void sayline(const text& line, voice v) {
  if (v == voice::dialogue) {
    printline(line);
  } else {
    printerrorline(line);
  }
}

void report(const failure& f, voice v) {
  const text first = f.lines.empty() ? text() : f.lines.front();
  switch (f.what) {
    case failure::kind::notice:
      for (const text& line : f.lines) sayline(line, v);
      return;
    case failure::kind::fatal:
      if (v == voice::dialogue) fatalstop(first);
      printerrorline(first);
      exitprocess(1);
    case failure::kind::readstream:
    case failure::kind::writestream:
      streamfailure(first);
  }
}

}  // namespace tracewell
