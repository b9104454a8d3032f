// The WAD container: header, lump directory, map markers and map lump groups.
#pragma once

#include <array>
#include <cstdint>
#include <list>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "support/bytestream.h"
#include "support/failure.h"
#include "support/text.h"
#include "wad/mapformat.h"

namespace tracewell {

// A lump as map readers see it: where its data lies in the shared WAD stream.
// It never loads the data; readers seek to `filepos` themselves. Neither
// `filepos` nor `size` is checked against the file.
struct lump {
  std::shared_ptr<bytestream> stream;  // the WAD's stream, shared with every lump
  std::int32_t filepos = 0;
  std::int32_t size = 0;
  text name;  // exactly as stored: 8 code units, NUL padding kept

  // The stored name up to its first NUL; no other change (case and spaces kept).
  text trimmedname() const;
};

// A map lump group: the marker and the entries after it.
using lumpgroup = std::vector<std::shared_ptr<lump>>;

// One directory entry kept as the file stores it, in 16 bytes, so that a
// directory takes no more memory than its own bytes. The wad makes lumps from
// entries when a map group is asked for.
struct lumpentry {
  std::int32_t filepos = 0;
  std::int32_t size = 0;
  std::array<char, 8> name{};  // the stored bytes, NUL padding kept

  // The name as 8 code units 0..255, NUL padding kept (lump::name).
  text storedname() const;
  // The stored name up to its first NUL.
  text trimmedname() const;
};
static_assert(sizeof(lumpentry) == 16);

// True when `lumps` holds a UDMF map: its marker is followed directly by an
// entry whose trimmed name is TEXTMAP (case-sensitive).
bool istextmapgroup(const lumpgroup& lumps);

// How many bytes from its start a WAD in memory needs, judged from `sofar`,
// its first bytes (at least the 12 of a header, or all of a shorter WAD): the
// header's when fewer are there; no more than `sofar` when they are no WAD
// header; else through the end of the directory, and once the directory is
// there, through the end of its furthest lump. A reader inflating a WAD asks
// this until it has enough, so a file that is no WAD costs its header alone.
std::uint64_t wadextent(std::span<const unsigned char> sofar);

// How a file's maps are found: by their marker's name (entries whose name
// starts with "MAP") or by the lumps that follow a marker, whatever its name.
enum class mapdetection { names, content };

// Entries after a map marker that the content rule looks at.
inline constexpr std::size_t contentwindow = 10;

// The content rule, on a group whose first entry is the candidate marker: the
// entry after it is TEXTMAP, or it is THINGS and LINEDEFS, SIDEDEFS, VERTEXES
// and SECTORS each occur among the ten entries after the marker (trimmed
// names, case-sensitive; null slots match nothing). wad::ismapmarker is the
// same rule on a directory.
bool ismapgroup(const lumpgroup& lumps);

struct wad {
  // Map format tags (mapformat.h), as the dialogue derives them from the user's answer.
  static constexpr std::int32_t DOOM = mapformat::doom;
  static constexpr std::int32_t HEXEN = mapformat::hexen;
  static constexpr std::int32_t ZDOOM = mapformat::zdoom;  // read in the Hexen layout
  static constexpr std::int32_t AUTO = mapformat::automatic;
  // Entries in a map lump group: the marker and the ten map lumps after it.
  static constexpr std::int32_t maplumps = 11;
  // Most entries in a UDMF map group (marker through ENDMAP). A UDMF map holds
  // about a dozen lumps; the bound keeps a group without ENDMAP small.
  static constexpr std::int32_t textmaplumps = 64;

  std::int32_t format = 0;             // stored only; the container does not use it
  std::shared_ptr<bytestream> stream;  // shared with the lumps; never closed here
  text identification;                 // "IWAD" or "PWAD"
  std::int32_t numlumps = 0;
  std::int32_t infotableoffset = 0;
  std::vector<lumpentry> directory;  // in file order
  std::int32_t invalidwad = 0;       // 1 when the header or directory is unusable

