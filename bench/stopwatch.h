// Timing for the benchmark: processor time of this process by default, or wall time.
#pragma once

#include <time.h>

namespace tracewell::bench {

// Measures time from its construction or its last lap. On a machine shared
// with other work, the processor time (user and system) of this process is
// what the benchmark's own code costs, whatever else runs; wall time counts
// the waits for the processor as well. The process is single-threaded.
class stopwatch {
 public:
  // Which clock every stopwatch reads: processor time (the default) or wall time.
  static void usewalltime(bool wall) { clockid() = wall ? CLOCK_MONOTONIC : CLOCK_PROCESS_CPUTIME_ID; }
  static bool walltime() { return clockid() == CLOCK_MONOTONIC; }

  stopwatch() : start_(now()) {}
  // Milliseconds since the start or the previous lap; the next lap starts now.
  double lap() {
    const double t = now();
    const double ms = t - start_;
    start_ = t;
    return ms;
  }

 private:
  static clockid_t& clockid() {
    static clockid_t id = CLOCK_PROCESS_CPUTIME_ID;
    return id;
  }
  static double now() {
    timespec ts{};
    clock_gettime(clockid(), &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
  }
  double start_;
};

}  // namespace tracewell::bench
