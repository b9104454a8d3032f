// The ordered pool: results in submission order whatever order the jobs end in, never more running than
// asked.
#include "support/orderedpool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <stdexcept>
#include <vector>

namespace tracewell {
namespace {

TEST(OrderedPool, DeliversInSubmissionOrderWithAtMostWidthRunning) {
  for (const std::size_t width : {1u, 2u, 3u, 8u}) {
    std::atomic<int> running = 0, most = 0;
    std::vector<int> delivered;
    {
      orderedpool<int> pool(width);
      const auto deliver = [&](int& v) { delivered.push_back(v); };
      for (int i = 0; i < 24; ++i) {
        pool.submit(
            [&, i] {
              const int now = ++running;
              for (int seen = most; now > seen && !most.compare_exchange_weak(seen, now);) {
              }
              // Early jobs take longest, so later ones finish first.
              std::this_thread::sleep_for(std::chrono::microseconds((24 - i) % 5 * 300));
              --running;
              return i;
            },
            deliver);
      }
      pool.drain(deliver);
      EXPECT_EQ(pool.pending(), 0u);
    }
    std::vector<int> expected(24);
    for (int i = 0; i < 24; ++i) expected[static_cast<std::size_t>(i)] = i;
    EXPECT_EQ(delivered, expected) << width;
    EXPECT_LE(most.load(), static_cast<int>(width)) << width;
  }
}

// A job that throws hands its exception to the caller at its turn, after the
// results before it; the pool stays usable and the destructor waits for the rest.
TEST(OrderedPool, AnExceptionArrivesAtItsTurn) {
  std::vector<int> delivered;
  const auto deliver = [&](int& v) { delivered.push_back(v); };
  orderedpool<int> pool(2);
  // Job 0 ends only after every submit, so no submit reaches job 1's turn however slow this thread is.
  std::promise<void> gate;
  std::shared_future<void> opened = gate.get_future().share();
  pool.submit(
      [opened] {
        opened.wait();
        return 0;
      },
      deliver);
  pool.submit([]() -> int { throw std::runtime_error("job 1"); }, deliver);
  pool.submit([] { return 2; }, deliver);
  gate.set_value();
  EXPECT_THROW(pool.drain(deliver), std::runtime_error);
  EXPECT_EQ(delivered, std::vector<int>{0});
  pool.drain(deliver);
  EXPECT_EQ(delivered, (std::vector<int>{0, 2}));
  pool.submit([] { return 3; }, deliver);
}

}  // namespace
}  // namespace tracewell
