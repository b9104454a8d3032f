// How a run of the command line ends: the one table of outcomes and their exit statuses.
#include "app/runend.h"

#include "app/report.h"
#include "support/terminal.h"

namespace tracewell {

int exitstatusof(runoutcome o) {
  switch (o) {
    case runoutcome::done:
      return 0;
    case runoutcome::findings:
      return 3;
    case runoutcome::missed:
      return 2;
    case runoutcome::refused:
      return 1;
    case runoutcome::damaged:
      return 255;
  }
  return 255;
}

runend runend::refusal(const text& reason) {
  return {runoutcome::refused, {u"tracewell: " + reason}};
}

runend runend::stop(const failure& f) {
  const std::vector<text> lines = failurelines(f);
  const bool stream = f.what == failure::kind::readstream || f.what == failure::kind::writestream;
  return {stream ? runoutcome::damaged : runoutcome::refused, {lines.empty() ? text() : lines.front()}};
}

int settle(const runend& end) {
  runoutcome worst = end.outcome;
  if (end.stopped()) {
    for (const text& line : end.why) printerrorline(line);
  } else if (reportoutputfailure()) {
    worst = std::max(worst, runoutcome::refused);
  }
  return exitstatusof(worst);
}

}  // namespace tracewell
