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
#include <vector>

#include "app/console.h"
#include "testlib/harness.h"
#include "testlib/pngdecode.h"
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

// A small settings file: 64 x 48 images with a 4-pixel margin of test.wad's
// maps into out/, and two schemes listed "Plain" then "Red". "Red" draws the
// impassable lines opaque red on opaque black and hides every other line.
inline const char* const testsettings = R"(
#settings[
    default_map_format: Doom;
    default_width: 64;
    default_height: 48;
    default_margin: 4;
    default_input_path: test.wad;
    default_output_path: "out/%.png";
    default_scheme: Red;
    #color_scheme[
        scheme_name: Red;
        background_color: $FF000000;
        impassable_color: $FFFF0000;
        impassable_order: 1;
    ]
    #color_scheme[ scheme_name: Plain; ]
]
)";

// test.wad: MAP01 a 64-unit square room, MAP02 a 128-unit one, then a lump
// named MAPINFO, which is listed as a map but is none.
inline wadbuilder testwad() {
  wadbuilder b;
  b.addmap("MAP01", squaremap());
  b.addmap("MAP02", squaremap(wad::DOOM, 128));
  b.addlump("MAPINFO", "map MAP01 \"Test\"\n");
  return b;
}

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

// PK3 entries maps/NAME.wad, one per map of the WAD at `path` (every one when
// `names` is empty): its marker and the ten lumps after it, stored and
// deflated by turns.
inline std::vector<zipentry> mapwadentries(const std::string& path,
                                           const std::vector<std::string>& names = {}) {
  const std::shared_ptr<wad> iwad = readwad(bytestream::openread(u(path)));
  std::vector<zipentry> entries;
  if (!iwad) return entries;
  for (const text& name : iwad->getmapnames()) {
    if (!names.empty() && std::find(names.begin(), names.end(), tobytes(name)) == names.end()) continue;
    wadbuilder b;
    for (const auto& l : iwad->getmaplumps(name, wad::maplumps)) {
      std::string data(static_cast<std::size_t>(l->size), '\0');
      l->stream->seek(l->filepos);
      l->stream->readbytes(data.data(), data.size());
      b.addlump(tobytes(l->trimmedname()), data);
    }
    entries.push_back({"maps/" + tobytes(name) + ".wad", b.bytes(), entries.size() % 2 == 0, ""});
  }
  return entries;
}

// A folder holding settings.txt (testsettings), test.wad (testwad) and an
// empty out/, made the working directory for each test.
class toolfolder : public ::testing::Test {
 protected:
  void SetUp() override {
    writefile(dir / "settings.txt", testsettings);
    testwad().write(dir / "test.wad");
    std::filesystem::create_directory(dir / "out");
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

}  // namespace tracewell::testkit
