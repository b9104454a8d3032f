// Buffered binary access to a file or a block of memory, with little-endian field reads.
#include "support/bytestream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <optional>

#include "support/path.h"

namespace tracewell {

namespace {
constexpr std::size_t buffersize = std::size_t{64} * 1024;
}

int openregularfile(const text& path) {
  if (!usablepath(path)) return -1;
  const int fd = ::open(nativepath(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return -1;
  struct stat st {};
  const int flags = fcntl(fd, F_GETFL);
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || flags < 0 ||
      fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

result<std::shared_ptr<const std::vector<unsigned char>>> readwhole(
    const text& path, std::uint64_t limit, std::size_t headsize,
    const std::function<bool(std::span<const unsigned char>)>& accepts) {
  const failure unopenable = failure::because(failure::reason::cannotopen);
  if (!usablepath(path)) return unopenable;
  const int fd = ::open(nativepath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return unopenable;
  auto bytes = std::make_shared<std::vector<unsigned char>>();
  std::optional<failure> refused;
  try {
    bool looked = false;  // whether the first bytes were judged
    for (;;) {
      const std::size_t at = bytes->size();
      // Doubling keeps the copies few. A copy holds the old bytes and their copy at once, so the
      // last one comes while they take at most half the limit, and makes room for all it allows.
      if (bytes->capacity() - at < buffersize) {
        std::uint64_t room = std::max<std::uint64_t>(std::uint64_t{2} * bytes->capacity(), buffersize);
        if (room > limit / 2) room = limit + buffersize;
        bytes->reserve(static_cast<std::size_t>(room));
      }
      bytes->resize(at + buffersize);
      const ssize_t n = ::read(fd, bytes->data() + at, buffersize);
      if (n < 0 && errno == EINTR) {
        bytes->resize(at);
        continue;
      }
      bytes->resize(at + static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
      if (n < 0) refused = unopenable;
      if (!refused && !looked && bytes->size() >= headsize) {
        looked = true;
        if (!accepts(std::span<const unsigned char>(bytes->data(), headsize)))
          refused = failure::because(failure::reason::notparsable);
      }
      if (!refused && bytes->size() > limit) refused = failure::because(failure::reason::overlimit);
      if (refused || n == 0) break;
    }
  } catch (const std::bad_alloc&) {
    refused = unopenable;
  }
  ::close(fd);
  if (refused) return *refused;
  return std::shared_ptr<const std::vector<unsigned char>>(std::move(bytes));
}

std::shared_ptr<bytestream> bytestream::openread(const text& path) {
  const int fd = openregularfile(path);
  if (fd < 0) return nullptr;
  std::FILE* f = fdopen(fd, "rb");
  if (f == nullptr) {
    ::close(fd);
    return nullptr;
  }
  if (std::fseek(f, 0, SEEK_END) != 0) {
    std::fclose(f);
    return nullptr;
  }
  const long size = std::ftell(f);
  if (size < 0 || std::fseek(f, 0, SEEK_SET) != 0) {
    std::fclose(f);
    return nullptr;
  }
  return std::make_shared<bytestream>(key(), f, false, size);
}

std::shared_ptr<bytestream> bytestream::appendto(outputfile& out) {
  if (out.stream() == nullptr) return nullptr;
  auto stream = std::make_shared<bytestream>(key(), out.stream(), true, 0);
  stream->ownsfile_ = false;
  return stream;
}

std::shared_ptr<bytestream> bytestream::openmemory(std::shared_ptr<const std::vector<unsigned char>> bytes) {
  if (!bytes) return nullptr;
  return std::make_shared<bytestream>(key(), std::move(bytes));
}

bytestream::bytestream(key, std::FILE* file, bool writing, std::int64_t size)
    : file_(file), writing_(writing), size_(size), buf_(buffersize), data_(buf_.data()) {}

// The block is one buffer that is always filled, so reads never go past it to a file.
bytestream::bytestream(key, std::shared_ptr<const std::vector<unsigned char>> bytes)
    : memory_(std::move(bytes)),
      writing_(false),
      size_(static_cast<std::int64_t>(memory_->size())),
      data_(memory_->data()),
      buflen_(memory_->size()) {}

status bytestream::check() const {
  if (!failed_) return {};
  return writing_ ? failure::writestream() : failure::readstream();
}

bytestream::~bytestream() {
  if (file_ == nullptr) return;
  if (writing_ && buflen_ > 0) std::fwrite(buf_.data(), 1, buflen_, file_);
  if (ownsfile_) std::fclose(file_);
}

const unsigned char* bytestream::inmemory(std::int64_t pos, std::size_t n) const {
  if (!memory_ || failed_ || pos < 0 || pos > size_ || n > static_cast<std::uint64_t>(size_ - pos))
    return nullptr;
  return memory_->data() + pos;
}

void bytestream::seek(std::int64_t pos) {
  if (writing_ || pos < 0) {
    failed_ = true;
    return;
  }
  pos_ = pos;
}

void bytestream::fill() {
  if (memory_) return;  // always filled
  if (file_ == nullptr || std::fseek(file_, static_cast<long>(pos_), SEEK_SET) != 0) {
    buflen_ = 0;
    return;
  }
  bufstart_ = pos_;
  buflen_ = std::fread(buf_.data(), 1, buf_.size(), file_);
}

std::size_t bytestream::readsome(void* dst, std::size_t n) {
  if (writing_ || failed_) {
    failed_ = true;
    return 0;
  }
  auto* out = static_cast<unsigned char*>(dst);
  std::size_t done = 0;
  while (done < n) {
    if (!buffered()) {
      if (pos_ >= size_ || memory_) break;
      // Large reads bypass the buffer.
      if (n - done >= buf_.size()) {
        if (file_ == nullptr || std::fseek(file_, static_cast<long>(pos_), SEEK_SET) != 0) break;
        const std::size_t got = std::fread(out + done, 1, n - done, file_);
        done += got;
        pos_ += static_cast<std::int64_t>(got);
        break;
      }
      fill();
      if (buflen_ == 0) break;
    }
    const std::size_t at = static_cast<std::size_t>(pos_ - bufstart_);
    const std::size_t take = std::min(n - done, buflen_ - at);
    std::memcpy(out + done, data_ + at, take);
    done += take;
    pos_ += static_cast<std::int64_t>(take);
  }
  return done;
}

void bytestream::readbytes(void* dst, std::size_t n) {
  const std::size_t got = readsome(dst, n);
  if (got == n) return;
  failed_ = true;
  std::memset(static_cast<unsigned char*>(dst) + got, 0, n - got);
}

std::uint8_t bytestream::readu8() {
  // Fast path: the byte is in the buffer.
  if (!writing_ && !failed_ && buffered()) return data_[static_cast<std::size_t>(pos_++ - bufstart_)];
  unsigned char b = 0;
  readbytes(&b, 1);
  return b;
}

std::uint16_t bytestream::readu16() {
  unsigned char b[2];
  readbytes(b, 2);
  return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}

std::int32_t bytestream::reads32() {
  unsigned char b[4];
  readbytes(b, 4);
  const std::uint32_t v = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
  return static_cast<std::int32_t>(v);
}

text bytestream::readtext(std::size_t n) {
  std::string bytes(n, '\0');
  readbytes(bytes.data(), n);
  return frombytes(bytes);
}

void bytestream::writebytes(const void* src, std::size_t n) {
  if (!writing_ || file_ == nullptr) failed_ = true;
  if (failed_) return;
  const auto* in = static_cast<const unsigned char*>(src);
  if (buflen_ + n > buf_.size()) {
    flush();
    if (failed_) return;
    if (n >= buf_.size()) {
      if (std::fwrite(in, 1, n, file_) != n) {
        failed_ = true;
        return;
      }
      pos_ += static_cast<std::int64_t>(n);
      size_ = pos_;
      return;
    }
  }
  std::memcpy(buf_.data() + buflen_, in, n);
  buflen_ += n;
  pos_ += static_cast<std::int64_t>(n);
  size_ = pos_;
}

void bytestream::writeu8(std::uint8_t v) {
  writebytes(&v, 1);
}

void bytestream::writes32(std::int32_t v) {
  const auto w = static_cast<std::uint32_t>(v);
  const unsigned char b[4] = {static_cast<unsigned char>(w), static_cast<unsigned char>(w >> 8),
                              static_cast<unsigned char>(w >> 16), static_cast<unsigned char>(w >> 24)};
  writebytes(b, 4);
}

void bytestream::flush() {
  if (!writing_) return;
  if (file_ == nullptr) failed_ = true;
  if (failed_) return;
  if (buflen_ > 0 && std::fwrite(buf_.data(), 1, buflen_, file_) != buflen_) failed_ = true;
  buflen_ = 0;
  if (std::fflush(file_) != 0) failed_ = true;
}

void bytestream::close() {
  if (memory_) {
    memory_ = nullptr;
    size_ = pos_ = 0;
    buflen_ = 0;
    return;
  }
  if (file_ == nullptr) return;
  if (writing_) flush();
  if (ownsfile_) std::fclose(file_);
  file_ = nullptr;
  buflen_ = 0;
}

}  // namespace tracewell
