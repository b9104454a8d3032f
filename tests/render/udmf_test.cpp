// UDMF maps drawn: every freedoom2 map written as UDMF draws exactly as its binary form.
#include "wad/udmf.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>

#include "render/automap.h"
#include "testlib/harness.h"
#include "testlib/pixels.h"
#include "testlib/udmfwriter.h"
#include "testlib/wadbuilder.h"
#include "wad/wad.h"

namespace tracewell {
namespace {

// Every category drawn in a colour of its own, so a line sorted differently shows.
const std::vector<std::int32_t> colours = {
    static_cast<std::int32_t>(0xFF808080u), static_cast<std::int32_t>(0xFFBC7C4Cu),
    static_cast<std::int32_t>(0xFFFCFC00u), static_cast<std::int32_t>(0xFF00FC00u),
    static_cast<std::int32_t>(0xFF00FCFCu), static_cast<std::int32_t>(0xFFFC0000u),
    static_cast<std::int32_t>(0xFF0000FCu), static_cast<std::int32_t>(0xFFFC00FCu),
    static_cast<std::int32_t>(0xFFFFFFFFu), static_cast<std::int32_t>(0xFF804000u)};
const std::vector<std::int32_t> order = {1, 2, 3, 4, 5, 6, 7, 8, 9, 9};

using testkit::samepixels;

TEST(UdmfDrawing, FreedoomMapsDrawAsTheirBinaryForm) {
  const std::string path = testkit::freedoom2path();
  if (path.empty()) GTEST_SKIP() << "freedoom2.wad is not installed";
  const auto w = testkit::readwad(bytestream::openread(fromutf8(path)), wad::DOOM);
  ASSERT_TRUE(w);
  int maps = 0;
  for (const text& name : w->getmapnames()) {
    if (static_cast<std::size_t>(maps) == testkit::freedoom2mapcount) break;
    const auto made = map::Create(w->getmaplumps(name, wad::maplumps), wad::DOOM);
    ASSERT_TRUE(made.ok()) << tobytes(name);
    const std::shared_ptr<map> binary = made.value();
    ++maps;
    // Whole units as integers, then every coordinate halved, and divided by 65536, written with a point.
    for (const int halvings : {0, 1, 16}) {
      const udmfresult r = readudmf(testkit::toudmf(*binary, halvings));
      ASSERT_TRUE(r.m) << tobytes(name) << " line " << r.error->line << ": " << tobytes(r.error->detail);
      ASSERT_EQ(r.m->linedefs.size(), binary->linedefs.size());
      for (const auto& [width, height, margin] : {std::tuple{256, 256, 0}, std::tuple{1024, 768, 16}}) {
        const auto want = render(*binary, width, height, margin, black, colours, order, 1);
        const auto got = render(*r.m, width, height, margin, black, colours, order, 1);
        ASSERT_TRUE(want.ok() && want.value() && got.ok() && got.value());
        EXPECT_TRUE(samepixels(*want.value(), *got.value()))
            << tobytes(name) << " halved " << halvings << " times at " << width << "x" << height;
      }
    }
  }
  EXPECT_EQ(static_cast<std::size_t>(maps), testkit::freedoom2mapcount);
}

// Lines with an absent front side, back side or both, blocking or not, draw
// as the same lines of a binary map whose side numbers are -1.
TEST(UdmfDrawing, LinesWithoutSidesDrawAsTheirBinaryForm) {
  const std::string path = testkit::freedoom2path();
  if (path.empty()) GTEST_SKIP() << "freedoom2.wad is not installed";
  const auto w = testkit::readwad(bytestream::openread(fromutf8(path)), wad::DOOM);
  ASSERT_TRUE(w);
  const auto made = map::Create(w->getmaplumps(u"MAP01", wad::maplumps), wad::DOOM);
  ASSERT_TRUE(made.ok());
  map binary = *made.value();
  for (std::size_t i = 0; i < binary.linedefs.size(); ++i) {
    linedef& l = binary.linedefs[i];
    if (i % 3 == 0) l.rightside = -1;
    if (i % 4 == 0) l.leftside = -1;
    if (i % 5 == 0) l.flags = static_cast<std::uint16_t>(l.flags ^ (1u << linedef::impassable));
  }
  const udmfresult r = readudmf(testkit::toudmf(binary));
  ASSERT_TRUE(r.m) << "line " << r.error->line << ": " << tobytes(r.error->detail);
  const auto want = render(binary, 1024, 768, 16, black, colours, order, 1);
  const auto got = render(*r.m, 1024, 768, 16, black, colours, order, 1);
  ASSERT_TRUE(want.ok() && want.value() && got.ok() && got.value());
  EXPECT_TRUE(samepixels(*want.value(), *got.value()));
}

}  // namespace
}  // namespace tracewell
