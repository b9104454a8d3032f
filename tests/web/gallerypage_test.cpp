// The gallery's links against percent-encoding done by hand, and its cards' findings (hostile names and the
// filter: the browser test).
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

// A checked map's card counts its findings by severity and carries its errors for the switch, which is
// there only when some map was checked; an unchecked map's card has neither.
TEST(GalleryPage, CheckedCardsCountFindings) {
  const testkit::tempdir dir;
  const auto gallery = [&](const std::vector<galleryentry>& entries) {
    const text path = fromutf8((dir / "index.html").string());
    outputfile out = outputfile::open(path);
    EXPECT_TRUE(writegallery(entries, fromutf8(dir.path().string()), out).ok());
    EXPECT_TRUE(out.commit().ok());
    return testkit::readfile(dir / "index.html");
  };
  galleryentry plain;
  plain.input = u"a.wad";
  plain.map = u"MAP01";
  plain.status = "written";
  galleryentry checked = plain;
  checked.map = u"MAP02";
  checked.findings = countfindings({{checkcode::missingkey, severity::error, {}, u""},
                                    {checkcode::playerstart, severity::error, {}, u""},
                                    {checkcode::unclosedsector, severity::warning, {}, u""}});
  const std::string both = gallery({plain, checked});
  EXPECT_NE(both.find("data-map=\"MAP02\" data-errors=\"2\">"), std::string::npos);
  EXPECT_NE(both.find("2 errors \xC2\xB7 1 warning<"), std::string::npos);
  EXPECT_NE(both.find("data-map=\"MAP01\">"), std::string::npos);
  EXPECT_NE(both.find("id=\"tw-errors\""), std::string::npos);
  const std::string unchecked = gallery({plain});
  EXPECT_EQ(unchecked.find("id=\"tw-errors\""), std::string::npos);
  EXPECT_EQ(unchecked.find("data-errors=\""), std::string::npos);
  EXPECT_EQ(unchecked.find("warnings"), std::string::npos);
}

}  // namespace
}  // namespace tracewell
