// Buffered binary access to a file or a block of memory, with little-endian field reads.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "support/failure.h"
#include "support/outputfile.h"
#include "support/text.h"

namespace tracewell {

// A descriptor for reading the regular file `path` names (see nativepath),
// close-on-exec, in blocking mode; -1 when it cannot be opened, cannot name a
// file (see usablepath) or is no regular file. Opened without blocking and
// checked before any read, so a FIFO, socket, device or folder is refused at
// once instead of waiting for a writer or for ever.
int openregularfile(const text& path);

// Every byte `path` gives when read from start to end, for a path that is no
// regular file (a pipe, a FIFO, a character device). Refused with reason
// cannotopen when it cannot be opened, is a folder or fails to read; with
// notparsable as soon as its first `headsize` bytes are there and `accepts`
// refuses them, so that an endless stream of something else is not read on;
// with overlimit when it gives more than `limit` bytes (reading stops within
// 64 KiB past the limit). A stream that ends before `headsize` bytes is given
// whole, for its reader to judge. The buffer doubles while it holds at most
// half the limit, then makes room for the limit and one read at once, so the
// limit bounds memory too, copies included. Blocks while a FIFO has no writer.
result<std::shared_ptr<const std::vector<unsigned char>>> readwhole(
    const text& path, std::uint64_t limit, std::size_t headsize,
    const std::function<bool(std::span<const unsigned char>)>& accepts);

// A file opened for binary reading or writing, or a block of memory read like
// a file. Reads are buffered, so reading record by record is cheap. A read past
// the end, a negative seek, a write the file system refuses or any use after
// close makes the stream failed: the flag sticks, later reads give zero bytes
// and writes are dropped, and check() turns it into failure::readstream (or
// writestream for a stream opened for writing). Readers check it after each
// step whose outcome they act on; the stream itself never reports anything.
class bytestream {
 public:
  // Opens `path` (see nativepath) for reading; null when it cannot be opened
  // or cannot name a file (see usablepath).
  static std::shared_ptr<bytestream> openread(const text& path);
  // Writes into `out`, a file opened already, which must outlive the stream;
  // null when `out` was refused. close writes the buffer out but leaves `out`
  // open: the caller, which opened it, commits it.
  static std::shared_ptr<bytestream> appendto(outputfile& out);
  // Reads `bytes` as if they were a file of that size; never null for a
  // non-null block. The stream shares the block, which must not change.
  static std::shared_ptr<bytestream> openmemory(std::shared_ptr<const std::vector<unsigned char>> bytes);

  struct key {
    explicit key() = default;
  };
  bytestream(key, std::FILE* file, bool writing, std::int64_t size);
  bytestream(key, std::shared_ptr<const std::vector<unsigned char>> bytes);
  ~bytestream();
  bytestream(const bytestream&) = delete;
  bytestream& operator=(const bytestream&) = delete;

  std::int64_t position() const { return pos_; }
  std::int64_t size() const { return size_; }
  // True when the position equals the size, and on a failed stream (nothing
  // more can be read from it).
  bool eof() const { return pos_ == size_ || failed_; }
  // True once a read, seek or write has failed; stays true.
  bool failed() const { return failed_; }
  // Success, or the stream failure for this stream's direction.
  status check() const;
  // Moves to an absolute position; a later read past the end fails. A negative
  // position fails the stream.
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

  // The bytes [pos, pos + n) where they lie, when this stream reads a block
  // of memory that holds them all; null otherwise (a file, or out of range).
  // They live as long as the block.
  const unsigned char* inmemory(std::int64_t pos, std::size_t n) const;

  void writeu8(std::uint8_t v);
  void writes32(std::int32_t v);
  void writebytes(const void* src, std::size_t n);
  // Writes buffered bytes out; a refusal fails the stream.
  void flush();
  // Flushes and closes; further use fails the stream. Also done on destruction.
  void close();

 private:
  void fill();
  bool buffered() const { return pos_ >= bufstart_ && pos_ < bufstart_ + static_cast<std::int64_t>(buflen_); }

  std::FILE* file_ = nullptr;
  bool ownsfile_ = true;  // closed with the stream; not so for an outputfile's
  std::shared_ptr<const std::vector<unsigned char>> memory_;  // the block read, when there is no file
  bool failed_ = false;
  bool writing_;
  std::int64_t size_;               // file size for reading; bytes written for writing
  std::int64_t pos_ = 0;            // logical position
  std::int64_t bufstart_ = 0;       // file offset of buf_[0] (reading)
  std::vector<unsigned char> buf_;  // file buffer; empty for memory
  const unsigned char* data_;       // buf_, or the whole memory block as one filled buffer
  std::size_t buflen_ = 0;          // valid bytes at data_
};

}  // namespace tracewell
