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

// Whether entry `k` of the group (k >= 1) starts the next map as `how` lists
// maps: a name starting with "MAP", or the content rule over the entries from
// it to the group's end.
bool startsnextmap(const lumpgroup& lumps, std::size_t k, mapdetection how) {
  if (!lumps[k]) return false;
  if (how == mapdetection::names) return lumps[k]->trimmedname().starts_with(u"MAP");
  return ismapgroup(lumpgroup(lumps.begin() + static_cast<std::ptrdiff_t>(k), lumps.end()));
}

// What the Auto format reads a binary group as: the Hexen layout with ZDoom
// meanings when a BEHAVIOR lump comes before the next listed map's marker (a
// map of five lumps leaves the next map's lumps in its group), else the Doom
// layout.
std::int32_t autoformat(const lumpgroup& lumps, mapdetection how) {
  for (std::size_t k = 1; k < lumps.size() && !startsnextmap(lumps, k, how); ++k) {
    if (lumps[k] && (lumps[k]->name == u"BEHAVIOR" || lumps[k]->trimmedname() == u"BEHAVIOR"))
      return wad::ZDOOM;
  }
  return wad::DOOM;
}

// Under Auto a map that cannot be read in its own layout is a notice, never a
// stop; its reason is worded without the hint at the format word, which was not the user's.
failure nostop(failure f) {
  if (f.what == failure::kind::fatal) f.what = failure::kind::notice;
  return f;
}

}  // namespace

status checkreferences(const map& m) {
  const auto sides = static_cast<std::int64_t>(m.sidedefs.size());
  for (const linedef& l : m.linedefs) {
    if (l.startvertex >= m.vertexes.size() || l.endvertex >= m.vertexes.size())
      return failure::stop(failure::reason::badvertex);
    if (l.rightside >= sides || l.leftside >= sides) return failure::stop(failure::reason::badsidedef);
  }
  return {};
}

result<std::shared_ptr<map>> map::Create(const lumpgroup& lumps, std::int32_t format, const text& listedname,
                                         bool withthings, mapdetection detection) {
  if (lumps.empty()) return failure::notice({u"no lumps to read map from"});
  const bool automatic = format == wad::AUTO;
  std::shared_ptr<map> m;
  status read;
  try {
    m = std::make_shared<map>();
    m->format = automatic && !istextmapgroup(lumps) ? autoformat(lumps, detection) : format;
    read = m->readfrom(lumps, listedname, withthings, detection);
  } catch (const std::bad_alloc&) {
    // Lumps whose records do not fit in memory make a map that cannot be read.
    read = failure::notice({u"failed to read map lumps"});
  }
  if (read.ok()) {
    // An Auto map that would stop the drawing fails here, as a notice.
    if (status checked = automatic ? checkreferences(*m) : status{}; !checked.ok())
      return nostop(checked.error());
    return m;
  }
  failure f = read.error();
  // An invalid binary map says so after whatever its decoder said; a UDMF
  // map's error line says all there is.
  if (f.what == failure::kind::notice && !istextmapgroup(lumps))
    f.lines.push_back(u"encountered invalid map");
  return automatic ? nostop(std::move(f)) : f;
}

status map::readfrom(const lumpgroup& lumps, const text& listedname, bool withthings,
                     mapdetection detection) {
  // The one place a map's layout is chosen.
  if (istextmapgroup(lumps)) {
    return readtextmap(*this, lumps, listedname.empty() && lumps[0] ? lumps[0]->trimmedname() : listedname,
                       withthings);
  }
  meaning = binarymeaning(format);
  return readbinarymap(*this, lumps, withthings, detection == mapdetection::content);
}

std::shared_ptr<lump> map::getlump(const lumpgroup& lumps, const text& name) {
  for (const auto& l : lumps) {
    if (l && (l->name == name || l->trimmedname() == name)) return l;
  }
  return nullptr;
}

const sector* map::sideof(std::int32_t side) const {
  if (side < 0 || static_cast<std::size_t>(side) >= sidedefs.size()) return nullptr;
  const std::size_t s = sidedefs[static_cast<std::size_t>(side)].sector;
  return s < sectors.size() ? &sectors[s] : nullptr;
}

}  // namespace tracewell
