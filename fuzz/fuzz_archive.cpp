// Fuzz target: arbitrary bytes as a ZIP archive held in memory; read every entry, list the maps, draw them.
#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <vector>

#include "fuzzhooks.h"
#include "render/automap.h"
#include "wad/archive.h"
#include "wad/map.h"
#include "wad/mapsource.h"

using namespace tracewell;

namespace {

// Small enough that an input of 64 KiB inflating 1000-fold is refused, not read.
constexpr archivelimits smalllimits{std::uint64_t{1} << 20, std::uint64_t{1} << 22, 64};

void checkread(archive& zip, std::size_t index) {
  const result<entrybytes> r = zip.read(index);
  if (r.ok() && (!r.value() || r.value()->size() > smalllimits.ceiling))
    fuzz::broken("an entry over the limit was read");
  if (!r.ok() && r.error().what != failure::kind::notice)
    fuzz::broken("an entry failed otherwise than as a notice");
}

bool samegroup(const lumpgroup& a, const lumpgroup& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i]->name != b[i]->name || a[i]->filepos != b[i]->filepos || a[i]->size != b[i]->size) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto bytes = std::make_shared<const std::vector<unsigned char>>(data, data + size);
  const result<std::shared_ptr<archive>> opened = archive::openmemory(bytes, smalllimits);
  if (!opened.ok()) return 0;
  {
    // A second opening, so that these reads do not spend the map source's budget.
    const result<std::shared_ptr<archive>> again = archive::openmemory(bytes, smalllimits);
    archive& zip = *again.value();
    for (std::size_t i = 0; i < zip.names().size() && i < 16; ++i) checkread(zip, i);
    checkread(zip, zip.names().size());  // no such entry
  }

  // The program's way: the map source, which keeps the last embedded WAD it read.
  const std::shared_ptr<mapsource> source = archivemapsource(opened.value());
  const std::list<text> names = source->getmapnames();
  int drawn = 0;
  for (const text& name : names) {
    if (++drawn > 4) break;  // later maps take the same paths
    const result<lumpgroup> group = source->getmapgroup(name);
    if (!group.ok()) {
      if (group.error().what != failure::kind::notice || group.error().subject.empty()) {
        fuzz::broken("an entry failed without naming itself");
      }
      continue;
    }
    // maps/NAME.wad holding a WAD without entries is listed (listing does not read it) and gives none.
    if (group.value().empty()) continue;
    // Archives give UDMF groups up to ENDMAP, binary groups of the marker and ten lumps, and
    // BEHAVIOR after them when it follows.
    const auto longest =
        static_cast<std::size_t>(istextmapgroup(group.value()) ? wad::textmaplumps : wad::maplumps + 1);
    if (group.value().size() > longest) fuzz::broken("a too long lump group");
    // A source of its own, which reads the entry afresh, gives the same group as the kept WAD.
    const result<std::shared_ptr<archive>> again = archive::openmemory(bytes, smalllimits);
    const result<lumpgroup> fresh = archivemapsource(again.value())->getmapgroup(name);
    if (!fresh.ok() || !samegroup(fresh.value(), group.value()))
      fuzz::broken("the kept WAD gives another group");
    const result<std::shared_ptr<map>> decoded = source->loadmap(name, wad::DOOM, name);
    if (!decoded.ok()) {
      if (decoded.error().what == failure::kind::readstream)
        fuzz::broken("an embedded WAD failed as a stream");
      continue;
    }
    const result<std::unique_ptr<TPixmap>> image = render(*decoded.value(), 64, 48, 2, black, {}, {}, 1);
    // A bad vertex or sidedef reference is the fatal stop; a buffer this small is always made.
    if (image.ok() && !image.value()) fuzz::broken("render gave no buffer");
    if (!image.ok() && image.error().what != failure::kind::fatal) fuzz::broken("render failed otherwise");
  }
  return 0;
}
