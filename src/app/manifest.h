// The manifest of a batch run: one JSON object per map, one per line (JSON Lines).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "support/text.h"

namespace tracewell {

// What a map's record says about the map itself; absent for a map that failed.
struct manifestmap {
  text layout;  // "doom", "hexen" or "udmf"
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int64_t linedefs = 0;
  // minx, miny, maxx, maxy over the linedef end points, y as stored in the
  // file, in units of 2^-fractionbits map units.
  std::array<std::int64_t, 4> bounds{};
  std::int32_t fractionbits = 0;
  std::optional<std::int64_t> things;  // records read; absent when they cannot be read
  // Gameplay counts by the map's meanings, whatever the scheme draws.
  std::optional<std::int64_t> lockedlines, exitlines, teleportlines, secretsectors, keys, monsters;
};

// One line of the manifest.
struct manifestrecord {
  text input;               // the input path as given
  std::optional<text> map;  // absent for an input refused as a whole
  text status;              // "written", "skipped" or "failed"
  std::optional<text> output;
  std::vector<text> error;  // failure lines; none: null
  std::optional<manifestmap> fields;
};

// The record as one JSON object without a line end. Text is taken as bytes
// (code units 0..255) that should be UTF-8; what is not shows as U+FFFD.
std::string manifestline(const manifestrecord& record);

}  // namespace tracewell
