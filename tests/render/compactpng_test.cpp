// The compact PNG encoder: every image decodes to the standard writer's pixels, palettes sized by the colour
// count, bands joined into one stream whatever the cores, and a full disk mid-image.
#include "render/compactpng.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdio>
#include <filesystem>
#include <set>

#include "render/deflatebands.h"
#include "render/png.h"
#include "testlib/harness.h"
#include "testlib/pngdecode.h"

namespace tracewell {
namespace {

namespace fs = std::filesystem;
using testkit::decodedpng;
using testkit::decodepng;
using testkit::readfile;
using testkit::tempdir;
using testkit::writefile;

text pathtext(const fs::path& p) {
  return fromutf8(p.string());
}

// How the colours of a test image are made.
enum class look {
  distinct,    // opaque colours differing in red, green and blue
  alphaonly,   // one red, green and blue; the alpha differs
  clearfield,  // transparent black all over, a few opaque and half-transparent colours on it
  late,        // row y holds only the first y + 1 colours: the palette grows row by row
};

// The compact file at `path`, opened and put in place as the program does.
outputstatus writecompact(const TPixmap& p, const text& path, std::size_t cores = 1) {
  outputfile out = outputfile::open(path);
  const outputstatus written = WritePNG(p, out, 5, pngencoding::compact, cores);
  return written.ok() ? out.commit() : written;
}

// Colour `i` of `n` for `l`, as 0xAARRGGBB.
std::uint32_t colour(look l, std::uint32_t i, std::uint32_t n) {
  switch (l) {
    case look::distinct:
    case look::late:
      return 0xFF000000u | (i * 0x9E3779B1u & 0x00FFFFFFu);
    case look::alphaonly:
      return (255 - i * 255 / std::max(n - 1, 1u)) << 24 | 0x00346587u;
    case look::clearfield:
      return i == 0 ? 0 : i % 2 == 1 ? 0xFF000000u | i * 0x0101u : 0x80000000u | i << 16;
  }
  return 0;
}

// A width x height image using colours 0 to n - 1 of `l`, every one of them
// when there are pixels enough, scattered so that rows differ.
std::unique_ptr<TPixmap> image(std::int32_t width, std::int32_t height, std::uint32_t n, look l) {
  auto p = TPixmap::Create(width, height);
  for (std::int32_t y = 0; y < height; ++y) {
    for (std::int32_t x = 0; x < width; ++x) {
      const auto k = static_cast<std::uint32_t>(y * width + x);
      // The clear field keeps transparent black on most pixels.
      std::uint32_t i = l == look::clearfield && k % 5 != 0 ? 0 : k * 37 % n;
      if (l == look::late) i = static_cast<std::uint32_t>(x % (y + 1)) % n;
      p->WritePixel(x, y, static_cast<std::int32_t>(colour(l, i, n)));
    }
  }
  return p;
}

struct written {
  decodedpng compact, standard;
};

written bothways(const TPixmap& p, const tempdir& dir) {
  EXPECT_TRUE(WritePNG(p, pathtext(dir / "s.png"), 5).ok());
  EXPECT_TRUE(writecompact(p, pathtext(dir / "c.png")).ok());
  return {decodepng(dir / "c.png"), decodepng(dir / "s.png")};
}

TEST(CompactPng, DecodesToTheStandardPixelsWithTheSmallestPaletteDepth) {
  tempdir dir;
  struct {
    std::int32_t width, height;
    std::uint32_t colours;
    look l;
    int depth;  // IHDR's bit depth; 0: RGBA
  } cases[] = {
      {1, 1, 1, look::distinct, 1},      {7, 3, 1, look::distinct, 1},
      {7, 3, 2, look::distinct, 1},      {9, 5, 3, look::distinct, 2},
      {5, 4, 4, look::distinct, 2},      {31, 3, 16, look::distinct, 4},
      {33, 5, 17, look::distinct, 8},    {17, 16, 256, look::distinct, 8},
      {4097, 3, 256, look::distinct, 8}, {17, 16, 257, look::distinct, 0},
      {4097, 3, 257, look::distinct, 0}, {1, 300, 300, look::distinct, 0},
      {3, 1, 3, look::alphaonly, 2},     {15, 2, 16, look::alphaonly, 4},
      {16, 16, 256, look::alphaonly, 8}, {11, 7, 2, look::clearfield, 1},
      {13, 9, 9, look::clearfield, 4},   {4097, 3, 200, look::clearfield, 8},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height) + ", " +
                 std::to_string(c.colours) + " colours, look " + std::to_string(static_cast<int>(c.l)));
    const auto p = image(c.width, c.height, c.colours, c.l);
    const written w = bothways(*p, dir);
    ASSERT_TRUE(w.compact.ok);
    ASSERT_TRUE(w.standard.ok);
    EXPECT_EQ(w.compact.width, w.standard.width);
    EXPECT_EQ(w.compact.height, w.standard.height);
    EXPECT_TRUE(w.compact.bytes == w.standard.bytes);
    ASSERT_EQ(w.compact.ihdr.size(), 13u);
    EXPECT_EQ(w.compact.ihdr[8], c.depth == 0 ? 8 : c.depth);
    EXPECT_EQ(w.compact.ihdr[9], c.depth == 0 ? 6 : 3);
    // tRNS only where some pixel is not opaque.
    bool translucent = false;
    for (std::size_t i = 3; i < w.standard.bytes.size(); i += 4) translucent |= w.standard.bytes[i] != 0xFF;
    std::vector<std::string> chunks = {"IHDR"};
    if (c.depth != 0) chunks.push_back("PLTE");
    if (c.depth != 0 && translucent) chunks.push_back("tRNS");
    chunks.insert(chunks.end(), {"IDAT", "IEND"});
    EXPECT_EQ(w.compact.chunks, chunks);
  }
}

