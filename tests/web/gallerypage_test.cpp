// The gallery's links against percent-encoding done by hand (hostile names: the browser test).
#include "web/gallerypage.h"

#include <gtest/gtest.h>

#include "testlib/harness.h"

namespace tracewell {
namespace {

TEST(GalleryPage, LinksAreRelativeAndPercentEncoded) {
  const std::pair<const char*, const char*> cases[] = {
      {"out/freedoom2/MAP01.png", "freedoom2/MAP01.png"},
      {"out/A#1/MAP01.html", "A%231/MAP01.html"},
      {"out/50%/a b?.svg", "50%25/a%20b%3F.svg"},
      {"out/caf\xC3\xA9/x.png", "caf%C3%A9/x.png"},
      {"out/./x/../y/z.png", "y/z.png"},
      {"elsewhere/z.png", "../elsewhere/z.png"},
  };
  for (const auto& [file, want] : cases) {
    EXPECT_EQ(relativelink(u"out", fromutf8(file)), want) << file;
  }
}

}  // namespace
}  // namespace tracewell
