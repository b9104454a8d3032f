// One map's geometry: vertices, linedefs, sidedefs and sectors, whichever layout they were decoded from.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "support/bytestream.h"
#include "support/failure.h"
#include "support/text.h"
#include "wad/lineflags.h"
#include "wad/wad.h"

namespace tracewell {

// Every record type offers the same three readers of its binary layout
// (wad/lumplayout.h; defined with the binary decoder, wad/binarymap.cpp):
//  - read(stream, format): one record at the stream's position; a file that
//    ends inside the record is failure::readstream.
//  - size(format): the record's size in bytes.
//  - readlump(l, format): all l.size / size(format) records of the lump in file
//    order (leftover bytes ignored; an empty array when the count is 0 or less,
//    the lump has no stream or a negative filepos). The lump's bytes are read
//    in one block bounded by what the file holds, so a lying size allocates
//    nothing large. A file that ends before the last record is
//    failure::readstream, except for linedefs ending exactly at a record start
//    (below).
// Only the linedef layout depends on the format: HEXEN and ZDOOM select the
// Hexen layout, any other tag the Doom layout.

// A map vertex, in the units of its map (see map::fractionbits).
struct vertex {
  std::int64_t x = 0;
  std::int64_t y = 0;  // minus the stored value, so north is up in the image

  static result<vertex> read(bytestream& stream, std::int32_t format);
  static std::int32_t size(std::int32_t format);  // 4
  static result<std::vector<vertex>> readlump(const lump& l, std::int32_t format);
};

// A map line between two vertices, with its sides by sidedef index.
struct linedef {
  // Bit numbers of `flags`, by their UDMF keys in wad/lineflags.h.
  static constexpr int impassable = lineflagbit("blocking");
  static constexpr int blockmonsters = lineflagbit("blockmonsters");
  static constexpr int twosided = lineflagbit("twosided");
  static constexpr int upperunpegged = lineflagbit("dontpegtop");
  static constexpr int lowerunpegged = lineflagbit("dontpegbottom");
  static constexpr int secret = lineflagbit("secret");
  static constexpr int blocksound = lineflagbit("blocksound");
  static constexpr int noautomap = lineflagbit("dontdraw");
  static constexpr int alwaysautomap = lineflagbit("mapped");

  std::uint32_t startvertex = 0;  // 16 bits in the binary layouts
  std::uint32_t endvertex = 0;
  std::uint16_t flags = 0;      // UDMF booleans mapped onto the binary bits
  std::int64_t special = 0;     // as read: u16 Doom, u8 Hexen, any integer in UDMF
  std::uint16_t sectortag = 0;  // Doom layout only
  std::int32_t rightside = 0;   // negative: no sidedef
  std::int32_t leftside = 0;
  std::array<std::int64_t, 5> args{};  // Hexen layout and UDMF arg0..arg4; zero in the Doom layout
  std::int64_t locknumber = 0;         // UDMF only; 0 when absent

  // flags AND (1 << bit).
  std::int32_t getflag(int bit) const { return flags & (1 << bit); }

  static result<linedef> read(bytestream& stream, std::int32_t format);
  static std::int32_t size(std::int32_t format);  // 14 Doom, 16 Hexen/ZDoom
  // As for every record type, but a file that ends exactly where a record
  // should begin is taken for the wrong map format: failure::fatal with
  // reason cutshort (worded "Unexpected EOF. Probably using the wrong map format.").
  static result<std::vector<linedef>> readlump(const lump& l, std::int32_t format);
};

// One side of a linedef: texture offsets, texture names and its sector.
struct sidedef {
  std::int32_t xoff = 0;
  std::int32_t yoff = 0;
  text uppertex, lowertex, middletex;  // 8 units as stored
  std::uint32_t sector = 0;            // 16 bits in the binary layouts

  static result<sidedef> read(bytestream& stream, std::int32_t format);
  static std::int32_t size(std::int32_t format);  // 30
  static result<std::vector<sidedef>> readlump(const lump& l, std::int32_t format);
};

// A sector: floor and ceiling heights and textures, light, type and tag.
struct sector {
  std::int32_t floorheight = 0;  // whole units: with a fraction, the whole units below
  std::int32_t ceilheight = 0;
  std::uint16_t floorfraction = 0;  // 1/65536ths above floorheight (UDMF only)
  std::uint16_t ceilfraction = 0;
  text floortex, ceiltex;  // 8 units as stored
  std::uint16_t light = 0;
  std::int64_t sectortype = 0;  // the sector special: u16 in the binary layouts, UDMF `special` as read
  std::uint16_t sectortag = 0;

  // The heights in 1/65536 units, for comparing sectors.
  std::int64_t floorlevel() const { return std::int64_t{floorheight} * 65536 + floorfraction; }
  std::int64_t ceillevel() const { return std::int64_t{ceilheight} * 65536 + ceilfraction; }

  static result<sector> read(bytestream& stream, std::int32_t format);
  static std::int32_t size(std::int32_t format);  // 26
  static result<std::vector<sector>> readlump(const lump& l, std::int32_t format);
};

// A thing (THINGS record or UDMF thing block), normalised over the three layouts.
struct thing {
  // Bits of `skills`: skill s (1..5) is bit s - 1.
  static constexpr std::uint8_t allskills = 0x1F;

