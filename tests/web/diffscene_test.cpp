// The picture of a diff: each kind of change in its colour where it lies, and the crop around the changes.
#include "render/diffscene.h"

#include <gtest/gtest.h>

#include "render/diffmark.h"
#include "render/pixmap.h"
#include "render/schemelook.h"
#include "testlib/mapedit.h"
#include "web/svg.h"

namespace tracewell {
namespace {

using testkit::linesandthings;

std::int32_t colorof(diffmark m) {
  return lookof(m).fallback;
}

TEST(DiffScene, EachChangeInItsColourWhereItLies) {
  // A room 0..512; the new version moves the top wall up, changes the east wall's special, moves an
  // imp 32 units, removes a shotgun, adds a medikit and changes a zombie's skills.
  const map older = linesandthings({{0, 0, 512, 0}, {512, 0, 512, 512}, {512, 512, 0, 512}, {0, 512, 0, 0}},
                                   {{3001, 100, 100}, {2001, 400, 100}, {3004, 100, 400}});
  map newer = linesandthings({{0, 0, 512, 0}, {512, 0, 512, 512}, {512, 600, 0, 600}, {0, 512, 0, 0}},
                             {{3001, 132, 100}, {2012, 400, 400}, {3004, 100, 400}});
  newer.linedefs[1].special = 1;
  (*newer.things)[2].skills = 0x03;
  const mapdiff d = diffmaps(older, newer);
  ASSERT_EQ(d.lines.size(), 3u);   // one removed, one added, one changed
  ASSERT_EQ(d.things.size(), 4u);  // removed, added, moved, changed

  schemelook look;
  look.background = static_cast<std::int32_t>(0xFF000000u);
  const result<scene> made = makediffscene(older, newer, d, 200, 200, 10, look, false);
  ASSERT_TRUE(made.ok());
  const scene& s = made.value();
  const auto image = TPixmap::Create(s.width, s.height, TPixmap::RGBA, 4);
  ASSERT_TRUE(image);
  drawscene(s, *image);
  // The union of both versions: 0..512 across, 0..600 up.
  EXPECT_EQ(s.bounds.leastx, 0);
  EXPECT_EQ(s.bounds.greatestx, 512);
  EXPECT_EQ(s.bounds.leasty, -600);
  EXPECT_EQ(s.bounds.greatesty, 0);
  const auto at = [&](std::int64_t x, std::int64_t y) {
    return image->ReadPixel(static_cast<std::int32_t>(s.fit.column(x)),
                            static_cast<std::int32_t>(s.fit.row(-y)));
  };
  // Line midpoints, stored y.
  EXPECT_EQ(at(256, 0), colorof(diffmark::same));
  EXPECT_EQ(at(256, 512), colorof(diffmark::removed));
  EXPECT_EQ(at(256, 600), colorof(diffmark::added));
  EXPECT_EQ(at(512, 256), colorof(diffmark::changed));
  // The way of the moved imp runs from 100 to 132.
  EXPECT_EQ(at(116, 100), colorof(diffmark::moved));
  // Each thing's marker has a pixel of its colour within its radius; the unchanged zombie at 100,400
  // is changed (skills), none is drawn for what stayed.
  const auto near = [&](std::int64_t x, std::int64_t y, diffmark m) {
    const std::int64_t cx = s.fit.column(x), cy = s.fit.row(-y), r = s.markerradius;
    for (std::int64_t py = cy - r; py <= cy + r; ++py) {
      for (std::int64_t px = cx - r; px <= cx + r; ++px) {
        if (px >= 0 && py >= 0 && px < s.width && py < s.height &&
            image->ReadPixel(static_cast<std::int32_t>(px), static_cast<std::int32_t>(py)) == colorof(m)) {
          return true;
        }
      }
    }
    return false;
  };
  EXPECT_TRUE(near(400, 100, diffmark::removed));
  EXPECT_TRUE(near(400, 400, diffmark::added));
  EXPECT_TRUE(near(100, 400, diffmark::changed));
  EXPECT_TRUE(near(132, 100, diffmark::moved));

  // As SVG, each mark is a path of its own class and colour, and the markers say theirs beside the kind.
  std::string svg;
  ASSERT_TRUE(writesvg(s, svgnames{u"MAP01", u"new.wad"}, [&](std::string_view piece) {
    svg += piece;
    return true;
  }));
  for (const auto& [want, count] : std::vector<std::pair<std::string, std::size_t>>{
           {"<path class=\"diff-same\" stroke=\"#505050\"", 1},
           {"<path class=\"diff-removed\" stroke=\"#ff3030\"", 1},
           {"<path class=\"diff-changed\" stroke=\"#ffd700\"", 1},
           {"<path class=\"diff-added\" stroke=\"#30e030\"", 1},
           {"<path class=\"diff-moved\" stroke=\"#00e0ff\"", 1},
           {"<g class=\"diff-moved thing-monster\" stroke=\"#00e0ff\"", 1},
           {"<g class=\"diff-removed thing-item\"", 1}}) {
    std::size_t found = 0;
    for (std::size_t at = svg.find(want); at != std::string::npos; at = svg.find(want, at + 1)) ++found;
    EXPECT_EQ(found, count) << want;
  }
}

TEST(DiffScene, CropFitsTheChangesAndAMargin) {
  // Far apart walls; only the short one near the origin changes.
  const map older = linesandthings({{0, 0, 64, 0}, {5000, 5000, 6000, 5000}}, {});
  map newer = older;
  newer.linedefs[0].special = 11;
  const mapdiff d = diffmaps(older, newer);
  const result<scene> cropped = makediffscene(older, newer, d, 100, 100, 0, schemelook{}, true);
  ASSERT_TRUE(cropped.ok());
  // A tenth of 64 is under the least margin of 128 units.
  const mapbounds& b = cropped.value().bounds;
  EXPECT_EQ((std::array{b.leastx, b.leasty, b.greatestx, b.greatesty}),
            (std::array<std::int64_t, 4>{-128, -128, 64 + 128, 128}));
  // A long change widens by a tenth of its extent.
  map longer = linesandthings({{0, 0, 5000, 0}}, {});
  map longernew = longer;
  longernew.linedefs[0].flags = 1;
  const result<scene> wide =
      makediffscene(longer, longernew, diffmaps(longer, longernew), 100, 100, 0, schemelook{}, true);
  ASSERT_TRUE(wide.ok());
  EXPECT_EQ(wide.value().bounds.leastx, -500);
  EXPECT_EQ(wide.value().bounds.greatestx, 5500);
}

}  // namespace
}  // namespace tracewell
