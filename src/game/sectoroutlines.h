// Sector outlines: each sector's boundary traced from the sides that face it, and which sector a point
// stands in, found from the lines alone (no nodes).
#pragma once

#include <cstdint>
#include <vector>

#include "wad/map.h"

namespace tracewell {

// One closed loop of a sector's boundary, in the map's coordinates (as vertexes: y negated). Edge i
// runs from points[i] to points[(i + 1) % size] along linedef lines[i], with the sector on its left in
// these coordinates (on the right as stored, where a front side faces). `area2` is twice the signed
// area by the shoelace formula: positive for an outer loop, negative for a hole; so a fill may take
// the loops of a sector with the nonzero rule.
struct outlineloop {
  std::vector<vertex> points;
  std::vector<std::uint32_t> lines;
  long double area2 = 0;

  bool hole() const { return area2 < 0; }
};

// A sector's outline: its closed loops, the edges that chain into no loop (in chains, as loops'
// lines), and the vertexes (the first of the map's at each such place) where an odd number of its
// side edges meet: the places its boundary is open.
struct sectoroutline {
  std::vector<outlineloop> loops;
  std::vector<std::vector<std::uint32_t>> openchains;
  std::vector<std::uint32_t> openvertices;
};

// Built once per map. Lines naming a vertex the map lacks are left out; sides naming a sector it
// lacks count for no sector (but still bound the others for `sectorat`).
class sectoroutlines {
 public:
  explicit sectoroutlines(const map& m);

  // One outline per sector of the map, in sector order.
  const std::vector<sectoroutline>& outlines() const { return sectors_; }

  // The sector at (x, y), in the map's coordinates: of the sectors whose side edges a ray from the point
  // towards +x crosses an odd number of times, the one crossed nearest (the lowest number where several
  // are crossed at one place); -1 when there is none (the void). An edge counts when one end lies at or
  // below y and the other above it, and it meets the ray at or past x; so a point on a line stands on
  // its -x side, on a line along the ray on its +y side, as if moved by an infinitesimal step towards
  // -x and a far smaller one towards +y. The game asks its nodes, whose answer on a line depends on the
  // partition the node builder chose; inside a sector both agree. Exact in integers. The look-up walks
  // the ray's cells of a grid of the lines only until it meets an odd sector, and counts a sector's
  // crossings among its own edges in the ray's row of the grid: on a closed map that is the first line
  // met and one or two sectors' edges.
  std::int64_t sectorat(std::int64_t x, std::int64_t y) const;

 private:
  struct segment {
    std::int64_t x1, y1, x2, y2;
    std::int64_t front, back;  // sectors, -1 for none
  };
  std::vector<sectoroutline> sectors_;
  std::vector<segment> segments_;
  // Cells of the grid, row by row; cellstart_[c] .. cellstart_[c + 1] index celllines_.
  std::int64_t left_ = 0, top_ = 0, cellwidth_ = 1, cellheight_ = 1;
  std::int64_t columns_ = 0, rows_ = 0;
  std::vector<std::uint32_t> cellstart_;
  std::vector<std::uint32_t> celllines_;
  // Each sector's edges (sector by sector; a line with the sector on both sides is left out, as it
  // crosses a ray twice), and by the grid's rows over the rows they span: sector s's row r starts at
  // rowstart_[rowbase_[s] + r - firstrow_[s]] in rowedges_, which index edges_.
  struct edge {
    std::int64_t x1, y1, x2, y2;
  };
  std::vector<edge> edges_;
  std::vector<std::int64_t> firstrow_, lastrow_;
  std::vector<std::size_t> rowbase_;
  std::vector<std::uint32_t> rowstart_;
  std::vector<std::uint32_t> rowedges_;

  void trace(const map& m);
  void grid();
  void sectorrows();
  bool odd(std::int64_t sector, std::int64_t row, std::int64_t x, std::int64_t y) const;
  template <typename visit>
  void cellsof(const segment& s, visit&& f) const;
};

}  // namespace tracewell
