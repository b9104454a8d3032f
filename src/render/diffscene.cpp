// The picture of a diff: both versions' lines coloured by what became of them, and the things that changed.
#include "render/diffscene.h"

#include <algorithm>
#include <new>
#include <vector>

#include "game/thingkind.h"
#include "render/diffmark.h"
#include "render/schemelook.h"
#include "render/thingkindlook.h"
#include "render/thingmarkers.h"

namespace tracewell {

namespace {

// Least and greatest x and y of what has been put in, in common units.
struct extent {
  bool any = false;
  mapbounds b;

  void add(std::int64_t x, std::int64_t y) {
    if (!any) b = {x, y, x, y};
    b = {std::min(b.leastx, x), std::min(b.leasty, y), std::max(b.greatestx, x), std::max(b.greatesty, y)};
    any = true;
  }
  void add(const mapbounds& o) {
    add(o.leastx, o.leasty);
    add(o.greatestx, o.greatesty);
  }
};

// One version of the map in the common units.
struct version {
  const map& m;
  std::int64_t scale;

  vertex end(std::uint32_t index) const {
    const vertex& v = m.vertexes[index];
    return {v.x * scale, v.y * scale};
  }
  const thing& thingat(std::int64_t number) const { return (*m.things)[static_cast<std::size_t>(number)]; }
};

class builder {
 public:
  builder(scene& s, const diffcolors& colors) : s_(s), colors_(colors) {}

  void line(const version& v, std::int64_t number, diffmark mark, extent* reach) {
    const linedef& l = v.m.linedefs[static_cast<std::size_t>(number)];
    const vertex a = v.end(l.startvertex), e = v.end(l.endvertex);
    s_.strokes.push_back({a.x, a.y, e.x, e.y, colorof(mark), 0, static_cast<std::uint32_t>(number),
                          static_cast<std::int8_t>(mark)});
    if (reach != nullptr) {
      reach->add(a.x, a.y);
      reach->add(e.x, e.y);
    }
  }

  void marker(const version& v, std::int64_t number, diffmark mark, extent* reach) {
    const thing& t = v.thingat(number);
    const thingkind kind = thingkindof(v.m.meaning, t.type);
    s_.markers.push_back({t.x * v.scale, t.y * v.scale, t.angle, colorof(mark),
                          static_cast<std::uint8_t>(kind), lookof(kind).cross,
                          static_cast<std::uint32_t>(number), static_cast<std::int8_t>(mark)});
    if (reach != nullptr) reach->add(t.x * v.scale, t.y * v.scale);
  }

  // The way a moved thing went, from its old place to its new one.
  void way(const version& from, const version& to, const recordchange& c, extent* reach) {
    const thing &a = from.thingat(c.oldnumber), &b = to.thingat(c.newnumber);
    s_.strokes.push_back({a.x * from.scale, a.y * from.scale, b.x * to.scale, b.y * to.scale,
                          colorof(diffmark::moved), 0, static_cast<std::uint32_t>(c.newnumber),
                          static_cast<std::int8_t>(diffmark::moved)});
    if (reach != nullptr) reach->add(a.x * from.scale, a.y * from.scale);
  }

 private:
  std::int32_t colorof(diffmark m) const { return colors_[static_cast<std::size_t>(m)]; }

  scene& s_;
  const diffcolors& colors_;
};

std::int64_t largest(std::int64_t a, std::int64_t b) {
  return a > b ? a : b;
}

}  // namespace

result<scene> makediffscene(const map& older, const map& newer, const mapdiff& d, std::int32_t width,
                            std::int32_t height, std::int32_t margin, const schemelook& look, bool crop) {
  const result<mapbounds> oldbounds = boundsof(older);
  if (!oldbounds.ok()) return oldbounds.error();
  const result<mapbounds> newbounds = boundsof(newer);
  if (!newbounds.ok()) return newbounds.error();
  const std::int32_t bits = std::max(older.fractionbits, newer.fractionbits);
  const version was{older, std::int64_t{1} << (bits - older.fractionbits)};
  const version is{newer, std::int64_t{1} << (bits - newer.fractionbits)};

  scene s;
  s.width = width;
  s.height = height;
  s.margin = margin;
  s.background = look.background;
  s.style = look.style;
  s.fractionbits = bits;
  extent changes;
  try {
    builder put(s, look.diff);
    std::vector<bool> changednew(newer.linedefs.size());
    for (const recordchange& c : d.lines) {
      if (c.newnumber >= 0) changednew[static_cast<std::size_t>(c.newnumber)] = true;
    }
    for (std::size_t i = 0; i < newer.linedefs.size(); ++i) {
      if (!changednew[i]) put.line(is, static_cast<std::int64_t>(i), diffmark::same, nullptr);
    }
    for (const diffmark mark : {diffmark::removed, diffmark::changed, diffmark::added}) {
      for (const recordchange& c : d.lines) {
        if (c.kind == changekind::removed && mark == diffmark::removed)
          put.line(was, c.oldnumber, mark, &changes);
        if (c.kind == changekind::changed && mark == diffmark::changed)
          put.line(is, c.newnumber, mark, &changes);
        if (c.kind == changekind::added && mark == diffmark::added) put.line(is, c.newnumber, mark, &changes);
      }
    }
    for (const recordchange& c : d.things) {
      if (c.kind == changekind::moved) put.way(was, is, c, &changes);
    }
    for (const diffmark mark : {diffmark::removed, diffmark::changed, diffmark::added, diffmark::moved}) {
      for (const recordchange& c : d.things) {
        if (c.kind == changekind::removed && mark == diffmark::removed)
          put.marker(was, c.oldnumber, mark, &changes);
        if (c.kind == changekind::changed && mark == diffmark::changed)
          put.marker(is, c.newnumber, mark, &changes);
        if (c.kind == changekind::added && mark == diffmark::added)
          put.marker(is, c.newnumber, mark, &changes);
        if (c.kind == changekind::moved && mark == diffmark::moved)
          put.marker(is, c.newnumber, mark, &changes);
      }
    }
  } catch (const std::bad_alloc&) {
    return failure::nomemory(u"the lines do not fit in memory");
  }

  extent covered;
  if (crop && changes.any) {
    const mapbounds& c = changes.b;
    const std::int64_t widen =
        largest(largest(c.greatestx - c.leastx, c.greatesty - c.leasty) / 10, std::int64_t{128} << bits);
    covered.add(c.leastx - widen, c.leasty - widen);
    covered.add(c.greatestx + widen, c.greatesty + widen);
  } else {
    if (!older.linedefs.empty())
      covered.add({oldbounds.value().leastx * was.scale, oldbounds.value().leasty * was.scale,
                   oldbounds.value().greatestx * was.scale, oldbounds.value().greatesty * was.scale});
    if (!newer.linedefs.empty())
      covered.add({newbounds.value().leastx * is.scale, newbounds.value().leasty * is.scale,
                   newbounds.value().greatestx * is.scale, newbounds.value().greatesty * is.scale});
  }
  s.bounds = covered.b;
  s.fit = mapfit::make(s.bounds, width, height, margin);
  s.markerradius = markerradius(s.fit, bits);
  return s;
}

}  // namespace tracewell
