// On-disk layout of WAD files and map lumps: every record's fields, magic words and little-endian access.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string_view>

namespace tracewell::wadformat {

// One field of a record: where it starts and how many bytes it takes. Every
// number is little-endian; names are NUL-padded byte strings.
struct field {
  std::size_t offset;
  std::size_t width;
};

// True when `fields`, in order, cover exactly `size` bytes without gaps or overlaps.
constexpr bool tiles(std::initializer_list<field> fields, std::size_t size) {
  std::size_t at = 0;
  for (const field& f : fields) {
    if (f.offset != at) return false;
    at += f.width;
  }
  return at == size;
}

inline constexpr std::size_t namesize = 8;

// The file header.
namespace header {
inline constexpr field identification{0, 4};   // "IWAD" or "PWAD"
inline constexpr field numlumps{4, 4};         // s32
inline constexpr field infotableoffset{8, 4};  // s32: file offset of the directory
inline constexpr std::size_t bytes = 12;
static_assert(tiles({identification, numlumps, infotableoffset}, bytes));
}  // namespace header
inline constexpr std::string_view iwad = "IWAD";
inline constexpr std::string_view pwad = "PWAD";

// One directory entry.
namespace direntry {
inline constexpr field filepos{0, 4};  // s32
inline constexpr field size{4, 4};     // s32
inline constexpr field name{8, namesize};
inline constexpr std::size_t bytes = 16;
static_assert(tiles({filepos, size, name}, bytes));
}  // namespace direntry

// Map records. Numbers are s16 unless marked u16 / u8.
namespace vertexrecord {
inline constexpr field x{0, 2};
inline constexpr field y{2, 2};  // north is up in the map, down in the image
inline constexpr std::size_t bytes = 4;
static_assert(tiles({x, y}, bytes));
}  // namespace vertexrecord

namespace doomlinedef {
inline constexpr field startvertex{0, 2};  // u16
inline constexpr field endvertex{2, 2};    // u16
inline constexpr field flags{4, 2};        // u16
inline constexpr field special{6, 2};      // u16
inline constexpr field sectortag{8, 2};    // u16
inline constexpr field rightside{10, 2};   // -1: none
inline constexpr field leftside{12, 2};
inline constexpr std::size_t bytes = 14;
static_assert(tiles({startvertex, endvertex, flags, special, sectortag, rightside, leftside}, bytes));
}  // namespace doomlinedef

namespace hexenlinedef {
inline constexpr std::size_t argcount = 5;
inline constexpr field startvertex{0, 2};  // u16
inline constexpr field endvertex{2, 2};    // u16
inline constexpr field flags{4, 2};        // u16
inline constexpr field special{6, 1};      // u8
inline constexpr field args{7, argcount};  // u8 each
inline constexpr field rightside{12, 2};
inline constexpr field leftside{14, 2};
inline constexpr std::size_t bytes = 16;
static_assert(tiles({startvertex, endvertex, flags, special, args, rightside, leftside}, bytes));
}  // namespace hexenlinedef

namespace sidedefrecord {
inline constexpr field xoff{0, 2};
inline constexpr field yoff{2, 2};
inline constexpr field uppertex{4, namesize};
inline constexpr field lowertex{12, namesize};
inline constexpr field middletex{20, namesize};
inline constexpr field sector{28, 2};  // u16
inline constexpr std::size_t bytes = 30;
static_assert(tiles({xoff, yoff, uppertex, lowertex, middletex, sector}, bytes));
}  // namespace sidedefrecord

namespace sectorrecord {
inline constexpr field floorheight{0, 2};
inline constexpr field ceilheight{2, 2};
inline constexpr field floortex{4, namesize};
inline constexpr field ceiltex{12, namesize};
inline constexpr field light{20, 2};       // u16
inline constexpr field sectortype{22, 2};  // u16
inline constexpr field sectortag{24, 2};   // u16
inline constexpr std::size_t bytes = 26;
static_assert(tiles({floorheight, ceilheight, floortex, ceiltex, light, sectortype, sectortag}, bytes));
}  // namespace sectorrecord

namespace doomthing {
inline constexpr field x{0, 2};
inline constexpr field y{2, 2};
inline constexpr field angle{4, 2};  // degrees
inline constexpr field type{6, 2};   // u16: the editor number
inline constexpr field flags{8, 2};  // u16
inline constexpr std::size_t bytes = 10;
static_assert(tiles({x, y, angle, type, flags}, bytes));
}  // namespace doomthing

namespace hexenthing {
inline constexpr std::size_t argcount = 5;
inline constexpr field tid{0, 2};
inline constexpr field x{2, 2};
inline constexpr field y{4, 2};
inline constexpr field z{6, 2};             // height above the floor
inline constexpr field angle{8, 2};         // degrees
inline constexpr field type{10, 2};         // u16: the editor number
inline constexpr field flags{12, 2};        // u16
inline constexpr field special{14, 1};      // u8
inline constexpr field args{15, argcount};  // u8 each
inline constexpr std::size_t bytes = 20;
static_assert(tiles({tid, x, y, z, angle, type, flags, special, args}, bytes));
}  // namespace hexenthing

// The largest record, for buffers that hold any one of them.
inline constexpr std::size_t largestrecord = sidedefrecord::bytes;
static_assert(largestrecord >= hexenlinedef::bytes && largestrecord >= sectorrecord::bytes &&
              largestrecord >= hexenthing::bytes);

// The ten lumps that follow a map marker, in the order DOOM-engine WADs store them.
inline constexpr std::array<std::string_view, 10> maplumpnames = {
    "THINGS",   "LINEDEFS", "SIDEDEFS", "VERTEXES", "SEGS",
    "SSECTORS", "NODES",    "SECTORS",  "REJECT",   "BLOCKMAP"};
// The five of them a map is read from.
inline constexpr std::array<std::string_view, 5> readlumpnames = {"THINGS", "LINEDEFS", "SIDEDEFS",
                                                                  "VERTEXES", "SECTORS"};

// Little-endian fields of a record in memory; `record` must hold the field's bytes.
inline std::uint16_t getu16(const unsigned char* record, field f) {
  const unsigned char* p = record + f.offset;
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::int32_t gets16(const unsigned char* record, field f) {
  return static_cast<std::int16_t>(getu16(record, f));
}
inline std::int32_t gets32(const unsigned char* record, field f) {
  const unsigned char* p = record + f.offset;
  return static_cast<std::int32_t>(
      static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
      (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24));
}
inline std::uint64_t getunsigned(const unsigned char* record, field f) {
  std::uint64_t v = 0;
  for (std::size_t i = f.width; i-- > 0;) v = (v << 8) | record[f.offset + i];
  return v;
}
inline std::string_view getbytes(const unsigned char* record, field f) {
  return {reinterpret_cast<const char*>(record + f.offset), f.width};
}

}  // namespace tracewell::wadformat
