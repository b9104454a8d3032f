// What a map holds for play: locked, exit and teleport lines, secret sectors, keys and monsters.
#pragma once

#include <cstdint>
#include <optional>

#include "wad/map.h"

namespace tracewell {

// Counted by the map's meanings whatever a scheme draws; things of every skill and mode.
struct mapcensus {
  std::int64_t lockedlines = 0;    // all four locked categories
  std::int64_t exitlines = 0;      // exits and secret exits
  std::int64_t teleportlines = 0;  // teleporters within the level
  std::int64_t secretsectors = 0;
  std::optional<std::int64_t> keys;      // absent when the things were not read
  std::optional<std::int64_t> monsters;  // likewise
};

mapcensus takecensus(const map& m);

}  // namespace tracewell
