// Map lookup: every listed name of a WAD with a very large directory found in turn, as ALL does.
#include "maplookup.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "stopwatch.h"
#include "wad/lumplayout.h"
#include "wad/wad.h"

namespace tracewell::bench {

namespace {

void put32(std::vector<unsigned char>& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i)
    bytes[at + static_cast<std::size_t>(i)] = static_cast<unsigned char>(value >> (8 * i));
}

}  // namespace

lookupcost runmaplookup(std::size_t markers) {
  using namespace wadformat;
  const std::size_t entries = 2 * markers;
  auto bytes = std::make_shared<std::vector<unsigned char>>(header::bytes + direntry::bytes * entries);
  std::copy_n("PWAD", 4, bytes->begin());
  put32(*bytes, 4, static_cast<std::uint32_t>(entries));
  put32(*bytes, 8, static_cast<std::uint32_t>(header::bytes));
  for (std::size_t i = 0; i < entries; ++i) {
    const std::size_t at = header::bytes + direntry::bytes * i;
    put32(*bytes, at, static_cast<std::uint32_t>(header::bytes));
    char name[32];
    std::snprintf(name, sizeof name, "MAP%05zu", i % markers);
    std::copy_n(name, 8, bytes->begin() + static_cast<std::ptrdiff_t>(at + 8));
  }
  lookupcost cost;
  stopwatch clock;
  const auto read = wad::read(bytestream::openmemory(bytes), wad::DOOM);
  if (!read.ok() || !read.value()) {
    cost.right = false;
    return cost;
  }
  const wad& w = *read.value();
  std::size_t index = 0;
  for (const text& name : w.getmapnames()) {
    const lumpgroup group = w.getmapgroup(name);
    cost.right = cost.right && !group.empty() &&
                 group.front()->filepos == w.directory[index % markers].filepos &&
                 group.front()->trimmedname() == w.directory[index % markers].trimmedname();
    ++index;
  }
  cost.ms = clock.lap();
  cost.names = index;
  return cost;
}

}  // namespace tracewell::bench
