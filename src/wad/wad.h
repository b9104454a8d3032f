// The WAD container: header, lump directory, map markers and map lump groups.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <vector>

#include "support/bytestream.h"
#include "support/text.h"

namespace tracewell {

// One directory entry: where a lump's data lies in the shared WAD stream.
struct lump {
  std::shared_ptr<bytestream> stream;
  std::int32_t filepos = 0;
  std::int32_t size = 0;
  text name;  // exactly as stored: 8 code units, NUL padding kept

  // Reads one 16-byte directory entry at the stream's position.
  static std::shared_ptr<lump> read(const std::shared_ptr<bytestream>& stream);
  int readfrom(const std::shared_ptr<bytestream>& stream);
  // The stored name up to its first NUL.
  text trimmedname() const;
};

using lumpgroup = std::vector<std::shared_ptr<lump>>;

struct wad {
  static constexpr std::int32_t DOOM = 0;
  static constexpr std::int32_t HEXEN = 1;
  static constexpr std::int32_t ZDOOM = 2;
  static constexpr std::int32_t maplumps = 11;

  std::int32_t format = 0;
  std::shared_ptr<bytestream> stream;
  text identification;
  std::int32_t numlumps = 0;
  std::int32_t infotableoffset = 0;
  std::vector<std::shared_ptr<lump>> directory;
  std::int32_t invalidwad = 0;

  // The WAD read from `stream`, or null when it is not a valid WAD. A file that
  // ends inside the header or a directory entry is a stream read failure.
  static std::shared_ptr<wad> read(const std::shared_ptr<bytestream>& stream, std::int32_t format);
  int readfrom(const std::shared_ptr<bytestream>& stream);
  // Trimmed names of the entries whose stored name starts with "MAP", in order.
  std::list<text> getmapnames() const;
  // The entries from the first one named `name` (any case, NUL padding
  // ignored) onward, at most `count` of them; empty when there is none.
  lumpgroup getmaplumps(const text& name, std::int32_t count) const;
};

}  // namespace tracewell
