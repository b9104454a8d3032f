// Synthetic WAD files for tests: any directory, Doom or Hexen map groups from plain lists, damage helpers.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/bytestream.h"
#include "wad/lumplayout.h"
#include "wad/wad.h"

namespace tracewell::testkit {

// Map records as they are stored (a vertex's y is NOT negated here). Numbers
// are written as their low 16 bits (or 8 for a Hexen special), so -1 gives
// 0xFFFF. Texture names are cut or NUL-padded to 8 bytes.
struct rawvertex {
  std::int32_t x = 0;
  std::int32_t y = 0;
};

struct rawlinedef {
  std::int32_t startvertex = 0;
  std::int32_t endvertex = 0;
  std::int32_t flags = 0;
  std::int32_t special = 0;
  std::int32_t sectortag = 0;  // Doom layout only
  std::int32_t rightside = -1;
  std::int32_t leftside = -1;
  std::array<std::uint8_t, 5> args{};  // Hexen layout only
};

struct rawsidedef {
  std::int32_t xoff = 0;
  std::int32_t yoff = 0;
  std::string uppertex = "-";
  std::string lowertex = "-";
  std::string middletex = "-";
  std::int32_t sector = 0;
};

struct rawsector {
  std::int32_t floorheight = 0;
  std::int32_t ceilheight = 128;
  std::string floortex = "FLOOR4_8";
  std::string ceiltex = "CEIL3_5";
  std::int32_t light = 160;
  std::int32_t sectortype = 0;
  std::int32_t sectortag = 0;
};

struct rawthing {  // Doom layout
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t angle = 0;
  std::int32_t type = 0;
  std::int32_t flags = 7;  // every skill
};

// One map's records. `format` picks the linedef layout: wad::HEXEN or
// wad::ZDOOM give 16-byte Hexen linedefs and a BEHAVIOR lump after BLOCKMAP.
struct mapdata {
  std::vector<rawvertex> vertexes;
  std::vector<rawlinedef> linedefs;
  std::vector<rawsidedef> sidedefs;
  std::vector<rawsector> sectors;
  std::int32_t format = wad::DOOM;
  std::vector<rawthing> things;  // Doom layout; none: one zeroed record
};

// A closed square room of side `side` with its lower-left corner at (0, 0):
// 4 vertices, 4 one-sided impassable linedefs, 4 sidedefs, 1 sector.
mapdata squaremap(std::int32_t format = wad::DOOM, std::int32_t side = 64);

// The bytes of a lump of records, in the given linedef layout.
std::string encode(const std::vector<rawvertex>& records);
std::string encode(const std::vector<rawlinedef>& records, std::int32_t format);
std::string encode(const std::vector<rawsidedef>& records);
std::string encode(const std::vector<rawsector>& records);
std::string encode(const std::vector<rawthing>& records);

// Changes to a map group made by addmap, e.g. mapoptions::without("REJECT").
struct mapoptions {
  std::vector<std::string> omit;                            // lumps left out
  std::vector<std::pair<std::string, std::string>> rename;  // {from, to}, e.g. {"LINEDEFS", "linedefs"}

  static mapoptions without(std::string lump) { return mapoptions{{std::move(lump)}, {}}; }
  static mapoptions renamed(std::string from, std::string to) {
    return mapoptions{{}, {{std::move(from), std::move(to)}}};
  }
};

// One directory entry and its data.
struct wadentry {
  std::string name;                     // cut or NUL-padded to 8 bytes; may contain NULs
  std::string data;                     // placed after the header, in entry order
  std::optional<std::int32_t> filepos;  // written instead of the data's real position
  std::optional<std::int32_t> size;     // written instead of data.size()
};

// Builds a WAD: the 12-byte header, then every entry's data in order, then the
// directory (or the directory first, see directoryfirst). Example:
//   wadbuilder b;
//   b.addmap("MAP01", squaremap());
//   b.addlump("MAPINFO", "...");
//   auto stream = b.open(dir);
class wadbuilder {
 public:
  explicit wadbuilder(std::string identification = "PWAD") : identification_(std::move(identification)) {}

  // The header's identification, written as exactly these bytes (cut or
  // NUL-padded to 4).
  wadbuilder& identification(std::string id);
  // Header fields written instead of the real entry count / directory offset.
  wadbuilder& numlumps(std::int32_t n);
  wadbuilder& infotableoffset(std::int32_t offset);
  // Places the directory right after the header, before the data, so that a
  // cut in the data leaves the directory whole.
  wadbuilder& directoryfirst();

  // Appends an entry; returns its directory index.
  std::size_t addlump(std::string name, std::string data = "");
  // Appends a map group: the marker `name`, then THINGS, LINEDEFS, SIDEDEFS,
  // VERTEXES, SEGS, SSECTORS, NODES, SECTORS, REJECT, BLOCKMAP (and BEHAVIOR
  // for a Hexen-layout map), after `options`. Returns the marker's index.
  std::size_t addmap(std::string name, const mapdata& m, const mapoptions& options = {});
  // Appends a UDMF map group: the marker `name`, TEXTMAP holding `textmap`,
  // ENDMAP. Returns the marker's index.
  std::size_t addudmfmap(std::string name, std::string textmap);

  std::vector<wadentry>& entries() { return entries_; }
  wadentry& entry(std::size_t index) { return entries_.at(index); }
  // Index of the first entry named `name` (compared after padding to 8 bytes)
  // from index `from` on; nullopt when there is none.
  std::optional<std::size_t> find(const std::string& name, std::size_t from = 0) const;
  // The first entry named `name`; throws std::out_of_range when there is none.
  wadentry& entry(const std::string& name);

  // File offsets in bytes(): of an entry's data, of the directory, of the
  // directory entry `index`.
  std::size_t dataoffset(std::size_t index) const;
  std::size_t directoryoffset() const;
  std::size_t entryoffset(std::size_t index) const {
    return directoryoffset() + wadformat::direntry::bytes * index;
  }

  // The finished file.
  std::string bytes() const;
  // Writes bytes() to `path`.
  void write(const std::filesystem::path& path) const;
  // Writes bytes() to `dir`/`name` and opens it for reading.
  std::shared_ptr<bytestream> open(const std::filesystem::path& dir,
                                   const std::string& name = "test.wad") const;

 private:
  std::string identification_;
  std::optional<std::int32_t> numlumps_;
  std::optional<std::int32_t> infotableoffset_;
  bool directoryfirst_ = false;
  std::vector<wadentry> entries_;
};

// Damage helpers over finished bytes.
// The first `size` bytes (all of them when shorter).
std::string truncated(const std::string& bytes, std::size_t size);
// Overwrites the little-endian field at `offset` (the string grows when needed).
void putu8(std::string& bytes, std::size_t offset, std::uint8_t value);
void putu16(std::string& bytes, std::size_t offset, std::uint16_t value);
void puts32(std::string& bytes, std::size_t offset, std::int32_t value);

// wad::read for tests that expect no stream failure: the WAD, or null when it
// is not one. A failure is a test failure (and gives null).
std::shared_ptr<wad> readwad(const std::shared_ptr<bytestream>& stream, std::int32_t format = wad::DOOM);

// Writes `bytes` to `dir`/`name` and opens it for reading.
std::shared_ptr<bytestream> openbytes(const std::filesystem::path& dir, const std::string& bytes,
                                      const std::string& name = "test.wad");

}  // namespace tracewell::testkit
