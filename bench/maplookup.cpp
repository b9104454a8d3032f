// Map lookup: every listed name of a WAD with a very large directory found in turn, as ALL does.
#include "maplookup.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
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

// A PWAD of `entries` empty lumps, entry i named by `nameof(i, name)` (up to 8 characters).
template <typename namer>
std::shared_ptr<std::vector<unsigned char>> emptylumps(std::size_t entries, const namer& nameof) {
  using namespace wadformat;
  auto bytes = std::make_shared<std::vector<unsigned char>>(header::bytes + direntry::bytes * entries);
  std::copy_n("PWAD", 4, bytes->begin());
  put32(*bytes, 4, static_cast<std::uint32_t>(entries));
  put32(*bytes, 8, static_cast<std::uint32_t>(header::bytes));
  for (std::size_t i = 0; i < entries; ++i) {
    const std::size_t at = header::bytes + direntry::bytes * i;
    put32(*bytes, at, static_cast<std::uint32_t>(header::bytes));
    char name[32] = {};
    nameof(i, name);
    std::copy_n(name, 8, bytes->begin() + static_cast<std::ptrdiff_t>(at + 8));
  }
  return bytes;
}

}  // namespace

lookupcost runmaplookup(std::size_t markers) {
  const std::size_t entries = 2 * markers;
  const auto bytes = emptylumps(entries, [markers](std::size_t i, char(&name)[32]) {
    std::snprintf(name, sizeof name, "MAP%05zu", i % markers);
  });
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

listingcost runmaplisting(std::size_t entries, int rounds) {
  static constexpr const char* lumps[] = {"THINGS",   "LINEDEFS", "SIDEDEFS", "VERTEXES", "SEGS",
                                          "SSECTORS", "NODES",    "SECTORS",  "REJECT",   "BLOCKMAP"};
  constexpr std::size_t group = std::size(lumps) + 1;
  const auto bytes = emptylumps(entries, [](std::size_t i, char(&name)[32]) {
    if (i % group == 0) {
      std::snprintf(name, sizeof name, "MAP%05zu", (i / group) % 100000);
    } else {
      std::snprintf(name, sizeof name, "%s", lumps[i % group - 1]);
    }
  });
  listingcost cost;
  cost.entries = entries;
  const auto read = wad::read(bytestream::openmemory(bytes), wad::DOOM);
  if (!read.ok() || !read.value()) {
    cost.right = false;
    return cost;
  }
  const wad& w = *read.value();
  // A group cut short at the end is still a map when it reaches SECTORS, the last lump the rule asks for.
  const std::size_t whole = entries / group + (entries % group > 8 ? 1 : 0);
  for (int round = 0; round < rounds; ++round) {
    stopwatch clock;
    const std::size_t bynames = w.getmapnames(mapdetection::names).size();
    const double namesms = clock.lap();
    const std::size_t bycontent = w.getmapnames(mapdetection::content).size();
    const double contentms = clock.lap();
    cost.namesms = round == 0 ? namesms : std::min(cost.namesms, namesms);
    cost.contentms = round == 0 ? contentms : std::min(cost.contentms, contentms);
    cost.right = cost.right && bycontent == whole && bynames == (entries + group - 1) / group;
    cost.maps = bycontent;
  }
  return cost;
}

}  // namespace tracewell::bench
