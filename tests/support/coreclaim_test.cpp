// Core claims: a claim takes only cores no other claim holds, and gives them back when it ends.
#include "support/coreclaim.h"

#include <gtest/gtest.h>

#include <thread>

#include "support/orderedpool.h"

namespace tracewell {
namespace {

TEST(CoreClaim, LendsOnlyCoresNoOtherClaimHolds) {
  const std::size_t cores = std::max<std::size_t>(std::thread::hardware_concurrency(), 1);
  {
    const coreclaim all(1000);
    EXPECT_EQ(all.extra(), cores - 1);
    // The same thread's core is held already; no other is free, here or on another thread.
    EXPECT_EQ(coreclaim(1000).extra(), 0u);
    orderedpool<std::size_t> pool(1);
    pool.submit([] { return coreclaim(1000).extra(); }, [](std::size_t& extra) { EXPECT_EQ(extra, 0u); });
    pool.drain([](std::size_t&) {});
  }
  {
    // One claim of the caller's own core leaves the others to lend.
    const coreclaim own(1);
    EXPECT_EQ(own.extra(), 0u);
    EXPECT_EQ(coreclaim(1000).extra(), cores - 1);
  }
  EXPECT_EQ(coreclaim(2).extra(), std::min<std::size_t>(1, cores - 1));
}

}  // namespace
}  // namespace tracewell
