// The benchmark: the tool's cost measured against the cost of encoding the PNG files it writes.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "app/maprun.h"
#include "archivebombs.h"
#include "batchrun.h"
#include "checkcost.h"
#include "childrun.h"
#include "compactrun.h"
#include "diffcost.h"
#include "keypile.h"
#include "maplookup.h"
#include "pagecost.h"
#include "pathological.h"
#include "poster.h"
#include "realwork.h"
#include "render/automap.h"
#include "render/pixmap.h"
#include "report.h"
#include "schemecost.h"
#include "stopwatch.h"
#include "streamcost.h"
#include "svgcost.h"
#include "synthmaps.h"
#include "thingcost.h"
#include "udmfread.h"

namespace tracewell::bench {

namespace {

// What the command line can change.
struct options {
  std::string wadpath = TRACEWELL_BENCH_WAD;
  std::string exe = TRACEWELL_BENCH_EXE;
  int rounds = 1;     // passes over the real work; each time is the least seen
  int repeats = 9;    // repetitions of each far-outside case
  bool wall = false;  // wall time instead of processor time
  // Which figures to measure: real (both sizes), program (needs real), poster, dense, outside, udmf, lookup,
  // keys, archive, things, pile, batch, svg, compact, pages, diff, stream, checks.
  std::set<std::string> only = {"real",   "program", "poster",  "dense",  "outside", "udmf",
                                "lookup", "keys",    "archive", "things", "pile",    "batch",
                                "svg",    "compact", "pages",   "diff",   "stream",  "checks"};
};

constexpr std::int32_t margin = 16;
constexpr std::int32_t smallsize = 1024, largesize = 4096, densesize = 8192;
constexpr std::int32_t faroutside = -10'000'000;
constexpr double smalltarget = 1.15, largetarget = 1.05, outsidetarget = 1.01, udmftarget = 1;
// The whole program's ALL runs against the single-core floor (wall time, maps side by side on 2 cores),
// and one map alone, which takes the plain path, against its floor.
constexpr double smallparallel = 0.7, largeparallel = 0.6, onemaptarget = 1.10;
// The Poster look (wide smooth lines) on every map at 4096 x 4096, against the floor of its own images.
constexpr double posterparallel = 0.6;
constexpr int onemapruns = 3;
// Every check on a map of 100,000 linedefs and 20,000 things: the sector look-up and the duplicate
// lines must not be quadratic.
constexpr std::size_t checklines = 100000, checkthings = 20000;
constexpr double checktargetms = 1000;
constexpr int checkrounds = 3;
constexpr std::size_t lookupmarkers = 20000;  // each listed twice: 40,000 names
constexpr double lookuptargetms = 100;        // ALL over that many names: well under a second
constexpr double thingstarget = 1.05;         // every map with its things marked, against without
constexpr std::size_t pilekeys = 1'000'000;   // keys at one spot, drawn in Keys against Automap
constexpr double piletarget = 2;
constexpr double pagestarget = 0.5;  // every map's web page, against its PNG floor
// Listing by the lumps after each marker looks at ten entries an entry: linear, well under a second.
constexpr std::size_t listingentries = 100000;
constexpr double listingtargetms = 100;
constexpr int listingrounds = 5;
constexpr int udmfrounds = 5;  // reading all maps takes milliseconds: the least of a few passes
// Classifying lines by their meanings is per line, not per pixel: the Keys look costs what Automap does.
constexpr double keystarget = 1.05;
constexpr int keysrounds = 3;
// Archive bombs: listing 2^31 deflated zeros that are no WAD costs their header alone; a 256 MiB
// embedded WAD whose maps take turns with another's is inflated once, not once a turn; and looking up
// many names in an archive costs what it does in a plain WAD.
constexpr double bomblisttargetms = 50;
constexpr std::uint64_t alternatingbigbytes = std::uint64_t{256} << 20;
constexpr double alternatingtarget = 1.2, manynamestarget = 2;
constexpr int manynamesrounds = 3;
constexpr std::int64_t memoryallowance = std::int64_t{32} << 20;
// Several WADs in one run against the single-core floor of all their maps; the same run again with
// --skip-existing against the first.
constexpr double batchtarget = 0.6, skiptarget = 0.02;
// A diff of every map against its renumbered copy reads two WADs and matches in O(n log n): less than
// encoding the maps' PNGs once; two maps of 100,000 linedefs within a second.
constexpr double difftarget = 1, bigdifftargetms = 1000;
constexpr int diffrounds = 3;
// A diff's maps are drawn on the ordered pool like a drawing run's: on two cores every map differing, its
// wall time against the same run pinned to one core.
constexpr double diffcorestarget = 0.65;
constexpr int diffcoresrounds = 2;
// Things crowded into one 64-unit square, each within moving reach of nearly every other: pairing them
// stays O(n log n) in time and O(n) in memory (a list of every pair within reach took 2.6 GB for 8,000).
const std::vector<std::size_t> crowdedcounts = {8000, 100000};
constexpr std::size_t crowdedrunthings = 8000;
constexpr double crowdedtargetms = 1000, crowdedruntargetms = 3000;
constexpr std::int64_t crowdedallowance = std::int64_t{64} << 20;
// Writing every map's SVG (Automap at 1024 x 1024) against the single-core libpng floor of the same images,
// and its size per line drawn.
constexpr double svgtarget = 0.25, svgbytesperline = 32;
constexpr int svgrounds = 3;
constexpr std::int32_t translucent = static_cast<std::int32_t>(0x80FFFFFFu);
// The compact encoding against the single-core libpng floor of the same pixels: ALL at 4096 x 4096 on two
// cores (wall time) in the default look and in Poster, their bytes against today's, one map alone (processor
// time), the batch of three WADs at 1024 x 1024 (wall), and the peak memory of the ALL runs.
constexpr double compactautomap = 0.15, compactposter = 0.3, compactautomapbytes = 0.5,
                 compactposterbytes = 1.0;
constexpr double compactonemap = 0.3, compactbatch = 0.2;
constexpr std::int64_t compactallowance = std::int64_t{64} << 20;
constexpr int compactruns = 3;  // each run of the tool three times, the quietest counting

bool parse(int argc, char** argv, options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasvalue = i + 1 < argc;
    if (arg == "--wad" && hasvalue) {
      o.wadpath = argv[++i];
    } else if (arg == "--exe" && hasvalue) {
      o.exe = argv[++i];
    } else if (arg == "--rounds" && hasvalue) {
      o.rounds = std::max(1, std::atoi(argv[++i]));
    } else if (arg == "--repeats" && hasvalue) {
      o.repeats = std::max(1, std::atoi(argv[++i]));
    } else if (arg == "--wall") {
      o.wall = true;
    } else if (arg == "--only" && hasvalue) {
      o.only.clear();
      std::stringstream names(argv[++i]);
      for (std::string name; std::getline(names, name, ',');) o.only.insert(name);
      if (o.only.count("program") != 0) o.only.insert("real");
    } else {
      say("usage: tracewell_bench [--wad PATH] [--exe PATH] [--rounds N] [--repeats N] [--wall]");
      say("                       [--only "
          "real,program,poster,dense,outside,udmf,lookup,keys,archive,things,pile,batch,svg,compact,pages,"
          "diff,stream,checks]");
      return false;
    }
  }
  return true;
}

std::string firstline(const std::string& path, const std::string& key) {
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(key, 0) == 0) return line.substr(line.find(':') + 1);
  }
  return "";
}

