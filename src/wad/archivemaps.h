// The maps of a ZIP archive: which entry holds each map and how its lump group is found there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <vector>

#include "support/text.h"
#include "wad/archive.h"
#include "wad/wad.h"

namespace tracewell {

enum class archivemapkind {
  // An entry maps/NAME.wad: the map is that WAD's first directory entry and
  // the ten after it, whatever the marker inside is called.
  wholewad,
  // A map marker inside an embedded WAD: the group is looked up by name.
  marker,
};

// One listed map.
struct archivemap {
  text name;              // as listed and shown
  std::size_t entry = 0;  // the archive entry holding its WAD
  archivemapkind kind = archivemapkind::marker;
};

using archivemaplist = std::vector<archivemap>;

// The map names of the embedded WAD in entry `index`, as for a WAD file
// (wad::getmapnames); empty when the entry cannot be read or is not a valid WAD.
using embeddedmapnames = std::function<std::list<text>(std::size_t index)>;

// The maps of an archive whose entries are named `entrynames` (central-
// directory order), in that order:
// - an entry maps/NAME.wad (one folder deep; "maps" and ".wad" in any case;
//   NAME, upper-cased, at most 8 characters and starting with "MAP") is one
//   map named NAME upper-cased, a wholewad map; `mapsof` is not called for it;
// - any other entry whose name ends in ".wad" (any case) gives the maps
//   `mapsof` names for it, each a marker map, in the order given;
// - other entries give nothing.
// `mapsof` is called once per such entry, in order, and never kept.
archivemaplist listarchivemaps(const std::vector<text>& entrynames, const embeddedmapnames& mapsof);

// The listed names in order, duplicates kept, as the dialogue shows them.
std::list<text> archivemapnames(const archivemaplist& maps);

// The first listed map whose name equals `name` ignoring case; null when none.
const archivemap* findarchivemap(const archivemaplist& maps, const text& name);

// The lump group of `m` in `embedded`, the WAD read from entry m.entry: its
// first wad::maplumps directory entries for a wholewad map (fewer when the
// directory is shorter), else embedded.getmaplumps(m.name, wad::maplumps).
lumpgroup archivemaplumps(const wad& embedded, const archivemap& m);

// How the caller reads a WAD from an entry's bytes in memory: the WAD, or
// null when the bytes are not a valid WAD. The WAD's stream keeps the bytes.
using wadfrombytes = std::function<std::shared_ptr<wad>(const entrybytes& bytes)>;

// listarchivemaps over an open archive: every embedded WAD is read (entries
// over `limit` are skipped like damaged ones), one at a time, through `readwad`.
archivemaplist listarchivemaps(archive& zip, const wadfrombytes& readwad,
                               std::uint64_t limit = archive::sizeceiling);

// The lump group of the first listed map named `name` (ignoring case), its
// entry read afresh through `readwad`. Empty when no map has that name, or its
// entry cannot be read (see archive::read), is not a valid WAD or holds no
// such group. The group holds the entry's bytes until it is dropped.
lumpgroup getarchivemaplumps(archive& zip, const archivemaplist& maps, const text& name,
                             const wadfrombytes& readwad, std::uint64_t limit = archive::sizeceiling);

}  // namespace tracewell
