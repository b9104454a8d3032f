// The size of a whole PNG file, and no size for one cut short or followed by anything.
#include "render/pngsize.h"

#include <gtest/gtest.h>

#include "render/png.h"
#include "testlib/harness.h"

namespace tracewell {
namespace {

namespace fs = std::filesystem;

TEST(PngSize, OnlyAWholeFileHasASize) {
  testkit::tempdir dir;
  auto p = TPixmap::Create(3, 2);
  ASSERT_TRUE(WritePNG(*p, fromutf8((dir / "a.png").string()), 5).ok());
  const std::string whole = testkit::readfile(dir / "a.png");
  const auto size = [&](const std::string& bytes) {
    testkit::writefile(dir / "b.png", bytes);
    const auto s = wholepngsize(fromutf8((dir / "b.png").string()));
    return s ? std::to_string(s->width) + "x" + std::to_string(s->height) : std::string("none");
  };
  EXPECT_EQ(size(whole), "3x2");
  for (std::size_t cut = 0; cut < whole.size(); ++cut) EXPECT_EQ(size(whole.substr(0, cut)), "none") << cut;
  EXPECT_EQ(size(whole + "x"), "none");
  std::string wide = whole;
  wide[16] = '\x01';  // width 2^24 + 3: only the header is read
  EXPECT_EQ(size(wide), "16777219x2");
  wide[16] = '\x80';  // past 2^31 - 1
  EXPECT_EQ(size(wide), "none");
  EXPECT_EQ(size("not a picture at all, but long enough to hold a header and an end"), "none");
  EXPECT_FALSE(wholepngsize(fromutf8((dir / "missing.png").string())));
  EXPECT_FALSE(wholepngsize(fromutf8(dir.path().string())));
}

}  // namespace
}  // namespace tracewell
