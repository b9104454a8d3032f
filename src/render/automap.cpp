// Automap rendering: sorting linedefs into line categories, and a map drawn into a new image.
#include "render/automap.h"

#include "render/lineplace.h"
#include "render/mapfit.h"
#include "render/scene.h"

namespace tracewell {

result<renderslots> getrenderlines(const map& m, std::int64_t& leastx, std::int64_t& leasty,
                                   std::int64_t& greatestx, std::int64_t& greatesty,
                                   std::int32_t actionspecial) {
  const result<mapbounds> bounds = boundsof(m);
  if (!bounds.ok()) return bounds.error();
  const mapbounds& b = bounds.value();
  leastx = b.leastx;
  leasty = b.leasty;
  greatestx = b.greatestx;
  greatesty = b.greatesty;
  renderslots slots;
  for (const linedef& l : m.linedefs) {
    auto& slot = slots[static_cast<std::size_t>(placeof(m, l, actionspecial, 0).category)];
    if (!slot) slot.emplace();
    const vertex& a = m.vertexes[l.startvertex];
    const vertex& e = m.vertexes[l.endvertex];
    slot->push_back({a.x, a.y, e.x, e.y});
  }
  return slots;
}

result<std::unique_ptr<TPixmap>> render(const map& m, std::int32_t width, std::int32_t height,
                                        std::int32_t margin, const schemelook& look) {
  // The buffer comes first: an image too large to make is reported before any check of the map.
  std::unique_ptr<TPixmap> buffer = TPixmap::Create(width, height, TPixmap::RGBA, 4);
  if (!buffer) return failure::nomemory(u"the image buffer cannot be allocated");
  const result<scene> made = makescene(m, width, height, margin, look);
  if (!made.ok()) return made.error();
  drawscene(made.value(), *buffer);
  return buffer;
}

result<std::unique_ptr<TPixmap>> render(const map& m, std::int32_t width, std::int32_t height,
                                        std::int32_t margin, std::int32_t background,
                                        const std::vector<std::int32_t>& colors,
                                        const std::vector<std::int32_t>& order, std::int32_t actionspecial) {
  return render(m, width, height, margin, schemelook::fromlists(background, colors, order, actionspecial));
}

}  // namespace tracewell
