// Revision diffs: a WAD against its renumbered copy, map by map, and two very large maps, against the PNG
// floor.
#include "diffcost.h"

#include <malloc.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "childrun.h"
#include "game/mapdiff.h"
#include "pngfloor.h"
#include "render/automap.h"
#include "stopwatch.h"
#include "testlib/mapedit.h"
#include "testlib/udmfwriter.h"
#include "testlib/wadbuilder.h"
#include "wad/map.h"
#include "wad/wad.h"

namespace tracewell::bench {

namespace {

std::shared_ptr<wad> readfile(const std::string& path) {
  const result<std::shared_ptr<wad>> read = wad::read(bytestream::openread(fromutf8(path)), wad::DOOM);
  return read.ok() ? read.value() : nullptr;
}

std::shared_ptr<map> readmap(wad& w, const text& name) {
  result<std::shared_ptr<map>> made = map::Create(w.getmaplumps(name, wad::maplumps), wad::DOOM, {}, true);
  return made.ok() ? made.value() : nullptr;
}

// Lines between random points of a 32768-unit square sharing end points in chains, and things among them.
map bigmap(std::size_t lines, std::size_t things) {
  std::mt19937 random(7);
  std::uniform_int_distribution<std::int64_t> coordinate(-16384, 16383);
  map m;
  m.sectors.resize(64);
  for (std::size_t i = 0; i < 64; ++i) m.sectors[i].floorheight = static_cast<std::int32_t>(i * 8);
  for (std::size_t i = 0; i <= lines; ++i) m.vertexes.push_back({coordinate(random), coordinate(random)});
  for (std::size_t i = 0; i < lines; ++i) {
    linedef l;
    l.startvertex = static_cast<std::uint32_t>(i);
    l.endvertex = static_cast<std::uint32_t>(i + 1);
    l.rightside = static_cast<std::int32_t>(m.sidedefs.size());
    m.sidedefs.push_back({});
    m.sidedefs.back().sector = static_cast<std::uint32_t>(i % 64);
    l.leftside = -1;
    m.linedefs.push_back(l);
  }
  m.things.emplace();
  for (std::size_t i = 0; i < things; ++i) {
    thing t;
    t.x = coordinate(random);
    t.y = coordinate(random);
    t.type = 3001 + static_cast<std::int32_t>(i % 4);
    t.skills = thing::allskills;
    m.things->push_back(t);
  }
  return m;
}

// A 64-unit square room holding `things` things of one type at random places in units of 2^-16.
map crowdedmap(std::size_t things, std::uint32_t seed) {
  map m = testkit::linesandthings({{0, 0, 64, 0}, {64, 0, 64, 64}, {64, 64, 0, 64}, {0, 64, 0, 0}}, {});
  m.layout = maplayout::udmf;
  m.fractionbits = 16;
  for (vertex& v : m.vertexes) {
    v.x *= 65536;
    v.y *= 65536;
  }
  std::mt19937 random(seed);
  std::uniform_int_distribution<std::int64_t> coordinate(0, (std::int64_t{64} << 16) - 1);
  m.things->resize(things);
  for (thing& t : *m.things) {
    t.type = 3004;
    t.x = coordinate(random);
    t.y = -coordinate(random);
    t.skills = thing::allskills;
    t.single = t.coop = t.deathmatch = true;
  }
  return m;
}

// A field of /proc/self/status in bytes ("VmRSS", "VmHWM"); -1 when it cannot be read.
std::int64_t statusbytes(const std::string& field) {
  std::ifstream in("/proc/self/status");
  for (std::string line; std::getline(in, line);) {
    if (line.rfind(field + ":", 0) == 0) return std::stoll(line.substr(field.size() + 1)) * 1024;
  }
  return -1;
}

// Resets the peak resident memory to the present one (Linux's clear_refs "5") after handing freed memory
// back, so that the peak after a step is what the step itself took; false when it cannot.
bool resetpeak() {
  malloc_trim(0);
  std::ofstream out("/proc/self/clear_refs");
  out << "5";
  out.close();
  return static_cast<bool>(out);
}

}  // namespace

crowdedcost runcrowdedcost(const std::string& exe, const std::string& folder,
                           const std::vector<std::size_t>& counts, std::size_t runthings, int rounds) {
  crowdedcost cost;
  for (const std::size_t n : counts) {
    crowdedpairing p;
    p.things = n;
    const map older = crowdedmap(n, 1), newer = crowdedmap(n, 2);
    for (int round = 0; round < std::max(rounds, 1); ++round) {
      if (round == 0 && !resetpeak()) {
        cost.error = "cannot reset the peak memory (/proc/self/clear_refs)";
        return cost;
      }
      const std::int64_t before = statusbytes("VmRSS");
      stopwatch clock;
      const mapdiff d = diffmaps(older, newer);
      const double ms = clock.lap();
      if (round == 0) p.bytes = statusbytes("VmHWM") - before;
      p.ms = round == 0 ? ms : std::min(p.ms, ms);
      p.moved = d.thingcount(changekind::moved);
    }
    cost.pairings.push_back(p);
  }
  cost.runthings = runthings;
  const std::string oldpath = folder + "/crowded-old.wad", newpath = folder + "/crowded-new.wad";
  for (const auto& [path, seed] : {std::pair{oldpath, 1u}, std::pair{newpath, 2u}}) {
    testkit::wadbuilder w;
    w.addudmfmap("MAP01", testkit::toudmf(crowdedmap(runthings, seed)));
    w.write(path);
  }
  const childresult run =
      runchild(exe, "", folder, {"--diff", oldpath, newpath, "-o", folder + "/crowded-%.png"});
  cost.runms = run.wallms;
  cost.runstatus = run.started ? run.status : -1;
  return cost;
}

diffcost rundiffcost(const std::string& wadpath, const std::string& folder, std::int32_t size,
                     std::int32_t margin, int rounds) {
  diffcost cost;
  const std::shared_ptr<wad> original = readfile(wadpath);
  if (!original) {
    cost.error = "cannot read " + wadpath + " as a WAD";
    return cost;
  }
  testkit::wadbuilder copy;
  std::vector<unsigned char> encoded;
  std::uint32_t seed = 1;
  for (const text& name : original->getmapnames()) {
    const std::shared_ptr<map> m = readmap(*original, name);
    if (!m) continue;
    copy.addmap(tobytes(name), testkit::rawof(testkit::renumbered(*m, seed++)));
    ++cost.maps;
    cost.lines += m->linedefs.size();
    cost.things += m->things ? m->things->size() : 0;
    const result<std::unique_ptr<TPixmap>> drawn = render(*m, size, size, margin, black, {}, {}, 0);
    const TPixmap* image = drawn.ok() ? drawn.value().get() : nullptr;
    if (image == nullptr) {
      cost.error = "no buffer for " + std::to_string(size) + " x " + std::to_string(size);
      return cost;
    }
    stopwatch clock;
    floorencode(*image, 5, encoded);
    cost.floorms += clock.lap();
  }
  const std::string copypath = folder + "/renumbered.wad";
  copy.write(copypath);

  for (int round = 0; round < std::max(rounds, 1); ++round) {
    stopwatch clock;
    const std::shared_ptr<wad> older = readfile(wadpath), newer = readfile(copypath);
    if (!older || !newer) {
      cost.error = "cannot read the WADs back";
      return cost;
    }
    std::size_t changes = 0;
    for (const text& name : older->getmapnames()) {
      const std::shared_ptr<map> a = readmap(*older, name), b = readmap(*newer, name);
      if (!a || !b) continue;
      const mapdiff d = diffmaps(*a, *b);
      changes += d.lines.size() + d.things.size();
    }
    const double ms = clock.lap();
    cost.diffms = round == 0 ? ms : std::min(cost.diffms, ms);
    cost.changes = changes;
  }

  cost.biglines = 100000;
  const map big = bigmap(cost.biglines, 20000);
  const map other = testkit::renumbered(big, 3);
  for (int round = 0; round < std::max(rounds, 1); ++round) {
    stopwatch clock;
    const mapdiff d = diffmaps(big, other);
    const double ms = clock.lap();
    cost.bigms = round == 0 ? ms : std::min(cost.bigms, ms);
    cost.changes += d.lines.size() + d.things.size();
  }
  return cost;
}

diffcorescost rundiffcores(const std::string& exe, const std::string& older, const std::string& newer,
                           const std::string& folder, int rounds) {
  diffcorescost cost;
  if (!std::filesystem::exists(older) || !std::filesystem::exists(newer)) {
    cost.error = "no " + older + " or " + newer;
    return cost;
  }
  const std::string one = folder + "/diff-one", both = folder + "/diff-both";
  std::string oneoutput, bothoutput;
  cost.onems = cost.bothms = 1e300;
  for (int round = 0; round < rounds; ++round) {
    for (const bool pinned : {true, false}) {
      const std::string out = pinned ? one : both;
      std::filesystem::remove_all(out);
      std::filesystem::create_directories(out);
      std::vector<std::string> args = {"--diff", older, newer, "-s", "1024x1024", "-o", out + "/%.png"};
      if (pinned) args.insert(args.begin(), {"-c", "0", exe});
      const childresult run = runchild(pinned ? "/usr/bin/taskset" : exe, "", folder, args);
      if (!run.started) {
        cost.error = "cannot start " + exe;
        return cost;
      }
      cost.status = std::max(cost.status, run.status);
      double& least = pinned ? cost.onems : cost.bothms;
      least = std::min(least, run.wallms);
      std::string& output = pinned ? oneoutput : bothoutput;
      output = run.output;
      // The paths differ by the folder only.
      for (std::size_t at; (at = output.find(out)) != std::string::npos;) output.replace(at, out.size(), "");
    }
  }
  cost.same = oneoutput == bothoutput;
  const auto bytes = [](const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  for (const auto& entry : std::filesystem::directory_iterator(one)) {
    ++cost.files;
    cost.same =
        cost.same && bytes(entry.path()) == bytes(std::filesystem::path(both) / entry.path().filename());
  }
  return cost;
}

}  // namespace tracewell::bench
