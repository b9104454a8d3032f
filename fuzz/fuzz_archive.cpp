// Fuzz target: arbitrary bytes as a ZIP archive held in memory; read every entry, list the maps, draw them.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "fuzzhooks.h"
#include "render/automap.h"
#include "wad/archive.h"
#include "wad/archivemaps.h"
#include "wad/map.h"

using namespace tracewell;

namespace {

// Small enough that an input of 64 KiB inflating 1000-fold is refused, not read.
constexpr std::uint64_t entrylimit = std::uint64_t{1} << 20;

// The wad layer reads WADs from files only, so an entry's bytes go through one in the sandbox.
std::shared_ptr<wad> readfromfile(const entrybytes& bytes) {
  const auto path = fuzz::workfolder() / "entry.wad";
  fuzz::writefile(path, std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
  return wad::read(bytestream::openread(u(path.string())), wad::DOOM);
}

void checkread(archive& zip, std::size_t index) {
  const archive::reading r = zip.read(index, entrylimit);
  if ((r.bytes != nullptr) != (r.failure == archivefailure::none)) fuzz::broken("bytes and failure disagree");
  if (r.bytes && r.bytes->size() > entrylimit) fuzz::broken("an entry over the limit was read");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto bytes = std::make_shared<const std::vector<unsigned char>>(data, data + size);
  const archive::opening o = archive::openmemory(bytes);
  if ((o.zip != nullptr) != (o.failure == archivefailure::none)) fuzz::broken("archive and failure disagree");
  if (!o.zip) return 0;
  archive& zip = *o.zip;
  for (std::size_t i = 0; i < zip.names().size() && i < 16; ++i) checkread(zip, i);
  checkread(zip, zip.names().size());  // no such entry

  // A stream failure in a WAD read through a file ends only this part (until failures are values).
  fuzz::runquiet("", [&] {
    const archivemaplist maps = listarchivemaps(zip, readfromfile, entrylimit);
    int drawn = 0;
    for (const archivemap& m : maps) {
      if (++drawn > 4) break;  // later maps take the same paths
      if (findarchivemap(maps, m.name) == nullptr) fuzz::broken("a listed map is not found");
      const lumpgroup group = getarchivemaplumps(zip, maps, m.name, readfromfile, entrylimit);
      if (group.size() > static_cast<std::size_t>(wad::maplumps)) fuzz::broken("a too long lump group");
      fuzz::runquiet("", [&] {
        if (auto decoded = map::Create(group, wad::DOOM)) {
          if (!render(*decoded, 64, 48, 2, black, {}, {}, 1)) fuzz::broken("render gave no buffer");
        }
      });
    }
  });
  return 0;
}
