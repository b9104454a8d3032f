// Sector outlines: each sector's boundary traced from the sides that face it, and which sector a point
// stands in, found from the lines alone (no nodes).
#include "game/sectoroutlines.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <tuple>

namespace tracewell {

namespace {

__extension__ typedef __int128 int128;

// One side of a line as an edge of its sector's boundary, with the sector on its left.
struct sideedge {
  std::uint32_t sector;
  vertex from, to;
  std::uint32_t fromvertex, tovertex;
  std::uint32_t line;
};

bool sameplace(const vertex& a, const vertex& b) {
  return a.x == b.x && a.y == b.y;
}

bool before(const sideedge& a, const sideedge& b) {
  return std::tie(a.sector, a.from.x, a.from.y, a.line) < std::tie(b.sector, b.from.x, b.from.y, b.line);
}

// The sector a sidedef faces, or -1.
std::int64_t sectorofside(const map& m, std::int32_t side) {
  if (side < 0 || static_cast<std::size_t>(side) >= m.sidedefs.size()) return -1;
  const std::uint32_t s = m.sidedefs[static_cast<std::size_t>(side)].sector;
  return s < m.sectors.size() ? static_cast<std::int64_t>(s) : -1;
}

bool hasvertices(const map& m, const linedef& l) {
  return l.startvertex < m.vertexes.size() && l.endvertex < m.vertexes.size();
}

std::vector<sideedge> edgesof(const map& m) {
  std::vector<sideedge> edges;
  for (std::size_t i = 0; i < m.linedefs.size(); ++i) {
    const linedef& l = m.linedefs[i];
    if (!hasvertices(m, l)) continue;
    const vertex& a = m.vertexes[l.startvertex];
    const vertex& b = m.vertexes[l.endvertex];
    const auto line = static_cast<std::uint32_t>(i);
    if (const std::int64_t s = sectorofside(m, l.rightside); s >= 0)
      edges.push_back({static_cast<std::uint32_t>(s), a, b, l.startvertex, l.endvertex, line});
    if (const std::int64_t s = sectorofside(m, l.leftside); s >= 0)
      edges.push_back({static_cast<std::uint32_t>(s), b, a, l.endvertex, l.startvertex, line});
  }
  std::sort(edges.begin(), edges.end(), before);
  return edges;
}

// The places where an odd number of the edges [first, last) end, by the least vertex number there.
std::vector<std::uint32_t> oddplaces(std::vector<sideedge>::const_iterator first,
                                     std::vector<sideedge>::const_iterator last) {
  struct end {
    std::int64_t x, y;
    std::uint32_t vertex;
  };
  std::vector<end> ends;
  for (auto e = first; e != last; ++e) {
    ends.push_back({e->from.x, e->from.y, e->fromvertex});
    ends.push_back({e->to.x, e->to.y, e->tovertex});
  }
  std::sort(ends.begin(), ends.end(), [](const end& a, const end& b) {
    return std::tie(a.x, a.y, a.vertex) < std::tie(b.x, b.y, b.vertex);
  });
  std::vector<std::uint32_t> odd;
  for (std::size_t i = 0; i < ends.size();) {
    std::size_t j = i;
    while (j < ends.size() && ends[j].x == ends[i].x && ends[j].y == ends[i].y) ++j;
    if ((j - i) % 2 != 0) odd.push_back(ends[i].vertex);
    i = j;
  }
  std::sort(odd.begin(), odd.end());
  return odd;
}

long double area2of(const std::vector<vertex>& points) {
  long double sum = 0;
  for (std::size_t i = 0; i < points.size(); ++i) {
    const vertex& a = points[i];
    const vertex& b = points[(i + 1) % points.size()];
    sum += static_cast<long double>(a.x) * static_cast<long double>(b.y) -
           static_cast<long double>(b.x) * static_cast<long double>(a.y);
  }
  return sum;
}

// Chains the edges [first, last) of one sector (sorted by where they start) into loops, each closed
// as soon as it comes back to where it began; what cannot close is an open chain.
void chain(std::vector<sideedge>::const_iterator first, std::vector<sideedge>::const_iterator last,
           sectoroutline& out) {
  const auto count = static_cast<std::size_t>(last - first);
  std::vector<bool> used(count, false);
  auto unusedfrom = [&](const vertex& at) -> std::size_t {
    auto it = std::lower_bound(first, last, at, [](const sideedge& e, const vertex& p) {
      return std::tie(e.from.x, e.from.y) < std::tie(p.x, p.y);
    });
    for (; it != last && sameplace(it->from, at); ++it) {
      const auto i = static_cast<std::size_t>(it - first);
      if (!used[i]) return i;
    }
    return count;
  };
  for (std::size_t start = 0; start < count; ++start) {
    if (used[start]) continue;
    outlineloop loop;
    std::size_t at = start;
    bool closed = false;
    while (at < count) {
      used[at] = true;
      const sideedge& e = *(first + static_cast<std::ptrdiff_t>(at));
      loop.points.push_back(e.from);
      loop.lines.push_back(e.line);
      if (sameplace(e.to, (first + static_cast<std::ptrdiff_t>(start))->from)) {
        closed = true;
        break;
      }
      at = unusedfrom(e.to);
    }
    if (closed) {
      loop.area2 = area2of(loop.points);
      out.loops.push_back(std::move(loop));
    } else {
      out.openchains.push_back(std::move(loop.lines));
    }
  }
}

std::int64_t floordiv(std::int64_t a, std::int64_t b) {
  return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

}  // namespace

sectoroutlines::sectoroutlines(const map& m) {
  trace(m);
  for (const linedef& l : m.linedefs) {
    if (!hasvertices(m, l)) continue;
    const vertex& a = m.vertexes[l.startvertex];
    const vertex& b = m.vertexes[l.endvertex];
    segments_.push_back({a.x, a.y, b.x, b.y, sectorofside(m, l.rightside), sectorofside(m, l.leftside)});
  }
  grid();
}

void sectoroutlines::trace(const map& m) {
  sectors_.resize(m.sectors.size());
  const std::vector<sideedge> edges = edgesof(m);
  for (auto first = edges.cbegin(); first != edges.cend();) {
    auto last = first;
    while (last != edges.cend() && last->sector == first->sector) ++last;
    sectoroutline& out = sectors_[first->sector];
    out.openvertices = oddplaces(first, last);
    chain(first, last, out);
    first = last;
  }
}

// Calls f(cell) for every cell the segment passes through (and perhaps a neighbour: the y range of each
// column is widened by a unit, so rounding never loses a cell).
template <typename visit>
void sectoroutlines::cellsof(const segment& s, visit&& f) const {
  const bool forward = s.x1 <= s.x2;
  const std::int64_t xa = forward ? s.x1 : s.x2, ya = forward ? s.y1 : s.y2;
  const std::int64_t xb = forward ? s.x2 : s.x1, yb = forward ? s.y2 : s.y1;
  const std::int64_t c0 = (xa - left_) / cellwidth_, c1 = (xb - left_) / cellwidth_;
  for (std::int64_t c = c0; c <= c1; ++c) {
    std::int64_t low = std::min(ya, yb), high = std::max(ya, yb);
    if (xa != xb) {
      const long double slope = static_cast<long double>(yb - ya) / static_cast<long double>(xb - xa);
      const long double xs = static_cast<long double>(std::max(xa, left_ + c * cellwidth_));
      const long double xe = static_cast<long double>(std::min(xb, left_ + (c + 1) * cellwidth_));
      const long double ys = static_cast<long double>(ya) + (xs - static_cast<long double>(xa)) * slope;
      const long double ye = static_cast<long double>(ya) + (xe - static_cast<long double>(xa)) * slope;
      low = std::max(low, static_cast<std::int64_t>(std::floor(std::min(ys, ye))) - 1);
      high = std::min(high, static_cast<std::int64_t>(std::ceil(std::max(ys, ye))) + 1);
    }
    const std::int64_t r0 = std::max<std::int64_t>(0, (low - top_) / cellheight_);
    const std::int64_t r1 = std::min(rows_ - 1, (high - top_) / cellheight_);
    for (std::int64_t r = r0; r <= r1; ++r) f(static_cast<std::size_t>(r * columns_ + c));
  }
}

void sectoroutlines::grid() {
  if (segments_.empty()) return;
  std::int64_t right = std::numeric_limits<std::int64_t>::min(), bottom = right;
  left_ = top_ = std::numeric_limits<std::int64_t>::max();
  for (const segment& s : segments_) {
    left_ = std::min({left_, s.x1, s.x2});
    top_ = std::min({top_, s.y1, s.y2});
    right = std::max({right, s.x1, s.x2});
    bottom = std::max({bottom, s.y1, s.y2});
  }
  // About four lines per cell where lines are short; long lines cross many cells, so fewer cells.
  const auto side =
      static_cast<std::int64_t>(std::ceil(std::sqrt(static_cast<double>(segments_.size()) / 4)));
  columns_ = rows_ = std::clamp<std::int64_t>(side, 1, 1024);
  cellwidth_ = std::max<std::int64_t>(1, (right - left_) / columns_ + 1);
  cellheight_ = std::max<std::int64_t>(1, (bottom - top_) / rows_ + 1);
  cellstart_.assign(static_cast<std::size_t>(columns_ * rows_) + 1, 0);
  for (const segment& s : segments_) cellsof(s, [&](std::size_t c) { ++cellstart_[c + 1]; });
  for (std::size_t c = 1; c < cellstart_.size(); ++c) cellstart_[c] += cellstart_[c - 1];
  celllines_.resize(cellstart_.back());
  std::vector<std::uint32_t> fill(cellstart_.begin(), cellstart_.end() - 1);
  for (std::size_t i = 0; i < segments_.size(); ++i)
    cellsof(segments_[i], [&](std::size_t c) { celllines_[fill[c]++] = static_cast<std::uint32_t>(i); });
}

// Where segment `s`, which spans y half-open, meets the line at y.
long double sectoroutlines::crossing(const segment& s, std::int64_t y) {
  return static_cast<long double>(s.x1) + static_cast<long double>(y - s.y1) *
                                              static_cast<long double>(s.x2 - s.x1) /
                                              static_cast<long double>(s.y2 - s.y1);
}

std::int64_t sectoroutlines::sectorat(std::int64_t x, std::int64_t y) const {
  if (segments_.empty() || y < top_ || y >= top_ + rows_ * cellheight_) return -1;
  const std::int64_t row = (y - top_) / cellheight_;
  const std::int64_t c0 = std::max<std::int64_t>(0, floordiv(x - left_, cellwidth_));
  long double best = std::numeric_limits<long double>::infinity();
  const segment* hit = nullptr;
  for (std::int64_t c = c0; c < columns_; ++c) {
    const auto cell = static_cast<std::size_t>(row * columns_ + c);
    for (std::uint32_t k = cellstart_[cell]; k < cellstart_[cell + 1]; ++k) {
      const segment& s = segments_[celllines_[k]];
      // Half-open in y, so a ray through a shared end point meets one of its two lines.
      if ((s.y1 > y) == (s.y2 > y)) continue;
      const long double at = crossing(s, y);
      if (at >= static_cast<long double>(x) && at < best) best = at, hit = &s;
    }
    if (hit != nullptr && best <= static_cast<long double>(left_ + (c + 1) * cellwidth_)) break;
  }
  if (hit == nullptr) return -1;
  const int128 cross = static_cast<int128>(hit->x2 - hit->x1) * (y - hit->y1) -
                       static_cast<int128>(hit->y2 - hit->y1) * (x - hit->x1);
  if (cross >= 0 || hit->back >= 0 || hit->front < 0) return cross >= 0 ? hit->front : hit->back;
  // Behind a one-sided line: the void, unless some sector's sides still enclose the point (a line
  // facing the wrong way, a wall standing inside a sector), which the parity of the ray's crossings
  // of each sector's sides tells, each crossing counted once, in the cell where it falls. Of several,
  // the one crossed nearest.
  struct count {
    bool odd = false;
    long double nearest = std::numeric_limits<long double>::infinity();
  };
  std::map<std::int64_t, count> counts;
  for (std::int64_t c = c0; c < columns_; ++c) {
    const auto cell = static_cast<std::size_t>(row * columns_ + c);
    const auto cellleft = static_cast<long double>(left_ + c * cellwidth_);
    const auto cellright = static_cast<long double>(left_ + (c + 1) * cellwidth_);
    for (std::uint32_t k = cellstart_[cell]; k < cellstart_[cell + 1]; ++k) {
      const segment& s = segments_[celllines_[k]];
      if ((s.y1 > y) == (s.y2 > y) || s.front == s.back) continue;
      const long double at = crossing(s, y);
      if (at < static_cast<long double>(x) || (at < cellleft && c != c0) ||
          (at >= cellright && c + 1 != columns_))
        continue;
      for (const std::int64_t sector : {s.front, s.back}) {
        if (sector < 0) continue;
        count& n = counts[sector];
        n.odd = !n.odd;
        n.nearest = std::min(n.nearest, at);
      }
    }
  }
  std::int64_t found = -1;
  long double nearest = std::numeric_limits<long double>::infinity();
  for (const auto& [sector, n] : counts) {
    if (n.odd && n.nearest < nearest) found = sector, nearest = n.nearest;
  }
  return found;
}

}  // namespace tracewell
