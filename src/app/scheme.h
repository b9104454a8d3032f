// A colour scheme: background, a colour and drawing pass per line category, and the thing markers.
#pragma once

#include <memory>

#include "render/schemelook.h"
#include "support/text.h"

namespace tracewell {

class dictnode;

struct scheme {
  text name;
  schemelook look;  // what the scheme draws, and how

  // The scheme described by one "color_scheme" settings node. Never fails:
  // a missing key reads as "" and so as 0, which leaves that category undrawn
  // (order) or transparent black (colour). A category that falls back is
  // mentioned by each of its two keys that has a value that is not empty.
  static std::shared_ptr<scheme> read(dictnode& node);
};

}  // namespace tracewell