  // The WAD read from `stream` (a file or a block of memory), or a notice
  // with reason notawad when it is not a valid WAD: a null stream, an identification other than
  // "IWAD"/"PWAD" (case-sensitive), a negative directory offset, or a file
  // that ends exactly where a directory entry should begin. A file that ends
  // inside the header or inside an entry, or a directory offset past the end,
  // is failure::readstream, with reason nosignature when it ends inside the
  // identification (so that a caller may take it for no WAD). Memory that runs out while reading also gives
  // notawad: such a directory is not one this program can use.
  static result<std::shared_ptr<wad>> read(const std::shared_ptr<bytestream>& stream, std::int32_t format);
  // Fills this wad from `stream` as read describes; an invalid WAD shows only
  // in `invalidwad`. Room is reserved only for the entries the file can
  // hold, so a huge `numlumps` in a small file allocates nothing up front.
  // May throw std::bad_alloc (read catches it).
  status readfrom(const std::shared_ptr<bytestream>& stream);
  // Trimmed names of the entries whose stored name starts with "MAP"
  // (case-sensitive, so MAPINFO counts and ExMy does not), in directory order,
  // duplicates kept.
  std::list<text> getmapnames() const;
  // The map names under `how`: getmapnames() for names; for content the
  // trimmed names of the entries that are map markers by content (ismapmarker),
  // in directory order, duplicates kept. Linear in the directory's length.
  std::list<text> getmapnames(mapdetection how) const;
  // True when directory entry `index` is a map marker by content (see
  // ismapgroup); false past the directory.
  bool ismapmarker(std::size_t index) const;
  // The marker a listed name stands for under `how`: findentry(name) for
  // names; for content the first entry that is a map marker by content and
  // whose stored or trimmed name equals `name` ignoring case (an earlier entry
  // of that name that is no marker, such as a lump, is passed over). The
  // markers are indexed at the first content lookup, as findentry indexes
  // names.
  std::optional<std::size_t> findmap(const text& name, mapdetection how) const;
  // mapgroupat(findmap(name, how)); empty when there is no such map.
  lumpgroup getmapgroup(const text& name, mapdetection how) const;
  // The entries from the first one whose stored or trimmed name equals `name`,
  // ignoring case, onward: at most `count` of them (fewer when the directory
  // ends first). Empty when no entry matches or `count` is 0 or less.
  lumpgroup getmaplumps(const text& name, std::int32_t count) const;
  // Directory entries `first` onward as lumps on this WAD's stream: at most
  // `count` of them (fewer when the directory ends first; none for a count of
  // 0 or less or a `first` past the end). Each call makes new lump objects.
  lumpgroup getlumps(std::size_t first, std::int32_t count) const;
  // The map group whose marker is directory entry `index`. A UDMF marker (the
  // next entry's trimmed name is TEXTMAP) gives the entries from the marker
  // through the first one whose trimmed name is ENDMAP; without one, through
  // the end of the directory; either way at most `textmaplumps` entries. Any
  // other entry gives itself and the entries after it, `maplumps` at most,
  // and one more when that entry is BEHAVIOR and none of the entries before it
  // is a map marker by content: the one lump after the ten that tells the
  // Hexen layout (map::Create under the Auto format), never read.
  // Empty when `index` is past the directory.
  lumpgroup mapgroupat(std::size_t index) const;
  // mapgroupat of the first entry whose stored or trimmed name equals `name`,
  // ignoring case, as getmaplumps finds it; empty when none does.
  lumpgroup getmapgroup(const text& name) const;
  // Index of the first entry whose stored or trimmed name equals `name`,
  // ignoring case; nullopt when none does. The directory is indexed at the
  // first lookup (and again whenever its length has changed since), so a
  // lookup takes logarithmic time; the index takes about 20 bytes an entry.
  std::optional<std::size_t> findentry(const text& name) const;

 private:
  // An upper-cased trimmed name of up to 8 code units, NUL-padded, and its entry.
  struct indexedname {
    std::array<char16_t, 8> key{};
    std::uint32_t index = 0;
  };
  // Sorts by key and keeps the first entry of each name.
  static void keepfirsts(std::vector<indexedname>& names);
  void buildindex() const;
  void buildmarkerindex() const;

  mutable std::vector<indexedname> names_;  // sorted by key, first entry of each name only
  mutable std::size_t indexed_ = 0;         // directory length when the index was built
  mutable bool built_ = false;
  mutable std::vector<indexedname> markers_;  // the same for map markers by content
  mutable std::size_t markersindexed_ = 0;
  mutable bool markersbuilt_ = false;
};

}  // namespace tracewell
