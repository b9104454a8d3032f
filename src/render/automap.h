// Automap rendering: sorting linedefs into line categories, fitting the map into the image, drawing.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "render/linecategory.h"
#include "render/pixmap.h"
#include "render/thingmarkers.h"
#include "render/wideline.h"
#include "render/widemath.h"
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

// A line of a category that falls back, with the category among the first ten
// it would have had: the look it takes what its scheme leaves unsaid from.
struct fallbackline {
  renderline line;
  std::int32_t base = 0;
};

// One slot per category that falls back (at number - linecolors), as renderslots.
using fallbackslots = std::array<std::optional<std::vector<fallbackline>>, fallbackcategories>;

// Sorts every linedef of `m` into its category and measures the bounds of all
// linedef end points (0, 0, 0, 0 without linedefs) into the four outputs.
// Action lines (special not 0) get categories 4 and 9 only when `actionspecial`
// is nonzero. A side number below 0 is an absent side, a sector number out of
// range leaves its side without a sector. A vertex or sidedef number out of
// range is failure::fatal "Encountered invalid vertex ID. Probably using the
// wrong map format." (or "... invalid sidedef ID ...").
result<renderslots> getrenderlines(const map& m, std::int64_t& leastx, std::int64_t& leasty,
                                   std::int64_t& greatestx, std::int64_t& greatesty,
                                   std::int32_t actionspecial);

// How map units become pixels: the map's bounds scaled, keeping proportions,
// into the image less `margin` on every side, and centred. All arithmetic is
// exact in integers, total for any sizes: a side scaled past the inner area is
// shrunk to fit when the inner area is at least 1 x 1, and an extent of 0 puts
// every point on the centre line of that axis. Every result depends on the
// coordinates only through ratios of their differences, so scaling all of
// them by one factor (such as 65536 for 1/65536 units) changes no pixel.
// Coordinates up to +-2^47 keep every product within 128 bits.
struct mapfit {
  std::int64_t leastx = 0, leasty = 0;
  std::int64_t dx = 0, dy = 0;  // extents of the bounds
  std::int64_t w = 0, h = 0;    // size of the drawing, less one, in pixels
  std::int64_t offx = 0, offy = 0;
  // The scale: scalepixels pixels per scaleunits vertex units, from the side
  // that fixes it (0 / 0 when both extents are 0).
  std::int64_t scalepixels = 0, scaleunits = 0;

  static mapfit make(std::int64_t leastx, std::int64_t leasty, std::int64_t greatestx, std::int64_t greatesty,
                     std::int32_t width, std::int32_t height, std::int32_t margin);
  // Pixel column of map x and pixel row of map y, truncated toward zero. For
  // a point within the bounds they stay within +-2^35, whatever the sizes.
  std::int64_t column(std::int64_t x) const;
  std::int64_t row(std::int64_t y) const;
  // The same for any coordinate within +-2^47, far outside the bounds too.
  int128 widecolumn(std::int64_t x) const;
  int128 widerow(std::int64_t y) const;
};

// Draws every line of `lines`, start to end, into `buffer` in `color` and
// `style`, placed by mapfit::make with the given bounds and sizes. Returns 0.
int renderlines(const std::vector<renderline>& lines, TPixmap& buffer, std::int64_t leastx,
                std::int64_t leasty, std::int64_t greatestx, std::int64_t greatesty, std::int32_t width,
                std::int32_t height, std::int32_t margin, std::int32_t color, const linestyle& style = {});

// Everything render needs besides the buffer, worked out from the map and the
// look: the sorted lines, their bounds, and each category's colour and pass
// (0: not drawn), and the lines that went to categories that fall back.
// Drawing it cannot fail, so the work may go elsewhere.
struct preparedmap {
  renderslots slots;
  fallbackslots fallback;
  fallbacklooks looks;
  std::int64_t leastx = 0, leasty = 0, greatestx = 0, greatesty = 0;
  std::int32_t width = 0, height = 0, margin = 0;
  std::int32_t background = 0;
  std::array<std::int32_t, linecolors> colors{};
  std::array<std::int32_t, linecolors> passes{};
  linestyle style;                  // of every line
  std::vector<thingmarker> things;  // drawn after every line pass, in this order
  std::int32_t fractionbits = 0;
};

// Sorts the lines of `m` (getrenderlines), picks the thing markers and
// settles the look as render describes it. Fails as getrenderlines does, and
// with failure::nomemory when the sorted lines do not fit in memory.
result<preparedmap> preparemap(const map& m, std::int32_t width, std::int32_t height, std::int32_t margin,
                               std::int32_t background, const std::vector<std::int32_t>& colors,
                               const std::vector<std::int32_t>& order, std::int32_t actionspecial,
                               const linestyle& style = {}, const fallbacklooks& looks = {},
                               const thinglook& things = {});

// Clears `buffer` to the background, draws the prepared lines pass by pass,
// then the thing markers. REQUIRES: `buffer` is width x height (any other size is drawn as
// clipped). Touches nothing but `buffer`, so maps may be drawn side by side.
void drawprepared(const preparedmap& p, TPixmap& buffer);

// The automap of `m` as a new width x height buffer cleared to `background`.
// Passes 1 to 9 are drawn in turn; in each, categories whose `order` entry
// equals the pass, in ascending number, in their `colors` entry. An empty
// `colors` or `order` stands for defaultcolors / defaultorders; entries past
// the tenth are ignored and a missing colour entry takes the default colour.
// Every linedef widens the bounds, drawn or not. Never null: a buffer that
// cannot be created (TPixmap::Create) is failure::nomemory before anything
// else is done, as are lines too many for memory. Fails as getrenderlines
// does. Every line is drawn in `style`.
//
// `looks` may mention categories that fall back. A line then goes to the
// first of them, in number order, that it is in (game/specialmeaning.h) and
// that `looks` mentions, else stays in its category of the first ten. It takes
// the given colour and pass, and the colour and pass of its category of the
// first ten for what is not given. In each pass the first ten categories are
// drawn first, then those that fall back in number order, each in linedef
// order. Mentioning none changes nothing.
//
// After the last pass come the markers of the things `things` draws
// (thingmarkers), at markerradius, when the map's things were read.
result<std::unique_ptr<TPixmap>> render(const map& m, std::int32_t width, std::int32_t height,
                                        std::int32_t margin, std::int32_t background,
                                        const std::vector<std::int32_t>& colors,
                                        const std::vector<std::int32_t>& order, std::int32_t actionspecial,
                                        const linestyle& style = {}, const fallbacklooks& looks = {},
                                        const thinglook& things = {});

}  // namespace tracewell
