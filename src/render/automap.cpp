// Automap rendering: sorting linedefs into line categories, fitting the map into the image, drawing.
#include "render/automap.h"

#include <algorithm>
#include <bit>
#include <new>
#include <optional>

#include "game/specialmeaning.h"
#include "render/widemath.h"

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

// trunc(n / d) for d > 0, as a 64-bit value; callers keep the quotient in range.
std::int64_t quotient(int128 n, std::int64_t d) {
  return static_cast<std::int64_t>(n / d);
}

template <typename line>
void addto(std::optional<std::vector<line>>& slot, const line& l) {
  if (!slot) slot.emplace();
  slot->push_back(l);
}

// getrenderlines, with the lines of the categories that `mentioned` names
// (fallbackbit) going to `fallback` instead.
result<renderslots> sortlines(const map& m, std::int64_t& leastx, std::int64_t& leasty,
                              std::int64_t& greatestx, std::int64_t& greatesty, std::int32_t actionspecial,
                              std::uint32_t mentioned, fallbackslots& fallback) {
  leastx = leasty = greatestx = greatesty = 0;
  renderslots slots;
  const auto sides = static_cast<std::int64_t>(m.sidedefs.size());
  bool first = true;
  for (const linedef& l : m.linedefs) {
    if (l.startvertex >= m.vertexes.size() || l.endvertex >= m.vertexes.size()) {
      return failure::fatal(u"Encountered invalid vertex ID. Probably using the wrong map format.");
    }
    if (l.rightside >= sides || l.leftside >= sides) {
      return failure::fatal(u"Encountered invalid sidedef ID. Probably using the wrong map format.");
    }
    const vertex& a = m.vertexes[l.startvertex];
    const vertex& b = m.vertexes[l.endvertex];
    const renderline line{a.x, a.y, b.x, b.y};
    const sector* front = m.sideof(l.rightside);
    const sector* back = m.sideof(l.leftside);
    const std::int32_t base = categoryof(l, front, back, actionspecial);
    const std::uint32_t taken =
        mentioned != 0 ? mentioned & fallbackset(meaningsof(l, front, back, m.meaning)) : 0;
    if (taken != 0) {
      addto(fallback[static_cast<std::size_t>(std::countr_zero(taken))], fallbackline{line, base});
    } else {
      addto(slots[static_cast<std::size_t>(base)], line);
    }
    if (first) {
      leastx = greatestx = a.x;
      leasty = greatesty = a.y;
      first = false;
    }
    leastx = std::min({leastx, a.x, b.x});
    leasty = std::min({leasty, a.y, b.y});
    greatestx = std::max({greatestx, a.x, b.x});
    greatesty = std::max({greatesty, a.y, b.y});
  }
  return slots;
}

}  // namespace

result<renderslots> getrenderlines(const map& m, std::int64_t& leastx, std::int64_t& leasty,
                                   std::int64_t& greatestx, std::int64_t& greatesty,
                                   std::int32_t actionspecial) {
  fallbackslots none;
  return sortlines(m, leastx, leasty, greatestx, greatesty, actionspecial, 0, none);
}

mapfit mapfit::make(std::int64_t leastx, std::int64_t leasty, std::int64_t greatestx, std::int64_t greatesty,
                    std::int32_t width, std::int32_t height, std::int32_t margin) {
  mapfit f;
  f.leastx = leastx;
  f.leasty = leasty;
  f.dx = std::max<std::int64_t>(greatestx - leastx, 0);
  f.dy = std::max<std::int64_t>(greatesty - leasty, 0);
  // The inner area; zero or negative when the margins meet.
  const std::int64_t innerw = std::int64_t{width} - 2 * std::int64_t{margin};
  const std::int64_t innerh = std::int64_t{height} - 2 * std::int64_t{margin};
  // The longer extent fills its side of the inner area; the other keeps the proportion.
  if (f.dx > f.dy) {
    f.w = innerw;
    f.h = quotient(int128{f.dy} * innerw, f.dx);
    f.scalepixels = innerw;
    f.scaleunits = f.dx;
  } else if (f.dy > 0) {
    f.h = innerh;
    f.w = quotient(int128{f.dx} * innerh, f.dy);
    f.scalepixels = innerh;
    f.scaleunits = f.dy;
  }
  // When the image's proportions differ more than the map's, that side can
  // outgrow the inner area; then the other side gives the scale instead.
  if (innerw >= 1 && innerh >= 1) {
    if (f.dx > f.dy && f.h > innerh) {
      f.h = innerh;
      f.w = quotient(int128{f.dx} * innerh, f.dy);
      f.scalepixels = innerh;
      f.scaleunits = f.dy;
    } else if (f.dx <= f.dy && f.w > innerw) {
      f.w = innerw;
      f.h = quotient(int128{f.dy} * innerw, f.dx);
      f.scalepixels = innerw;
      f.scaleunits = f.dx;
    }
  }
  f.offx = (std::int64_t{width} - f.w) / 2;
  f.offy = (std::int64_t{height} - f.h) / 2;
  return f;
}

// The offset sits inside the truncation: (x - least) / extent * size + offset as one exact fraction.
std::int64_t mapfit::column(std::int64_t x) const {
  return static_cast<std::int64_t>(widecolumn(x));
}

