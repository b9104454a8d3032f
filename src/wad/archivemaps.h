// The maps of a ZIP archive: which entry holds each map and how its lump group is found there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include "support/failure.h"
#include "support/text.h"
#include "wad/archive.h"
#include "wad/wad.h"

namespace tracewell {

enum class archivemapkind {
  // An entry maps/NAME.wad: the map is that WAD's first directory entry and
  // the group after it (wad::mapgroupat), whatever the marker inside is called.
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
//   NAME, upper-cased, at most 8 characters and starting with "MAP"; under
//   `how` content any NAME) is one map named NAME upper-cased, a wholewad
//   map; `mapsof` is not called for it. Upper-cased: its ASCII letters only
//   where `utf8names` flags the entry's name as UTF-8 (entries past its end
//   are not flagged), else every letter of the code units 0..255;
// - any other entry whose name ends in ".wad" (any case) gives the maps
//   `mapsof` names for it, each a marker map, in the order given;
// - other entries give nothing.
// `mapsof` is called once per such entry, in order, and never kept.
archivemaplist listarchivemaps(const std::vector<text>& entrynames, const embeddedmapnames& mapsof,
                               mapdetection how = mapdetection::names,
                               const std::vector<bool>& utf8names = {});

// The listed names in order, duplicates kept, as the dialogue shows them.
std::list<text> archivemapnames(const archivemaplist& maps);

// The listed maps by name ignoring case, so that finding each of many maps
// costs no scan of the list.
class archivemapindex {
 public:
  explicit archivemapindex(const archivemaplist& maps);
  // The position in the list of the first map named `name` ignoring case.
  std::optional<std::size_t> find(const text& name) const;

 private:
  std::unordered_map<text, std::size_t> first_;  // upper-cased name -> first position
};

// The lump group of `m` in `embedded`, the WAD read from entry m.entry:
// embedded.mapgroupat(0) for a wholewad map, else embedded.getmapgroup(m.name, how).
lumpgroup archivemaplumps(const wad& embedded, const archivemap& m, mapdetection how = mapdetection::names);

// The WAD embedded in entry `index`, inflated only as far as wadextent asks:
// an entry whose first bytes are no WAD header costs those bytes alone. Fails
// with the entry's name as subject: archive::read's reasons, notawad, or
// damaged when the WAD's header or directory runs past the entry's end. The
// WAD's stream keeps the bytes.
result<std::shared_ptr<wad>> readembeddedwad(archive& zip, std::size_t index);

}  // namespace tracewell