std::string loadaverage() {
  std::ifstream in("/proc/loadavg");
  std::string one, five, fifteen;
  in >> one >> five >> fifteen;
  return one + " " + five + " " + fifteen;
}

void describemachine() {
  std::string cpu = firstline("/proc/cpuinfo", "model name");
  cpu.erase(0, cpu.find_first_not_of(' '));
  const std::string memory = firstline("/proc/meminfo", "MemTotal");
  say("Machine: " + cpu + ", " + std::to_string(std::thread::hardware_concurrency()) + " cores, memory" +
      memory);
  say("Load average (1, 5, 15 min) at start: " + loadaverage());
}

std::vector<unsigned char> filebytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string dims(std::int32_t w, std::int32_t h) {
  return std::to_string(w) + " x " + std::to_string(h);
}

void realworksummary(scorecard& card, const realwork& work, double target) {
  const std::string figure =
      "real work, " + std::to_string(work.maps.size()) + " maps at " + dims(work.size, work.size);
  if (!work.error.empty()) {
    card.target(figure, work.error, false);
    return;
  }
  bool exact = true;
  for (const mapcost& m : work.maps) exact = exact && m.samebytes;
  const double ratio = work.total() / work.floor();
  card.target(figure,
              "total " + fixed(work.total(), 1) + " ms / floor " + fixed(work.floor(), 1) +
                  " ms = " + fixed(ratio, 3) + " (target <= " + fixed(target, 2) + ")" +
                  (exact ? "" : "; some files differ from the floor's bytes"),
              ratio <= target && exact);
}

std::string clockname() {
  return stopwatch::walltime() ? "wall time" : "processor time";
}

// The child's time on the clock the stopwatches read.
double timeof(const childresult& run) {
  return stopwatch::walltime() ? run.wallms : run.cpums;
}

// The real tool's run over every map at one size.
struct wholecost {
  std::int32_t size = 0;
  std::size_t inflight = 1;  // maps the tool keeps in flight at this size
  childresult run;
  std::size_t files = 0;  // PNG files it wrote
  std::size_t same = 0;   // of those, byte for byte equal to the in-process ones
  bool finished = false;  // status 0, "Finished outputting!", every file there and equal
  double floorwall = 0;   // the in-process floor of the same maps, in wall time
};

// The dialogue's answers for `mapname` at `size` x `size` into `folder`, then end of input.
std::string script(const options& o, const std::string& mapname, std::int32_t size,
                   const std::filesystem::path& folder, const std::string& scheme = "Automap") {
  return o.wadpath + "\n" + mapname + "\nDoom\n" + std::to_string(size) + "\n" + std::to_string(size) + "\n" +
         std::to_string(margin) + "\n" + scheme + "\n" + (folder / "%.png").string() + "\n";
}

std::filesystem::path tooldir(const std::filesystem::path& root, std::int32_t size) {
  return root / ("tool" + std::to_string(size));
}

// Runs the real tool, scripted, over every map at `size`, its files into
// tooldir. This comes before the benchmark itself grows: the system counts the
// memory of the process that starts a child in the child's peak.
childresult runwholeprogram(const options& o, std::int32_t size, const std::filesystem::path& root) {
  std::filesystem::create_directories(tooldir(root, size));
  return runchild(o.exe, script(o, "ALL", size, tooldir(root, size)), root.string());
}

// The tool's run `run` over every map of `work`: its files against the in-process ones of that size.
wholecost wholeprogram(const options& o, const realwork& work, const std::filesystem::path& root,
                       const childresult& run) {
  const std::filesystem::path folder = tooldir(root, work.size);
  wholecost cost;
  cost.size = work.size;
  cost.inflight = mapsinflight(work.size, work.size);
  cost.floorwall = work.floorwall();
  say("");
  say("Whole program: " + o.exe + " with scripted input, ALL maps at " + dims(work.size, work.size) +
      ", margin " + std::to_string(margin) + ",");
  say("scheme Automap (the fallback look), " + std::to_string(cost.inflight) + " maps in flight on " +
      std::to_string(std::thread::hardware_concurrency()) + " cores, then end of input");
  cost.run = run;
  for (const mapcost& m : work.maps) {
    const auto mine = folder / (m.name + ".png");
    if (!std::filesystem::exists(mine)) continue;
    ++cost.files;
    if (filebytes(mine) == filebytes(root / std::to_string(work.size) / (m.name + ".png"))) ++cost.same;
  }
  cost.finished = cost.run.started && cost.run.status == 0 &&
                  cost.run.output.find("Finished outputting!") != std::string::npos &&
                  cost.files == work.maps.size() && cost.same == cost.files;
  std::filesystem::remove_all(folder);
  const std::int64_t buffer = TPixmap::StorageSize(work.size, work.size);
  table t({"figure", "value"});
  t.add({"exit status", cost.run.started ? std::to_string(cost.run.status) : "not started"});
  t.add({"PNG files written", std::to_string(cost.files) + " of " + std::to_string(work.maps.size())});
  t.add({"identical to the in-process files", std::to_string(cost.same)});
  t.add({"wall time", fixed(cost.run.wallms, 1) + " ms"});
  t.add({"processor time, all threads", fixed(cost.run.cpums, 1) + " ms"});
  t.add({"floor, wall time (one core, one image after another)", fixed(cost.floorwall, 1) + " ms"});
  t.add({"floor, " + clockname(), fixed(work.floor(), 1) + " ms"});
  t.add({"wall time / floor wall time", fixed(cost.run.wallms / cost.floorwall, 3)});
  t.add({"peak resident memory", mib(cost.run.peakrss)});
  t.add({"buffers in flight N x W x H x 4", mib(buffer * static_cast<std::int64_t>(cost.inflight))});
  t.add({"peak - buffers", mib(cost.run.peakrss - buffer * static_cast<std::int64_t>(cost.inflight))});
  t.print();
  return cost;
}