std::int64_t mapfit::row(std::int64_t y) const {
  return static_cast<std::int64_t>(widerow(y));
}

int128 mapfit::widecolumn(std::int64_t x) const {
  return dx > 0 ? (int128{x - leastx} * w + int128{offx} * dx) / dx : offx;
}

int128 mapfit::widerow(std::int64_t y) const {
  return dy > 0 ? (int128{y - leasty} * h + int128{offy} * dy) / dy : offy;
}

int renderlines(const std::vector<renderline>& lines, TPixmap& buffer, std::int64_t leastx,
                std::int64_t leasty, std::int64_t greatestx, std::int64_t greatesty, std::int32_t width,
                std::int32_t height, std::int32_t margin, std::int32_t color, const linestyle& style) {
  const mapfit fit = mapfit::make(leastx, leasty, greatestx, greatesty, width, height, margin);
  for (const renderline& l : lines) {
    drawstyledline(buffer, fit.column(l.x0), fit.row(l.y0), fit.column(l.x1), fit.row(l.y1), color, style);
  }
  return 0;
}

result<preparedmap> preparemap(const map& m, std::int32_t width, std::int32_t height, std::int32_t margin,
                               std::int32_t background, const std::vector<std::int32_t>& colors,
                               const std::vector<std::int32_t>& order, std::int32_t actionspecial,
                               const linestyle& style, const fallbacklooks& looks, const thinglook& things) {
  preparedmap p;
  p.style = style;
  constexpr std::uint32_t every = (std::uint32_t{1} << fallbackcategories) - 1;
  try {
    result<renderslots> sorted = sortlines(m, p.leastx, p.leasty, p.greatestx, p.greatesty, actionspecial,
                                           looks.mentioned() & every, p.fallback);
    if (!sorted.ok()) return sorted.error();
    p.slots = std::move(sorted).value();
    p.things = thingmarkers(m, things);
  } catch (const std::bad_alloc&) {
    return failure::nomemory(u"the lines do not fit in memory");
  }
  p.width = width;
  p.height = height;
  p.margin = margin;
  p.background = background;
  p.looks = looks;
  const std::size_t categories = std::min<std::size_t>(order.empty() ? linecolors : order.size(), linecolors);
  for (std::size_t i = 0; i < categories; ++i) {
    p.passes[i] = order.empty() ? defaultorders[i] : order[i];
    p.colors[i] = i < colors.size() ? colors[i] : defaultcolors[i];
  }
  p.fractionbits = m.fractionbits;
  return p;
}

void drawprepared(const preparedmap& p, TPixmap& buffer) {
  buffer.ClearPixels(p.background);
  const mapfit fit = mapfit::make(p.leastx, p.leasty, p.greatestx, p.greatesty, p.width, p.height, p.margin);
  for (std::int32_t pass = 1; pass <= 9; ++pass) {
    for (std::size_t i = 0; i < p.slots.size(); ++i) {
      if (!p.slots[i] || p.passes[i] != pass) continue;
      renderlines(*p.slots[i], buffer, p.leastx, p.leasty, p.greatestx, p.greatesty, p.width, p.height,
                  p.margin, p.colors[i], p.style);
    }
    for (std::size_t i = 0; i < p.fallback.size(); ++i) {
      if (!p.fallback[i]) continue;
      const std::uint32_t bit = std::uint32_t{1} << i;
      const bool colorgiven = (p.looks.colorgiven & bit) != 0, ordergiven = (p.looks.ordergiven & bit) != 0;
      if (ordergiven && p.looks.orders[i] != pass) continue;
      for (const fallbackline& f : *p.fallback[i]) {
        const auto base = static_cast<std::size_t>(f.base);
        if (!ordergiven && p.passes[base] != pass) continue;
        const renderline& l = f.line;
        drawstyledline(buffer, fit.column(l.x0), fit.row(l.y0), fit.column(l.x1), fit.row(l.y1),
                       colorgiven ? p.looks.colors[i] : p.colors[base], p.style);
      }
    }
  }
  if (!p.things.empty()) drawmarkers(p.things, fit, markerradius(fit, p.fractionbits), p.style, buffer);
}

result<std::unique_ptr<TPixmap>> render(const map& m, std::int32_t width, std::int32_t height,
                                        std::int32_t margin, std::int32_t background,
                                        const std::vector<std::int32_t>& colors,
                                        const std::vector<std::int32_t>& order, std::int32_t actionspecial,
                                        const linestyle& style, const fallbacklooks& looks,
                                        const thinglook& things) {
  // The buffer comes first: an image too large to make is reported before any check of the map.
  std::unique_ptr<TPixmap> buffer = TPixmap::Create(width, height, TPixmap::RGBA, 4);
  if (!buffer) return failure::nomemory(u"the image buffer cannot be allocated");
  const result<preparedmap> prepared =
      preparemap(m, width, height, margin, background, colors, order, actionspecial, style, looks, things);
  if (!prepared.ok()) return prepared.error();
  drawprepared(prepared.value(), *buffer);
  return buffer;
}

}  // namespace tracewell
