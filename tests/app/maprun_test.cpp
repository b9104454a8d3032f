// An ALL run with several maps in flight prints, writes and stops exactly as the run of one map after
// another.
#include "app/maprun.h"

#include <gtest/gtest.h>

#include <map>
#include <new>
#include <stdexcept>
#include <thread>

#include "app/console.h"
#include "apptest.h"
#include "wad/wad.h"

namespace tracewell {
namespace {

namespace fs = std::filesystem;
using testkit::runscripted;

// What one run left: the console, the exit status and every file in out/.
struct outcome {
  testkit::session s;
  std::map<std::string, std::string> files;
};

class MapRun : public testkit::toolfolder {
 protected:
  outcome run(const char* wadfile, std::size_t inflight, std::int32_t width,
              const text& pattern = u"out/%.png", std::int32_t height = 96) {
    fs::remove_all(dir / "out");
    fs::create_directories(dir / "out" / "MAP04.png");  // a folder where a picture should go
    const auto c = load();
    EXPECT_TRUE(c->openwad(fromutf8(wadfile)).ok());
    c->mapname = u"ALL";
    c->format = wad::DOOM;
    c->scheme = c->getscheme(u"Red");
    c->outputpath = pattern;
    c->width = width;
    c->height = width > 100000 ? width : height;
    c->run->inflight = inflight;
    outcome o;
    o.s = runscripted("\n", [&] { c->do_(); });
    for (const auto& e : fs::directory_iterator(dir / "out")) {
      if (e.is_regular_file()) o.files[e.path().filename()] = testkit::readfile(e.path());
    }
    return o;
  }
};

// Rooms of growing size, a name with no map behind it, a picture that cannot
// be written and, in one WAD, a map whose lines name a vertex it lacks: a
// fatal stop in the middle of the run.
TEST_F(MapRun, SameLinesFilesAndStopsAsOneMapAfterAnother) {
  for (const bool broken : {false, true}) {
    testkit::wadbuilder b;
    for (int i = 1; i <= 9; ++i) {
      const std::string name = "MAP0" + std::to_string(i);
      if (i == 3) {
        b.addlump(name);
        continue;
      }
      testkit::mapdata m = testkit::squaremap(wad::DOOM, 64 * i);
      if (broken && i == 6) m.linedefs[2].endvertex = 99;
      b.addmap(name, m);
    }
    b.write(dir / "many.wad");
    // 128 x 96 pictures, or 200000 x 200000 ones that no buffer can hold.
    for (const std::int32_t width : {128, 200000}) {
      const outcome serial = run("many.wad", 1, width);
      EXPECT_EQ(serial.files.size(), width == 128 ? (broken ? 3u : 7u) : 0u) << serial.s.out;
      for (const std::size_t n : {2u, 3u, 8u}) {
        const outcome side = run("many.wad", n, width);
        EXPECT_EQ(side.s.out, serial.s.out) << n << " " << broken << " " << width;
        EXPECT_EQ(side.s.err, serial.s.err);
        EXPECT_EQ(side.s.exitstatus, serial.s.exitstatus);
        EXPECT_TRUE(side.files == serial.files) << n << " " << broken << " " << width;
      }
    }
  }
}

// A map of many lines takes longer to encode than a bare room after it: both
// into one file, directly or through a link, the room's picture must win.
TEST_F(MapRun, MapsSharingAFileEndItAsOneAfterAnother) {
  testkit::mapdata fan = testkit::squaremap();
  for (int i = 0; i < 30000; ++i) {
    fan.vertexes.push_back({(i * 7919) % 4096, (i * 613) % 4096});
    fan.linedefs.push_back({0, static_cast<std::int32_t>(fan.vertexes.size() - 1), 0, 0, 0, 0, -1, {}});
  }
  testkit::wadbuilder b;
  b.addmap("MAP01", fan);
  b.addmap("MAP02", testkit::squaremap());
  b.write(dir / "two.wad");
  fs::create_symlink("out/same.png", dir / "link.png");
  const outcome serial = run("two.wad", 1, 1024, u"out/same.png", 1024);
  for (const text pattern : {u"out/same.png", u"link.png"}) {
    EXPECT_TRUE(run("two.wad", 2, 1024, pattern, 1024).files == serial.files) << toutf8(pattern);
  }
}

// At most a gibibyte of buffers in flight, at most one map per core.
TEST(MapsInFlight, CoresWithinTheBufferBudget) {
  const std::size_t cores = std::max(std::thread::hardware_concurrency(), 1u);
  struct {
    std::int32_t width, height;
    std::size_t budget;  // 2^30 / (width x height x 4)
  } cases[] = {{16384, 16384, 1}, {16384, 8192, 2}, {8192, 8192, 4}, {4096, 4096, 16},
               {70000, 70000, 1}, {0, 96, 64},      {-5, -5, 64}};
  for (const auto& k : cases) {
    EXPECT_EQ(mapsinflight(k.width, k.height), std::min(cores, k.budget)) << k.width << " x " << k.height;
  }
}

}  // namespace
}  // namespace tracewell

namespace tracewell {
namespace {

// A map's job that throws, as a string growing past memory would, comes back through the pool as that
// map's failure, in its turn; the maps around it are untouched.
TEST(MapJobs, OneThatThrowsIsItsMapsFailure) {
  const auto recordof = [](const char16_t* name) {
    mapoutcome r;
    r.name = name;
    r.width = 640;
    r.height = 480;
    r.files = {{filekind::png, text(name) + u".png"}, {filekind::svg, text(name) + u".svg"}};
    return r;
  };
  const std::function<void(mapoutcome&)> jobs[] = {
      [](mapoutcome& r) {
        r.files[0].written = true;
        throw std::bad_alloc();
      },
      [](mapoutcome& r) { r.status = mapoutcome::state::written; },
      [](mapoutcome&) { throw std::runtime_error("disk on fire"); },
  };
  const char16_t* names[] = {u"MAP01", u"MAP02", u"MAP03"};
  std::vector<mapoutcome> delivered;
  orderedpool<mapoutcome> pool(3);
  for (std::size_t i = 0; i < 3; ++i) {
    pool.submit([&, i] { return guardedjob(recordof(names[i]), jobs[i]); },
                [&](mapoutcome& r) { delivered.push_back(r); });
  }
  pool.drain([&](mapoutcome& r) { delivered.push_back(r); });
  ASSERT_EQ(delivered.size(), 3u);
  EXPECT_EQ(delivered[0].status, mapoutcome::state::failed);
  EXPECT_EQ(delivered[0].errors, std::vector<text>{toolargeline(640, 480, u"MAP01")});
  EXPECT_TRUE(delivered[0].files[0].written);  // what was settled before the throw stays
  EXPECT_EQ(delivered[1].status, mapoutcome::state::written);
  EXPECT_TRUE(delivered[1].errors.empty());
  EXPECT_EQ(delivered[2].status, mapoutcome::state::failed);
  EXPECT_EQ(delivered[2].errors,
            std::vector<text>{u"Failed to output \"MAP03\": disk on fire. Image not outputted."});
}

}  // namespace
}  // namespace tracewell
