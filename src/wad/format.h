// On-disk layout of WAD files and map lumps: sizes, magic words and little-endian decoding.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tracewell::wadformat {

// Header: identification[4], numlumps s32, infotableoffset s32.
inline constexpr std::size_t headersize = 12;
inline constexpr std::string_view iwad = "IWAD";
inline constexpr std::string_view pwad = "PWAD";

// Directory entry: filepos s32, size s32, name[8] (NUL padded).
inline constexpr std::size_t entrysize = 16;
inline constexpr std::size_t namesize = 8;

// Map records.
inline constexpr std::size_t vertexsize = 4;
inline constexpr std::size_t doomlinedefsize = 14;
inline constexpr std::size_t hexenlinedefsize = 16;
inline constexpr std::size_t sidedefsize = 30;
inline constexpr std::size_t sectorsize = 26;
inline constexpr std::size_t linedefargs = 5;

// The ten lumps that follow a map marker, in the order DOOM-engine WADs store them.
inline constexpr std::array<std::string_view, 10> maplumpnames = {
    "THINGS",   "LINEDEFS", "SIDEDEFS", "VERTEXES", "SEGS",
    "SSECTORS", "NODES",    "SECTORS",  "REJECT",   "BLOCKMAP"};

// Little-endian fields from memory; `p` must hold the field's bytes.
inline std::uint16_t getu16(const unsigned char* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::int32_t gets16(const unsigned char* p) {
  return static_cast<std::int16_t>(getu16(p));
}
inline std::int32_t gets32(const unsigned char* p) {
  return static_cast<std::int32_t>(
      static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
      (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24));
}

}  // namespace tracewell::wadformat