void wholesummary(scorecard& card, const wholecost& cost, double target) {
  const std::int64_t limit =
      TPixmap::StorageSize(cost.size, cost.size) * static_cast<std::int64_t>(cost.inflight) + memoryallowance;
  const std::string figure = "whole program, ALL at " + dims(cost.size, cost.size) + ", " +
                             std::to_string(cost.inflight) + " in flight, " +
                             std::to_string(std::thread::hardware_concurrency()) + " cores";
  const std::string unclean = cost.finished ? "" : "; the run did not finish cleanly or its files differ";
  const double ratio = cost.run.wallms / cost.floorwall;
  card.target(figure + ", time",
              "wall " + fixed(cost.run.wallms, 1) + " ms / single-core floor " + fixed(cost.floorwall, 1) +
                  " ms = " + fixed(ratio, 3) + " (target <= " + fixed(target, 2) + ")" + unclean,
              cost.finished && ratio <= target);
  card.target(figure + ", memory",
              "peak RSS " + mib(cost.run.peakrss) + " (target <= N x W x H x 4 + 32 MiB = " + mib(limit) +
                  ")" + unclean,
              cost.finished && cost.run.peakrss <= limit);
}

// One map alone takes the plain path: the least of `runs` runs of the tool
// for the first map at the size of `work`, against that map's floor.
struct onemapcost {
  std::string name;
  std::int32_t size = 0;
  double ms = 0;     // least time of the tool, on the stopwatch's clock
  double floor = 0;  // the map's floor on the same clock
  bool finished = true;
};

onemapcost onemap(const options& o, const realwork& work, const std::filesystem::path& root, int runs) {
  onemapcost cost;
  cost.name = work.maps.front().name;
  cost.size = work.size;
  cost.floor = work.maps.front().floorms;
  const std::filesystem::path tooldir = root / "onemap";
  std::filesystem::create_directories(tooldir);
  for (int i = 0; i < runs; ++i) {
    const childresult run = runchild(o.exe, script(o, cost.name, work.size, tooldir), root.string());
    cost.finished = cost.finished && run.started && run.status == 0 &&
                    filebytes(tooldir / (cost.name + ".png")) ==
                        filebytes(root / std::to_string(work.size) / (cost.name + ".png"));
    cost.ms = i == 0 ? timeof(run) : std::min(cost.ms, timeof(run));
  }
  std::filesystem::remove_all(tooldir);
  return cost;
}

void printarchives(const bombcost& bomb, const allcost& alternating, const allcost& manynames,
                   std::int32_t size) {
  say("");
  say("Archives: ZIP files built at run time with zlib, read through the map source as the tool reads "
      "them (" +
      clockname() + ")");
  table t({"figure", "value"});
  t.add({"bomb: archive, x.wad declared", mib(static_cast<std::int64_t>(bomb.archivebytes)) + ", " +
                                              mib(static_cast<std::int64_t>(bomb.entrybytes))});
  t.add({"bomb: open and list", fixed(bomb.ms, 2) + " ms"});
  t.add({"bomb: maps listed, bytes inflated",
         std::to_string(bomb.names) + ", " + std::to_string(bomb.inflated)});
  t.rule();
  for (const allcost* c : {&alternating, &manynames}) {
    const std::string what = c == &alternating ? "alternating" : "many names";
    t.add({what + ": archive, largest embedded WAD", mib(static_cast<std::int64_t>(c->archivebytes)) + ", " +
                                                         mib(static_cast<std::int64_t>(c->heldbytes))});
    t.add({what + ": names tried, maps drawn at " + dims(size, size),
           std::to_string(c->names) + ", " + std::to_string(c->drawn)});
    t.add({what + ": ALL from the archive", fixed(c->archivems, 1) + " ms"});
    t.add({what + ": ALL from the plain WAD", fixed(c->plainms, 1) + " ms"});
    t.add({what + ": archive / plain", fixed(c->ratio(), 3)});
    t.add({what + ": inflated, per byte of the WADs",
           mib(static_cast<std::int64_t>(c->inflated)) + ", " + fixed(c->inflations(), 2)});
    t.rule();
  }
  t.print();
}

void archivesummary(scorecard& card, const bombcost& bomb, const allcost& alternating,
                    const allcost& manynames) {
  const std::string bombfigure =
      "listing a " + mib(static_cast<std::int64_t>(bomb.archivebytes)) + " ZIP of 2^31 deflated zeros";
  if (bomb.error.empty()) {
    card.target(bombfigure,
                "open and list " + fixed(bomb.ms, 2) + " ms, " + std::to_string(bomb.inflated) +
                    " bytes inflated (target < " + fixed(bomblisttargetms, 0) + " ms)" +
                    (bomb.names == 0 ? "" : ", but it listed maps"),
                bomb.names == 0 && bomb.ms < bomblisttargetms);
  } else {
    card.target(bombfigure, bomb.error, false);
  }
  for (const auto& [c, target] :
       {std::pair{&alternating, alternatingtarget}, {&manynames, manynamestarget}}) {
    const std::string figure =
        c == &alternating ? "ALL over a ZIP of a " + mib(static_cast<std::int64_t>(c->heldbytes)) +
                                " WAD and a small one taking turns, " + std::to_string(c->names) + " names"
                          : "ALL over a ZIP of " + std::to_string(c->names) + " map names";
    if (!c->error.empty()) {
      card.target(figure, c->error, false);
      continue;
    }
    card.target(figure,
                "archive " + fixed(c->archivems, 1) + " ms / plain WAD " + fixed(c->plainms, 1) +
                    " ms = " + fixed(c->ratio(), 3) + " (target <= " + fixed(target, 2) + "); inflated " +
                    fixed(c->inflations(), 2) + " x the WADs" + (c->same ? "" : "; the runs differ"),
                c->same && c->ratio() <= target);
  }
}

// The WADs of the game folder beside the benchmark's own that the batch figures draw.
std::vector<std::string> batchwads(const options& o) {
  const std::filesystem::path games = std::filesystem::path(o.wadpath).parent_path();
  std::vector<std::string> wads;
  for (const char* name : {"freedoom1.wad", "freedoom2.wad", "freedm.wad"}) {
    if (access((games / name).c_str(), R_OK) == 0) wads.push_back((games / name).string());
  }
  return wads;
}