// Over 4 MiB of RGBA data is deflated in bands: the stream libpng reads back
// is whole, and its bytes are the same whether the bands ran side by side or
// one after another on a machine whose cores are all taken.
TEST(CompactPng, BandsGiveOneStreamWhateverTheCores) {
  tempdir dir;
  constexpr std::int32_t width = 1031, height = 1100;
  ASSERT_GE(bandcount(height, 1 + 4 * width), 2u);
  auto p = TPixmap::Create(width, height);
  for (std::int32_t y = 0; y < height; ++y) {
    for (std::int32_t x = 0; x < width; ++x)
      p->WritePixel(x, y,
                    static_cast<std::int32_t>(0xFF000000u | ((x * 7 + y * 3) & 0x3FF) << 6 | (x ^ y) % 7));
  }
  const written w = bothways(*p, dir);
  ASSERT_TRUE(w.compact.ok);
  EXPECT_TRUE(w.compact.bytes == w.standard.bytes);
  EXPECT_EQ(w.compact.ihdr[9], 6);
  // c.png was written on one thread; more threads than bands as well.
  for (const std::size_t cores : {2, 3, 64}) {
    ASSERT_TRUE(writecompact(*p, pathtext(dir / "spread.png"), cores).ok());
    EXPECT_EQ(readfile(dir / "spread.png"), readfile(dir / "c.png")) << cores;
  }
}

// A file-size limit reached in the middle of the bands is the file's failure: the old file stays and no
// temporary file is left.
TEST(CompactPngDeathTest, AFullDiskDuringTheBandsKeepsTheOldFile) {
  tempdir dir;
  const fs::path f = dir / "old.png";
  writefile(f, "keep me");
  EXPECT_EXIT(
      {
        auto p = TPixmap::Create(1024, 1100);
        std::uint32_t seed = 1;
        for (std::int32_t y = 0; y < 1100; ++y) {
          for (std::int32_t x = 0; x < 1024; ++x) {
            seed = seed * 1664525u + 1013904223u;
            p->WritePixel(x, y, static_cast<std::int32_t>(seed | 0xFF000000u));
          }
        }
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = 1 << 20;
        setrlimit(RLIMIT_FSIZE, &limit);
        const outputstatus s = writecompact(*p, pathtext(f));
        std::exit(!s.ok() && s.error().why == failure::reason::writefailed ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(readfile(f), "keep me");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace tracewell
