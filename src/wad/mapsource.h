// Where the maps named at the WAD prompt come from: a WAD file, or a ZIP archive (PK3) holding WADs.
#pragma once

#include <cstdint>
#include <list>
#include <memory>

#include "support/failure.h"
#include "support/text.h"
#include "wad/archive.h"
#include "wad/wad.h"

namespace tracewell {

// The maps of one opened input, as the dialogue lists them and the output run
// draws them.
class mapsource {
 public:
  virtual ~mapsource() = default;
  // Map names in listing order, duplicates kept.
  virtual std::list<text> getmapnames() const = 0;
  // The lump group of the first listed map named `name` (ignoring case). Empty
  // when there is none, or in an archive when the entry holding it cannot be
  // read or is not a valid WAD. An archive's group keeps the entry's bytes in
  // memory until it is dropped.
  virtual lumpgroup getmapgroup(const text& name) = 0;
  // The WAD when this source is a WAD file; null for an archive.
  virtual std::shared_ptr<wad> wadfile() const { return nullptr; }
};

// Why a path gave no map source.
enum class sourcefailure {
  none,
  unopenable,  // no such file, not a regular file, or it cannot be opened
  unparsable,  // neither a WAD nor a ZIP archive, or the archive's central directory is damaged
};

struct sourceopening {
  std::shared_ptr<mapsource> source;  // null on failure
  sourcefailure failure = sourcefailure::none;
};

// Opens `path` and tells by its first bytes what it is: "IWAD"/"PWAD" is a WAD
// file, read as wad::read reads it (so a WAD ending inside its header or
// directory is failure::readstream); "PK\3\4" or "PK\5\6" is a ZIP archive,
// whose maps are listed at once (listarchivemaps), each embedded WAD read
// from memory and dropped before the next; anything else is unparsable.
result<sourceopening> openmapsource(const text& path);

// The map source of an archive opened already (a file or memory), its maps
// listed at once; no entry declaring more than `limit` bytes is read.
std::shared_ptr<mapsource> archivemapsource(std::shared_ptr<archive> zip,
                                            std::uint64_t limit = archive::sizeceiling);

}  // namespace tracewell
