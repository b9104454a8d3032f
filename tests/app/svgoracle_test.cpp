// Vector images against an independent renderer: each freedoom2 map's SVG, rasterised by rsvg-convert,
// agrees with its PNG pixel by pixel within one pixel, for every delivered scheme.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "testlib/harness.h"
#include "testlib/pngdecode.h"

namespace tracewell {
namespace {

namespace fs = std::filesystem;

// Whether `a` and `b` lie within `tolerance` of each other in every channel.
bool near(std::uint32_t a, std::uint32_t b, int tolerance) {
  for (int shift = 0; shift < 32; shift += 8) {
    if (std::abs(static_cast<int>((a >> shift) & 0xFFU) - static_cast<int>((b >> shift) & 0xFFU)) > tolerance)
      return false;
  }
  return true;
}

// Whether pixel `p` shows the background: equal to it within `tolerance` (a pixel as close as that
// could be either), or fully transparent over a fully transparent background, whatever its colour.
bool background(std::uint32_t p, std::uint32_t bg, int tolerance) {
  return near(p, bg, tolerance) || ((p >> 24) == 0 && (bg >> 24) == 0);
}

// The share of the pixels of `from` that show something, that have a pixel within one pixel in `to`
// that shows something too, of the same colour within `tolerance`.
double agreement(const testkit::decodedpng& from, const testkit::decodedpng& to, std::uint32_t bg,
                 int tolerance) {
  std::int64_t drawn = 0, matched = 0;
  const auto w = static_cast<std::int64_t>(from.width), h = static_cast<std::int64_t>(from.height);
  for (std::int64_t y = 0; y < h; ++y) {
    for (std::int64_t x = 0; x < w; ++x) {
      const std::uint32_t p = from.pixel(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y));
      if (background(p, bg, tolerance)) continue;
      ++drawn;
      bool found = false;
      for (std::int64_t dy = -1; dy <= 1 && !found; ++dy) {
        for (std::int64_t dx = -1; dx <= 1 && !found; ++dx) {
          const std::int64_t u = x + dx, v = y + dy;
          if (u < 0 || v < 0 || u >= w || v >= h) continue;
          const std::uint32_t q = to.pixel(static_cast<std::uint32_t>(u), static_cast<std::uint32_t>(v));
          found = !background(q, bg, tolerance) && near(p, q, tolerance);
        }
      }
      matched += found ? 1 : 0;
    }
  }
  return drawn == 0 ? 1.0 : static_cast<double>(matched) / static_cast<double>(drawn);
}

TEST(SvgOracle, RasterisedSvgsAgreeWithThePngsOfEveryScheme) {
  const std::string wad = testkit::freedoom2path();
  if (wad.empty()) GTEST_SKIP() << "freedoom2.wad is not installed";
  struct {
    const char* scheme;
    int tolerance;  // per channel
    double least;   // share of drawn pixels that must agree, both ways
  } cases[] = {
      // Opaque and sharp: the same colour within one pixel.
      {"Automap", 0, 0.99},
      {"Keys", 0, 0.99},
      {"Paper", 0, 0.99},
      {"Overlay", 0, 0.99},
      {"Actions", 0, 0.99},
      // Translucent: the PNG blends the end points two lines share twice, one path paints them once;
      // at alpha 0x80 over this blue that is 56 apart in a channel, so the joints of short lines differ.
      {"Blueprint", 48, 0.95},
      // Anti-aliased three-pixel lines: the PNG centres each line on the pixels its ends fall in, the
      // SVG on the exact fit, up to half a pixel away, so the smoothed edges differ in coverage.
      {"Poster", 48, 0.60},
  };
  const testkit::tempdir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.scheme);
    const fs::path folder = dir / c.scheme;
    fs::create_directories(folder);
    const testkit::processresult drawn = testkit::runprocess(
        TRACEWELL_EXE,
        {wad, "--all", "-c", c.scheme, "-s", "1024x1024", "-M", "16", "-o", folder.string() + "/%.png",
         "--extra", "svg", "--settings", std::string(TRACEWELL_SOURCE_DIR) + "/settings.txt"},
        "", dir.path());
    ASSERT_EQ(drawn.status, 0) << drawn.err;
    double worst = 1, worstback = 1;
    for (int i = 1; i <= 32; ++i) {
      const std::string name = (i < 10 ? "MAP0" : "MAP") + std::to_string(i);
      const fs::path png = folder / (name + ".png"), svg = folder / (name + ".svg"),
                     raster = folder / (name + ".rsvg.png");
      const testkit::processresult r =
          testkit::runprocess("/usr/bin/rsvg-convert", {svg.string(), "-o", raster.string()}, "", dir.path());
      ASSERT_EQ(r.status, 0) << name << ": " << r.err;
      const testkit::decodedpng a = testkit::decodepng(png), b = testkit::decodepng(raster);
      ASSERT_TRUE(a.ok && b.ok) << name;
      ASSERT_EQ(a.width, b.width);
      ASSERT_EQ(a.height, b.height);
      // Every delivered scheme leaves the image's corner clear.
      const std::uint32_t bg = a.pixel(0, 0);
      const double there = agreement(a, b, bg, c.tolerance), back = agreement(b, a, bg, c.tolerance);
      EXPECT_GE(there, c.least) << name << ": PNG pixels found in the SVG";
      EXPECT_GE(back, c.least) << name << ": SVG pixels found in the PNG";
      worst = std::min(worst, there);
      worstback = std::min(worstback, back);
      fs::remove(raster);
    }
    RecordProperty(std::string(c.scheme) + "_worst", std::to_string(worst) + " " + std::to_string(worstback));
    std::printf("%s: worst PNG->SVG %.4f, SVG->PNG %.4f\n", c.scheme, worst, worstback);
    std::fflush(stdout);  // before the next child copies the buffer
  }
}

}  // namespace
}  // namespace tracewell
