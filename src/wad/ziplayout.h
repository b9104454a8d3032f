// On-disk layout of the ZIP records libzip keeps to itself: every record's fields and magic words.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "wad/lumplayout.h"

namespace tracewell::wadformat {

// ZIP records, for what libzip 1.7 does not tell: where each entry's data lies.
// Sizes and offsets of 0xFFFFFFFF (counts of 0xFFFF) are in the ZIP64 records.
namespace zipendrecord {
inline constexpr std::string_view signature = "PK\5\6";
inline constexpr field magic{0, 4};
inline constexpr field disk{4, 2};
inline constexpr field directorydisk{6, 2};
inline constexpr field diskentries{8, 2};
inline constexpr field entries{10, 2};
inline constexpr field directorysize{12, 4};
inline constexpr field directoryoffset{16, 4};
inline constexpr field commentlength{20, 2};
inline constexpr std::size_t bytes = 22;
static_assert(tiles({magic, disk, directorydisk, diskentries, entries, directorysize, directoryoffset,
                     commentlength},
                    bytes));
}  // namespace zipendrecord

// Just before the end record when the archive has ZIP64 records.
namespace zip64locator {
inline constexpr std::string_view signature = "PK\6\7";
inline constexpr field magic{0, 4};
inline constexpr field disk{4, 4};
inline constexpr field endrecordoffset{8, 8};
inline constexpr field disks{16, 4};
inline constexpr std::size_t bytes = 20;
static_assert(tiles({magic, disk, endrecordoffset, disks}, bytes));
}  // namespace zip64locator

namespace zip64endrecord {
inline constexpr std::string_view signature = "PK\6\6";
inline constexpr field magic{0, 4};
inline constexpr field recordsize{4, 8};
inline constexpr field versionmadeby{12, 2};
inline constexpr field versionneeded{14, 2};
inline constexpr field disk{16, 4};
inline constexpr field directorydisk{20, 4};
inline constexpr field diskentries{24, 8};
inline constexpr field entries{32, 8};
inline constexpr field directorysize{40, 8};
inline constexpr field directoryoffset{48, 8};
inline constexpr std::size_t bytes = 56;
static_assert(tiles({magic, recordsize, versionmadeby, versionneeded, disk, directorydisk, diskentries,
                     entries, directorysize, directoryoffset},
                    bytes));
}  // namespace zip64endrecord

// One central-directory record, followed by its name, extra field and comment.
namespace zipcentralheader {
inline constexpr std::string_view signature = "PK\1\2";
inline constexpr field magic{0, 4};
inline constexpr field versionmadeby{4, 2};
inline constexpr field versionneeded{6, 2};
inline constexpr field flags{8, 2};
inline constexpr field method{10, 2};
inline constexpr field time{12, 2};
inline constexpr field date{14, 2};
inline constexpr field crc{16, 4};
inline constexpr field compressedsize{20, 4};
inline constexpr field size{24, 4};
inline constexpr field namelength{28, 2};
inline constexpr field extralength{30, 2};
inline constexpr field commentlength{32, 2};
inline constexpr field disk{34, 2};
inline constexpr field internalattributes{36, 2};
inline constexpr field externalattributes{38, 4};
inline constexpr field localheaderoffset{42, 4};
inline constexpr std::size_t bytes = 46;
inline constexpr std::uint32_t utf8name = 0x800;  // bit 11 of `flags`: the name is UTF-8
static_assert(tiles({magic, versionmadeby, versionneeded, flags, method, time, date, crc, compressedsize,
                     size, namelength, extralength, commentlength, disk, internalattributes,
                     externalattributes, localheaderoffset},
                    bytes));
// The ZIP64 block of the extra field: after its 4-byte head (id, length), 8-byte
// values for the size, compressed size and local header offset, in that order,
// each present only when its 32-bit field holds 0xFFFFFFFF.
inline constexpr std::uint16_t zip64extra = 1;
}  // namespace zipcentralheader

// Each entry's data follows its local header, name and extra field.
namespace ziplocalheader {
inline constexpr std::string_view signature = "PK\3\4";
inline constexpr field magic{0, 4};
inline constexpr field versionneeded{4, 2};
inline constexpr field flags{6, 2};
inline constexpr field method{8, 2};
inline constexpr field time{10, 2};
inline constexpr field date{12, 2};
inline constexpr field crc{14, 4};
inline constexpr field compressedsize{18, 4};
inline constexpr field size{22, 4};
inline constexpr field namelength{26, 2};
inline constexpr field extralength{28, 2};
inline constexpr std::size_t bytes = 30;
static_assert(tiles({magic, versionneeded, flags, method, time, date, crc, compressedsize, size, namelength,
                     extralength},
                    bytes));
}  // namespace ziplocalheader

}  // namespace tracewell::wadformat
