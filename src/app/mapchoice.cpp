// Which maps of an input are drawn: what was asked for against what the input lists, one rule for every run.
#include "app/mapchoice.h"

#include <algorithm>

namespace tracewell {

mapchoice mapchoice::of(const std::vector<text>& words) {
  mapchoice c;
  for (const text& word : words) {
    const text name = upper(word);
    if (name == u"ALL") {
      c.all = true;
    } else {
      c.named.push_back(name);
    }
  }
  return c;
}

std::optional<mapselection> choosemaps(const mapchoice& asked, const std::list<text>& listed,
                                       unlistedname rule) {
  mapselection chosen;
  for (const text& name : asked.named) {
    const bool lists =
        std::any_of(listed.begin(), listed.end(), [&](const text& m) { return upper(m) == name; });
    if (!lists && rule == unlistedname::refuse) return std::nullopt;
    if (lists) chosen.names.push_back(name);
  }
  if (asked.all) chosen = {listed, true};
  if (chosen.names.empty()) return std::nullopt;
  return chosen;
}

}  // namespace tracewell
