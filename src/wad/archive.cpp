// ZIP archives (and PK3s) read through libzip: the entry names, and one entry's bytes in memory.
#include "wad/archive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <cstdio>
#include <new>

#include "support/path.h"

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

archive::opening refused(archivefailure why) {
  return {nullptr, why};
}

archive::reading failed(archivefailure why) {
  return {nullptr, why};
}

// What a libzip error met while opening or reading an entry means here.
archivefailure entryfailure(int code) {
  switch (code) {
    case ZIP_ER_NOPASSWD:
    case ZIP_ER_WRONGPASSWD:
    case ZIP_ER_ENCRNOTSUPP:
      return archivefailure::encrypted;
    case ZIP_ER_COMPNOTSUPP:
      return archivefailure::unsupported;
    case ZIP_ER_MEMORY:
      return archivefailure::toolarge;
    default:
      return archivefailure::damaged;
  }
}

}  // namespace

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

archive::archive(key, handle zip, entrybytes memory, std::vector<text> names)
    : zip_(std::move(zip)), memory_(std::move(memory)), names_(std::move(names)) {}

archive::opening archive::openfile(const text& path) {
  if (!usablepath(path)) return refused(archivefailure::unopenable);
  // Non-blocking, so that a FIFO cannot stall the open; only a regular file goes on.
  const int fd = ::open(nativepath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return refused(archivefailure::unopenable);
  std::unique_ptr<std::FILE, fileclose> file(fdopen(fd, "rb"));
  if (!file) {
    ::close(fd);
    return refused(archivefailure::unopenable);
  }
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return refused(archivefailure::unopenable);
  // libzip takes an empty file for a new, empty archive; here it is no archive at all.
  if (st.st_size == 0) return refused(archivefailure::unreadable);
  ziperror error;
  sourcehandle source(zip_source_filep_create(file.get(), 0, -1, &error.error));
  if (!source) return refused(archivefailure::unreadable);
  static_cast<void>(file.release());  // the source closes it now
  handle z(zip_open_from_source(source.get(), ZIP_RDONLY, &error.error));
  if (!z) return refused(archivefailure::unreadable);
  static_cast<void>(source.release());  // the archive frees it now
  return open(std::move(z), nullptr);
}

archive::opening archive::openmemory(entrybytes bytes) {
  if (!bytes || bytes->empty()) return refused(archivefailure::unreadable);
  ziperror error;
  sourcehandle source(zip_source_buffer_create(bytes->data(), bytes->size(), 0, &error.error));
  if (!source) return refused(archivefailure::unreadable);
  handle z(zip_open_from_source(source.get(), ZIP_RDONLY, &error.error));
  if (!z) return refused(archivefailure::unreadable);
  static_cast<void>(source.release());  // the archive frees it now
  return open(std::move(z), std::move(bytes));
}

archive::opening archive::open(handle z, entrybytes memory) {
  const zip_int64_t count = zip_get_num_entries(z.get(), 0);
  if (count < 0) return refused(archivefailure::unreadable);
  // A central directory whose names do not fit in memory is one this program cannot use.
  try {
    std::vector<text> names;
    names.reserve(static_cast<std::size_t>(count));
    for (zip_int64_t i = 0; i < count; ++i) {
      const char* name = zip_get_name(z.get(), static_cast<zip_uint64_t>(i), ZIP_FL_ENC_RAW);
      names.push_back(name != nullptr ? frombytes(name) : text());
    }
    return {std::make_shared<archive>(key(), std::move(z), std::move(memory), std::move(names)),
            archivefailure::none};
  } catch (const std::bad_alloc&) {
    return refused(archivefailure::unreadable);
  }
}

archive::reading archive::read(std::size_t index, std::uint64_t limit) {
  if (index >= names_.size()) return failed(archivefailure::noentry);
  zip_stat_t st;
  zip_stat_init(&st);
  if (zip_stat_index(zip_.get(), index, 0, &st) != 0 || (st.valid & ZIP_STAT_SIZE) == 0) {
    return failed(archivefailure::damaged);
  }
  if ((st.valid & ZIP_STAT_ENCRYPTION_METHOD) != 0 && st.encryption_method != ZIP_EM_NONE) {
    return failed(archivefailure::encrypted);
  }
  if ((st.valid & ZIP_STAT_COMP_METHOD) != 0 && zip_compression_method_supported(st.comp_method, 0) == 0) {
    return failed(archivefailure::unsupported);
  }
  if (st.size > std::min(limit, sizeceiling)) return failed(archivefailure::toolarge);

  const filehandle file(zip_fopen_index(zip_.get(), index, 0));
  if (!file) return failed(entryfailure(zip_error_code_zip(zip_get_error(zip_.get()))));

  // Reserved, not filled: a size that lies costs address space, not memory,
  // until data arrives to fill it.
  auto bytes = std::make_shared<std::vector<unsigned char>>();
  try {
    bytes->reserve(static_cast<std::size_t>(st.size));
  } catch (const std::bad_alloc&) {
    return failed(archivefailure::toolarge);
  }
  // At least one byte, for the read past the end below.
  std::vector<unsigned char> chunk(static_cast<std::size_t>(std::min<zip_uint64_t>(chunksize, st.size + 1)));
  while (bytes->size() < st.size) {
    const zip_uint64_t want = std::min<zip_uint64_t>(chunk.size(), st.size - bytes->size());
    const zip_int64_t got = zip_fread(file.get(), chunk.data(), want);
    if (got < 0) return failed(entryfailure(zip_error_code_zip(zip_file_get_error(file.get()))));
    if (got == 0) return failed(archivefailure::damaged);  // shorter than declared
    bytes->insert(bytes->end(), chunk.begin(), chunk.begin() + got);
  }
  // libzip checks the CRC (and the size) when a read reaches the end; data
  // past the declared size is damage, and is not decompressed beyond one byte.
  const zip_int64_t past = zip_fread(file.get(), chunk.data(), 1);
  if (past < 0) return failed(entryfailure(zip_error_code_zip(zip_file_get_error(file.get()))));
  if (past > 0) return failed(archivefailure::damaged);
  return {std::move(bytes), archivefailure::none};
}

}  // namespace tracewell
