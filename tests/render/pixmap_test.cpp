// Pixel buffer: sizes, limits, pixel byte order and clipping of single pixels.
#include "render/pixmap.h"

#include <gtest/gtest.h>

#include "testlib/pixels.h"

namespace tracewell {
namespace {

TEST(Pixmap, StorageFollowsWidthPitchAndTheFourGibibyteLimit) {
  struct {
    std::int32_t width, height, format, align;
    std::int64_t want;  // -1: refused
  } cases[] = {
      {3, 2, 6, 4, 24},
      {3, 2, 6, 8, 32},  // rows padded to 16 bytes
      {3, 2, 6, 0, 24},  // no alignment counts as 1
      {65536, 16384, 6, 4, std::int64_t{1} << 32},
      {65536, 16385, 6, 4, -1},
      {1073741824, 1, 6, 4, std::int64_t{1} << 32},
      {1073741825, 1, 6, 4, -1},
      {2147483647, 2147483647, 6, 4, -1},
      {0, 5, 6, 4, 0},
      {-7, -7, 6, 4, 0},
      {4, 4, 5, 4, -1},  // only RGBA buffers exist
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TPixmap::StorageSize(c.width, c.height, c.format, c.align), c.want)
        << c.width << " x " << c.height << " align " << c.align;
  }
  EXPECT_EQ(TPixmap::Create(65536, 16385), nullptr);
  EXPECT_EQ(TPixmap::Create(2147483647, 2147483647), nullptr);
  EXPECT_EQ(TPixmap::Create(-2147483647 - 1, 2147483647)->capacity(), 0);
}

TEST(Pixmap, SizesBelowOneGiveABufferWithoutPixels) {
  for (auto [w, h] : {std::pair{0, 5}, {5, 0}, {-3, 4}, {-1, -1}}) {
    auto p = TPixmap::Create(w, h);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->width(), std::max(w, 0));
    EXPECT_EQ(p->height(), std::max(h, 0));
    EXPECT_EQ(p->capacity(), 0);
    p->ClearPixels(-1);
    EXPECT_EQ(p->WritePixel(0, 0, -1), 0);
    EXPECT_EQ(p->ReadPixel(0, 0), 0);
    EXPECT_EQ(p->PixelPtr(0, 0), nullptr);
  }
}

TEST(Pixmap, PixelsAreStoredAsRedGreenBlueAlpha) {
  auto p = TPixmap::Create(3, 2);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->pitch(), 12);
  EXPECT_EQ(p->format(), 6);
  p->ClearPixels(0);
  p->WritePixel(2, 1, testkit::argb(0x80FF0000));
  EXPECT_EQ(p->ReadPixel(2, 1), -2130771968);
  const std::uint8_t* b = p->PixelPtr(2, 1);
  EXPECT_EQ(b - p->PixelPtr(0, 0), 1 * 12 + 2 * 4);
  EXPECT_EQ((std::vector<int>{b[0], b[1], b[2], b[3]}), (std::vector<int>{0xFF, 0, 0, 0x80}));
  p->WritePixel(0, 0, 0x11223344);
  const std::uint8_t* a = p->PixelPtr(0, 0);
  EXPECT_EQ((std::vector<int>{a[0], a[1], a[2], a[3]}), (std::vector<int>{0x22, 0x33, 0x44, 0x11}));
}

TEST(Pixmap, PointsOutsideAreSkippedNotClamped) {
  auto p = TPixmap::Create(4, 3);
  ASSERT_NE(p, nullptr);
  p->ClearPixels(7);
  for (auto [x, y] : {std::pair<std::int64_t, std::int64_t>{-1, 0},
                      {4, 0},
                      {0, -1},
                      {0, 3},
                      {-1, -1},
                      {std::int64_t{1} << 40, 0},
                      {0, -(std::int64_t{1} << 40)}}) {
    EXPECT_EQ(p->WritePixel(x, y, -1), 0);
    EXPECT_EQ(p->ReadPixel(x, y), 0);
    EXPECT_EQ(p->PixelPtr(x, y), nullptr);
  }
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 4; ++x) EXPECT_EQ(p->ReadPixel(x, y), 7);
  }
}

TEST(Pixmap, ClearFillsEveryPixelOfPaddedAndOddRows) {
  for (std::int32_t align : {1, 3, 4, 8, 64}) {
    auto p = TPixmap::Create(5, 3, 6, align);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->pitch() % align, 0);
    EXPECT_GE(p->pitch(), 20);
    p->ClearPixels(testkit::argb(0xFF000000));
    p->ClearPixels(0x01020304);
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < 5; ++x) EXPECT_EQ(p->ReadPixel(x, y), 0x01020304) << align;
    }
  }
}

}  // namespace
}  // namespace tracewell
