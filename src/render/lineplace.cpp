// Where a linedef goes: its line category, from its flags, sides and meanings.
#include "render/lineplace.h"

#include <bit>

#include "game/specialmeaning.h"

namespace tracewell {

namespace {

std::int32_t categoryof(const linedef& l, const sector* front, const sector* back,
                        std::int32_t actionspecial) {
  const bool floorchange = front != nullptr && back != nullptr && front->floorlevel() != back->floorlevel();
  const bool ceilchange = front != nullptr && back != nullptr && front->ceillevel() != back->ceillevel();
  const bool action = l.special != 0 && actionspecial != 0;
  const std::int32_t base = l.getflag(linedef::impassable) != 0 ? impassablecategories : 0;
  if (action) return base + actionline;
  if (floorchange && ceilchange) return base + bothchangeline;
  if (ceilchange) return base + ceilchangeline;
  if (floorchange) return base + floorchangeline;
  return base + plainline;
}

}  // namespace

lineplace placeof(const map& m, const linedef& l, std::int32_t actionspecial, std::uint32_t mentioned) {
  const sector* front = m.sideof(l.rightside);
  const sector* back = m.sideof(l.leftside);
  const std::int32_t base = categoryof(l, front, back, actionspecial);
  const std::uint32_t taken =
      mentioned != 0 ? mentioned & fallbackset(meaningsof(l, front, back, m.meaning)) : 0;
  if (taken == 0) return {base, base};
  return {linecolors + std::countr_zero(taken), base};
}

}  // namespace tracewell
