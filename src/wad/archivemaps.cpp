// The maps of a ZIP archive: which entry holds each map and how its lump group is found there.
#include "wad/archivemaps.h"

#include <algorithm>

#include "wad/lumplayout.h"

namespace tracewell {

namespace {

const text mapsfolder = u"maps/";
const text wadextension = u".wad";

bool endswithwad(const text& entry) {
  return entry.size() >= wadextension.size() &&
         lower(entry.substr(entry.size() - wadextension.size())) == wadextension;
}

// NAME, upper-cased, when `entry` is maps/NAME.wad naming a map by itself; empty otherwise.
// Under content the entry's place alone makes it a map, so NAME may be any name. A name
// stored as bytes is upper-cased as Latin-1 letters, one stored as UTF-8 in its ASCII letters.
text wholewadname(const text& entry, mapdetection how, bool utf8) {
  if (entry.size() <= mapsfolder.size() + wadextension.size() || !endswithwad(entry) ||
      lower(entry.substr(0, mapsfolder.size())) != mapsfolder) {
    return {};
  }
  const text stem = entry.substr(mapsfolder.size(), entry.size() - mapsfolder.size() - wadextension.size());
  text name = utf8 ? upperascii(stem) : upper(stem);
  if (name.find(u'/') != text::npos) return {};
  if (how == mapdetection::names && (name.size() > wadformat::namesize || name.compare(0, 3, u"MAP") != 0)) {
    return {};
  }
  return name;
}

}  // namespace

archivemaplist listarchivemaps(const std::vector<text>& entrynames, const embeddedmapnames& mapsof,
                               mapdetection how, const std::vector<bool>& utf8names) {
  archivemaplist maps;
  for (std::size_t i = 0; i < entrynames.size(); ++i) {
    text name = wholewadname(entrynames[i], how, i < utf8names.size() && utf8names[i]);
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

archivemapindex::archivemapindex(const archivemaplist& maps) {
  first_.reserve(maps.size());
  for (std::size_t i = 0; i < maps.size(); ++i) first_.try_emplace(upper(maps[i].name), i);
}

std::optional<std::size_t> archivemapindex::find(const text& name) const {
  const auto found = first_.find(upper(name));
  if (found == first_.end()) return std::nullopt;
  return found->second;
}

lumpgroup archivemaplumps(const wad& embedded, const archivemap& m, mapdetection how) {
  if (m.kind == archivemapkind::marker) {
    return embedded.getmapgroup(m.name, how);
  }
  return embedded.mapgroupat(0);
}

result<std::shared_ptr<wad>> readembeddedwad(archive& zip, std::size_t index) {
  result<entrybytes> bytes = zip.read(index, archive::sizeceiling, wadextent);
  if (!bytes.ok()) return bytes.error();
  const text& entry = zip.names()[index];
  result<std::shared_ptr<wad>> read = wad::read(bytestream::openmemory(std::move(bytes).value()), 0);
  if (read.ok()) return read;
  // The bytes are whole and in memory: a stream failure in them is damage to this entry alone.
  if (read.error().what == failure::kind::readstream)
    return failure::because(failure::reason::damaged, entry);
  return failure(read.error()).about(entry);
}

}  // namespace tracewell
