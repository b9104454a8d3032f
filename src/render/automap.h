// Automap rendering: sorting linedefs into line categories, and a map drawn into a new image.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "render/linecategory.h"
#include "render/pixmap.h"
#include "render/schemelook.h"
#include "support/failure.h"
#include "wad/map.h"

namespace tracewell {

// One segment to draw, in the map's vertex units: start vertex (x0, y0) to
// end vertex (x1, y1). 64 bits hold UDMF coordinates in 1/65536 units (up to
// +-2^47); binary maps give the same values as they store.
struct renderline {
  std::int64_t x0 = 0;
  std::int64_t y0 = 0;
  std::int64_t x1 = 0;
  std::int64_t y1 = 0;
};

// One slot per category: absent when the category got no line, otherwise its
// lines in linedef order (never an empty list).
using renderslots = std::array<std::optional<std::vector<renderline>>, linecolors>;

// Sorts every linedef of `m` into its category of the first ten and measures
// the bounds of all linedef end points (0, 0, 0, 0 without linedefs) into the
// four outputs. Fails as boundsof does.
result<renderslots> getrenderlines(const map& m, std::int64_t& leastx, std::int64_t& leasty,
                                   std::int64_t& greatestx, std::int64_t& greatesty,
                                   std::int32_t actionspecial);

// The automap of `m` in `look` (makescene, drawscene) as a new width x height
// buffer. Never null: a buffer that cannot be created (TPixmap::Create) is
// failure::nomemory before anything else is done. Fails as makescene does.
result<std::unique_ptr<TPixmap>> render(const map& m, std::int32_t width, std::int32_t height,
                                        std::int32_t margin, const schemelook& look);

// The same with the look of schemelook::fromlists: passes 1 to 9 drawn in
// turn, in each the categories whose `order` entry equals the pass, in
// ascending number, in their `colors` entry, on `background`; lines one pixel
// wide, no category that falls back mentioned, no thing marked.
result<std::unique_ptr<TPixmap>> render(const map& m, std::int32_t width, std::int32_t height,
                                        std::int32_t margin, std::int32_t background,
                                        const std::vector<std::int32_t>& colors,
                                        const std::vector<std::int32_t>& order, std::int32_t actionspecial);

}  // namespace tracewell
