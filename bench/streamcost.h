// Pipes: the real tool's --dump over a FIFO of zeros, refused by its first bytes, and over a FIFO that
// starts as a WAD and goes on past the limit of a pipe read into memory.
#pragma once

#include <cstdint>
#include <string>

#include "childrun.h"

namespace tracewell::bench {

struct streamcost {
  childresult zeros;            // "--dump FIFO" of endless zero bytes
  std::uint64_t zerosread = 0;  // bytes the tool took from it
  childresult overlimit;        // "--dump FIFO" of "PWAD" and endless zero bytes
  std::uint64_t overread = 0;
  std::string error;
};

// Runs `exe --dump` over the two FIFOs, made in `folder`, each fed by a thread of this process.
streamcost runstreamcost(const std::string& exe, const std::string& folder);

}  // namespace tracewell::bench
