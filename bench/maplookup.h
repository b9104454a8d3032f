// Map lookup: every listed name of a WAD with a very large directory found in turn, as ALL does.
#pragma once

#include <cstddef>

namespace tracewell::bench {

struct lookupcost {
  std::size_t names = 0;  // listed names looked up
  double ms = 0;          // reading the WAD, listing and taking every map's group
  bool right = true;      // every lookup gave the first entry of its name
};

// A WAD in memory of `markers` empty entries MAP00000, MAP00001, ... (each
// name twice, the second copies after all the first ones), read, listed, and
// every listed name's map group taken.
lookupcost runmaplookup(std::size_t markers);

struct listingcost {
  std::size_t entries = 0;  // directory entries
  std::size_t maps = 0;     // maps each rule listed
  double namesms = 0;       // listing by the names rule
  double contentms = 0;     // listing by the lumps after each marker
  bool right = true;        // both rules listed every map
};

// A WAD in memory of `entries` directory entries: binary map groups (marker
// MAPnnnnn and its ten lumps) one after another, read once and listed by each
// rule; each listing the least of `rounds`.
listingcost runmaplisting(std::size_t entries, int rounds);

}  // namespace tracewell::bench
