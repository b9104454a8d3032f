// Map checks on very large built maps: the sector look-up and the duplicate-line search must stay
// far from quadratic.
#pragma once

#include <cstddef>

namespace tracewell::bench {

struct checkcost {
  std::size_t lines = 0, things = 0;
  double latticems = 0;      // rooms: outlines built and every check run, least of the rounds
  double randomms = 0;       // random crossing lines, the same: reported, no target (each look-up counts
                             // a few sectors' crossings among hundreds of long lines in its row)
  std::size_t findings = 0;  // on the lattice; must be the things placed in the void
  std::size_t expected = 0;
};

// A lattice of square rooms with `lines` linedefs (two-sided between rooms, every fourth floor raised,
// every wall textured) and `things` things at random places, one in ten on a line or a vertex and one in
// a hundred outside; and a map of as many random lines chained end to end across one another, each
// one-sided into one of 64 sectors, with as many things. Each checked with every check on.
checkcost runcheckcost(std::size_t lines, std::size_t things, int rounds);

}  // namespace tracewell::bench
