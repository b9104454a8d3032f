// Synthetic ZIP archives for tests, written by libzip in memory, and the offsets of their fields for damage.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "wad/ziplayout.h"

namespace tracewell::testkit {

// One archive entry. Written in the order given, so central-directory order
// is list order.
struct zipentry {
  std::string name;
  std::string data;
  bool deflate = true;   // false: stored
  std::string password;  // not empty: AES-256 encrypted with it
  bool utf8 = false;     // general-purpose bit 11 in both headers: the name is UTF-8
};

// The bytes of an archive holding `entries`.
std::string buildzip(const std::vector<zipentry>& entries);
// An archive without entries: the end record alone.
std::string emptyzip();

// PK3 entries maps/NAME.wad, one per map of the WAD at `path` (every one when
// `names` is empty): its marker and the ten lumps after it, stored and
// deflated by turns.
std::vector<zipentry> mapwadentries(const std::string& path, const std::vector<std::string>& names = {});

// Where entry `index`'s central-directory header starts in `zip`.
std::size_t centralheader(const std::string& zip, std::size_t index);
// Where entry `index`'s local header starts.
std::size_t localheader(const std::string& zip, std::size_t index);
// Where entry `index`'s (compressed) data starts.
std::size_t dataoffset(const std::string& zip, std::size_t index);
// Writes `value` to a field of entry `index` in the central header
// (`central`) and the local header (`local`) alike: the same field of each,
// from wad/ziplayout.h.
void patchentry(std::string& zip, std::size_t index, wadformat::field central, wadformat::field local,
                std::uint32_t value);

}  // namespace tracewell::testkit
