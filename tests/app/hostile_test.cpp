// Hostile sizes against the built program, run under an address-space limit: a WAD directory claiming
// millions of entries, a lump claiming 2 GB, an endless answer line. Each ends in the tool's own lines.
#include <gtest/gtest.h>

#include "apptest.h"

namespace tracewell {
namespace {

namespace fs = std::filesystem;
using testkit::crlf;
using testkit::writefile;

// Room for the program and its libraries, far below what the hostile inputs
// would take if they were held whole.
constexpr int limitkib = 256 * 1024;

const std::string wadprompt = "Input WAD path?\n(Leave blank for \"test.wad\")\n> ";

// A WAD whose header claims `entries` directory entries right after it, in a
// sparse file exactly long enough to hold them: every entry reads as zeros.
void writesparsewad(const fs::path& path, std::int32_t entries) {
  std::string header = "PWAD";
  header.resize(12);
  testkit::puts32(header, 4, entries);
  testkit::puts32(header, 8, 12);
  writefile(path, header);
  fs::resize_file(path, 12 + std::uintmax_t{16} * static_cast<std::uint32_t>(entries));
}

// A one-map WAD whose VERTEXES lump claims almost 2 GB, in a sparse file that
// really is that long.
void writehugelumpwad(const fs::path& path) {
  testkit::wadbuilder b;
  b.directoryfirst();
  b.addmap("MAP01", testkit::squaremap());
  b.entry("VERTEXES").size = 0x7FFFFFF0;
  b.write(path);
  fs::resize_file(path, b.dataoffset(*b.find("VERTEXES")) + 0x7FFFFFF0u);
}

TEST(Hostile, SizesThatDoNotFitInMemoryEndInTheToolsOwnLines) {
#if TRACEWELL_ASAN  // the program's, whether or not this file is instrumented
  GTEST_SKIP() << "AddressSanitizer needs more address space than the limit leaves";
#endif
  testkit::tempdir dir;
  testkit::maketoolfolder(dir.path(), TRACEWELL_EXE);
  writesparsewad(dir / "wide.wad", 1 << 22);  // 64 MiB of directory: fits when held compactly
  writesparsewad(dir / "huge.wad", 1 << 26);  // 1 GiB of directory: cannot fit
  writehugelumpwad(dir / "bigmap.wad");

  const std::string mapprompt = "Input map? (Input \"ALL\" to output all maps.)\n> ";
  struct {
    const char* what;
    std::string input;
    std::string expect;  // part of the output, line ends as "\n"
    int status;
  } cases[] = {
      {"wide directory", "wide.wad\n", "No maps found in WAD. Try again?\n" + wadprompt, 0},
      {"huge directory", "huge.wad\n", "Error parsing WAD file. Try again?\n" + wadprompt, 0},
      {"huge lump", "bigmap.wad\nMAP01\n\n\n\n\n\n\n",
       "failed to read map lumps\nencountered invalid map\n"
       "Failed to load map lumps for \"MAP01\". Image not outputted.\n",
       2},
      {"endless answer", "test.wad\n" + std::string(longestline + 1, 'M') + "\n",
       mapprompt + "Unexpected end of input.\n", 1},
  };
  for (const auto& c : cases) {
    const testkit::processresult r = testkit::runprocess(
        "/bin/sh", {"-c", "ulimit -v " + std::to_string(limitkib) + " && exec ./tracewell"}, c.input,
        dir.path());
    EXPECT_EQ(r.signal, 0) << c.what;
    EXPECT_EQ(r.status, c.status) << c.what;
    EXPECT_NE(r.out.find(crlf(c.expect)), std::string::npos) << c.what << "\n" << r.out.substr(0, 2000);
    EXPECT_EQ(r.err, "") << c.what;
  }
}

}  // namespace
}  // namespace tracewell
