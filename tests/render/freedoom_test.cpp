// Real data: MAP01 of Debian's freedoom2.wad rendered end to end.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

#include "plainline.h"
#include "render/automap.h"
#include "render/png.h"
#include "testlib/harness.h"
#include "testlib/pixels.h"
#include "testlib/pngdecode.h"
#include "testlib/wadbuilder.h"

namespace tracewell {
namespace {

std::shared_ptr<map> loadmap(const text& name, bool withthings = false) {
  const std::string path = testkit::freedoom2path();
  if (path.empty()) return nullptr;
  auto w = testkit::readwad(bytestream::openread(fromutf8(path)));
  if (!w) return nullptr;
  auto made = map::Create(w->getmaplumps(name, wad::maplumps), wad::DOOM, {}, withthings);
  return made.ok() ? std::move(made).value() : nullptr;
}

std::shared_ptr<map> loadmap01() {
  return loadmap(u"MAP01");
}

// Renders MAP01 the way the tool does by default.
TEST(Freedoom2, Map01LooksLikeAnAutomap) {
  if (testkit::freedoom2path().empty()) GTEST_SKIP() << "freedoom2.wad is not installed";
  const auto m = loadmap01();
  ASSERT_TRUE(m);
  auto p = render(*m, 1024, 1024, 16, black, {}, {}, 1).value();
  ASSERT_NE(p, nullptr);

  std::map<std::int32_t, int> colours;
  std::int64_t left = 1024, right = -1, top = 1024, bottom = -1;
  for (int y = 0; y < 1024; ++y) {
    for (int x = 0; x < 1024; ++x) {
      const std::int32_t c = p->ReadPixel(x, y);
      ++colours[c];
      if (c == black) continue;
      left = std::min<std::int64_t>(left, x);
      right = std::max<std::int64_t>(right, x);
      top = std::min<std::int64_t>(top, y);
      bottom = std::max<std::int64_t>(bottom, y);
    }
  }
  // Only the fallback colours, with plenty of walls, steps and action lines.
  for (const auto& [c, n] : colours) {
    EXPECT_TRUE(c == black || c == red || c == brown || c == yellow) << std::hex << c;
  }
  EXPECT_GT(colours[red], 5000);
  EXPECT_GT(colours[brown], 500);
  EXPECT_GT(colours[yellow], 100);
  // The drawing stays inside the margins and its longer side spans them.
  EXPECT_GE(left, 16);
  EXPECT_GE(top, 16);
  EXPECT_LE(right, 1008);
  EXPECT_LE(bottom, 1008);
  EXPECT_TRUE((left == 16 && right == 1008) || (top == 16 && bottom == 1008))
      << left << " " << right << " " << top << " " << bottom;

  testkit::tempdir dir;
  ASSERT_TRUE(WritePNG(*p, fromutf8((dir / "MAP01.png").string()), 5).ok());
  const auto d = testkit::decodepng(dir / "MAP01.png");
  ASSERT_TRUE(d.ok);
  ASSERT_EQ(d.bytes.size(), 1024u * 1024u * 4u);
  EXPECT_EQ(std::memcmp(d.bytes.data(), p->PixelPtr(0, 0), d.bytes.size()), 0);
}

// MAP02 holds one key of each colour for skill 4; the Keys scheme's thing
// colours mark exactly those three with crosses.
TEST(Freedoom2, Map02KeysSchemeCrossesItsThreeKeys) {
  if (testkit::freedoom2path().empty()) GTEST_SKIP() << "freedoom2.wad is not installed";
  const auto m = loadmap(u"MAP02", true);
  ASSERT_TRUE(m && m->things);
  thinglook keys;  // the thing colours of the delivered Keys scheme
  const auto set = [&](thingkind k, std::uint32_t c) {
    return *(keys.colors[std::size_t(k)] = testkit::argb(c));
  };
  const std::multiset want{set(thingkind::keyred, 0xFFFF2020), set(thingkind::keyblue, 0xFF3060FF),
                           set(thingkind::keyyellow, 0xFFFFFF00)};
  set(thingkind::keyother, 0xFFFFFFFF);
  set(thingkind::start, 0xFF00FFFF);
  set(thingkind::monster, 0xFF802020);
  const auto markers = thingmarkers(*m, keys);
  std::multiset<std::int32_t> crosses;
  for (const scenemarker& t : markers)
    if (t.cross) crosses.insert(t.color);
  EXPECT_EQ(crosses, want);
  EXPECT_GT(markers.size(), 3u);  // starts and monsters are marked too
}

// Translucent lines, no margin and an image of other proportions than the map: every
// point is where the point-by-point walk puts it, the ones past the edge left out.
// On every map, and with the line style of a scheme that sets width 1 and no smoothing.
TEST(Freedoom2, EveryMapTranslucentMatchesThePlainWalk) {
  if (testkit::freedoom2path().empty()) GTEST_SKIP() << "freedoom2.wad is not installed";
  std::vector<std::int32_t> colours;  // -1 (opaque white) for the walls
  for (const std::uint32_t c : {0x40FFFFFFu, 0xB0FF8000u, 0x80FFFF00u, 0xB0FF8000u, 0xC000FF00u, 0xFFFFFFFFu,
                                0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFF00E0FFu})
    colours.push_back(testkit::argb(c));
  for (int number = 1; number <= static_cast<int>(testkit::freedoom2mapcount); ++number) {
    const text name = u"MAP" + fromutf8(std::string(number < 10 ? "0" : "") + std::to_string(number));
    const auto m = loadmap(name);
    ASSERT_TRUE(m) << toutf8(name);
    const std::vector<std::int32_t> order = {1, 2, 2, 2, 9, 3, 3, 3, 3, 9};
    for (auto [width, height] : {std::pair{300, 200}, {200, 300}, {257, 257}}) {
      schemelook look = schemelook::fromlists(testkit::argb(0xFF1C3F7A), colours, order, 1);
      look.style = linestyle::fromsettings(1, 0);
      auto p = render(*m, width, height, 0, look).value();
      ASSERT_NE(p, nullptr);
      auto want = TPixmap::Create(width, height);
      want->ClearPixels(testkit::argb(0xFF1C3F7A));
      std::int64_t lx = 0, ly = 0, gx = 0, gy = 0;
      const renderslots slots = getrenderlines(*m, lx, ly, gx, gy, 1).value();
      const mapfit f = mapfit::make(lx, ly, gx, gy, width, height, 0);
      for (std::int32_t pass : {1, 2, 3, 9}) {
        for (std::size_t i = 0; i < slots.size(); ++i) {
          if (!slots[i] || order[i] != pass) continue;
          for (const renderline& l : *slots[i]) {
            testkit::plainline(*want, f.column(l.x0), f.row(l.y0), f.column(l.x1), f.row(l.y1), colours[i]);
          }
        }
      }
      EXPECT_TRUE(testkit::samepixels(*p, *want)) << toutf8(name) << " " << width << "x" << height;
    }
  }
}

}  // namespace
}  // namespace tracewell
