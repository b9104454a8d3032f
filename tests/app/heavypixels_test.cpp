// The whole-WAD pixel checks, reading what heavydraw.sh drew once (freedoom2 at 1024x1024 in every
// delivered scheme, as standard PNG, SVG and compact PNG): the SVGs rasterised by an independent
// renderer agree with the PNGs, and the compact files hold the standard pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "testlib/harness.h"
#include "testlib/pngdecode.h"
#include "testlib/transcript.h"

namespace tracewell {
namespace {

namespace fs = std::filesystem;

const fs::path drawn = fs::path(TRACEWELL_HEAVY_DIR) / "pixels";

// The maps the fixture drew: every map of freedoom2, or its first only (sanitizer builds).
std::vector<std::string> mapnames() {
  std::vector<std::string> names;
  for (int i = 1; i <= (TRACEWELL_HEAVY_FIRST ? 1 : 32); ++i)
    names.push_back((i < 10 ? "MAP0" : "MAP") + std::to_string(i));
  return names;
}

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
  std::int64_t shown = 0, matched = 0;
  const auto w = static_cast<std::int64_t>(from.width), h = static_cast<std::int64_t>(from.height);
  for (std::int64_t y = 0; y < h; ++y) {
    for (std::int64_t x = 0; x < w; ++x) {
      const std::uint32_t p = from.pixel(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y));
      if (background(p, bg, tolerance)) continue;
      ++shown;
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
  return shown == 0 ? 1.0 : static_cast<double>(matched) / static_cast<double>(shown);
}

// Geometry is exact in the SVG writer's own tests; what varies between schemes is colour, markers,
// fallbacks and translucency. So the rich scheme (markers, key and action fallbacks) is checked on
// every map, every other on one map.
TEST(SvgOracle, RasterisedSvgsAgreeWithThePngs) {
  const struct {
    const char* scheme;
    bool everymap;
    int tolerance;  // per channel
    double least;   // share of drawn pixels that must agree, both ways
  } cases[] = {
      // Opaque and sharp: the same colour within one pixel.
      {"Keys", true, 0, 0.99},
      {"Automap", false, 0, 0.99},
      {"Paper", false, 0, 0.99},
      {"Overlay", false, 0, 0.99},
      {"Actions", false, 0, 0.99},
      // Translucent: the PNG blends the end points two lines share twice, one path paints them once;
      // at alpha 0x80 over this blue that is 56 apart in a channel, so the joints of short lines differ.
      {"Blueprint", false, 48, 0.95},
  };
  const testkit::tempdir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.scheme);
    std::vector<std::string> names = mapnames();
    if (!c.everymap) names.resize(1);
    double worst = 1, worstback = 1;
    for (const std::string& name : names) {
      const fs::path png = drawn / "standard" / c.scheme / (name + ".png"),
                     svg = drawn / "standard" / c.scheme / (name + ".svg"), raster = dir / (name + ".png");
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
    }
    std::printf("%s: worst PNG->SVG %.4f, SVG->PNG %.4f\n", c.scheme, worst, worstback);
    std::fflush(stdout);  // before the next child copies the buffer
  }
}

// Anti-aliased wide lines differ from the PNG's in coverage at every edge (the PNG centres a line on
// the pixels its ends fall in, the SVG on the exact fit), so a pixel oracle says little here; what
// the SVG must carry is each kind of line's class, colour and the scheme's width.
TEST(SvgOracle, PosterPathsCarryTheirClassAndWidth) {
  const std::string svg = testkit::readfile(drawn / "standard" / "Poster" / "MAP01.svg");
  EXPECT_NE(svg.find("stroke-width=\"3\" stroke-linecap=\"square\""), std::string::npos);
  EXPECT_EQ(svg.find("crispEdges"), std::string::npos);
  const std::regex path(
      R"re(<path class="([a-z-]+)" stroke="#[0-9a-f]{6}"( stroke-opacity="[0-9.]+")? d=")re");
  std::size_t paths = 0, classed = 0;
  for (std::size_t at = svg.find("<path "); at != std::string::npos; at = svg.find("<path ", at + 1)) {
    ++paths;
    classed += std::regex_search(svg.substr(at, 120), path, std::regex_constants::match_continuous) ? 1 : 0;
  }
  EXPECT_GE(paths, 4U);
  EXPECT_EQ(classed, paths);
}

// The compact encoding changes the files, never the pixels: every map in every delivered scheme.
TEST(CompactImages, HoldTheStandardPixelsInEveryDeliveredScheme) {
  std::size_t images = 0, palettes = 0;
  for (const std::string& scheme : testkit::filesin(drawn / "standard")) {
    for (const std::string& name : mapnames()) {
      const testkit::decodedpng standard = testkit::decodepng(drawn / "standard" / scheme / (name + ".png"));
      const testkit::decodedpng compact = testkit::decodepng(drawn / "compact" / scheme / (name + ".png"));
      ASSERT_TRUE(standard.ok && compact.ok) << scheme << " " << name;
      EXPECT_TRUE(compact.bytes == standard.bytes) << scheme << " " << name;
      ++images;
      palettes += compact.ihdr[9] == 3 ? 1 : 0;
    }
  }
  EXPECT_EQ(images, 7 * mapnames().size());
  EXPECT_GT(palettes, images / 2);
}

// png_encoding in the settings chooses the compact file, --png standard the standard one again.
TEST(CompactImages, TheSettingsKeyChoosesAndTheOptionOverrides) {
  const testkit::tempdir dir;
  std::string settings = testkit::readfile(fs::path(TRACEWELL_SOURCE_DIR) / "settings.txt");
  const std::size_t at = settings.find("default_scheme: Automap;");
  ASSERT_NE(at, std::string::npos);
  settings.insert(at, "png_encoding: Compact; ");
  testkit::writefile(dir / "settings.txt", settings);
  for (const char* png : {"", "standard"}) {
    std::vector<std::string> args = {testkit::freedoom2path(),
                                     "-m",
                                     "MAP01",
                                     "-s",
                                     "1024x1024",
                                     "-M",
                                     "16",
                                     "--settings",
                                     (dir / "settings.txt").string(),
                                     "-o",
                                     (dir / (std::string(png) + "%.png")).string()};
    if (*png != 0) args.insert(args.end(), {"--png", png});
    ASSERT_EQ(testkit::runprocess(TRACEWELL_EXE, args, "", dir.path()).status, 0);
  }
  EXPECT_EQ(testkit::readfile(dir / "MAP01.png"), testkit::readfile(drawn / "compact/Automap/MAP01.png"));
  EXPECT_EQ(testkit::readfile(dir / "standardMAP01.png"),
            testkit::readfile(drawn / "standard/Automap/MAP01.png"));
}

}  // namespace
}  // namespace tracewell
