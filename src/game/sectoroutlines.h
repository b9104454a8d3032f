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

  // The sector at (x, y), in the map's coordinates: that of the side of the first line a ray from the
  // point towards +x meets; -1 when it meets none. When the side it meets is absent or names no sector
  // (the void), the sector whose sides the ray crosses an odd number of times, nearest first (a wall
  // facing the wrong way, or standing inside a sector); -1 when there is none. A point on a line counts
  // as in front of it. A grid of the lines keeps the first look to the cells along the ray; the parity
  // count walks the ray's whole row of the grid, which is slow where most rays meet the back of a line.
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

  static long double crossing(const segment& s, std::int64_t y);
  void trace(const map& m);
  void grid();
  template <typename visit>
  void cellsof(const segment& s, visit&& f) const;
};

}  // namespace tracewell
