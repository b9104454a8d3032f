// What a PNG file on disk says of itself: its size, and whether it is whole.
#pragma once

#include <cstdint>
#include <optional>

#include "support/text.h"

namespace tracewell {

struct pngsize {
  std::int32_t width = 0;
  std::int32_t height = 0;
};

// The width and height of the PNG file at `path` (see nativepath) when it is
// whole: the PNG signature, an IHDR chunk first and the IEND chunk as its last
// 12 bytes, as every image this program writes. nullopt for anything else: no
// such file, a file cut short (an interrupted write of another program), a
// size past 2^31 - 1. Reads the first 24 and the last 12 bytes only.
std::optional<pngsize> wholepngsize(const text& path);

}  // namespace tracewell
