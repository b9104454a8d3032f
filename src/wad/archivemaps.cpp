// The maps of a ZIP archive: which entry holds each map and how its lump group is found there.
#include "wad/archivemaps.h"

#include <algorithm>

#include "wad/format.h"

namespace tracewell {

namespace {

const text mapsfolder = u"maps/";
const text wadextension = u".wad";

bool endswithwad(const text& entry) {
  return entry.size() >= wadextension.size() &&
         lower(entry.substr(entry.size() - wadextension.size())) == wadextension;
}

// NAME, upper-cased, when `entry` is maps/NAME.wad naming a map by itself; empty otherwise.
text wholewadname(const text& entry) {
  if (entry.size() <= mapsfolder.size() + wadextension.size() || !endswithwad(entry) ||
      lower(entry.substr(0, mapsfolder.size())) != mapsfolder) {
    return {};
  }
  text name = upper(entry.substr(mapsfolder.size(), entry.size() - mapsfolder.size() - wadextension.size()));
  if (name.size() > wadformat::namesize || name.find(u'/') != text::npos || name.compare(0, 3, u"MAP") != 0) {
    return {};
  }
  return name;
}

// The embedded WAD of entry `index`, or null when it cannot be read or is no WAD.
std::shared_ptr<wad> readembedded(archive& zip, std::size_t index, const wadfrombytes& readwad,
                                  std::uint64_t limit) {
  const archive::reading r = zip.read(index, limit);
  return r.bytes ? readwad(r.bytes) : nullptr;
}

}  // namespace

archivemaplist listarchivemaps(const std::vector<text>& entrynames, const embeddedmapnames& mapsof) {
  archivemaplist maps;
  for (std::size_t i = 0; i < entrynames.size(); ++i) {
    text name = wholewadname(entrynames[i]);
    if (!name.empty()) {
      maps.push_back({std::move(name), i, archivemapkind::wholewad});
    } else if (endswithwad(entrynames[i])) {
      for (text& marker : mapsof(i)) maps.push_back({std::move(marker), i, archivemapkind::marker});
    }
  }
  return maps;
}

std::list<text> archivemapnames(const archivemaplist& maps) {
  std::list<text> names;
  for (const archivemap& m : maps) names.push_back(m.name);
  return names;
}

const archivemap* findarchivemap(const archivemaplist& maps, const text& name) {
  const text wanted = upper(name);
  const auto found = std::find_if(maps.begin(), maps.end(),
                                  [&wanted](const archivemap& m) { return upper(m.name) == wanted; });
  return found == maps.end() ? nullptr : &*found;
}

lumpgroup archivemaplumps(const wad& embedded, const archivemap& m) {
  if (m.kind == archivemapkind::marker) {
    return embedded.getmapgroup(m.name);
  }
  return embedded.mapgroupat(0);
}

archivemaplist listarchivemaps(archive& zip, const wadfrombytes& readwad, std::uint64_t limit) {
  return listarchivemaps(zip.names(), [&](std::size_t index) {
    const std::shared_ptr<wad> w = readembedded(zip, index, readwad, limit);
    return w ? w->getmapnames() : std::list<text>();
  });
}

lumpgroup getarchivemaplumps(archive& zip, const archivemaplist& maps, const text& name,
                             const wadfrombytes& readwad, std::uint64_t limit) {
  const archivemap* m = findarchivemap(maps, name);
  if (m == nullptr) return {};
  const std::shared_ptr<wad> w = readembedded(zip, m->entry, readwad, limit);
  return w ? archivemaplumps(*w, *m) : lumpgroup();
}

}  // namespace tracewell
