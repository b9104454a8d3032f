// Sector outlines: each sector's boundary traced from the sides that face it, and which sector a point
// stands in, found from the lines alone (no nodes).
#include "game/sectoroutlines.h"

#include <algorithm>
#include <cmath>
#include <limits>
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

// Where an edge from (x1, y1) to (x2, y2) meets the ray from (x, y) towards +x, as the distance from x
// along it, n / d with d > 0; the edge must span y (see spans). n < 0: before x.
struct distance {
  int128 n, d;
};

bool spans(std::int64_t y1, std::int64_t y2, std::int64_t y) {
  return (y1 > y) != (y2 > y);
}

distance along(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2, std::int64_t x,
               std::int64_t y) {
  if (y1 > y2) std::swap(x1, x2), std::swap(y1, y2);
  const int128 d = y2 - y1;
  return {static_cast<int128>(x1 - x) * d + static_cast<int128>(y - y1) * (x2 - x1), d};
}

// a < b, for distances at or past x (n >= 0): whole parts first, so no product needs more than
// 2 x 49 bits for coordinates of up to 2^47.
bool nearer(const distance& a, const distance& b) {
  const int128 qa = a.n / a.d, qb = b.n / b.d;
  if (qa != qb) return qa < qb;
  return (a.n % a.d) * b.d < (b.n % b.d) * a.d;
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
  sectorrows();
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

void sectoroutlines::sectorrows() {
  const std::size_t count = sectors_.size();
  // Each sector's edges side by side, so that counting one sector's crossings reads one block.
  std::vector<std::size_t> start(count + 1, 0);
  auto sides = [&](auto&& f) {
    for (const segment& s : segments_) {
      if (s.y1 == s.y2 || s.front == s.back) continue;  // never crosses a ray, or crosses it twice
      for (const std::int64_t sector : {s.front, s.back}) {
        if (sector >= 0 && static_cast<std::size_t>(sector) < count) f(static_cast<std::size_t>(sector), s);
      }
    }
  };
  sides([&](std::size_t sector, const segment&) { ++start[sector + 1]; });
  for (std::size_t i = 1; i <= count; ++i) start[i] += start[i - 1];
  edges_.resize(start[count]);
  std::vector<std::size_t> next(start.begin(), start.end() - 1);
  sides([&](std::size_t sector, const segment& s) { edges_[next[sector]++] = {s.x1, s.y1, s.x2, s.y2}; });
  // Calls f(sector, row, edge) for each row of the grid each edge spans.
  auto each = [&](auto&& f) {
    for (std::size_t sector = 0; sector < count; ++sector) {
      for (std::size_t i = start[sector]; i < start[sector + 1]; ++i) {
        const edge& e = edges_[i];
        const std::int64_t r0 = (std::min(e.y1, e.y2) - top_) / cellheight_;
        const std::int64_t r1 = (std::max(e.y1, e.y2) - top_) / cellheight_;
        for (std::int64_t r = r0; r <= r1; ++r) f(sector, r, i);
      }
    }
  };
  firstrow_.assign(count, std::numeric_limits<std::int64_t>::max());
  lastrow_.assign(count, -1);
  each([&](std::size_t sector, std::int64_t r, std::size_t) {
    firstrow_[sector] = std::min(firstrow_[sector], r);
    lastrow_[sector] = std::max(lastrow_[sector], r);
  });
  rowbase_.assign(count, 0);
  std::size_t size = 0;
  for (std::size_t s = 0; s < count; ++s) {
    rowbase_[s] = size;
    size += lastrow_[s] >= firstrow_[s] ? static_cast<std::size_t>(lastrow_[s] - firstrow_[s] + 1) : 0;
  }
  rowstart_.assign(size + 1, 0);
  auto slot = [&](std::size_t sector, std::int64_t r) {
    return rowbase_[sector] + static_cast<std::size_t>(r - firstrow_[sector]);
  };
  each([&](std::size_t sector, std::int64_t r, std::size_t) { ++rowstart_[slot(sector, r) + 1]; });
  for (std::size_t i = 1; i < rowstart_.size(); ++i) rowstart_[i] += rowstart_[i - 1];
  rowedges_.resize(rowstart_.back());
  std::vector<std::uint32_t> fill(rowstart_.begin(), rowstart_.end() - 1);
  each([&](std::size_t sector, std::int64_t r, std::size_t i) {
    rowedges_[fill[slot(sector, r)]++] = static_cast<std::uint32_t>(i);
  });
}

// Whether the sector's edges cross the ray from (x, y), which lies in `row`, an odd number of times.
bool sectoroutlines::odd(std::int64_t sector, std::int64_t row, std::int64_t x, std::int64_t y) const {
  const auto s = static_cast<std::size_t>(sector);
  if (row < firstrow_[s] || row > lastrow_[s]) return false;
  const std::size_t slot = rowbase_[s] + static_cast<std::size_t>(row - firstrow_[s]);
  bool odd = false;
  for (std::uint32_t k = rowstart_[slot]; k < rowstart_[slot + 1]; ++k) {
    const edge& e = edges_[rowedges_[k]];
    if (spans(e.y1, e.y2, y) && along(e.x1, e.y1, e.x2, e.y2, x, y).n >= 0) odd = !odd;
  }
  return odd;
}

std::int64_t sectoroutlines::sectorat(std::int64_t x, std::int64_t y) const {
  if (segments_.empty() || y < top_ || y >= top_ + rows_ * cellheight_) return -1;
  const std::int64_t row = (y - top_) / cellheight_;
  const std::int64_t c0 = std::max<std::int64_t>(0, floordiv(x - left_, cellwidth_));
  struct crossing {
    distance at;
    std::uint32_t line;
  };
  std::vector<crossing> met;
  std::vector<std::int64_t> asked;  // sorted: the sectors whose parity this look-up has counted
  for (std::int64_t c = c0; c < columns_; ++c) {
    // The crossings in this cell's columns only, so a line listed in several cells is met once.
    const std::int64_t cellleft = left_ + c * cellwidth_, cellright = cellleft + cellwidth_;
    met.clear();
    const auto cell = static_cast<std::size_t>(row * columns_ + c);
    for (std::uint32_t k = cellstart_[cell]; k < cellstart_[cell + 1]; ++k) {
      const segment& s = segments_[celllines_[k]];
      if (!spans(s.y1, s.y2, y)) continue;
      const distance at = along(s.x1, s.y1, s.x2, s.y2, x, y);
      if (at.n < 0 || (c != c0 && at.n < static_cast<int128>(cellleft - x) * at.d) ||
          (c + 1 != columns_ && at.n >= static_cast<int128>(cellright - x) * at.d))
        continue;
      met.push_back({at, celllines_[k]});
    }
    std::sort(met.begin(), met.end(),
              [](const crossing& a, const crossing& b) { return nearer(a.at, b.at); });
    for (std::size_t i = 0; i < met.size();) {
      std::size_t j = i;
      std::int64_t found = -1;
      for (; j < met.size() && !nearer(met[i].at, met[j].at); ++j) {
        const segment& s = segments_[met[j].line];
        for (const std::int64_t sector : {s.front, s.back}) {
          if (sector < 0) continue;
          const auto place = std::lower_bound(asked.begin(), asked.end(), sector);
          if (place != asked.end() && *place == sector) continue;
          asked.insert(place, sector);
          if ((found < 0 || sector < found) && odd(sector, row, x, y)) found = sector;
        }
      }
      if (found >= 0) return found;
      i = j;
    }
  }
  return -1;
}

}  // namespace tracewell
