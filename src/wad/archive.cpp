// ZIP archives (and PK3s) read through libzip: the entry names, and one entry's bytes in memory.
#include "wad/archive.h"

#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <functional>
#include <new>
#include <optional>

#include "support/bytestream.h"
#include "wad/ziplayout.h"

namespace tracewell {

namespace {

struct sourcefree {
  void operator()(zip_source_t* s) const { zip_source_free(s); }
};
using sourcehandle = std::unique_ptr<zip_source_t, sourcefree>;

struct fileclose {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

// A zip_error_t that frees what libzip put in it.
struct ziperror {
  zip_error_t error{};
  ziperror() { zip_error_init(&error); }
  ~ziperror() { zip_error_fini(&error); }
  ziperror(const ziperror&) = delete;
  ziperror& operator=(const ziperror&) = delete;
};

constexpr std::size_t chunksize = std::size_t{64} * 1024;

using reason = failure::reason;

// What a libzip error met while opening or reading an entry means here.
reason entryfailure(int code) {
  switch (code) {
    case ZIP_ER_NOPASSWD:
    case ZIP_ER_WRONGPASSWD:
    case ZIP_ER_ENCRNOTSUPP:
      return reason::encrypted;
    case ZIP_ER_COMPNOTSUPP:
      return reason::unsupported;
    case ZIP_ER_MEMORY:
      return reason::toolarge;
    default:
      return reason::damaged;
  }
}

failure refused(reason why) {
  return failure::because(why);
}

// The ZIP compression methods with a name of their own, from the format's
// application note.
struct namedmethod {
  std::uint32_t first;
  std::uint32_t last;
  const char16_t* name;
};
constexpr namedmethod namedmethods[] = {
    {1, 1, u"shrink"},
    {2, 5, u"reduce"},
    {6, 6, u"implode"},
    {9, 9, u"deflate64"},
    {10, 10, u"PKWARE DCL implode"},
    {12, 12, u"bzip2"},
    {14, 14, u"LZMA"},
    {18, 18, u"IBM TERSE"},
    {19, 19, u"IBM LZ77"},
    {93, 93, u"Zstandard"},
    {95, 95, u"XZ"},
    {96, 96, u"JPEG"},
    {97, 97, u"WavPack"},
    {98, 98, u"PPMd"},
};

using readat = std::function<bool(std::uint64_t offset, std::size_t n, unsigned char* out)>;

// What the central directory's records say of each entry, in central-directory
// order, read from the records themselves: libzip 1.7 tells neither where an
// entry's data lies nor its flags.
struct entryfacts {
  // The entry's data overlaps another entry's. Each entry's data is taken to
  // span its local header and compressed data; the spans of a well-made
  // archive never meet, while a bomb that lets many entries share one stream
  // of data makes them meet.
  std::vector<bool> overlaps;
  std::vector<bool> utf8;  // general-purpose bit 11: the name is UTF-8
};

// All false when the records cannot be read or count other than `count`
// entries: libzip has opened the archive, so that is only a layout not understood here.
entryfacts readentryfacts(const readat& read, std::uint64_t size, std::size_t count) {
  using namespace wadformat;
  const auto none = [count] {
    return entryfacts{std::vector<bool>(count, false), std::vector<bool>(count, false)};
  };
  const std::uint64_t tail = std::min<std::uint64_t>(size, zipendrecord::bytes + 0xFFFF);
  std::vector<unsigned char> end(static_cast<std::size_t>(tail));
  if (tail < zipendrecord::bytes || !read(size - tail, end.size(), end.data())) return none();
  std::size_t at = end.size() - zipendrecord::bytes + 1;
  do {
    if (at-- == 0) return none();
  } while (getbytes(end.data() + at, zipendrecord::magic) != zipendrecord::signature);
  const unsigned char* record = end.data() + at;
  std::uint64_t entries = getunsigned(record, zipendrecord::entries);
  std::uint64_t directorysize = getunsigned(record, zipendrecord::directorysize);
  std::uint64_t directoryoffset = getunsigned(record, zipendrecord::directoryoffset);
  const std::uint64_t endat = size - tail + at;
  if (endat >= zip64locator::bytes) {
    std::array<unsigned char, zip64locator::bytes> locator{};
    std::array<unsigned char, zip64endrecord::bytes> end64{};
    if (read(endat - zip64locator::bytes, locator.size(), locator.data()) &&
        getbytes(locator.data(), zip64locator::magic) == zip64locator::signature &&
        read(getunsigned(locator.data(), zip64locator::endrecordoffset), end64.size(), end64.data()) &&
        getbytes(end64.data(), zip64endrecord::magic) == zip64endrecord::signature) {
      entries = getunsigned(end64.data(), zip64endrecord::entries);
      directorysize = getunsigned(end64.data(), zip64endrecord::directorysize);
      directoryoffset = getunsigned(end64.data(), zip64endrecord::directoryoffset);
    }
  }
  if (entries != count || directorysize > size || directoryoffset > size - directorysize) return none();
  std::vector<unsigned char> directory(static_cast<std::size_t>(directorysize));
  if (!read(directoryoffset, directory.size(), directory.data())) return none();

  struct span {
    std::uint64_t first;
    std::uint64_t end;
    std::size_t entry;
  };
  std::vector<span> spans;
  spans.reserve(count);
  std::vector<bool> utf8;
  utf8.reserve(count);
  constexpr std::uint64_t escaped = 0xFFFFFFFF;
  for (std::size_t pos = 0; spans.size() < count;) {
    if (directory.size() - pos < zipcentralheader::bytes) return none();
    const unsigned char* h = directory.data() + pos;
    if (getbytes(h, zipcentralheader::magic) != zipcentralheader::signature) return none();
    std::uint64_t uncompressed = getunsigned(h, zipcentralheader::size);
    std::uint64_t compressed = getunsigned(h, zipcentralheader::compressedsize);
    std::uint64_t local = getunsigned(h, zipcentralheader::localheaderoffset);
    const std::size_t namelength = getunsigned(h, zipcentralheader::namelength);
    const std::size_t extralength = getunsigned(h, zipcentralheader::extralength);
    const std::size_t next = pos + zipcentralheader::bytes + namelength + extralength +
                             getunsigned(h, zipcentralheader::commentlength);
    if (next > directory.size()) return none();
    // The ZIP64 block holds, in order, the values whose 32-bit fields are escaped.
    const unsigned char* extra = h + zipcentralheader::bytes + namelength;
    for (std::size_t e = 0; e + 4 <= extralength;) {
      const std::size_t id = getunsigned(extra + e, {0, 2});
      const std::size_t length = getunsigned(extra + e, {2, 2});
      if (e + 4 + length > extralength) break;
      if (id == zipcentralheader::zip64extra) {
        std::size_t v = e + 4;
        for (std::uint64_t* value : {&uncompressed, &compressed, &local}) {
          if (*value != escaped) continue;
          if (v + 8 > e + 4 + length) break;
          *value = getunsigned(extra + v, {0, 8});
          v += 8;
        }
      }
      e += 4 + length;
    }
    utf8.push_back((getunsigned(h, zipcentralheader::flags) & zipcentralheader::utf8name) != 0);
    const std::uint64_t spanend = local + ziplocalheader::bytes + std::min(compressed, size);
    spans.push_back({local, spanend, spans.size()});
    pos = next;
  }
  std::sort(spans.begin(), spans.end(), [](const span& a, const span& b) { return a.first < b.first; });
  std::vector<bool> overlaps(count, false);
  const span* furthest = nullptr;  // of the spans so far, the one reaching furthest
  for (const span& s : spans) {
    if (furthest != nullptr && s.first < furthest->end) {
      overlaps[s.entry] = true;
      overlaps[furthest->entry] = true;
    }
    if (furthest == nullptr || s.end > furthest->end) furthest = &s;
  }
  return {std::move(overlaps), std::move(utf8)};
}

}  // namespace

const char16_t* compressionmethodname(std::uint32_t method) {
  for (const namedmethod& m : namedmethods) {
    if (method >= m.first && method <= m.last) return m.name;
  }
  return nullptr;
}

void archive::closer::operator()(zip* z) const {
  // Read-only: nothing to write back, so discard rather than close.
  zip_discard(z);
}

void archive::closer::operator()(zip_file* f) const {
  zip_fclose(f);
}

bool archive::recognise(std::span<const unsigned char> head) {
  if (head.size() < 4 || head[0] != 'P' || head[1] != 'K') return false;
  return (head[2] == 3 && head[3] == 4) || (head[2] == 5 && head[3] == 6);
}

archive::archive(key, handle zip, entrybytes memory, std::vector<text> names, archivelimits limits,
                 std::uint64_t ownsize)
    : zip_(std::move(zip)),
      memory_(std::move(memory)),
      names_(std::move(names)),
      limits_(limits),
      allowance_(limits.budget + limits.factor * ownsize) {}

result<std::shared_ptr<archive>> archive::openfile(const text& path, archivelimits limits) {
  const int fd = openregularfile(path);
  if (fd < 0) return refused(reason::cannotopen);
  std::unique_ptr<std::FILE, fileclose> file(fdopen(fd, "rb"));
  if (!file) {
    ::close(fd);
    return refused(reason::cannotopen);
  }
  struct stat st {};
  if (fstat(fd, &st) != 0) return refused(reason::cannotopen);
  // libzip takes an empty file for a new, empty archive; here it is no archive at all.
  if (st.st_size == 0) return refused(reason::notparsable);
  ziperror error;
  sourcehandle source(zip_source_filep_create(file.get(), 0, -1, &error.error));
  if (!source) return refused(reason::notparsable);
  static_cast<void>(file.release());  // the source closes it now
  handle z(zip_open_from_source(source.get(), ZIP_RDONLY, &error.error));
  if (!z) return refused(reason::notparsable);
  static_cast<void>(source.release());  // the archive frees it now
  // pread leaves the file position, which libzip owns, where it is.
  const auto raw = [fd](std::uint64_t offset, std::size_t n, unsigned char* out) {
    while (n > 0) {
      const ssize_t got = ::pread(fd, out, n, static_cast<off_t>(offset));
      if (got <= 0) return false;
      out += got;
      n -= static_cast<std::size_t>(got);
      offset += static_cast<std::uint64_t>(got);
    }
    return true;
  };
  return open(std::move(z), nullptr, limits, static_cast<std::uint64_t>(st.st_size), raw);
}

result<std::shared_ptr<archive>> archive::openmemory(const entrybytes& bytes, archivelimits limits) {
  if (!bytes || bytes->empty()) return refused(reason::notparsable);
  ziperror error;
  sourcehandle source(zip_source_buffer_create(bytes->data(), bytes->size(), 0, &error.error));
  if (!source) return refused(reason::notparsable);
  handle z(zip_open_from_source(source.get(), ZIP_RDONLY, &error.error));
  if (!z) return refused(reason::notparsable);
  static_cast<void>(source.release());  // the archive frees it now
  const std::uint64_t size = bytes->size();
  const auto raw = [&bytes = *bytes](std::uint64_t offset, std::size_t n, unsigned char* out) {
    if (offset > bytes.size() || n > bytes.size() - offset) return false;
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(offset), n, out);
    return true;
  };
  return open(std::move(z), bytes, limits, size, raw);
}

result<std::shared_ptr<archive>> archive::open(handle z, entrybytes memory, archivelimits limits,
                                               std::uint64_t ownsize, const readat& raw) {
  const zip_int64_t count = zip_get_num_entries(z.get(), 0);
  if (count < 0) return refused(reason::notparsable);
  // A central directory whose names do not fit in memory is one this program cannot use.
  try {
    entryfacts facts = readentryfacts(raw, ownsize, static_cast<std::size_t>(count));
    std::vector<text> names;
    names.reserve(static_cast<std::size_t>(count));
    for (zip_int64_t i = 0; i < count; ++i) {
      const char* name = zip_get_name(z.get(), static_cast<zip_uint64_t>(i), ZIP_FL_ENC_RAW);
      const bool utf8 = facts.utf8[static_cast<std::size_t>(i)];
      names.push_back(name == nullptr ? text() : utf8 ? fromutf8(name) : frombytes(name));
    }
    auto opened =
        std::make_shared<archive>(key(), std::move(z), std::move(memory), std::move(names), limits, ownsize);
    opened->overlaps_ = std::move(facts.overlaps);
    opened->utf8names_ = std::move(facts.utf8);
    return opened;
  } catch (const std::bad_alloc&) {
    return refused(reason::notparsable);
  }
}

std::uint64_t archive::declaredsize(std::size_t index) const {
  zip_stat_t st;
  zip_stat_init(&st);
  if (index >= names_.size() || zip_stat_index(zip_.get(), index, 0, &st) != 0 ||
      (st.valid & ZIP_STAT_SIZE) == 0) {
    return 0;
  }
  return st.size;
}

result<entrybytes> archive::read(std::size_t index, std::uint64_t limit, const bytesneeded& need) {
  if (index >= names_.size()) return refused(reason::noentry);
  const text& name = names_[index];
  const auto failed = [&name](reason why, std::uint32_t detail = 0) {
    return failure::because(why, name, detail);
  };
  if (overlaps_[index]) return failed(reason::overlaps);
  zip_stat_t st;
  zip_stat_init(&st);
  if (zip_stat_index(zip_.get(), index, 0, &st) != 0 || (st.valid & ZIP_STAT_SIZE) == 0) {
    return failed(reason::damaged);
  }
  if ((st.valid & ZIP_STAT_ENCRYPTION_METHOD) != 0 && st.encryption_method != ZIP_EM_NONE) {
    return failed(reason::encrypted);
  }
  if ((st.valid & ZIP_STAT_COMP_METHOD) != 0 && zip_compression_method_supported(st.comp_method, 0) == 0) {
    return failed(reason::unsupported, st.comp_method);
  }
  if (st.size > std::min(limit, limits_.ceiling)) return failed(reason::toolarge);

  const filehandle file(zip_fopen_index(zip_.get(), index, 0));
  if (!file) {
    const reason why = entryfailure(zip_error_code_zip(zip_get_error(zip_.get())));
    return failed(why, why == reason::unsupported ? st.comp_method : 0);
  }

  auto bytes = std::make_shared<std::vector<unsigned char>>();
  std::vector<unsigned char> chunk;
  // Inflates up to `target` bytes in all; false with the failure in `stop` otherwise.
  std::optional<failure> stop;
  const auto inflateto = [&](std::uint64_t target) {
    if (target <= bytes->size()) return true;
    if (target - bytes->size() > allowance_ - std::min(allowance_, inflated_)) {
      stop = failed(reason::overbudget);
      return false;
    }
    // Reserved, not filled: a size that lies costs address space, not memory,
    // until data arrives to fill it.
    try {
      bytes->reserve(static_cast<std::size_t>(target));
      if (chunk.empty()) chunk.resize(chunksize);
    } catch (const std::bad_alloc&) {
      stop = failed(reason::toolarge);
      return false;
    }
    while (bytes->size() < target) {
      const zip_uint64_t want = std::min<zip_uint64_t>(chunk.size(), target - bytes->size());
      const zip_int64_t got = zip_fread(file.get(), chunk.data(), want);
      if (got < 0) {
        stop = failed(entryfailure(zip_error_code_zip(zip_file_get_error(file.get()))));
        return false;
      }
      if (got == 0) {
        stop = failed(reason::damaged);  // shorter than declared
        return false;
      }
      bytes->insert(bytes->end(), chunk.begin(), chunk.begin() + got);
      inflated_ += static_cast<std::uint64_t>(got);
    }
    return true;
  };

  std::uint64_t target = need ? std::min<std::uint64_t>(headbytes, st.size) : st.size;
  for (;;) {
    if (!inflateto(target)) return *stop;
    if (!need) break;
    const std::uint64_t more = std::min<std::uint64_t>(need(*bytes), st.size);
    if (more <= target) break;
    target = more;
  }
  if (target == st.size) {
    // libzip checks the CRC (and the size) when a read reaches the end; data
    // past the declared size is damage, and is not decompressed beyond one byte.
    unsigned char past = 0;
    const zip_int64_t got = zip_fread(file.get(), &past, 1);
    if (got < 0) return failed(entryfailure(zip_error_code_zip(zip_file_get_error(file.get()))));
    if (got > 0) return failed(reason::damaged);
  }
  return entrybytes(std::move(bytes));
}

}  // namespace tracewell