  std::int64_t x = 0;        // in the map's vertex units (map::fractionbits), like a vertex
  std::int64_t y = 0;        // minus the stored value, like a vertex
  std::int32_t angle = 0;    // degrees as stored (0 east, counter-clockwise)
  std::int32_t type = 0;     // the editor number
  std::uint16_t flags = 0;   // binary layouts as stored; 0 for UDMF
  std::uint8_t skills = 0;   // which skills it appears in
  bool single = false;       // appears in single player
  bool coop = false;         // appears in cooperative play (Doom layout: unless Boom's 0x40)
  bool deathmatch = false;   // appears in deathmatch (Doom layout: unless Boom's 0x20)
  std::int32_t tid = 0;      // Hexen layout only
  std::int32_t z = 0;        // Hexen layout only
  std::int64_t special = 0;  // Hexen layout and UDMF
  std::array<std::int64_t, 5> args{};
};

// The layout a map was decoded from.
enum class maplayout { doom, hexen, udmf };

// Which game's meanings a map's specials, lock numbers and thing types have.
enum class mapmeaning { doom, heretic, strife, hexen, zdoom };

// One map's geometry, decoded from a map lump group. Every layout decoder
// yields this same record. References between the records (vertex, sidedef
// and sector indices) are not checked here.
struct map {
  std::vector<vertex> vertexes;
  std::vector<linedef> linedefs;
  std::vector<sidedef> sidedefs;
  std::vector<sector> sectors;
  std::int32_t invalidmap = 0;
  std::int32_t format = 0;
  // Vertex coordinates count units of 2^-fractionbits map units: 0 for the
  // binary layouts (whole units), 16 for UDMF, whose coordinates are kept to
  // 1/65536. The drawing needs no conversion: fitting a map into an image
  // gives the same pixels whatever common scale its coordinates carry.
  std::int32_t fractionbits = 0;
  maplayout layout = maplayout::doom;
  mapmeaning meaning = mapmeaning::doom;
  text udmfnamespace;  // UDMF `namespace` as read; empty for binary maps
  // The things, read only when asked for; absent when not asked for or they
  // cannot be read (a map never fails because of its things).
  std::optional<std::vector<thing>> things;
  // UDMF thing blocks read without a usable x or y: records of the map, counted
  // with `things`, but with no place to be drawn at or counted by kind.
  std::int64_t unplacedthings = 0;

  // The sector on side `side` (a sidedef number, negative for none); null when
  // the side is absent or past the sidedefs, or its sector number is out of range.
  const sector* sideof(std::int32_t side) const;

  // The map of a lump group in the given format (never null). `listedname`
  // is the map's name as the map list shows it, for the error line of a UDMF
  // map; empty means the marker's trimmed name. An unusable group is a
  // notice: "no lumps to read map from" for an empty group; for a UDMF group
  // (istextmapgroup) the one line readfrom gives; else what readfrom said
  // followed by "encountered invalid map". A stream failure or a fatal stop of
  // the decoder comes back unchanged. Binary records too large for memory are
  // a notice: "failed to read map lumps". `withthings` asks for the things
  // too (see readfrom); without it they are never read, so damaged things
  // cannot change how a map reads.
  //
  // Under the Auto format (wad::AUTO) each group is read in its own layout:
  // UDMF as always, the Hexen layout with ZDoom meanings when the group holds
  // a BEHAVIOR lump (wad::mapgroupat) before the next map's marker as
  // `detection` lists maps, else the Doom layout; `format` is then
  // the format it was read in. A map that cannot be read so never stops the
  // program: what would be a fatal stop, here or when the map is drawn
  // (unknown vertices or sidedefs), is a notice of the same message without
  // " Probably using the wrong map format.". `detection` is how the map was
  // found: under content a binary map needs only the five lumps it is read
  // from (THINGS, LINEDEFS, SIDEDEFS, VERTEXES, SECTORS).
  static result<std::shared_ptr<map>> Create(const lumpgroup& lumps, std::int32_t format,
                                             const text& listedname = {}, bool withthings = false,
                                             mapdetection detection = mapdetection::names);
  // Fills this map from the group in this map's format, choosing the layout
  // decoder: a UDMF group goes to readtextmap (wad/udmf.h), whatever the
  // format, with `listedname` as for Create; any other group to the binary
  // decoder. An invalid map sets `invalidmap` and is a notice, possibly
  // without lines: "failed to read map lumps" when one of the ten map lumps
  // is missing, nothing when a lump to read has a negative filepos. The
  // binary decoder reads VERTEXES, LINEDEFS, SIDEDEFS and SECTORS in that
  // order, each lump's checks and reads in its turn. Sets `layout` and
  // `meaning`: a binary map means what its format word names (Doom, Hexen,
  // ZDoom), a UDMF map what its namespace names (wad/udmf.h).
  // With `withthings` the things are read as well, after everything else: the
  // whole records of THINGS in the map's layout, or the UDMF `thing` blocks
  // that have x, y and type. Things never make a map fail: a THINGS lump that
  // lies outside its file leaves `things` nullopt, a thing block without a
  // usable x or y counts in `unplacedthings`, any other faulty one is left out.
  status readfrom(const lumpgroup& lumps, const text& listedname = {}, bool withthings = false,
                  mapdetection detection = mapdetection::names);
  // The first entry of the group (null slots skipped) whose stored or trimmed
  // name equals `name` exactly (case-sensitive); null when there is none.
  static std::shared_ptr<lump> getlump(const lumpgroup& lumps, const text& name);
};

// Whether every linedef names vertices and sidedefs the map has (a side
// number below 0 is an absent side), checked in line order, vertices before
// sides: a fatal stop with reason badvertex or badsidedef at the first that
// does not. The one check of the references that reading and drawing follow.
status checkreferences(const map& m);

}  // namespace tracewell
