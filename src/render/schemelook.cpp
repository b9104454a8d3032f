// The look of a colour scheme as one value.
#include "render/schemelook.h"

#include <cstddef>

namespace tracewell {

schemelook schemelook::fromlists(std::int32_t background, const std::vector<std::int32_t>& colors,
                                 const std::vector<std::int32_t>& order, std::int32_t actionspecial) {
  schemelook l;
  l.background = background;
  l.actionspecial = actionspecial;
  for (std::size_t i = 0; i < l.colors.size(); ++i) {
    const bool ordered = order.empty() || i < order.size();
    l.orders[i] = !ordered ? 0 : order.empty() ? defaultorders[i] : order[i];
    l.colors[i] = !ordered ? 0 : i < colors.size() ? colors[i] : defaultcolors[i];
  }
  return l;
}

}  // namespace tracewell
