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

}  // namespace tracewell::bench