void printcompact(const compactcost& c) {
  say("");
  say("Compact PNGs: " + c.settings + " (the delivered settings with png_encoding: compact), each run " +
      std::to_string(compactruns) +
      " times; floor: libpng alone at level 5 on the decoded pixels, one core, " + clockname());
  if (!c.error.empty()) {
    say(c.error);
    return;
  }
  table t({"run", "files", "wall (quietest)", "processor", "load before it", "peak RSS", "bytes", "floor",
           "standard bytes"});
  for (const compactrun* r : {&c.automap, &c.poster, &c.onemap, &c.batch}) {
    if (r->runs.empty()) continue;
    const childresult& q = r->runs[r->quietest()];
    t.add({r->what, std::to_string(r->files), fixed(q.wallms, 1) + " ms", fixed(q.cpums, 1) + " ms",
           r->loads[r->quietest()], mib(q.peakrss), std::to_string(r->bytes), fixed(r->floorms, 1) + " ms",
           std::to_string(r->floorbytes)});
  }
  t.print();
}

void compactsummary(scorecard& card, const compactcost& c) {
  if (!c.error.empty()) {
    card.target("compact PNGs", c.error, false);
    return;
  }
  const auto ratio = [&card](const std::string& figure, const compactrun& r, bool wall, double target) {
    const childresult& q = r.runs[r.quietest()];
    const double ms = wall ? q.wallms : q.cpums;
    const double value = ms / r.floorms;
    card.target(figure,
                std::string(wall ? "wall " : "processor ") + fixed(ms, 1) + " ms / floor " +
                    fixed(r.floorms, 1) + " ms = " + fixed(value, 3) + " (target <= " + fixed(target, 2) +
                    "; load " + r.loads[r.quietest()] + ")" +
                    (r.clean() ? "" : "; a run failed or a file did not decode"),
                r.clean() && value <= target);
  };
  const auto bytes = [&card](const std::string& figure, const compactrun& r, double target) {
    const double value =
        static_cast<double>(r.bytes) / static_cast<double>(std::max<std::int64_t>(r.floorbytes, 1));
    card.target(figure,
                std::to_string(r.bytes) + " / " + std::to_string(r.floorbytes) +
                    " bytes = " + fixed(value, 3) + " (target <= " + fixed(target, 2) + ")",
                r.clean() && value <= target);
  };
  const std::string large = dims(largesize, largesize);
  ratio("compact, ALL at " + large + ", Automap, 2 cores", c.automap, true, compactautomap);
  ratio("compact, ALL at " + large + ", Poster, 2 cores", c.poster, true, compactposter);
  bytes("compact, ALL at " + large + ", Automap, bytes / standard", c.automap, compactautomapbytes);
  bytes("compact, ALL at " + large + ", Poster, bytes / standard", c.poster, compactposterbytes);
  ratio("compact, MAP01 alone at " + large + ", whole process", c.onemap, false, compactonemap);
  ratio("compact, batch of " + std::to_string(c.batch.files) + " maps at " + dims(smallsize, smallsize) +
            ", 2 cores",
        c.batch, true, compactbatch);
  const std::int64_t limit = 2 * c.imagebytes + compactallowance;
  std::int64_t peak = 0;
  for (const compactrun* r : {&c.automap, &c.poster}) {
    for (const childresult& run : r->runs) peak = std::max(peak, run.peakrss);
  }
  card.target("compact, peak memory of the ALL runs at " + large,
              "peak RSS " + mib(peak) + " (target <= 2 x W x H x 4 + 64 MiB = " + mib(limit) + ")",
              c.automap.clean() && c.poster.clean() && peak <= limit);
}

// A pipe of zeros is refused by its first bytes; one past the limit is read no further, and the limit
// bounds the memory too.
constexpr double streamrefusalms = 100;
constexpr std::int64_t streamrefusalrss = std::int64_t{16} << 20;
constexpr std::int64_t streamlimitrss = (std::int64_t{2} << 30) + (std::int64_t{64} << 20);

void streamsummary(scorecard& card, const streamcost& c) {
  if (!c.error.empty()) {
    card.target("pipes", c.error, false);
    return;
  }
  say("");
  say("Pipes: --dump over a FIFO of endless zero bytes, and over one of \"PWAD\" and endless zero bytes");
  table t({"figure", "zeros", "PWAD and zeros"});
  t.add({"exit status", std::to_string(c.zeros.status), std::to_string(c.overlimit.status)});
  t.add({"bytes taken from the pipe", mib(static_cast<std::int64_t>(c.zerosread)),
         mib(static_cast<std::int64_t>(c.overread))});
  t.add({"wall time", fixed(c.zeros.wallms, 1) + " ms", fixed(c.overlimit.wallms, 1) + " ms"});
  t.add({"peak resident memory", mib(c.zeros.peakrss), mib(c.overlimit.peakrss)});
  t.print();
  const bool refused =
      c.zeros.status == 1 && c.zeros.output.find("Error parsing WAD file.") != std::string::npos;
  card.target("pipe of zeros refused",
              "wall " + fixed(c.zeros.wallms, 1) + " ms, peak RSS " + mib(c.zeros.peakrss) +
                  " (target <= " + fixed(streamrefusalms, 0) + " ms, <= " + mib(streamrefusalrss) + ")",
              refused && c.zeros.wallms <= streamrefusalms && c.zeros.peakrss <= streamrefusalrss);
  const bool over = c.overlimit.status == 1 && c.overlimit.output.find("2 GiB") != std::string::npos;
  card.target(
      "pipe past the 2 GiB limit refused",
      "peak RSS " + mib(c.overlimit.peakrss) + " (target <= limit + 64 MiB = " + mib(streamlimitrss) + ")",
      over && c.overlimit.peakrss <= streamlimitrss);
}

}  // namespace

