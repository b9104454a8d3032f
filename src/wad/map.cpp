// Map records: vertices, linedefs, sidedefs and sectors in the Doom and Hexen layouts.
#include "wad/map.h"

#include <algorithm>

#include "support/process.h"
#include "support/terminal.h"
#include "wad/format.h"

namespace tracewell {

namespace {

using namespace wadformat;

bool hexenlayout(std::int32_t format) {
  return format == wad::HEXEN || format == wad::ZDOOM;
}

text name8(const unsigned char* p) {
  return frombytes(std::string_view(reinterpret_cast<const char*>(p), namesize));
}

// Decoders of one record from its bytes in memory.

vertex decodevertex(const unsigned char* p) {
  vertex v;
  v.x = gets16(p);
  v.y = -gets16(p + 2);
  return v;
}

linedef decodelinedef(const unsigned char* p, std::int32_t format) {
  linedef l;
  l.startvertex = getu16(p);
  l.endvertex = getu16(p + 2);
  l.flags = getu16(p + 4);
  if (hexenlayout(format)) {
    l.special = p[6];
    std::copy(p + 7, p + 7 + linedefargs, l.args.begin());
    l.rightside = gets16(p + 12);
    l.leftside = gets16(p + 14);
  } else {
    l.special = getu16(p + 6);
    l.sectortag = getu16(p + 8);
    l.rightside = gets16(p + 10);
    l.leftside = gets16(p + 12);
  }
  return l;
}

sidedef decodesidedef(const unsigned char* p) {
  sidedef s;
  s.xoff = gets16(p);
  s.yoff = gets16(p + 2);
  s.uppertex = name8(p + 4);
  s.lowertex = name8(p + 12);
  s.middletex = name8(p + 20);
  s.sector = getu16(p + 28);
  return s;
}

sector decodesector(const unsigned char* p) {
  sector s;
  s.floorheight = gets16(p);
  s.ceilheight = gets16(p + 2);
  s.floortex = name8(p + 4);
  s.ceiltex = name8(p + 12);
  s.light = getu16(p + 20);
  s.sectortype = getu16(p + 22);
  s.sectortag = getu16(p + 24);
  return s;
}

// One record at the stream's position.
template <typename Record, typename Decode>
Record readone(bytestream& stream, std::int32_t format, Decode decode) {
  unsigned char bytes[hexenlinedefsize > sidedefsize ? hexenlinedefsize : sidedefsize];
  stream.readbytes(bytes, static_cast<std::size_t>(Record::size(format)));
  return decode(bytes);
}

// Every record of a lump, read in one block. The block is bounded by what the
// file holds; when the file ends before the last record the outcome is what
// reading record by record would give: for linedefs (`stopatrecordstart`) the
// fatal stop when the end falls exactly on a record start, otherwise a stream
// read failure.
template <typename Record, typename Decode>
std::vector<Record> readrecords(const lump& l, std::int32_t format, bool stopatrecordstart, Decode decode) {
  const std::int64_t recsize = Record::size(format);
  const std::int64_t count = l.size / recsize;
  if (count <= 0 || !l.stream || l.filepos < 0) return {};
  bytestream& stream = *l.stream;
  stream.seek(l.filepos);
  const std::int64_t wanted = count * recsize;
  const std::int64_t held = std::clamp<std::int64_t>(stream.size() - l.filepos, 0, wanted);
  std::vector<unsigned char> bytes(static_cast<std::size_t>(held));
  const auto got = static_cast<std::int64_t>(stream.readsome(bytes.data(), bytes.size()));
  if (got < wanted) {
    if (stopatrecordstart && stream.eof() && got % recsize == 0) {
      fatalstop(u"Unexpected EOF. Probably using the wrong map format.");
    }
    streamfailure(readfailure);
  }
  std::vector<Record> records;
  records.reserve(static_cast<std::size_t>(count));
  for (std::int64_t at = 0; at < wanted; at += recsize) records.push_back(decode(bytes.data() + at));
  return records;
}

}  // namespace

std::int32_t vertex::size(std::int32_t) {
  return vertexsize;
}
std::int32_t linedef::size(std::int32_t format) {
  return hexenlayout(format) ? hexenlinedefsize : doomlinedefsize;
}
std::int32_t sidedef::size(std::int32_t) {
  return sidedefsize;
}
std::int32_t sector::size(std::int32_t) {
  return sectorsize;
}

vertex vertex::read(bytestream& stream, std::int32_t format) {
  return readone<vertex>(stream, format, decodevertex);
}
linedef linedef::read(bytestream& stream, std::int32_t format) {
  return readone<linedef>(stream, format,
                          [format](const unsigned char* p) { return decodelinedef(p, format); });
}
sidedef sidedef::read(bytestream& stream, std::int32_t format) {
  return readone<sidedef>(stream, format, decodesidedef);
}
sector sector::read(bytestream& stream, std::int32_t format) {
  return readone<sector>(stream, format, decodesector);
}

std::vector<vertex> vertex::readlump(const lump& l, std::int32_t format) {
  return readrecords<vertex>(l, format, false, decodevertex);
}
std::vector<linedef> linedef::readlump(const lump& l, std::int32_t format) {
  return readrecords<linedef>(l, format, true,
                              [format](const unsigned char* p) { return decodelinedef(p, format); });
}
std::vector<sidedef> sidedef::readlump(const lump& l, std::int32_t format) {
  return readrecords<sidedef>(l, format, false, decodesidedef);
}
std::vector<sector> sector::readlump(const lump& l, std::int32_t format) {
  return readrecords<sector>(l, format, false, decodesector);
}

std::shared_ptr<map> map::Create(const lumpgroup& lumps, std::int32_t format) {
  if (lumps.empty()) {
    printline(u"no lumps to read map from");
    return nullptr;
  }
  auto m = std::make_shared<map>();
  m->format = format;
  m->readfrom(lumps);
  if (m->invalidmap) {
    printline(u"encountered invalid map");
    return nullptr;
  }
  return m;
}

int map::readfrom(const lumpgroup& lumps) {
  // All ten must be there, although only four are read.
  for (const std::string_view name : maplumpnames) {
    if (!getlump(lumps, u(name))) {
      invalidmap = 1;
      printline(u"failed to read map lumps");
      return 0;
    }
  }
  const auto vertexlump = getlump(lumps, u"VERTEXES");
  const auto linedeflump = getlump(lumps, u"LINEDEFS");
  const auto sidedeflump = getlump(lumps, u"SIDEDEFS");
  const auto sectorlump = getlump(lumps, u"SECTORS");
  // A negative position cannot be sought to; such a map is unusable.
  for (const auto& l : {vertexlump, linedeflump, sidedeflump, sectorlump}) {
    if (l->filepos < 0) {
      invalidmap = 1;
      return 0;
    }
  }
  vertexes = vertex::readlump(*vertexlump, format);
  linedefs = linedef::readlump(*linedeflump, format);
  sidedefs = sidedef::readlump(*sidedeflump, format);
  sectors = sector::readlump(*sectorlump, format);
  return 0;
}

std::shared_ptr<lump> map::getlump(const lumpgroup& lumps, const text& name) {
  for (const auto& l : lumps) {
    if (l && (l->name == name || l->trimmedname() == name)) return l;
  }
  return nullptr;
}

}  // namespace tracewell
