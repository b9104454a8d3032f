// Synthetic ZIP archives for tests, written by libzip in memory, and the offsets of their fields for damage.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tracewell::testkit {

// One archive entry. Written in the order given, so central-directory order
// is list order.
struct zipentry {
  std::string name;
  std::string data;
  bool deflate = true;   // false: stored
  std::string password;  // not empty: AES-256 encrypted with it
};

// The bytes of an archive holding `entries`.
std::string buildzip(const std::vector<zipentry>& entries);
// An archive without entries: the end record alone.
std::string emptyzip();

// PK3 entries maps/NAME.wad, one per map of the WAD at `path` (every one when
// `names` is empty): its marker and the ten lumps after it, stored and
// deflated by turns.
std::vector<zipentry> mapwadentries(const std::string& path, const std::vector<std::string>& names = {});

// Field offsets of the ZIP records (little-endian), for damage helpers.
namespace ziplayout {
inline constexpr std::size_t flags = 8;  // central header; the local header's is 2 less
inline constexpr std::size_t method = 10;
inline constexpr std::size_t crc = 16;
inline constexpr std::size_t compressedsize = 20;
inline constexpr std::size_t size = 24;
inline constexpr std::size_t localheaderoffset = 42;
inline constexpr std::size_t localshift = 2;  // local field = central field offset - 2
inline constexpr std::size_t localnamelength = 26;
inline constexpr std::size_t localheadersize = 30;
}  // namespace ziplayout

// Where entry `index`'s central-directory header starts in `zip`.
std::size_t centralheader(const std::string& zip, std::size_t index);
// Where entry `index`'s local header starts.
std::size_t localheader(const std::string& zip, std::size_t index);
// Where entry `index`'s (compressed) data starts.
std::size_t dataoffset(const std::string& zip, std::size_t index);
// Writes `value` to the field at `field` (a central-header offset from
// ziplayout) of entry `index`, in the central header and the local header alike.
void patchentry(std::string& zip, std::size_t index, std::size_t field, std::uint32_t value,
                std::size_t width);

}  // namespace tracewell::testkit
