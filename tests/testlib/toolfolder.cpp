// The folder a test of the whole tool works in: a settings file, a WAD and an output folder.
#include "testlib/toolfolder.h"

#include "testlib/harness.h"

namespace tracewell::testkit {

wadbuilder testwad() {
  wadbuilder b;
  b.addmap("MAP01", squaremap());
  b.addmap("MAP02", squaremap(wad::DOOM, 128));
  b.addlump("MAPINFO", "map MAP01 \"Test\"\n");
  return b;
}

void maketoolfolder(const std::filesystem::path& folder, const std::filesystem::path& program) {
  namespace fs = std::filesystem;
  fs::create_directories(folder / "out");
  writefile(folder / "settings.txt", testsettings);
  testwad().write(folder / "test.wad");
  if (program.empty()) return;
  fs::copy_file(program, folder / "tracewell");
  fs::permissions(folder / "tracewell", fs::perms::owner_all, fs::perm_options::add);
}

}  // namespace tracewell::testkit
