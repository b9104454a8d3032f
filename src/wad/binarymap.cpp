// The binary map decoder: the Doom and Hexen record layouts of the VERTEXES, LINEDEFS, SIDEDEFS, SECTORS and
// THINGS lumps.
#include "wad/binarymap.h"

#include <algorithm>
#include <new>

#include "wad/lumplayout.h"

namespace tracewell {

namespace {

using namespace wadformat;

static_assert(std::tuple_size_v<decltype(linedef::args)> == hexenlinedef::argcount);
static_assert(std::tuple_size_v<decltype(thing::args)> == hexenthing::argcount);

bool hexenlayout(std::int32_t format) {
  return format == wad::HEXEN || format == wad::ZDOOM;
}

text name8(const unsigned char* record, field f) {
  return frombytes(getbytes(record, f));
}

// Decoders of one record from its bytes in memory.

vertex decodevertex(const unsigned char* p) {
  vertex v;
  v.x = gets16(p, vertexrecord::x);
  v.y = -gets16(p, vertexrecord::y);
  return v;
}

linedef decodelinedef(const unsigned char* p, std::int32_t format) {
  linedef l;
  if (hexenlayout(format)) {
    using namespace hexenlinedef;
    l.startvertex = getu16(p, startvertex);
    l.endvertex = getu16(p, endvertex);
    l.flags = getu16(p, flags);
    l.special = p[special.offset];
    std::copy_n(p + args.offset, args.width, l.args.begin());
    l.rightside = gets16(p, rightside);
    l.leftside = gets16(p, leftside);
  } else {
    using namespace doomlinedef;
    l.startvertex = getu16(p, startvertex);
    l.endvertex = getu16(p, endvertex);
    l.flags = getu16(p, flags);
    l.special = getu16(p, special);
    l.sectortag = getu16(p, sectortag);
    l.rightside = gets16(p, rightside);
    l.leftside = gets16(p, leftside);
  }
  return l;
}

sidedef decodesidedef(const unsigned char* p) {
  using namespace sidedefrecord;
  sidedef s;
  s.xoff = gets16(p, xoff);
  s.yoff = gets16(p, yoff);
  s.uppertex = name8(p, uppertex);
  s.lowertex = name8(p, lowertex);
  s.middletex = name8(p, middletex);
  s.sector = getu16(p, sidedefrecord::sector);
  return s;
}

sector decodesector(const unsigned char* p) {
  using namespace sectorrecord;
  sector s;
  s.floorheight = gets16(p, floorheight);
  s.ceilheight = gets16(p, ceilheight);
  s.floortex = name8(p, floortex);
  s.ceiltex = name8(p, ceiltex);
  s.light = getu16(p, light);
  s.sectortype = getu16(p, sectortype);
  s.sectortag = getu16(p, sectortag);
  return s;
}

// The skill bits both binary layouts share: 0x1 easy (skills 1 and 2), 0x2
// medium (3), 0x4 hard (4 and 5).
std::uint8_t binaryskills(std::uint16_t flags) {
  return static_cast<std::uint8_t>(((flags & 0x1) != 0 ? 0x03 : 0) | ((flags & 0x2) != 0 ? 0x04 : 0) |
                                   ((flags & 0x4) != 0 ? 0x18 : 0));
}

thing decodedoomthing(const unsigned char* p) {
  using namespace doomthing;
  thing t;
  t.x = gets16(p, x);
  t.y = -gets16(p, y);
  t.angle = gets16(p, angle);
  t.type = getu16(p, type);
  t.flags = getu16(p, flags);
  t.skills = binaryskills(t.flags);
  t.single = (t.flags & 0x10) == 0;  // 0x10: multiplayer only
  // Boom's 0x20 (not in deathmatch) and 0x40 (not in cooperative), unless 0x100 is set: old
  // editors wrote junk into the high bits, and Boom ignores them when that unused bit says so.
  const bool boombits = (t.flags & 0x100) == 0;
  t.coop = !boombits || (t.flags & 0x40) == 0;
  t.deathmatch = !boombits || (t.flags & 0x20) == 0;
  return t;
}

thing decodehexenthing(const unsigned char* p) {
  using namespace hexenthing;
  thing t;
  t.tid = gets16(p, tid);
  t.x = gets16(p, x);
  t.y = -gets16(p, y);
  t.z = gets16(p, z);
  t.angle = gets16(p, angle);
  t.type = getu16(p, type);
  t.flags = getu16(p, flags);
  t.special = p[special.offset];
  std::copy_n(p + args.offset, args.width, t.args.begin());
  t.skills = binaryskills(t.flags);
  t.single = (t.flags & 0x100) != 0;
  t.coop = (t.flags & 0x200) != 0;
  t.deathmatch = (t.flags & 0x400) != 0;
  return t;
}

// The whole records of a THINGS lump, or nothing when the lump lies outside
// its file or cannot be read: things never make a map fail.
std::optional<std::vector<thing>> readthings(const lump& l, std::int32_t format) {
  if (!l.stream || l.filepos < 0 || l.size < 0 || std::int64_t{l.filepos} + l.size > l.stream->size()) {
    return std::nullopt;
  }
  const bool hexen = hexenlayout(format);
  const std::int64_t recsize = hexen ? hexenthing::bytes : doomthing::bytes;
  const std::int64_t count = l.size / recsize;
  try {
    std::vector<unsigned char> bytes(static_cast<std::size_t>(count * recsize));
    l.stream->seek(l.filepos);
    if (l.stream->readsome(bytes.data(), bytes.size()) != bytes.size()) return std::nullopt;
    std::vector<thing> things;
    things.reserve(static_cast<std::size_t>(count));
    for (std::size_t at = 0; at < bytes.size(); at += static_cast<std::size_t>(recsize)) {
      things.push_back(hexen ? decodehexenthing(bytes.data() + at) : decodedoomthing(bytes.data() + at));
    }
    return things;
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

// One record at the stream's position.
template <typename Record, typename Decode>
result<Record> readone(bytestream& stream, std::int32_t format, Decode decode) {
  unsigned char bytes[largestrecord];
  stream.readbytes(bytes, static_cast<std::size_t>(Record::size(format)));
  if (stream.failed()) return failure::readstream();
  return decode(bytes);
}

// Every record of a lump, read in one block. The block is bounded by what the
// file holds; when the file ends before the last record the outcome is what
// reading record by record would give: for linedefs (`stopatrecordstart`) the
// fatal stop when the end falls exactly on a record start, otherwise a stream
// read failure.
template <typename Record, typename Decode>
result<std::vector<Record>> readrecords(const lump& l, std::int32_t format, bool stopatrecordstart,
                                        Decode decode) {
  const std::int64_t recsize = Record::size(format);
  const std::int64_t count = l.size / recsize;
  if (count <= 0 || !l.stream || l.filepos < 0) return std::vector<Record>();
  bytestream& stream = *l.stream;
  stream.seek(l.filepos);
  const std::int64_t wanted = count * recsize;
  const std::int64_t held = std::clamp<std::int64_t>(stream.size() - l.filepos, 0, wanted);
  std::vector<unsigned char> bytes(static_cast<std::size_t>(held));
  const auto got = static_cast<std::int64_t>(stream.readsome(bytes.data(), bytes.size()));
  if (got < wanted) {
    if (stopatrecordstart && !stream.failed() && stream.eof() && got % recsize == 0) {
      return failure::stop(failure::reason::cutshort);
    }
    return failure::readstream();
  }
  std::vector<Record> records;
  records.reserve(static_cast<std::size_t>(count));
  for (std::int64_t at = 0; at < wanted; at += recsize) records.push_back(decode(bytes.data() + at));
  return records;
}

// One record lump of the map in its turn: a negative position cannot be
// sought to and makes the map invalid, checked only now so that a failure
// reading an earlier lump comes first.
template <typename Record>
status readinto(std::vector<Record>& records, map& m, const lump& l) {
  if (l.filepos < 0) {
    m.invalidmap = 1;
    return failure::notice({});
  }
  result<std::vector<Record>> read = Record::readlump(l, m.format);
  if (!read.ok()) return read.error();
  records = std::move(read).value();
  return {};
}

}  // namespace

std::int32_t vertex::size(std::int32_t) {
  return vertexrecord::bytes;
}
std::int32_t linedef::size(std::int32_t format) {
  return hexenlayout(format) ? hexenlinedef::bytes : doomlinedef::bytes;
}
std::int32_t sidedef::size(std::int32_t) {
  return sidedefrecord::bytes;
}
std::int32_t sector::size(std::int32_t) {
  return sectorrecord::bytes;
}

result<vertex> vertex::read(bytestream& stream, std::int32_t format) {
  return readone<vertex>(stream, format, decodevertex);
}
result<linedef> linedef::read(bytestream& stream, std::int32_t format) {
  return readone<linedef>(stream, format,
                          [format](const unsigned char* p) { return decodelinedef(p, format); });
}
result<sidedef> sidedef::read(bytestream& stream, std::int32_t format) {
  return readone<sidedef>(stream, format, decodesidedef);
}
result<sector> sector::read(bytestream& stream, std::int32_t format) {
  return readone<sector>(stream, format, decodesector);
}

result<std::vector<vertex>> vertex::readlump(const lump& l, std::int32_t format) {
  return readrecords<vertex>(l, format, false, decodevertex);
}
result<std::vector<linedef>> linedef::readlump(const lump& l, std::int32_t format) {
  return readrecords<linedef>(l, format, true,
                              [format](const unsigned char* p) { return decodelinedef(p, format); });
}
result<std::vector<sidedef>> sidedef::readlump(const lump& l, std::int32_t format) {
  return readrecords<sidedef>(l, format, false, decodesidedef);
}
result<std::vector<sector>> sector::readlump(const lump& l, std::int32_t format) {
  return readrecords<sector>(l, format, false, decodesector);
}

status readbinarymap(map& m, const lumpgroup& lumps, bool withthings, bool fivelumps) {
  m.layout = hexenlayout(m.format) ? maplayout::hexen : maplayout::doom;
  // All ten must be there, although only five are ever read.
  for (const std::string_view name : maplumpnames) {
    if (fivelumps && std::find(readlumpnames.begin(), readlumpnames.end(), name) == readlumpnames.end())
      continue;
    if (!map::getlump(lumps, u(name))) {
      m.invalidmap = 1;
      return failure::notice({u"failed to read map lumps"});
    }
  }
  if (status s = readinto(m.vertexes, m, *map::getlump(lumps, u"VERTEXES")); !s.ok()) return s;
  if (status s = readinto(m.linedefs, m, *map::getlump(lumps, u"LINEDEFS")); !s.ok()) return s;
  if (status s = readinto(m.sidedefs, m, *map::getlump(lumps, u"SIDEDEFS")); !s.ok()) return s;
  if (status s = readinto(m.sectors, m, *map::getlump(lumps, u"SECTORS")); !s.ok()) return s;
  // Last, so that whatever the things hold, the map reads as it would without them.
  if (const auto things = map::getlump(lumps, u"THINGS"); withthings && things) {
    m.things = readthings(*things, m.format);
  }
  return {};
}

}  // namespace tracewell
