// Where the maps named at the WAD prompt come from: a WAD file, or a ZIP archive (PK3) holding WADs.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <span>

#include "support/failure.h"
#include "support/text.h"
#include "wad/archive.h"
#include "wad/map.h"
#include "wad/wad.h"

namespace tracewell {

// The maps of one opened input, as the dialogue lists them and the output run
// draws them.
class mapsource {
 public:
  virtual ~mapsource() = default;
  // Map names in listing order, duplicates kept.
  virtual std::list<text> getmapnames() const = 0;
  // The lump group of the first listed map named `name` (ignoring case);
  // empty when there is none. In an archive, the failure of the entry holding
  // it (readembeddedwad) when it cannot be read; the group keeps the entry's
  // bytes in memory until it is dropped.
  virtual result<lumpgroup> getmapgroup(const text& name) = 0;
  // The map named `name`, as map::Create reads getmapgroup's group (with
  // `listedname` for its error line). In an archive a map without a group is
  // a notice without lines, and a lump reaching past its embedded WAD's end
  // is reason damaged naming the entry, not a stream failure: the WAD is
  // whole in memory, so only this map is lost. `withthings` reads its things too.
  virtual result<std::shared_ptr<map>> loadmap(const text& name, std::int32_t format, const text& listedname,
                                               bool withthings = false) = 0;
  // Whether `name` stands for a real map, so that losing it is a map not
  // written even where no one asked for it by name: its group looks like a
  // map by content (ismapgroup), or it is an archive's maps/NAME.wad entry.
  // A lump such as MAPINFO, listed by its name alone, is not.
  virtual bool isrealmap(const text& name) = 0;
  // The WAD when this source is a WAD file; null for an archive.
  virtual std::shared_ptr<wad> wadfile() const { return nullptr; }
};

// Whether the first four bytes of an input are those of a WAD ("IWAD",
// "PWAD") or of a ZIP archive (archive::recognise): what openmapsource tries
// to read further.
bool ismapsourcehead(std::span<const unsigned char> head);

// Opens `path` and tells by its first bytes what it is: "IWAD"/"PWAD" is a WAD
// file, read as wad::read reads it (so a WAD ending inside its header or
// directory is failure::readstream); "PK\3\4" or "PK\5\6" is a ZIP archive,
// opened with `limits`, whose maps are listed at once (listarchivemaps), each
// embedded WAD inflated into memory and held for drawing while the held WADs
// fit under the archive's ceiling (the least recently used go first). Otherwise a
// notice without lines whose reason tells why: cannotopen (no such file, not
// a regular file, or it cannot be opened), notparsable (a ZIP archive whose
// central directory is damaged) or notawad (neither a WAD nor an archive).
// The maps are found by `how` (wad::getmapnames, listarchivemaps) and read so
// (map::Create).
result<std::shared_ptr<mapsource>> openmapsource(const text& path, archivelimits limits = {},
                                                 mapdetection how = mapdetection::names);

// As openmapsource, over the bytes of an input already read into memory (a
// pipe read whole): a WAD or an archive, told apart as for a file.
result<std::shared_ptr<mapsource>> openmapsource(std::shared_ptr<const std::vector<unsigned char>> bytes,
                                                 archivelimits limits = {},
                                                 mapdetection how = mapdetection::names);

// The map source of an archive opened already (a file or memory), its maps
// listed at once, found by `how`.
std::shared_ptr<mapsource> archivemapsource(std::shared_ptr<archive> zip,
                                            mapdetection how = mapdetection::names);

}  // namespace tracewell
