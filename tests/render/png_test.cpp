// PNG writer: round trips through libpng's decoder, chunk layout, and nothing written when there is nothing
// to encode.
#include "render/png.h"

#include <gtest/gtest.h>

#include <filesystem>

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

std::unique_ptr<TPixmap> threebytwo() {
  auto p = TPixmap::Create(3, 2);
  const std::int32_t colours[] = {0x11223344, static_cast<std::int32_t>(0x80FF0000u), 0,
                                  -1,         static_cast<std::int32_t>(0xFF000000u), 0x7F010203};
  for (int i = 0; i < 6; ++i) p->WritePixel(i % 3, i / 3, colours[i]);
  return p;
}

text pathtext(const fs::path& p) {
  return fromutf8(p.string());
}

TEST(Png, RoundTripGivesTheBufferBytesAndOnlyTheCriticalChunks) {
  tempdir dir;
  auto p = threebytwo();
  ASSERT_TRUE(WritePNG(*p, pathtext(dir / "a.png"), 5).ok());
  const decodedpng d = decodepng(dir / "a.png");
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.width, 3u);
  EXPECT_EQ(d.height, 2u);
  const std::vector<std::uint8_t> want = {0x22, 0x33, 0x44, 0x11, 0xFF, 0, 0, 0x80, 0, 0, 0, 0,
                                          0xFF, 0xFF, 0xFF, 0xFF, 0,    0, 0, 0xFF, 1, 2, 3, 0x7F};
  EXPECT_EQ(d.bytes, want);
  EXPECT_EQ(d.chunks, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
  ASSERT_EQ(d.ihdr.size(), 13u);
  EXPECT_EQ(d.ihdr.substr(8), std::string("\x08\x06\x00\x00\x00", 5));  // depth 8, RGBA, no interlace
  // Only the folder holds the image; the temporary file is gone.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(Png, LevelIsClampedToZeroThroughNine) {
  tempdir dir;
  auto p = threebytwo();
  // zlib records its level class in the stream header: 0 for levels 0-1, 1 for 2-5, 2 for 6, 3 for 7-9.
  struct {
    int level, flevel;
  } cases[] = {{-5, 0}, {-1, 0}, {0, 0}, {5, 1}, {6, 2}, {9, 3}, {10, 3}, {1000, 3}};
  for (const auto& c : cases) {
    const fs::path f = dir / (std::to_string(c.level) + ".png");
    ASSERT_TRUE(WritePNG(*p, pathtext(f), c.level).ok()) << c.level;
    const decodedpng d = decodepng(f);
    EXPECT_TRUE(d.ok);
    EXPECT_EQ(d.zlibflevel, c.flevel) << c.level;
  }
}

// An image without pixels, or an encoder that gives up, makes no file and keeps an older one.
TEST(Png, NothingToEncodeLeavesNoFile) {
  tempdir dir;
  for (auto [w, h] : {std::pair{0, 4}, {4, 0}, {-2, 3}}) {
    auto empty = TPixmap::Create(w, h);
    ASSERT_NE(empty, nullptr);
    const outputstatus made = WritePNG(*empty, pathtext(dir / "new.png"), 5);
    ASSERT_FALSE(made.ok());
    EXPECT_EQ(made.error().why, failure::reason::nocontent);
    EXPECT_FALSE(fs::exists(dir / "new.png"));
    writefile(dir / "old.png", "keep me");
    outputfile out = outputfile::open(pathtext(dir / "old.png"));
    const outputstatus written = WritePNG(*empty, out, 5);
    ASSERT_FALSE(written.ok());
    EXPECT_EQ(written.error().why, failure::reason::nocontent);
    const outputstatus committed = out.commit();
    ASSERT_FALSE(committed.ok());
    EXPECT_EQ(committed.error().why, failure::reason::nocontent);
    EXPECT_EQ(readfile(dir / "old.png"), "keep me");
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace tracewell
