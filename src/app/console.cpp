// The console driver's record: banner and completion lines.
#include "app/console.h"

#include "support/terminal.h"

namespace tracewell {

void console::welcome() const {
  printline(u"Tracewell v1.0");
  printline(u"Output PNG images of maps in WADs in the same visual style as DOOM's automap.");
}

void console::finished() const {
  printline(u"Finished outputting!");
}

}  // namespace tracewell
