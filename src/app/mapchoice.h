// Which maps of an input are drawn: what was asked for against what the input lists, one rule for every run.
#pragma once

#include <list>
#include <optional>
#include <vector>

#include "support/text.h"

namespace tracewell {

// What was asked for: the map names in the order given, in upper case, and whether "ALL" (any case) was
// among them.
struct mapchoice {
  std::vector<text> named;
  bool all = false;

  static mapchoice of(const std::vector<text>& words);
};

// The maps to draw from one input.
struct mapselection {
  std::list<text> names;
  bool all = false;  // the names are the input's whole list, in its order
};

// What becomes of a name asked for that an input does not list.
enum class unlistedname {
  refuse,  // the whole choice is refused: the dialogue, the run over one input
  skip,    // it is left out: in a run over many inputs it belongs to others
};

// The maps to draw from an input that lists `listed`: with ALL every listed
// name in the list's order, else each name asked for in the order given (a
// name given twice is drawn twice). A name asked for is compared ignoring
// case and checked, under `rule`, even alongside ALL. nullopt: refused, or
// nothing to draw.
std::optional<mapselection> choosemaps(const mapchoice& asked, const std::list<text>& listed,
                                       unlistedname rule);

}  // namespace tracewell
