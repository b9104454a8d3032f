// The look of a colour scheme as one value: background, each category's colour and pass, the line style,
// what the categories that fall back take, and which things are marked in which colours.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "render/diffmark.h"
#include "render/linecategory.h"
#include "render/thingmarkers.h"
#include "render/wideline.h"

namespace tracewell {

struct schemelook {
  std::int32_t background = 0;                                  // ARGB
  std::array<std::int32_t, linecolors> colors = defaultcolors;  // ARGB per category of the first ten
  std::array<std::int32_t, linecolors> orders = defaultorders;  // pass 1..9 per category; else not drawn
  // Nonzero: action lines (special not 0) get categories 4 and 9 whatever their heights.
  std::int32_t actionspecial = 0;
  linestyle style;                        // of every line and marker
  fallbacklooks fallback;                 // what the scheme says of the categories that fall back
  thinglook things;                       // no colour: no thing is read or drawn
  diffcolors diff = defaultdiffcolors();  // a diff's picture: the colour of each mark

  // The look of the drawing call's lists: an empty `colors` or `order` stands for defaultcolors /
  // defaultorders; entries past the tenth are ignored; a missing colour entry takes the default
  // colour, and with `order` given a missing order entry leaves its category undrawn.
  static schemelook fromlists(std::int32_t background, const std::vector<std::int32_t>& colors,
                              const std::vector<std::int32_t>& order, std::int32_t actionspecial);
};

}  // namespace tracewell
