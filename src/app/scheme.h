// A colour scheme: background, a colour and drawing pass per line category, and the thing markers.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "render/linecategory.h"
#include "render/thingmarkers.h"
#include "render/wideline.h"
#include "support/text.h"

namespace tracewell {

class dictnode;

struct scheme {
  text name;
  std::int32_t actionspecial = 0;  // nonzero: action lines get their own categories
  std::int32_t background = 0;     // ARGB
  std::vector<std::int32_t> colors = std::vector<std::int32_t>(linecolors, 0);  // ARGB per category
  std::vector<std::int32_t> order =
      std::vector<std::int32_t>(linecolors, 0);  // pass 1..9 per category; else not drawn
  linestyle style;                               // width and anti-aliasing of every line
  fallbacklooks fallback;                        // what the scheme says of the categories that fall back
  thinglook things;                              // no colour: no thing is read or drawn

  // The scheme described by one "color_scheme" settings node. Never fails:
  // a missing key reads as "" and so as 0, which leaves that category undrawn
  // (order) or transparent black (colour). Both arrays always hold one entry
  // per category of the first ten. A category that falls back is mentioned by
  // each of its two keys that has a value that is not empty.
  static std::shared_ptr<scheme> read(dictnode& node);
};

}  // namespace tracewell
