// Pixel helpers for image tests: ARGB literals and a whole-image comparison naming the first difference.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <ios>

namespace tracewell::testkit {

// An ARGB colour written as 0xAARRGGBB, as the signed value the drawing code takes.
constexpr std::int32_t argb(std::uint32_t v) {
  return static_cast<std::int32_t>(v);
}

// Whether two images (anything with width(), height() and ReadPixel(x, y),
// such as a pixel buffer) have the same size and pixels; names the first
// difference. A template, so that the test library needs no image type.
template <typename Image>
::testing::AssertionResult samepixels(const Image& a, const Image& b) {
  if (a.width() != b.width() || a.height() != b.height()) {
    return ::testing::AssertionFailure()
           << "size " << a.width() << "x" << a.height() << " against " << b.width() << "x" << b.height();
  }
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) {
      if (a.ReadPixel(x, y) != b.ReadPixel(x, y)) {
        return ::testing::AssertionFailure() << "pixel " << x << "," << y << ": " << std::hex
                                             << a.ReadPixel(x, y) << " against " << b.ReadPixel(x, y);
      }
    }
  }
  return ::testing::AssertionSuccess();
}

}  // namespace tracewell::testkit
