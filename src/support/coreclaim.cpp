// Cores the process is not using, lent to work that can spread over several threads.
#include "support/coreclaim.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace tracewell {

namespace {

// Cores counted busy by the claims alive now.
std::atomic<std::size_t> busy{0};
// Claims alive on this thread: its core is counted once, by the first.
thread_local std::size_t held = 0;

std::size_t cores() {
  static const std::size_t n = std::max<std::size_t>(std::thread::hardware_concurrency(), 1);
  return n;
}

}  // namespace

coreclaim::coreclaim(std::size_t wanted) {
  const std::size_t self = held == 0 ? 1 : 0;
  const std::size_t more = wanted > 0 ? wanted - 1 : 0;
  std::size_t now = busy.load();
  std::size_t take = 0;
  do {
    const std::size_t free = cores() > now + self ? cores() - now - self : 0;
    take = std::min(more, free);
  } while (!busy.compare_exchange_weak(now, now + self + take));
  extra_ = take;
  counted_ = self + take;
  ++held;
}

coreclaim::~coreclaim() {
  busy.fetch_sub(counted_);
  --held;
}

}  // namespace tracewell
