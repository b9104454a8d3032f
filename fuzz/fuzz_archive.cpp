// Fuzz target: arbitrary bytes as a ZIP archive held in memory; read every entry, list the maps, draw them.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "fuzzhooks.h"
#include "render/automap.h"
#include "wad/archive.h"
#include "wad/archivemaps.h"
#include "wad/map.h"
#include "wad/mapsource.h"

using namespace tracewell;

namespace {

// Small enough that an input of 64 KiB inflating 1000-fold is refused, not read.
constexpr std::uint64_t entrylimit = std::uint64_t{1} << 20;

// An entry's bytes read as a WAD in memory, as the program reads them; a stream failure is no WAD.
std::shared_ptr<wad> readfrommemory(const entrybytes& bytes) {
  result<std::shared_ptr<wad>> read = wad::read(bytestream::openmemory(bytes), wad::DOOM);
  return read.ok() ? std::move(read).value() : nullptr;
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

  const archivemaplist maps = listarchivemaps(zip, readfrommemory, entrylimit);
  // The program's way: the map source, which keeps the last embedded WAD it read.
  const std::shared_ptr<mapsource> source = archivemapsource(o.zip, entrylimit);
  if (source->getmapnames() != archivemapnames(maps)) fuzz::broken("the source lists other maps");
  int drawn = 0;
  for (const archivemap& m : maps) {
    if (++drawn > 4) break;  // later maps take the same paths
    if (findarchivemap(maps, m.name) == nullptr) fuzz::broken("a listed map is not found");
    const lumpgroup group = source->getmapgroup(m.name);
    if (group.size() > static_cast<std::size_t>(wad::maplumps)) fuzz::broken("a too long lump group");
    // Read afresh, the entry gives the same group as the kept WAD.
    const lumpgroup fresh = getarchivemaplumps(zip, maps, m.name, readfrommemory, entrylimit);
    if (fresh.size() != group.size()) fuzz::broken("the kept WAD gives another group");
    for (std::size_t i = 0; i < group.size(); ++i) {
      if (group[i]->name != fresh[i]->name || group[i]->filepos != fresh[i]->filepos ||
          group[i]->size != fresh[i]->size) {
        fuzz::broken("the kept WAD gives another lump");
      }
    }
    const result<std::shared_ptr<map>> decoded = map::Create(group, wad::DOOM);
    if (!decoded.ok()) continue;
    const result<std::unique_ptr<TPixmap>> image = render(*decoded.value(), 64, 48, 2, black, {}, {}, 1);
    // A bad vertex or sidedef reference is the fatal stop; a buffer this small is always made.
    if (image.ok() && !image.value()) fuzz::broken("render gave no buffer");
    if (!image.ok() && image.error().what != failure::kind::fatal) fuzz::broken("render failed otherwise");
  }
  return 0;
}
