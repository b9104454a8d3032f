// The gallery's links against percent-encoding done by hand, and hostile names in its markup.
#include "render/gallerypage.h"

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

TEST(GalleryPage, NamesAreTextAndFailuresShow) {
  testkit::tempdir dir;
  const text folder = fromutf8(dir.path().string());
  std::vector<galleryentry> entries(3);
  entries[0].input = u"/x/\"><img src=x onerror=alert(1)>.wad";
  entries[0].map = frombytes("MAP<b>&");
  entries[0].status = "written";
  entries[0].files = {{"png", folder + u"/i/MAP01.png"}};
  entries[1].input = entries[0].input;
  entries[1].map = u"MAP02";
  entries[1].status = "failed";
  entries[1].error = u"</p><script>alert(2)</script>";
  entries[2].input = u"junk.wad";
  entries[2].status = "failed";
  entries[2].error = u"Error opening WAD file.";
  outputfile out = outputfile::open(folder + u"/index.html");
  ASSERT_TRUE(writegallery(entries, folder, out).ok());
  ASSERT_TRUE(out.commit().ok());
  const std::string page = testkit::readfile(dir / "index.html");
  EXPECT_EQ(page.find("<img src=x"), std::string::npos);
  EXPECT_EQ(page.find("<b>"), std::string::npos);
  EXPECT_EQ(page.find("<script>alert"), std::string::npos);
  EXPECT_NE(page.find("MAP&lt;b&gt;&amp;"), std::string::npos);
  EXPECT_NE(page.find("&lt;/p&gt;&lt;script&gt;alert(2)"), std::string::npos);
  EXPECT_NE(page.find("refused: Error opening WAD file."), std::string::npos);
  EXPECT_NE(page.find("src=\"i/MAP01.png\" loading=\"lazy\""), std::string::npos);
}

}  // namespace
}  // namespace tracewell
