// Paths no file can have: a NUL inside must not open or create the file named by the text before it.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/bytestream.h"
#include "support/path.h"
#include "testlib/harness.h"

namespace tracewell {
namespace {

using testkit::tempdir;
using testkit::writefile;

TEST(PathBadInput, NulInsideAPathNamesNoFile) {
  tempdir dir;
  writefile(dir / "a.wad", "PWAD");
  const text base = fromutf8((dir / "a.wad").string());
  EXPECT_TRUE(usablepath(base));
  for (const text& suffix : {text(1, u'\0'), text(u"\0.png", 5), text(u"\0/../b.wad", 10)}) {
    const text path = base + suffix;
    EXPECT_FALSE(usablepath(path));
    EXPECT_EQ(bytestream::openread(path), nullptr);
    EXPECT_EQ(testkit::readfile(dir / "a.wad"), "PWAD");
  }
}

}  // namespace
}  // namespace tracewell
