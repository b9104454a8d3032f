// Shared pieces of the console driver's tests: transcripts, a working-folder guard, test files.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "app/console.h"
#include "testlib/harness.h"
#include "testlib/pngdecode.h"
#include "testlib/toolfolder.h"
#include "testlib/transcript.h"
#include "testlib/wadbuilder.h"
#include "testlib/zipbuilder.h"
#include "wad/wad.h"

namespace tracewell::testkit {

// Makes `folder` the working directory for the life of the guard.
class workingfolder {
 public:
  explicit workingfolder(const std::filesystem::path& folder) : old_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
  }
  ~workingfolder() {
    std::error_code ec;
    std::filesystem::current_path(old_, ec);
  }
  workingfolder(const workingfolder&) = delete;
  workingfolder& operator=(const workingfolder&) = delete;

 private:
  std::filesystem::path old_;
};

// The pixels that the "Red" scheme gives a square room in a 64 x 48 image with
// margin 4: the fitted square spans columns 12 to 52 and rows 4 to 44.
inline bool redsquarepixel(int x, int y) {
  const bool column = (x == 12 || x == 52) && y >= 4 && y <= 44;
  const bool row = (y == 4 || y == 44) && x >= 12 && x <= 52;
  return column || row;
}

// Expects `file` to be the "Red" scheme's picture of a square room (see redsquarepixel).
inline void expectredsquare(const std::filesystem::path& file) {
  const decodedpng png = decodepng(file);
  ASSERT_TRUE(png.ok) << file;
  ASSERT_EQ(png.width, 64u);
  ASSERT_EQ(png.height, 48u);
  int wrong = 0;
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 64; ++x) {
      const std::uint32_t want = redsquarepixel(x, y) ? 0xFFFF0000u : 0xFF000000u;
      if (png.pixel(x, y) != want && ++wrong <= 5)
        ADD_FAILURE() << "pixel " << x << "," << y << " of " << file;
    }
  }
  EXPECT_EQ(wrong, 0);
}

// A folder holding settings.txt (testsettings), test.wad (testwad) and an
// empty out/, made the working directory for each test.
class toolfolder : public ::testing::Test {
 protected:
  void SetUp() override {
    maketoolfolder(dir.path());
    cwd.emplace(dir.path());
  }
  void TearDown() override { cwd.reset(); }

  // The console that the test settings give.
  std::shared_ptr<console> load() {
    std::shared_ptr<console> c;
    runscripted("", [&] { c = console::readpath(u"settings.txt"); });
    return c;
  }

  tempdir dir;
  std::optional<workingfolder> cwd;
};

// One command line of a table and what it must give.
struct commandcase {
  std::vector<std::string> args;
  int status;
  std::string out, err;
};

// Runs each row of `cases` (a commandcase or any row with its four fields) through `run` (args to
// processresult) and checks its status and output; `after`, when given, checks the row further.
template <class Rows, class Run, class After = std::nullptr_t>
void runcommands(const Rows& cases, const Run& run, const After& after = nullptr) {
  for (const auto& c : cases) {
    const std::string line = ::testing::PrintToString(c.args);
    const processresult r = run(c.args);
    EXPECT_EQ(r.status, c.status) << line;
    EXPECT_EQ(r.out, c.out) << line;
    EXPECT_EQ(r.err, c.err) << line;
    if constexpr (!std::is_same_v<After, std::nullptr_t>) after(c, line);
  }
}

}  // namespace tracewell::testkit
