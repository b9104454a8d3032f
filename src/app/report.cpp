// Where failures from the layers below become console output, standard error and exit statuses.
#include "app/report.h"

#include <optional>

#include "support/process.h"
#include "support/terminal.h"
#include "wad/archive.h"

namespace tracewell {

void sayline(const text& line, voice v) {
  if (v == voice::dialogue) {
    printline(line);
  } else {
    printerrorline(line);
  }
}

text entryerrorline(const failure& f) {
  using reason = failure::reason;
  text why;
  switch (f.why) {
    case reason::encrypted:
      why = u"the entry is encrypted";
      break;
    case reason::unsupported: {
      const char16_t* name = compressionmethodname(f.detail);
      why = u"compression method " + inttotext(f.detail) + (name ? u" (" + text(name) + u")" : text()) +
            u" is not supported";
      break;
    }
    case reason::damaged:
      why = u"the entry is damaged";
      break;
    case reason::toolarge:
      why = u"the entry is larger than 2 GiB";
      break;
    case reason::notawad:
      why = u"the entry is not a WAD";
      break;
    case reason::overlaps:
      why = u"the entry overlaps another entry";
      break;
    case reason::overbudget:
      why = u"the archive inflates past its limit";
      break;
    case reason::unspecified:
    case reason::cannotopen:
    case reason::notparsable:
    case reason::noentry:
    case reason::nomaps:
    case reason::badvertex:
    case reason::badsidedef:
    case reason::cutshort:
    case reason::nosignature:
    case reason::overlimit:
    case reason::badpath:
    case reason::brokenlink:
    case reason::owninput:
    case reason::notregular:
    case reason::notwritable:
    case reason::cannotcreate:
    case reason::cannotkeepowner:
    case reason::nocontent:
    case reason::writefailed:
    case reason::renamefailed:
      return {};
  }
  if (f.subject.empty()) return {};
  return u"Error in archive entry \"" + printable(f.subject) + u"\": " + why + u".";
}

bool reportoutputfailure() {
  const std::optional<text> why = currentterminal().outputfailure();
  if (why) printerrorline(u"tracewell: standard output: " + *why);
  return why.has_value();
}

std::vector<text> failurelines(const failure& f) {
  const char16_t* why = nullptr;
  switch (f.why) {
    case failure::reason::badvertex:
      why = u"Encountered invalid vertex ID.";
      break;
    case failure::reason::badsidedef:
      why = u"Encountered invalid sidedef ID.";
      break;
    case failure::reason::cutshort:
      why = u"Unexpected EOF.";
      break;
    default:
      return f.lines;
  }
  // The hint speaks of the format word the user gave; Auto's notice has no word to blame.
  std::vector<text> lines{text(why) +
                          (f.what == failure::kind::fatal ? u" Probably using the wrong map format." : u"")};
  lines.insert(lines.end(), f.lines.begin(), f.lines.end());
  return lines;
}

void report(const failure& f, voice v) {
  const std::vector<text> lines = failurelines(f);
  const text first = lines.empty() ? text() : lines.front();
  switch (f.what) {
    case failure::kind::notice:
      if (const text entry = entryerrorline(f); !entry.empty()) sayline(entry, v);
      [[fallthrough]];
    case failure::kind::nomemory:
      for (const text& line : lines) sayline(line, v);
      return;
    case failure::kind::fatal:
    case failure::kind::readstream:
    case failure::kind::writestream:
      // The command line's run returns its stop (runend::stop) and ends once, at the entry.
      if (v == voice::commandline) {
        printerrorline(first);
        return;
      }
      if (f.what == failure::kind::fatal) fatalstop(first);
      streamfailure(first);
  }
}

}  // namespace tracewell
