// One map's geometry: vertices, linedefs, sidedefs and sectors, whichever layout they were decoded from.
#include "wad/map.h"

#include <new>

#include "wad/binarymap.h"
#include "wad/udmf.h"

namespace tracewell {

namespace {

// What a binary map's specials and things mean: the game its format word names.
mapmeaning binarymeaning(std::int32_t format) {
  switch (format) {
    case wad::HEXEN:
      return mapmeaning::hexen;
    case wad::ZDOOM:
      return mapmeaning::zdoom;
    default:
      return mapmeaning::doom;
  }
}

}  // namespace

result<std::shared_ptr<map>> map::Create(const lumpgroup& lumps, std::int32_t format, const text& listedname,
                                         bool withthings) {
  if (lumps.empty()) return failure::notice({u"no lumps to read map from"});
  std::shared_ptr<map> m;
  status read;
  try {
    m = std::make_shared<map>();
    m->format = format;
    read = m->readfrom(lumps, listedname, withthings);
  } catch (const std::bad_alloc&) {
    // Lumps whose records do not fit in memory make a map that cannot be read.
    read = failure::notice({u"failed to read map lumps"});
  }
  if (read.ok()) return m;
  failure f = read.error();
  // An invalid binary map says so after whatever its decoder said; a UDMF
  // map's error line says all there is.
  if (f.what == failure::kind::notice && !istextmapgroup(lumps))
    f.lines.push_back(u"encountered invalid map");
  return f;
}

status map::readfrom(const lumpgroup& lumps, const text& listedname, bool withthings) {
  // The one place a map's layout is chosen.
  if (istextmapgroup(lumps)) {
    return readtextmap(*this, lumps, listedname.empty() && lumps[0] ? lumps[0]->trimmedname() : listedname,
                       withthings);
  }
  meaning = binarymeaning(format);
  return readbinarymap(*this, lumps, withthings);
}

std::shared_ptr<lump> map::getlump(const lumpgroup& lumps, const text& name) {
  for (const auto& l : lumps) {
    if (l && (l->name == name || l->trimmedname() == name)) return l;
  }
  return nullptr;
}

}  // namespace tracewell
