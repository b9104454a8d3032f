// A pile of keys: one map with a million keys at one spot, drawn in Keys against Automap.
#include "keypile.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <memory>
#include <vector>

#include "app/console.h"
#include "app/scheme.h"
#include "render/automap.h"
#include "render/png.h"
#include "stopwatch.h"
#include "wad/map.h"
#include "wad/wad.h"

namespace tracewell::bench {

namespace {

constexpr int pnglevel = 5;

void put16(std::string& out, std::int32_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}

void put32(std::string& out, std::int32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, (v >> 16) & 0xFFFF);
}

void putname(std::string& out, const std::string& name) {
  std::string padded = name;
  padded.resize(8, '\0');
  out += padded;
}

// A Doom-layout WAD: a 64 x 64 room of four impassable walls and `keys` red keys at its centre.
std::string pilewad(std::size_t keys) {
  std::string things, linedefs, sidedefs, vertexes, sectors;
  for (std::size_t i = 0; i < keys; ++i) {
    for (const std::int32_t v : {32, 32, 0, 13, 7}) put16(things, v);  // x, y, angle, red key, every skill
  }
  for (std::int32_t i = 0; i < 4; ++i) {
    for (const std::int32_t v : {i, (i + 1) % 4, 1, 0, 0, i, -1}) put16(linedefs, v);
    put16(sidedefs, 0);
    put16(sidedefs, 0);
    putname(sidedefs, "-");
    putname(sidedefs, "-");
    putname(sidedefs, "STARTAN3");
    put16(sidedefs, 0);
  }
  for (const std::int32_t v : {0, 0, 0, 64, 64, 64, 64, 0}) put16(vertexes, v);
  put16(sectors, 0);
  put16(sectors, 128);
  putname(sectors, "FLOOR4_8");
  putname(sectors, "CEIL3_5");
  for (const std::int32_t v : {160, 0, 0}) put16(sectors, v);
  const std::vector<std::pair<std::string, const std::string*>> lumps = {
      {"MAP01", nullptr},      {"THINGS", &things}, {"LINEDEFS", &linedefs}, {"SIDEDEFS", &sidedefs},
      {"VERTEXES", &vertexes}, {"SEGS", nullptr},   {"SSECTORS", nullptr},   {"NODES", nullptr},
      {"SECTORS", &sectors},   {"REJECT", nullptr}, {"BLOCKMAP", nullptr}};
  std::string data, directory;
  std::int32_t at = 12;
  for (const auto& [name, bytes] : lumps) {
    const auto size = static_cast<std::int32_t>(bytes != nullptr ? bytes->size() : 0);
    put32(directory, at);
    put32(directory, size);
    putname(directory, name);
    if (bytes != nullptr) data += *bytes;
    at += size;
  }
  std::string out = "PWAD";
  put32(out, static_cast<std::int32_t>(lumps.size()));
  put32(out, at);
  return out + data + directory;
}

}  // namespace

keypilecost runkeypile(const std::string& settingspath, std::size_t keys, std::int32_t size,
                       std::int32_t margin, bool wide, int rounds, const std::string& outdir) {
  keypilecost cost;
  cost.size = size;
  cost.wide = wide;
  cost.keys = keys;
  const result<std::shared_ptr<console>> settings = console::load(fromutf8(settingspath));
  std::shared_ptr<scheme> looks[2] = {settings.ok() ? settings.value()->getscheme(u"Keys") : nullptr,
                                      settings.ok() ? settings.value()->getscheme(u"Automap") : nullptr};
  if (!looks[0] || !looks[1]) {
    cost.error = "no schemes Keys and Automap in " + settingspath;
    return cost;
  }
  schemelook drawn[2] = {looks[0]->look, looks[1]->look};
  if (wide) {
    for (schemelook& l : drawn) l.style = linestyle::fromsettings(16, 1);
  }
  const std::string path = outdir + "/pile.wad";
  std::ofstream(path, std::ios::binary) << pilewad(keys);
  auto read = wad::read(bytestream::openread(fromutf8(path)), wad::DOOM);
  if (!read.ok() || !read.value()) {
    cost.error = "cannot read " + path;
    return cost;
  }
  const lumpgroup group = read.value()->getmaplumps(u"MAP01", wad::maplumps);
  double least[2] = {0, 0};
  for (int round = 0; round < std::max(rounds, 1); ++round) {
    for (int turn = 0; turn < 2; ++turn) {
      const int which = (round + turn) % 2;  // alternate which goes first
      stopwatch clock;
      auto created = map::Create(group, wad::DOOM, {}, true);
      auto image = created.ok() ? render(*created.value(), size, size, margin, drawn[which])
                                : result<std::unique_ptr<TPixmap>>(created.error());
      if (!image.ok() || !image.value() ||
          !WritePNG(*image.value(), fromutf8(outdir + "/pile.png"), pnglevel).ok()) {
        cost.error = "the pile of keys does not draw";
        return cost;
      }
      const double ms = clock.lap();
      least[which] = round == 0 ? ms : std::min(least[which], ms);
    }
  }
  cost.keysms = least[0];
  cost.automapms = least[1];
  return cost;
}

}  // namespace tracewell::bench