int run(int argc, char** argv) {
  options o;
  if (!parse(argc, argv, o)) return 2;
  stopwatch::usewalltime(o.wall);
  say("Tracewell benchmark: the tool's cost against the PNG-encoding floor");
  describemachine();
  say("Times are " + clockname() + " in milliseconds" +
      (o.wall ? "." : " (user and system), so other work on the machine does not count."));
  if (access(o.wadpath.c_str(), R_OK) != 0) {
    say("Cannot read " + o.wadpath + " (Debian package freedoom); nothing measured.");
    return 2;
  }
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern =
      std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/tracewell-bench-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) {
    say("Cannot make a folder for the output in " + pattern);
    return 2;
  }
  const std::filesystem::path work = pattern;
  scorecard card;

  // The compact encoding's runs come first of all: the benchmark is smallest now.
  std::optional<compactcost> compact;
  if (o.only.count("compact") != 0) {
    compact = runcompact(o.exe, TRACEWELL_BENCH_SETTINGS, o.wadpath, batchwads(o), smallsize, largesize,
                         margin, compactruns, work.string());
    printcompact(*compact);
  }

  // The pipes too, while the benchmark is small.
  std::optional<streamcost> streams;
  if (o.only.count("stream") != 0) streams = runstreamcost(o.exe, work.string());

  std::map<std::int32_t, childresult> toolruns;
  for (const std::int32_t size : {smallsize, largesize}) {
    if (o.only.count("program") != 0) toolruns[size] = runwholeprogram(o, size, work);
  }

  // The Poster run, too, before the benchmark grows.
  std::optional<childresult> posterrun;
  std::size_t posterfiles = 0;
  if (o.only.count("poster") != 0) {
    const auto folder = work / "poster";
    std::filesystem::create_directories(folder);
    posterrun = runchild(o.exe, script(o, "ALL", largesize, folder, "Poster"), work.string());
    for (const auto& entry : std::filesystem::directory_iterator(folder))
      posterfiles += entry.is_regular_file();
    std::filesystem::remove_all(folder);
  }

  std::vector<realwork> works;
  for (const std::int32_t size : {smallsize, largesize}) {
    if (o.only.count("real") == 0) break;
    const auto dir = work / std::to_string(size);
    std::filesystem::create_directories(dir);
    say("");
    works.push_back(runrealwork(o.wadpath, size, margin, o.rounds, dir.string()));
    if (works.back().error.empty()) {
      printrealwork(works.back());
    } else {
      say(works.back().error);
    }
  }
  std::vector<wholecost> wholes;
  std::optional<onemapcost> single;
  for (const realwork& w : works) {
    if (o.only.count("program") == 0 || !w.error.empty() || w.maps.empty()) continue;
    wholes.push_back(wholeprogram(o, w, work, toolruns[w.size]));
    if (w.size == largesize) single = onemap(o, w, work, onemapruns);
  }

  std::optional<postercost> poster;
  if (posterrun) {
    say("");
    poster = runposter(o.wadpath, largesize, margin, o.rounds);
    if (poster->error.empty()) {
      say("Poster: " + o.exe + " with scripted input, ALL maps at " + dims(largesize, largesize) +
          ", scheme Poster (the Automap look, line_width 3, antialias 1), against the floor of the same "
          "images;");
      say("then drawing alone (" + clockname() + ", buffers cleared and prepared maps drawn, least of " +
          std::to_string(o.rounds) + ")");
      table t({"figure", "value"});
      t.add({"exit status", posterrun->started ? std::to_string(posterrun->status) : "not started"});
      t.add({"PNG files written", std::to_string(posterfiles) + " of " + std::to_string(poster->maps)});
      t.add({"wall time", fixed(posterrun->wallms, 1) + " ms"});
      t.add({"floor of the Poster images, wall time (one core)", fixed(poster->floorwallms, 1) + " ms"});
      t.add({"wall time / floor wall time", fixed(posterrun->wallms / poster->floorwallms, 3)});
      t.add({"processor time, all threads / floor " + clockname(),
             fixed(posterrun->cpums, 1) + " ms / " + fixed(poster->floorms, 1) +
                 " ms = " + fixed(posterrun->cpums / poster->floorms, 3)});
      t.add({"clearing " + std::to_string(poster->maps) + " buffers", fixed(poster->clearms, 1) + " ms"});
      t.add({"lines at width 1", fixed(poster->plainlines(), 1) + " ms"});
      t.add({"lines at width 3, anti-aliased", fixed(poster->posterlines(), 1) + " ms"});
      t.add({"width 3 anti-aliased / width 1", fixed(poster->posterlines() / poster->plainlines(), 2)});
      t.print();
    } else {
      say(poster->error);
    }
  }

  std::vector<densecost> densecosts;
  if (o.only.count("dense") != 0) {
    say("");
    say("Pathological: " + std::to_string(latticelines) +
        " impassable lines crossing a square map from edge to edge");
    table dense({"case", "hidden (create, clear, classify)", "render", "floor encode", "render/floor"});
    for (const std::int32_t colour : {red, translucent}) {
      const densecost c = rundense(densesize, colour);
      densecosts.push_back(c);
      dense.add({std::string(colour == red ? "opaque" : "translucent") + " at " + dims(densesize, densesize),
                 fixed(c.hiddenms, 1) + " ms", fixed(c.renderms, 1) + " ms", fixed(c.floorms, 1) + " ms",
                 fixed(c.renderms / c.floorms, 3)});
    }
    dense.print();
  }

  std::vector<outsidecost> outsidecosts;
  if (o.only.count("outside") != 0) {
    say("");
    say("Far outside: the same map drawn inside the image and with margin " + std::to_string(faroutside) +
        ", least of " + std::to_string(o.repeats) + " runs");
    table outside({"case", "render", "write", "total", "render outside/inside", "total outside/inside"});
    for (const auto& [w, h, inner] : {std::tuple{smallsize, smallsize, margin}, std::tuple{1, 100000, 0}}) {
      const outsidecost c = runoutside(w, h, inner, faroutside, o.repeats, work.string());
      outsidecosts.push_back(c);
      outside.add({dims(w, h) + " margin " + std::to_string(inner), fixed(c.insidedrawms, 2) + " ms",
                   fixed(c.insidewritems, 2) + " ms", fixed(c.inside(), 2) + " ms"});
      outside.add({dims(w, h) + " margin " + std::to_string(faroutside), fixed(c.outsidedrawms, 2) + " ms",
                   fixed(c.outsidewritems, 2) + " ms", fixed(c.outside(), 2) + " ms",
                   fixed(c.outsidedrawms / c.insidedrawms, 3), fixed(c.outside() / c.inside(), 3)});
    }
    outside.print();
  }

  std::optional<udmfcost> udmf;
  if (o.only.count("udmf") != 0) {
    say("");
    udmf = runudmfread(o.wadpath, smallsize, margin, std::max(o.rounds, udmfrounds));
    if (udmf->error.empty()) {
      say("UDMF reading: every map written as UDMF text (" + std::to_string(udmf->maps) + " maps, " +
          std::to_string(udmf->lines) + " linedefs, " + mib(static_cast<std::int64_t>(udmf->bytes)) +
          ") and read back, against the PNG floor at " + dims(smallsize, smallsize));
      table t({"figure", "value"});
      t.add({"read all texts", fixed(udmf->readms, 2) + " ms"});
      t.add({"floor, all maps", fixed(udmf->floorms, 1) + " ms"});
      t.add({"read / floor", fixed(udmf->ratio(), 3)});
      t.print();
    } else {
      say(udmf->error);
    }
  }

  std::optional<diffcost> diff;
  std::optional<crowdedcost> crowded;
  std::optional<diffcorescost> diffcores;
  if (o.only.count("diff") != 0) {
    say("");
    diff = rundiffcost(o.wadpath, work.string(), smallsize, margin, std::max(o.rounds, diffrounds));
    if (diff->error.empty()) {
      say("Revision diff: every map against its renumbered copy (" + std::to_string(diff->maps) + " maps, " +
          std::to_string(diff->lines) + " linedefs, " + std::to_string(diff->things) +
          " things), both WADs read and compared, against the PNG floor at " + dims(smallsize, smallsize));
      table t({"figure", "value"});
      t.add({"read both and compare", fixed(diff->diffms, 2) + " ms"});
      t.add({"floor, all maps", fixed(diff->floorms, 1) + " ms"});
      t.add({"diff / floor", fixed(diff->ratio(), 3)});
      t.add({"changes found (must be 0)", std::to_string(diff->changes)});
      t.add({"two maps of " + std::to_string(diff->biglines) + " linedefs", fixed(diff->bigms, 1) + " ms"});
      t.print();
    } else {
      say(diff->error);
    }
    crowded = runcrowdedcost(o.exe, work.string(), crowdedcounts, crowdedrunthings, diffrounds);
    if (crowded->error.empty()) {
      say("Crowded things: every thing of both versions at a new place inside one 64 x 64 square");
      table t({"figure", "value"});
      for (const crowdedpairing& p : crowded->pairings) {
        t.add({std::to_string(p.things) + " things, compared", fixed(p.ms, 1) + " ms, " + mib(p.bytes) +
                                                                   " above the maps, " +
                                                                   std::to_string(p.moved) + " moved"});
      }
      t.add({std::to_string(crowded->runthings) + " things, tracewell --diff",
             fixed(crowded->runms, 1) + " ms wall, status " + std::to_string(crowded->runstatus)});
      t.print();
    } else {
      say(crowded->error);
    }
    const std::filesystem::path doom = std::filesystem::path(o.wadpath).parent_path();
    diffcores =
        rundiffcores(o.exe, o.wadpath, (doom / "freedm.wad").string(), work.string(), diffcoresrounds);
    if (diffcores->error.empty()) {
      say("tracewell --diff of freedoom2 against freedm at " + dims(smallsize, smallsize) +
          ", every map differing: every core against one (taskset -c 0)");
      table t({"figure", "value"});
      t.add({"pinned to one core", fixed(diffcores->onems, 1) + " ms wall"});
      t.add({std::to_string(std::thread::hardware_concurrency()) + " cores",
             fixed(diffcores->bothms, 1) + " ms wall"});
      t.add({"cores / one", fixed(diffcores->ratio(), 3)});
      t.add({"PNGs per run", std::to_string(diffcores->files)});
      t.print();
    } else {
      say(diffcores->error);
    }
  }

  std::optional<schemecost> keys;
  if (o.only.count("keys") != 0)
    keys = runschemecost(o.wadpath, TRACEWELL_BENCH_SETTINGS, "Keys", "Automap", largesize, margin,
                         std::max(o.rounds, keysrounds));

  std::optional<svgcost> svg;
  if (o.only.count("svg") != 0)
    svg = runsvgcost(o.wadpath, TRACEWELL_BENCH_SETTINGS, "Automap", smallsize, margin,
                     std::max(o.rounds, svgrounds));

  std::optional<checkcost> checks;
  if (o.only.count("checks") != 0) {
    checks = runcheckcost(checklines, checkthings, std::max(o.rounds, checkrounds));
    say("Map checks: built maps of " + std::to_string(checks->lines) + " linedefs and " +
        std::to_string(checks->things) + " things, outlines and every check, least of " +
        std::to_string(std::max(o.rounds, checkrounds)));
    table t({"map", "time"});
    t.add({"rooms", fixed(checks->latticems, 1) + " ms"});
    t.add({"random crossing lines", fixed(checks->randomms, 1) + " ms"});
    t.add({"findings on the rooms (things outside)",
           std::to_string(checks->findings) + " (" + std::to_string(checks->expected) + ")"});
    t.print();
  }

  std::optional<lookupcost> lookup;
  std::optional<listingcost> listing;
  if (o.only.count("lookup") != 0) {
    lookup = runmaplookup(lookupmarkers);
    listing = runmaplisting(listingentries, std::max(o.rounds, listingrounds));
  }

  std::optional<thingcost> things;
  if (o.only.count("things") != 0) {
    const auto dir = work / "things";
    std::filesystem::create_directories(dir);
    things = runthingcost(o.wadpath, largesize, margin, o.rounds, dir.string());
  }

  std::vector<keypilecost> piles;
  if (o.only.count("pile") != 0) {
    const auto dir = work / "pile";
    std::filesystem::create_directories(dir);
    for (const auto& [size, wide] : {std::pair{smallsize, false}, std::pair{largesize, true}})
      piles.push_back(
          runkeypile(TRACEWELL_BENCH_SETTINGS, pilekeys, size, margin, wide, o.rounds, dir.string()));
  }

  std::optional<pagecost> pages;
  if (o.only.count("pages") != 0) {
    const auto dir = work / "pages";
    std::filesystem::create_directories(dir);
    pages = runpagecost(o.wadpath, smallsize, margin, o.rounds, dir.string());
  }

  std::optional<bombcost> bomb;
  std::optional<allcost> alternating, manynames;
  if (o.only.count("archive") != 0) {
    bomb = runbomblisting(work.string(), std::max(o.rounds, manynamesrounds));
    alternating = runalternating(o.wadpath, alternatingbigbytes, smallsize, margin, work.string(), o.rounds);
    manynames = runmanynames(lookupmarkers, work.string(), std::max(o.rounds, manynamesrounds));
    printarchives(*bomb, *alternating, *manynames, smallsize);
  }

  std::optional<batchcost> batch;
  if (o.only.count("batch") != 0) {
    batch = runbatch(o.exe, batchwads(o), smallsize, margin, work.string());
    say("");
    say("Batch: one run with --dest over every map of the WADs with maps among freedoom1, freedoom2, freedm");
    table t({"figure", "value"});
    std::string drawn;
    for (const std::string& w : batch->wads) drawn += (drawn.empty() ? "" : ", ") + w;
    t.add({"WADs drawn", drawn.empty() ? batch->error : drawn});
    t.add({"maps / PNG files", std::to_string(batch->maps) + " / " + std::to_string(batch->files)});
    t.add({"exit statuses", std::to_string(batch->firststatus) + ", " + std::to_string(batch->secondstatus)});
    t.add({"first run, wall", fixed(batch->firstms, 1) + " ms"});
    t.add({"floor, wall time (one core)", fixed(batch->floorwall, 1) + " ms"});
    t.add({"run with --skip-existing, wall", fixed(batch->secondms, 1) + " ms"});
    t.print();
  }

  say("");
  if (!works.empty()) {
    realworksummary(card, works[0], smalltarget);
    realworksummary(card, works[1], largetarget);
  }
  for (const wholecost& c : wholes)
    wholesummary(card, c, c.size == largesize ? largeparallel : smallparallel);
  if (single) {
    const double ratio = single->ms / single->floor;
    card.target("one map alone (" + single->name + ") at " + dims(single->size, single->size),
                clockname() + " " + fixed(single->ms, 1) + " ms, least of " + std::to_string(onemapruns) +
                    " / its floor " + fixed(single->floor, 1) + " ms = " + fixed(ratio, 3) + " (target <= " +
                    fixed(onemaptarget, 2) + ")" + (single->finished ? "" : "; the run failed or differs"),
                single->finished && ratio <= onemaptarget);
  }
  if (poster) {
    const std::string figure = "Poster, ALL at " + dims(largesize, largesize) + ", " +
                               std::to_string(mapsinflight(largesize, largesize)) + " in flight, " +
                               std::to_string(std::thread::hardware_concurrency()) + " cores";
    if (poster->error.empty()) {
      const bool finished = posterrun->started && posterrun->status == 0 &&
                            posterrun->output.find("Finished outputting!") != std::string::npos &&
                            posterfiles == poster->maps;
      const double ratio = posterrun->wallms / poster->floorwallms;
      card.target(figure + ", time",
                  "wall " + fixed(posterrun->wallms, 1) + " ms / single-core floor " +
                      fixed(poster->floorwallms, 1) + " ms = " + fixed(ratio, 3) + " (target <= " +
                      fixed(posterparallel, 2) + ")" + (finished ? "" : "; the run did not finish cleanly"),
                  finished && ratio <= posterparallel);
      card.info("drawing alone, width 3 anti-aliased / width 1",
                fixed(poster->posterlines(), 1) + " ms / " + fixed(poster->plainlines(), 1) +
                    " ms = " + fixed(poster->posterlines() / poster->plainlines(), 2));
    } else {
      card.target(figure, poster->error, false);
    }
  }
  if (udmf) {
    const std::string figure = "UDMF reading, " + std::to_string(udmf->maps) + " maps";
    if (udmf->error.empty()) {
      card.target(figure,
                  "read " + fixed(udmf->readms, 2) + " ms / floor at " + dims(smallsize, smallsize) + " " +
                      fixed(udmf->floorms, 1) + " ms = " + fixed(udmf->ratio(), 3) + " (target < " +
                      fixed(udmftarget, 2) + ")",
                  udmf->ratio() < udmftarget);
    } else {
      card.target(figure, udmf->error, false);
    }
  }
  if (diff) {
    const std::string figure = "Diff against the renumbered copy, " + std::to_string(diff->maps) + " maps";
    if (diff->error.empty()) {
      card.target(figure,
                  "read and compare " + fixed(diff->diffms, 2) + " ms / floor at " +
                      dims(smallsize, smallsize) + " " + fixed(diff->floorms, 1) +
                      " ms = " + fixed(diff->ratio(), 3) + ", " + std::to_string(diff->changes) +
                      " changes (target < " + fixed(difftarget, 2) + ", none)",
                  diff->ratio() < difftarget && diff->changes == 0);
      card.target("Diff of two maps of " + std::to_string(diff->biglines) + " linedefs",
                  fixed(diff->bigms, 1) + " ms (target < " + fixed(bigdifftargetms, 0) + " ms)",
                  diff->bigms < bigdifftargetms);
    } else {
      card.target(figure, diff->error, false);
    }
  }
  if (crowded) {
    if (crowded->error.empty()) {
      for (const crowdedpairing& p : crowded->pairings) {
        card.target("Diff of " + std::to_string(p.things) + " crowded things",
                    fixed(p.ms, 1) + " ms, " + mib(p.bytes) + " above the maps (target <= " +
                        fixed(crowdedtargetms, 0) + " ms, <= " + mib(crowdedallowance) + ")",
                    p.ms <= crowdedtargetms && p.bytes <= crowdedallowance);
      }
      card.target("tracewell --diff of " + std::to_string(crowded->runthings) + " crowded things",
                  fixed(crowded->runms, 1) + " ms wall, status " + std::to_string(crowded->runstatus) +
                      " (target <= " + fixed(crowdedruntargetms, 0) + " ms, status 0)",
                  crowded->runms <= crowdedruntargetms && crowded->runstatus == 0);
    } else {
      card.target("Diff of crowded things", crowded->error, false);
    }
  }
  if (diffcores) {
    const std::string figure = "tracewell --diff on every core against one";
    if (diffcores->error.empty()) {
      card.target(figure,
                  fixed(diffcores->bothms, 1) + " ms / " + fixed(diffcores->onems, 1) +
                      " ms = " + fixed(diffcores->ratio(), 3) + ", status " +
                      std::to_string(diffcores->status) + (diffcores->same ? "" : "; the runs differ") +
                      " (target <= " + fixed(diffcorestarget, 2) + ", status 0)",
                  diffcores->ratio() <= diffcorestarget && diffcores->same && diffcores->status == 0 &&
                      diffcores->files > 0);
    } else {
      card.target(figure, diffcores->error, false);
    }
  }
  if (keys) {
    const std::string figure = "ALL drawn with " + keys->scheme + " against " + keys->against + ", " +
                               std::to_string(keys->maps) + " maps at " + dims(largesize, largesize);
    if (keys->error.empty()) {
      card.target(figure,
                  "prepare and draw " + fixed(keys->schemems, 1) + " ms / " + fixed(keys->againstms, 1) +
                      " ms = " + fixed(keys->ratio(), 3) + " (target <= " + fixed(keystarget, 2) + ")",
                  keys->ratio() <= keystarget);
    } else {
      card.target(figure, keys->error, false);
    }
  }
  if (svg) {
    const std::string figure =
        "SVG of " + std::to_string(svg->maps) + " maps, Automap at " + dims(smallsize, smallsize);
    if (svg->error.empty()) {
      card.target(figure + ", time",
                  "write " + fixed(svg->svgms, 1) + " ms / PNG floor " + fixed(svg->floorms, 1) +
                      " ms = " + fixed(svg->ratio(), 3) + " (target <= " + fixed(svgtarget, 2) + ")",
                  svg->ratio() <= svgtarget);
      card.target(figure + ", size",
                  std::to_string(svg->bytes) + " bytes / " + std::to_string(svg->strokes) +
                      " lines = " + fixed(svg->bytesperline(), 2) +
                      " bytes a line (target <= " + fixed(svgbytesperline, 0) + ")",
                  svg->bytesperline() <= svgbytesperline);
    } else {
      card.target(figure, svg->error, false);
    }
  }
  if (checks) {
    const bool right = checks->findings == checks->expected;
    card.target("Map checks, " + std::to_string(checks->lines) + " linedefs and " +
                    std::to_string(checks->things) + " things",
                "rooms " + fixed(checks->latticems, 1) + " ms (target < " + fixed(checktargetms, 0) +
                    " ms); random crossing lines " + fixed(checks->randomms, 1) + " ms (no target)" +
                    (right ? "" : ", but the findings are not the things outside"),
                right && checks->latticems < checktargetms);
  }
  if (lookup) {
    card.target("map lookup, " + std::to_string(lookup->names) + " listed names",
                "read, list and take every group " + fixed(lookup->ms, 1) + " ms (target < " +
                    fixed(lookuptargetms, 0) + " ms)" +
                    (lookup->right ? "" : ", but a lookup gave the wrong entry"),
                lookup->right && lookup->ms < lookuptargetms);
  }
  if (listing) {
    card.target("map listing, " + std::to_string(listing->entries) + " entries",
                "by content " + fixed(listing->contentms, 1) + " ms, by names " + fixed(listing->namesms, 1) +
                    " ms, " + std::to_string(listing->maps) + " maps (target < " + fixed(listingtargetms, 0) +
                    " ms)" + (listing->right ? "" : ", but a rule missed maps"),
                listing->right && listing->contentms < listingtargetms);
  }
  if (bomb) archivesummary(card, *bomb, *alternating, *manynames);
  if (things) {
    const std::string figure = "thing markers, every map at " + dims(largesize, largesize);
    if (things->error.empty()) {
      card.target(figure,
                  std::to_string(things->markers) + " of " + std::to_string(things->things) +
                      " things marked " + fixed(things->withms, 1) + " ms / without " +
                      fixed(things->withoutms, 1) + " ms = " + fixed(things->ratio(), 3) +
                      " (target <= " + fixed(thingstarget, 2) + ")",
                  things->ratio() <= thingstarget);
    } else {
      card.target(figure, things->error, false);
    }
  }
  for (const keypilecost& pile : piles) {
    const std::string figure = std::to_string(pile.keys) + " keys at one spot, " +
                               dims(pile.size, pile.size) + (pile.wide ? ", width 16 smoothed" : "");
    if (pile.error.empty()) {
      card.target(figure,
                  "read, drawn and saved in Keys " + fixed(pile.keysms, 1) + " ms / Automap " +
                      fixed(pile.automapms, 1) + " ms = " + fixed(pile.ratio(), 3) +
                      " (target <= " + fixed(piletarget, 2) + ")",
                  pile.ratio() <= piletarget);
    } else {
      card.target(figure, pile.error, false);
    }
  }
  if (pages) {
    const std::string figure = "web pages, every map at " + dims(smallsize, smallsize);
    if (pages->error.empty()) {
      card.target(figure,
                  std::to_string(pages->maps) + " pages, " +
                      fixed(static_cast<double>(pages->bytes) / 1e6, 1) + " MB, " + fixed(pages->pagems, 1) +
                      " ms / PNG floor " + fixed(pages->floorms, 1) + " ms = " + fixed(pages->ratio(), 3) +
                      " (target <= " + fixed(pagestarget, 2) + ")",
                  pages->ratio() <= pagestarget);
    } else {
      card.target(figure, pages->error, false);
    }
  }
  if (batch) {
    const bool clean = batch->error.empty() && batch->firststatus == 0 && batch->secondstatus == 0 &&
                       batch->files == batch->maps;
    const std::string unclean = clean ? "" : "; the runs did not finish cleanly or files are missing";
    const double ratio = batch->firstms / batch->floorwall;
    card.target("batch, " + std::to_string(batch->maps) + " maps of " + std::to_string(batch->wads.size()) +
                    " WADs at " + dims(smallsize, smallsize),
                "wall " + fixed(batch->firstms, 1) + " ms / single-core floor " + fixed(batch->floorwall, 1) +
                    " ms = " + fixed(ratio, 3) + " (target <= " + fixed(batchtarget, 2) + ")" + unclean,
                clean && ratio <= batchtarget);
    const double skip = batch->secondms / batch->firstms;
    card.target("batch again with --skip-existing",
                "wall " + fixed(batch->secondms, 1) + " ms / first run " + fixed(batch->firstms, 1) +
                    " ms = " + fixed(skip, 4) + " (target < " + fixed(skiptarget, 2) + ")" + unclean,
                clean && skip < skiptarget);
  }
  for (const outsidecost& c : outsidecosts) {
    // The drawing is what the lines cost; the PNG encoding depends on what the image shows.
    const double ratio = c.outsidedrawms / c.insidedrawms;
    card.target("lines far outside, " + dims(c.width, c.height),
                "render at margin " + std::to_string(c.outsidemargin) + " " + fixed(c.outsidedrawms, 2) +
                    " ms vs margin " + std::to_string(c.insidemargin) + " " + fixed(c.insidedrawms, 2) +
                    " ms = " + fixed(ratio, 3) + " (target <= " + fixed(outsidetarget, 2) +
                    "; with the PNG " + fixed(c.outside() / c.inside(), 3) + ")",
                ratio <= outsidetarget);
  }
  for (const densecost& c : densecosts) {
    const std::string figure = std::to_string(latticelines) + (c.colour == red ? " opaque" : " translucent") +
                               " lines at " + dims(densesize, densesize);
    const std::string detail = "render " + fixed(c.renderms, 1) + " ms vs one PNG encode " +
                               fixed(c.floorms, 1) + " ms = " + fixed(c.renderms / c.floorms, 3);
    if (c.colour == red) {
      card.info(figure, detail);
    } else {
      card.target(figure, detail + " (target < 1)", c.renderms < c.floorms);
    }
  }
  if (compact) compactsummary(card, *compact);
  if (streams) streamsummary(card, *streams);
  say("Load average (1, 5, 15 min) at end: " + loadaverage());
  say("bench: " + std::to_string(card.met()) + " of " + std::to_string(card.met() + card.missed()) +
      " targets met");
  std::error_code ignored;
  std::filesystem::remove_all(work, ignored);
  return card.missed() == 0 ? 0 : 1;
}

}  // namespace tracewell::bench

int main(int argc, char** argv) {
  return tracewell::bench::run(argc, argv);
}
