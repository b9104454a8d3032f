// Synthetic WAD files for tests: any directory, Doom or Hexen map groups from plain lists, damage helpers.
#include "testlib/wadbuilder.h"

#include <algorithm>
#include <stdexcept>

#include "testlib/harness.h"

namespace tracewell::testing {

namespace {

using namespace wadformat;

void addu8(std::string& out, std::int32_t v) {
  out += static_cast<char>(v & 0xFF);
}
void addu16(std::string& out, std::int32_t v) {
  addu8(out, v);
  addu8(out, v >> 8);
}
void adds32(std::string& out, std::int32_t v) {
  const auto w = static_cast<std::uint32_t>(v);
  for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((w >> shift) & 0xFF);
}
std::string padded(const std::string& s, std::size_t n) {
  std::string out = s.substr(0, n);
  out.resize(n, '\0');
  return out;
}

bool hexen(std::int32_t format) {
  return format == wad::HEXEN || format == wad::ZDOOM;
}

}  // namespace

mapdata squaremap(std::int32_t format, std::int32_t side) {
  mapdata m;
  m.format = format;
  m.vertexes = {{0, 0}, {0, side}, {side, side}, {side, 0}};
  for (std::int32_t i = 0; i < 4; ++i) {
    rawlinedef l;
    l.startvertex = i;
    l.endvertex = (i + 1) % 4;
    l.flags = 1;  // impassable
    l.rightside = i;
    m.linedefs.push_back(l);
    m.sidedefs.push_back(rawsidedef{0, 0, "-", "-", "STARTAN3", 0});
  }
  m.sectors.push_back(rawsector{});
  return m;
}

std::string encode(const std::vector<rawvertex>& records) {
  std::string out;
  for (const auto& v : records) {
    addu16(out, v.x);
    addu16(out, v.y);
  }
  return out;
}

std::string encode(const std::vector<rawlinedef>& records, std::int32_t format) {
  std::string out;
  for (const auto& l : records) {
    addu16(out, l.startvertex);
    addu16(out, l.endvertex);
    addu16(out, l.flags);
    if (hexen(format)) {
      addu8(out, l.special);
      for (const std::uint8_t a : l.args) addu8(out, a);
    } else {
      addu16(out, l.special);
      addu16(out, l.sectortag);
    }
    addu16(out, l.rightside);
    addu16(out, l.leftside);
  }
  return out;
}

std::string encode(const std::vector<rawsidedef>& records) {
  std::string out;
  for (const auto& s : records) {
    addu16(out, s.xoff);
    addu16(out, s.yoff);
    out += padded(s.uppertex, namesize) + padded(s.lowertex, namesize) + padded(s.middletex, namesize);
    addu16(out, s.sector);
  }
  return out;
}

std::string encode(const std::vector<rawsector>& records) {
  std::string out;
  for (const auto& s : records) {
    addu16(out, s.floorheight);
    addu16(out, s.ceilheight);
    out += padded(s.floortex, namesize) + padded(s.ceiltex, namesize);
    addu16(out, s.light);
    addu16(out, s.sectortype);
    addu16(out, s.sectortag);
  }
  return out;
}

wadbuilder& wadbuilder::identification(std::string id) {
  identification_ = std::move(id);
  return *this;
}

wadbuilder& wadbuilder::numlumps(std::int32_t n) {
  numlumps_ = n;
  return *this;
}

wadbuilder& wadbuilder::infotableoffset(std::int32_t offset) {
  infotableoffset_ = offset;
  return *this;
}

std::size_t wadbuilder::addlump(std::string name, std::string data) {
  entries_.push_back(wadentry{std::move(name), std::move(data), std::nullopt, std::nullopt});
  return entries_.size() - 1;
}

std::size_t wadbuilder::addmap(std::string name, const mapdata& m, const mapoptions& options) {
  std::vector<std::pair<std::string, std::string>> group = {
      {"THINGS", std::string(10, '\0')},  // one thing; never read
      {"LINEDEFS", encode(m.linedefs, m.format)},
      {"SIDEDEFS", encode(m.sidedefs)},
      {"VERTEXES", encode(m.vertexes)},
      {"SEGS", ""},
      {"SSECTORS", ""},
      {"NODES", ""},
      {"SECTORS", encode(m.sectors)},
      {"REJECT", ""},
      {"BLOCKMAP", ""},
  };
  if (hexen(m.format)) group.emplace_back("BEHAVIOR", "");
  const std::size_t marker = addlump(std::move(name));
  for (auto& [lumpname, data] : group) {
    if (std::find(options.omit.begin(), options.omit.end(), lumpname) != options.omit.end()) continue;
    for (const auto& [from, to] : options.rename) {
      if (from == lumpname) lumpname = to;
    }
    addlump(lumpname, std::move(data));
  }
  return marker;
}

std::optional<std::size_t> wadbuilder::find(const std::string& name, std::size_t from) const {
  for (std::size_t i = from; i < entries_.size(); ++i) {
    if (padded(entries_[i].name, namesize) == padded(name, namesize)) return i;
  }
  return std::nullopt;
}

wadentry& wadbuilder::entry(const std::string& name) {
  const auto i = find(name);
  if (!i) throw std::out_of_range("wadbuilder: no entry " + name);
  return entries_[*i];
}

std::size_t wadbuilder::dataoffset(std::size_t index) const {
  std::size_t at = headersize;
  for (std::size_t i = 0; i < index && i < entries_.size(); ++i) at += entries_[i].data.size();
  return at;
}

std::size_t wadbuilder::directoryoffset() const {
  return dataoffset(entries_.size());
}

std::string wadbuilder::bytes() const {
  std::string out = padded(identification_, 4);
  adds32(out, numlumps_.value_or(static_cast<std::int32_t>(entries_.size())));
  adds32(out, infotableoffset_.value_or(static_cast<std::int32_t>(directoryoffset())));
  for (const auto& e : entries_) out += e.data;
  std::size_t at = headersize;
  for (const auto& e : entries_) {
    adds32(out, e.filepos.value_or(static_cast<std::int32_t>(at)));
    adds32(out, e.size.value_or(static_cast<std::int32_t>(e.data.size())));
    out += padded(e.name, namesize);
    at += e.data.size();
  }
  return out;
}

void wadbuilder::write(const std::filesystem::path& path) const {
  writefile(path, bytes());
}

std::shared_ptr<bytestream> wadbuilder::open(const std::filesystem::path& dir,
                                             const std::string& name) const {
  return openbytes(dir, bytes(), name);
}

std::string truncated(const std::string& bytes, std::size_t size) {
  return bytes.substr(0, size);
}

namespace {
void put(std::string& bytes, std::size_t offset, std::uint32_t value, int width) {
  if (bytes.size() < offset + width) bytes.resize(offset + width, '\0');
  for (int i = 0; i < width; ++i) bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}
}  // namespace

void putu8(std::string& bytes, std::size_t offset, std::uint8_t value) {
  put(bytes, offset, value, 1);
}
void putu16(std::string& bytes, std::size_t offset, std::uint16_t value) {
  put(bytes, offset, value, 2);
}
void puts32(std::string& bytes, std::size_t offset, std::int32_t value) {
  put(bytes, offset, static_cast<std::uint32_t>(value), 4);
}

std::shared_ptr<bytestream> openbytes(const std::filesystem::path& dir, const std::string& bytes,
                                      const std::string& name) {
  const auto path = dir / name;
  writefile(path, bytes);
  return bytestream::openread(fromutf8(path.string()));
}

}  // namespace tracewell::testing
