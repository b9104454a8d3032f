// Map records: vertices, linedefs, sidedefs and sectors in the Doom and Hexen layouts.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "support/bytestream.h"
#include "support/text.h"
#include "wad/wad.h"

namespace tracewell {

struct vertex {
  std::int32_t x = 0;
  std::int32_t y = 0;  // stored negated, so north is up in the image

  static vertex read(bytestream& stream, std::int32_t format);
  static std::int32_t size(std::int32_t format);
  static std::vector<vertex> readlump(const lump& l, std::int32_t format);
};

struct linedef {
  // Bit numbers of `flags`.
  static constexpr int impassable = 0;
  static constexpr int blockmonsters = 1;
  static constexpr int twosided = 2;
  static constexpr int upperunpegged = 3;
  static constexpr int lowerunpegged = 4;
  static constexpr int secret = 5;
  static constexpr int blocksound = 6;
  static constexpr int noautomap = 7;
  static constexpr int alwaysautomap = 8;

  std::uint16_t startvertex = 0;
  std::uint16_t endvertex = 0;
  std::uint16_t flags = 0;
  std::uint16_t special = 0;
  std::uint16_t sectortag = 0;
  std::int32_t rightside = 0;  // negative: no sidedef
  std::int32_t leftside = 0;
  std::array<std::uint8_t, 5> args{};

  // flags AND (1 << bit).
  std::int32_t getflag(int bit) const { return flags & (1 << bit); }

  static linedef read(bytestream& stream, std::int32_t format);
  static std::int32_t size(std::int32_t format);  // 14 Doom, 16 Hexen/ZDoom
  static std::vector<linedef> readlump(const lump& l, std::int32_t format);
};

struct sidedef {
  std::int32_t xoff = 0;
  std::int32_t yoff = 0;
  text uppertex, lowertex, middletex;  // 8 units as stored
  std::uint16_t sector = 0;

  static sidedef read(bytestream& stream, std::int32_t format);
  static std::int32_t size(std::int32_t format);
  static std::vector<sidedef> readlump(const lump& l, std::int32_t format);
};

struct sector {
  std::int32_t floorheight = 0;
  std::int32_t ceilheight = 0;
  text floortex, ceiltex;
  std::uint16_t light = 0;
  std::uint16_t sectortype = 0;
  std::uint16_t sectortag = 0;

  static sector read(bytestream& stream, std::int32_t format);
  static std::int32_t size(std::int32_t format);
  static std::vector<sector> readlump(const lump& l, std::int32_t format);
};

struct map {
  std::vector<vertex> vertexes;
  std::vector<linedef> linedefs;
  std::vector<sidedef> sidedefs;
  std::vector<sector> sectors;
  std::int32_t invalidmap = 0;
  std::int32_t format = 0;

  // The map of a lump group, or null (after printing why) when the group is
  // empty or the map is invalid.
  static std::shared_ptr<map> Create(const lumpgroup& lumps, std::int32_t format);
  int readfrom(const lumpgroup& lumps);
  static std::shared_ptr<lump> getlump(const lumpgroup& lumps, const text& name);
};

}  // namespace tracewell
