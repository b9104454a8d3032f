// ZIP archives (and PK3s) read through libzip: the entry names, and one entry's bytes in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "support/text.h"

struct zip;
struct zip_file;

namespace tracewell {

// Why an archive or one of its entries gave nothing.
enum class archivefailure {
  none,
  unopenable,   // the file cannot be opened or is not a regular file
  unreadable,   // not a ZIP archive, or its central directory is damaged
  noentry,      // no entry has this index
  encrypted,    // the entry needs a password
  unsupported,  // the entry's compression method cannot be decompressed
  toolarge,     // the declared uncompressed size is over the limit (or memory ran out)
  damaged,      // the data fails to decompress, is shorter or longer than declared, or fails its CRC
};

// An entry's bytes, shared so that a stream over them can keep them alive.
using entrybytes = std::shared_ptr<const std::vector<unsigned char>>;

// A ZIP archive opened for reading. Nothing is ever written or extracted:
// entry names (which may hold "..", absolute paths or any byte) are only
// names. Not safe for use from two threads at once.
class archive {
 public:
  // No entry whose declared uncompressed size is larger is ever read: 2 GiB.
  static constexpr std::uint64_t sizeceiling = std::uint64_t{1} << 31;

  // True when `head`, a file's first bytes, starts as a ZIP archive does:
  // "PK\3\4" (a local file header) or "PK\5\6" (the end record of an empty one).
  static bool recognise(std::span<const unsigned char> head);

  struct opening;
  // Opens `path` (see nativepath), which must be a regular file, and reads
  // its central directory. The file stays open while the archive lives.
  static opening openfile(const text& path);
  // The same over bytes in memory, kept alive by the archive.
  static opening openmemory(entrybytes bytes);

  struct reading;
  // The whole uncompressed data of entry `index`. The declared size is checked
  // against min(limit, sizeceiling) before anything is allocated, reading
  // stops at it, and the CRC is checked. Fails (never throws) for an encrypted
  // entry, an unsupported compression method or damaged data.
  reading read(std::size_t index, std::uint64_t limit = sizeceiling);

  // Entry names in central-directory order, as stored (bytes as code units 0..255).
  const std::vector<text>& names() const { return names_; }

  struct closer {
    void operator()(zip* z) const;
    void operator()(zip_file* f) const;
  };
  using handle = std::unique_ptr<zip, closer>;
  using filehandle = std::unique_ptr<zip_file, closer>;

  struct key {
    explicit key() = default;
  };
  archive(key, handle zip, entrybytes memory, std::vector<text> names);

 private:
  static opening open(handle zip, entrybytes memory);

  handle zip_;
  entrybytes memory_;  // the bytes under an archive opened from memory
  std::vector<text> names_;
};

struct archive::opening {
  std::shared_ptr<archive> zip;  // null on failure
  archivefailure failure = archivefailure::none;
};

struct archive::reading {
  entrybytes bytes;  // null on failure
  archivefailure failure = archivefailure::none;
};

}  // namespace tracewell
