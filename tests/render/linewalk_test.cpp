// The fast paths of the line walk and the pixel buffer against the plain rules: the blend of
// translucent colours on whole pixel words, long walks with their lookahead, and buffers large
// enough for large-page storage.
#include <gtest/gtest.h>

#include <random>

#include "plainline.h"
#include "render/draw.h"
#include "testlib/pixels.h"

namespace tracewell {
namespace {

using testkit::plainline;

// A buffer of `w` x `h` whose pixels are all different and cover every
// channel value, alpha 0 and 255 included.
std::unique_ptr<TPixmap> patterned(std::int32_t w, std::int32_t h, std::uint32_t seed) {
  auto p = TPixmap::Create(w, h);
  std::mt19937 rng(seed);
  for (std::int32_t y = 0; y < h; ++y) {
    for (std::int32_t x = 0; x < w; ++x) {
      const std::uint32_t a = (x + y * w) % 4 == 0 ? ((x + y) % 2) * 255 : rng() & 0xFF;
      p->WritePixel(x, y, static_cast<std::int32_t>(a << 24 | (rng() & 0xFFFFFF)));
    }
  }
  return p;
}

using testkit::samepixels;

TEST(LineWalk, EveryTranslucentAlphaBlendsLikeBlendColor) {
  std::mt19937 rng(7);
  for (std::uint32_t alpha = 0; alpha <= 255; ++alpha) {
    // The extreme channel values and a random colour, each over every kind of pixel.
    const std::uint32_t random = static_cast<std::uint32_t>(rng()) & 0xFFFFFFu;
    for (const std::uint32_t rgb : {0x000000u, 0xFFFFFFu, random}) {
      const auto color = static_cast<std::int32_t>(alpha << 24 | rgb);
      auto got = patterned(61, 4, alpha), want = patterned(61, 4, alpha);
      for (std::int32_t y = 0; y < 4; ++y) {
        ASSERT_EQ(drawline(*got, 0, y, 60, y, color), plainline(*want, 0, y, 60, y, color));
      }
      ASSERT_TRUE(samepixels(*got, *want)) << std::hex << color;
    }
  }
}

TEST(LineWalk, LongSlantedWalksMatchThePlainWalk) {
  std::mt19937_64 rng(31);
  // Lines from a few pixels to far longer than the lookahead, often leaving the buffer.
  std::uniform_int_distribution<std::int64_t> coord(-150, 270);
  for (int round = 0; round < 1500; ++round) {
    const std::int64_t x0 = coord(rng), y0 = coord(rng), x1 = coord(rng), y1 = coord(rng);
    const auto color = static_cast<std::int32_t>(round % 3 == 0 ? 0xFF20C040u : 0x9F8040C0u);
    auto got = patterned(120, 80, 5), want = patterned(120, 80, 5);
    ASSERT_EQ(drawline(*got, x0, y0, x1, y1, color), plainline(*want, x0, y0, x1, y1, color));
    ASSERT_TRUE(samepixels(*got, *want)) << x0 << "," << y0 << " to " << x1 << "," << y1;
  }
}

TEST(LineWalk, LargeBuffersClearAndDrawToTheirLastPixel) {
  // Above 2 MiB of storage, with unpadded and with padded rows.
  for (const std::int32_t align : {4, 4096}) {
    auto got = TPixmap::Create(1000, 700, TPixmap::RGBA, align);
    auto want = TPixmap::Create(1000, 700, TPixmap::RGBA, align);
    ASSERT_NE(got, nullptr);
    ASSERT_NE(want, nullptr);
    got->ClearPixels(0x11223344);
    std::int64_t cleared = 0;
    for (std::int32_t y = 0; y < 700; ++y) {
      for (std::int32_t x = 0; x < 1000; ++x) cleared += got->ReadPixel(x, y) == 0x11223344;
    }
    EXPECT_EQ(cleared, 700000);
    want->ClearPixels(0x11223344);
    const struct {
      std::int64_t x0, y0, x1, y1;
      std::uint32_t color;
    } lines[] = {{0, 0, 999, 699, 0xFFFFFFFF},
                 {999, 0, 0, 699, 0x80000000},
                 {0, 699, 999, 699, 0x40FF0000},
                 {999, 699, 999, 0, 0xFF00FF00},
                 {-5000, 350, 5000, 351, 0x7F0000FF}};
    for (const auto& l : lines) {
      const auto color = static_cast<std::int32_t>(l.color);
      ASSERT_EQ(drawline(*got, l.x0, l.y0, l.x1, l.y1, color),
                plainline(*want, l.x0, l.y0, l.x1, l.y1, color));
    }
    EXPECT_TRUE(samepixels(*got, *want)) << align;
    EXPECT_EQ(got->ReadPixel(999, 699), testkit::argb(0xFF00FF00));
  }
}

}  // namespace
}  // namespace tracewell
