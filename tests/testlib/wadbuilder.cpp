// Synthetic WAD files for tests: any directory, Doom or Hexen map groups from plain lists, damage helpers.
#include "testlib/wadbuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "testlib/harness.h"

namespace tracewell::testkit {

namespace {

using namespace wadformat;

std::string padded(const std::string& s, std::size_t n) {
  std::string out = s.substr(0, n);
  out.resize(n, '\0');
  return out;
}

// A record of `size` zero bytes, filled field by field through the layouts of wad/lumplayout.h.
class recordwriter {
 public:
  explicit recordwriter(std::size_t size) : bytes_(size, '\0') {}
  // The low `f.width` bytes of `v`, little-endian.
  recordwriter& set(field f, std::int32_t v) {
    const auto w = static_cast<std::uint32_t>(v);
    for (std::size_t i = 0; i < f.width; ++i) bytes_[f.offset + i] = static_cast<char>((w >> (8 * i)) & 0xFF);
    return *this;
  }
  // `s` cut or NUL-padded to the field.
  recordwriter& set(field f, const std::string& s) {
    bytes_.replace(f.offset, f.width, padded(s, f.width));
    return *this;
  }
  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

bool hexen(std::int32_t format) {
  return format == wad::HEXEN || format == wad::ZDOOM;
}

}  // namespace

std::string encode(const std::vector<rawthing>& records) {
  using namespace doomthing;
  std::string out;
  for (const auto& t : records) {
    out += recordwriter(bytes)
               .set(x, t.x)
               .set(y, t.y)
               .set(angle, t.angle)
               .set(type, t.type)
               .set(flags, t.flags)
               .bytes();
  }
  return out;
}

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
    out += recordwriter(vertexrecord::bytes).set(vertexrecord::x, v.x).set(vertexrecord::y, v.y).bytes();
  }
  return out;
}

std::string encode(const std::vector<rawlinedef>& records, std::int32_t format) {
  std::string out;
  for (const auto& l : records) {
    if (hexen(format)) {
      using namespace hexenlinedef;
      recordwriter r(bytes);
      r.set(startvertex, l.startvertex).set(endvertex, l.endvertex).set(flags, l.flags);
      r.set(special, l.special).set(rightside, l.rightside).set(leftside, l.leftside);
      r.set(args, std::string(l.args.begin(), l.args.end()));
      out += r.bytes();
    } else {
      using namespace doomlinedef;
      recordwriter r(bytes);
      r.set(startvertex, l.startvertex).set(endvertex, l.endvertex).set(flags, l.flags);
      r.set(special, l.special)
          .set(sectortag, l.sectortag)
          .set(rightside, l.rightside)
          .set(leftside, l.leftside);
      out += r.bytes();
    }
  }
  return out;
}

std::string encode(const std::vector<rawsidedef>& records) {
  using namespace sidedefrecord;
  std::string out;
  for (const auto& s : records) {
    recordwriter r(bytes);
    r.set(xoff, s.xoff).set(yoff, s.yoff).set(sidedefrecord::sector, s.sector);
    r.set(uppertex, s.uppertex).set(lowertex, s.lowertex).set(middletex, s.middletex);
    out += r.bytes();
  }
  return out;
}

std::string encode(const std::vector<rawsector>& records) {
  using namespace sectorrecord;
  std::string out;
  for (const auto& s : records) {
    recordwriter r(bytes);
    r.set(floorheight, s.floorheight).set(ceilheight, s.ceilheight);
    r.set(floortex, s.floortex).set(ceiltex, s.ceiltex);
    r.set(light, s.light).set(sectortype, s.sectortype).set(sectortag, s.sectortag);
    out += r.bytes();
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

wadbuilder& wadbuilder::directoryfirst() {
  directoryfirst_ = true;
  return *this;
}

std::size_t wadbuilder::addlump(std::string name, std::string data) {
  entries_.push_back(wadentry{std::move(name), std::move(data), std::nullopt, std::nullopt});
  return entries_.size() - 1;
}

std::size_t wadbuilder::addmap(std::string name, const mapdata& m, const mapoptions& options) {
  std::vector<std::pair<std::string, std::string>> group = {
      {"THINGS", m.things.empty() ? std::string(doomthing::bytes, '\0') : encode(m.things)},
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

std::size_t wadbuilder::addudmfmap(std::string name, std::string textmap) {
  const std::size_t marker = addlump(std::move(name));
  addlump("TEXTMAP", std::move(textmap));
  addlump("ENDMAP");
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
  std::size_t at = header::bytes + (directoryfirst_ ? direntry::bytes * entries_.size() : 0);
  for (std::size_t i = 0; i < index && i < entries_.size(); ++i) at += entries_[i].data.size();
  return at;
}

std::size_t wadbuilder::directoryoffset() const {
  return directoryfirst_ ? header::bytes : dataoffset(entries_.size());
}

std::string wadbuilder::bytes() const {
  recordwriter h(header::bytes);
  h.set(header::identification, identification_);
  h.set(header::numlumps, numlumps_.value_or(static_cast<std::int32_t>(entries_.size())));
  h.set(header::infotableoffset, infotableoffset_.value_or(static_cast<std::int32_t>(directoryoffset())));
  std::string directory;
  std::size_t at = dataoffset(0);
  for (const auto& e : entries_) {
    recordwriter d(direntry::bytes);
    d.set(direntry::filepos, e.filepos.value_or(static_cast<std::int32_t>(at)));
    d.set(direntry::size, e.size.value_or(static_cast<std::int32_t>(e.data.size())));
    d.set(direntry::name, e.name);
    directory += d.bytes();
    at += e.data.size();
  }
  std::string data;
  for (const auto& e : entries_) data += e.data;
  return h.bytes() + (directoryfirst_ ? directory + data : data + directory);
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

std::shared_ptr<wad> readwad(const std::shared_ptr<bytestream>& stream, std::int32_t format) {
  result<std::shared_ptr<wad>> read = wad::read(stream, format);
  if (read.ok()) return std::move(read).value();
  if (read.error().why == failure::reason::notawad) return nullptr;
  ADD_FAILURE() << "wad::read failed: " << toutf8(read.error().lines.front());
  return nullptr;
}

std::shared_ptr<bytestream> openbytes(const std::filesystem::path& dir, const std::string& bytes,
                                      const std::string& name) {
  const auto path = dir / name;
  writefile(path, bytes);
  return bytestream::openread(fromutf8(path.string()));
}

}  // namespace tracewell::testkit
