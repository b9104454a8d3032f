// ZIP archives (and PK3s) read through libzip: the entry names, and one entry's bytes in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "support/failure.h"
#include "support/text.h"

struct zip;
struct zip_file;

namespace tracewell {

// An entry's bytes, shared so that a stream over them can keep them alive.
using entrybytes = std::shared_ptr<const std::vector<unsigned char>>;

// The name of ZIP compression method `method` ("implode", "bzip2"), or null
// for a method without one here (stored and deflate among them).
const char16_t* compressionmethodname(std::uint32_t method);

// How much one opening of an archive may inflate. A bomb (a small archive
// declaring or inflating to gigabytes) stops at these instead of at memory.
struct archivelimits {
  // No entry whose declared uncompressed size is larger is ever read: 2 GiB.
  // Entries read are kept in memory while together they take no more.
  std::uint64_t ceiling = std::uint64_t{1} << 31;
  // Bytes one opening may inflate in total, over all entries and reads:
  // `budget` plus `factor` times the archive's own size.
  std::uint64_t budget = std::uint64_t{1} << 30;
  std::uint64_t factor = 64;
};

// A ZIP archive opened for reading. Nothing is ever written or extracted:
// entry names (which may hold "..", absolute paths or any byte) are only
// names. Not safe for use from two threads at once.
class archive {
 public:
  static constexpr std::uint64_t sizeceiling = archivelimits{}.ceiling;
  // The bytes the first read of an entry with a `bytesneeded` inflates.
  static constexpr std::size_t headbytes = 12;

  // True when `head`, a file's first bytes, starts as a ZIP archive does:
  // "PK\3\4" (a local file header) or "PK\5\6" (the end record of an empty one).
  static bool recognise(std::span<const unsigned char> head);

  // Opens `path` (see nativepath), which must be a regular file, and reads
  // its central directory. The file stays open while the archive lives.
  // Fails with reason cannotopen or notparsable.
  static result<std::shared_ptr<archive>> openfile(const text& path, archivelimits limits = {});
  // The same over bytes in memory, kept alive by the archive.
  static result<std::shared_ptr<archive>> openmemory(const entrybytes& bytes, archivelimits limits = {});

  // How many bytes from an entry's start a reader needs, given those inflated
  // so far (the first headbytes of the entry, or all of a shorter one).
  using bytesneeded = std::function<std::uint64_t(std::span<const unsigned char> sofar)>;

  // The uncompressed data of entry `index`: all of it, or with `need` only
  // as much as `need` asks for (asked again each time that much has been
  // inflated, so that it can ask for more). The declared size is checked
  // against min(limit, ceiling) before anything is allocated, reading stops
  // at it, and the CRC is checked when the whole entry is read. Fails (never
  // throws) with the entry's name as subject and reason encrypted,
  // unsupported, toolarge, damaged, overbudget or overlaps (an entry whose
  // data overlaps another's, as in a bomb that shares one stream among many
  // entries, is never inflated); noentry for an index past the last entry.
  result<entrybytes> read(std::size_t index, std::uint64_t limit = sizeceiling, const bytesneeded& need = {});

  // The uncompressed size entry `index` declares; 0 when it declares none or there is no such entry.
  std::uint64_t declaredsize(std::size_t index) const;
  const archivelimits& limits() const { return limits_; }
  // Bytes inflated by this opening so far, over all reads.
  std::uint64_t inflated() const { return inflated_; }

  // Entry names in central-directory order: a name flagged UTF-8 decoded as
  // UTF-8 (see fromutf8), any other as stored (bytes as code units 0..255).
  const std::vector<text>& names() const { return names_; }
  // By entry: its name was flagged UTF-8.
  const std::vector<bool>& utf8names() const { return utf8names_; }

  struct closer {
    void operator()(zip* z) const;
    void operator()(zip_file* f) const;
  };
  using handle = std::unique_ptr<zip, closer>;
  using filehandle = std::unique_ptr<zip_file, closer>;

  struct key {
    explicit key() = default;
  };
  archive(key, handle zip, entrybytes memory, std::vector<text> names, archivelimits limits,
          std::uint64_t ownsize);

 private:
  // Reads `n` bytes at `offset` of the archive's own bytes; false when they are not all there.
  using readat = std::function<bool(std::uint64_t offset, std::size_t n, unsigned char* out)>;
  static result<std::shared_ptr<archive>> open(handle zip, entrybytes memory, archivelimits limits,
                                               std::uint64_t ownsize, const readat& raw);

  handle zip_;
  entrybytes memory_;  // the bytes under an archive opened from memory
  std::vector<text> names_;
  archivelimits limits_;
  std::uint64_t allowance_;     // what this opening may inflate in all
  std::uint64_t inflated_ = 0;  // what it has inflated so far
  std::vector<bool> overlaps_;  // by entry: its data overlaps another entry's, so it is never inflated
  std::vector<bool> utf8names_;
};

}  // namespace tracewell
