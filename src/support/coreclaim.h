// Cores the process is not using, lent to work that can spread over several threads.
#pragma once

#include <cstddef>

namespace tracewell {

// Up to `wanted` of the machine's cores, held for the claim's lifetime: the
// calling thread's own (counted busy unless a claim on this thread already
// holds it), then as many more as no other claim holds. What a claim gets
// depends on what runs at that moment, so work that spreads over it must give
// the same result however many cores it got. Any thread may claim.
class coreclaim {
 public:
  explicit coreclaim(std::size_t wanted);
  ~coreclaim();
  coreclaim(const coreclaim&) = delete;
  coreclaim& operator=(const coreclaim&) = delete;

  // The cores lent beside the caller's own: 0 when the machine is busy.
  std::size_t extra() const { return extra_; }

 private:
  std::size_t extra_ = 0;
  std::size_t counted_ = 0;  // what this claim adds to the busy count
};

}  // namespace tracewell
