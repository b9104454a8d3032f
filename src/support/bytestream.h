// Buffered binary file access with little-endian field reads.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "support/text.h"

namespace tracewell {

// A file opened for binary reading or writing. Reads are buffered, so reading
// record by record is cheap. A read past the end of the file or a write the
// file system refuses is a stream failure (see streamfailure): the process
// ends with "Error reading from stream" / "Error writing to stream".
class bytestream {
 public:
  // Opens `path` (see nativepath) for reading; null when it cannot be opened
  // or cannot name a file (see usablepath).
  static std::shared_ptr<bytestream> openread(const text& path);
  // Creates or truncates `path` for writing; null when it cannot be opened
  // or cannot name a file (see usablepath).
  static std::shared_ptr<bytestream> openwrite(const text& path);

  struct key {
    explicit key() = default;
  };
  bytestream(key, std::FILE* file, bool writing, std::int64_t size);
  ~bytestream();
  bytestream(const bytestream&) = delete;
  bytestream& operator=(const bytestream&) = delete;

  std::int64_t position() const { return pos_; }
  std::int64_t size() const { return size_; }
  // True only when the position equals the file size.
  bool eof() const { return pos_ == size_; }
  // Moves to an absolute position (0 or more); a later read past the end fails.
  void seek(std::int64_t pos);

  std::uint8_t readu8();
  std::uint16_t readu16();
  std::int32_t reads32();
  // n bytes as n code units 0..255, NUL bytes kept.
  text readtext(std::size_t n);
  // Exactly n bytes into dst.
  void readbytes(void* dst, std::size_t n);
  // Reads up to n bytes; returns how many there were (no failure at the end).
  std::size_t readsome(void* dst, std::size_t n);

  void writeu8(std::uint8_t v);
  void writes32(std::int32_t v);
  void writebytes(const void* src, std::size_t n);
  // Writes buffered bytes out; a refusal is a stream failure.
  void flush();
  // Flushes and closes; further use is a stream failure. Also done on destruction.
  void close();

 private:
  void fill();

  std::FILE* file_;
  bool writing_;
  std::int64_t size_;          // file size for reading; bytes written for writing
  std::int64_t pos_ = 0;       // logical position
  std::int64_t bufstart_ = 0;  // file offset of buf_[0] (reading)
  std::vector<unsigned char> buf_;
  std::size_t buflen_ = 0;  // valid bytes in buf_
};

}  // namespace tracewell
