// How many maps a run keeps in flight.
#include "app/parallelrun.h"

#include <algorithm>
#include <thread>

#include "support/tempfile.h"

namespace tracewell {

std::size_t mapsinflight(std::int32_t width, std::int32_t height, pngencoding png) {
  const std::int64_t cores = std::max<std::int64_t>(std::thread::hardware_concurrency(), 1);
  const std::int64_t pixels = std::int64_t{std::max(width, 0)} * std::max(height, 0);
  const std::int64_t perpixel = png == pngencoding::compact ? 5 : 4;
  const std::int64_t fits = pixels > 0 ? inflightbytes / perpixel / pixels : cores;
  const std::int64_t n = std::clamp<std::int64_t>(fits, 1, cores);
  return std::min(static_cast<std::size_t>(n), tempfileguard::maxfiles);
}

}  // namespace tracewell
