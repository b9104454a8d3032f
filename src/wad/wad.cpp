// The WAD container: header, lump directory, map markers and map lump groups.
#include "wad/wad.h"

#include <algorithm>
#include <new>
#include <string_view>

#include "wad/lumplayout.h"

namespace tracewell {

using namespace wadformat;

text lump::trimmedname() const {
  return name.substr(0, name.find(u'\0'));
}

text lumpentry::storedname() const {
  return frombytes(std::string_view(name.data(), name.size()));
}

text lumpentry::trimmedname() const {
  return frombytes(std::string_view(name.data(), std::find(name.begin(), name.end(), '\0') - name.begin()));
}

std::uint64_t wadextent(std::span<const unsigned char> sofar) {
  if (sofar.size() < header::bytes) return header::bytes;
  const std::string_view identification(reinterpret_cast<const char*>(sofar.data()),
                                        header::identification.width);
  if (identification != iwad && identification != pwad) return sofar.size();
  const std::int32_t numlumps = gets32(sofar.data(), header::numlumps);
  const std::int32_t offset = gets32(sofar.data(), header::infotableoffset);
  if (numlumps < 0 || offset < 0) return sofar.size();
  const std::uint64_t directoryend =
      static_cast<std::uint64_t>(offset) + static_cast<std::uint64_t>(numlumps) * direntry::bytes;
  if (sofar.size() < directoryend) return directoryend;
  std::uint64_t end = directoryend;
  for (std::uint64_t at = static_cast<std::uint64_t>(offset); at < directoryend; at += direntry::bytes) {
    const std::int32_t filepos = gets32(sofar.data() + at, direntry::filepos);
    const std::int32_t size = gets32(sofar.data() + at, direntry::size);
    if (filepos >= 0 && size > 0)
      end = std::max(end, static_cast<std::uint64_t>(filepos) + static_cast<std::uint64_t>(size));
  }
  return end;
}

result<std::shared_ptr<wad>> wad::read(const std::shared_ptr<bytestream>& stream, std::int32_t format) {
  std::shared_ptr<wad> w;
  try {
    w = std::make_shared<wad>();
    w->format = format;
    if (status read = w->readfrom(stream); !read.ok()) return read.error();
  } catch (const std::bad_alloc&) {
    return failure::because(failure::reason::notawad);
  }
  if (w->invalidwad) return failure::because(failure::reason::notawad);
  return w;
}

status wad::readfrom(const std::shared_ptr<bytestream>& s) {
  stream = s;
  if (!stream) {
    invalidwad = 1;
    return {};
  }
  // The identification decides before the rest of the header is read, but
  // only once its four bytes are there.
  stream->seek(0);
  identification = stream->readtext(header::identification.width);
  if (stream->failed()) {
    // Still a stream failure, but one that says the bytes end too soon to be anything.
    failure tooshort = failure::readstream();
    tooshort.why = failure::reason::nosignature;
    return tooshort;
  }
  if (identification != u(iwad) && identification != u(pwad)) {
    invalidwad = 1;
    return {};
  }
  numlumps = stream->reads32();
  infotableoffset = stream->reads32();
  if (stream->failed()) return failure::readstream();
  if (infotableoffset < 0) {
    invalidwad = 1;
    return {};
  }
  stream->seek(infotableoffset);
  // Reserve only what the file can hold; a lying numlumps then ends at the
  // end-of-file test (or a read failure) instead of in a huge allocation.
  const std::int64_t room = std::max<std::int64_t>(0, stream->size() - infotableoffset);
  const auto entries = static_cast<std::size_t>(
      std::clamp<std::int64_t>(numlumps, 0, room / static_cast<std::int64_t>(direntry::bytes) + 1));
  directory.reserve(entries);
  // Read in blocks of whole entries. A file that ends exactly where an entry
  // would begin is not a WAD; one that ends inside an entry (or a directory
  // that starts past the end) is a read failure.
  constexpr std::size_t blockentries = 4096;
  std::vector<unsigned char> block(blockentries * direntry::bytes);
  for (std::int64_t left = std::max(numlumps, 0); left > 0;) {
    const auto want = static_cast<std::size_t>(std::min<std::int64_t>(left, blockentries)) * direntry::bytes;
    const std::size_t got = stream->readsome(block.data(), want);
    for (std::size_t at = 0; at + direntry::bytes <= got; at += direntry::bytes) {
      const unsigned char* e = block.data() + at;
      lumpentry& entry = directory.emplace_back();
      entry.filepos = gets32(e, direntry::filepos);
      entry.size = gets32(e, direntry::size);
      std::copy_n(e + direntry::name.offset, entry.name.size(), entry.name.begin());
    }
    if (got < want) {
      if (got % direntry::bytes == 0 && !stream->failed() && stream->position() == stream->size()) {
        invalidwad = 1;
        return {};
      }
      return failure::readstream();
    }
    left -= static_cast<std::int64_t>(got / direntry::bytes);
  }
  return {};
}

std::list<text> wad::getmapnames() const {
  std::list<text> names;
  for (const lumpentry& e : directory) {
    if (std::string_view(e.name.data(), 3) == "MAP") names.push_back(e.trimmedname());
  }
  return names;
}

namespace {

constexpr std::u16string_view textmapname = u"TEXTMAP";
constexpr std::u16string_view endmapname = u"ENDMAP";

// The key of an upper-cased name of at most 8 code units.
std::array<char16_t, 8> keyof(const text& uppername) {
  std::array<char16_t, 8> key{};
  std::copy(uppername.begin(), uppername.end(), key.begin());
  return key;
}

}  // namespace

bool istextmapgroup(const lumpgroup& lumps) {
  return lumps.size() > 1 && lumps[1] && lumps[1]->trimmedname() == textmapname;
}

namespace {

// The content rule over the entries after a candidate marker: `after` of them
// are there, and named(k, name) tells whether entry k (1-based) is `name`.
template <typename Named>
bool contentmarker(std::size_t after, const Named& named) {
  if (after == 0) return false;
  if (named(1, u"TEXTMAP")) return true;
  if (!named(1, u"THINGS")) return false;
  const std::size_t last = std::min(after, contentwindow);
  for (const std::u16string_view lumpname : {u"LINEDEFS", u"SIDEDEFS", u"VERTEXES", u"SECTORS"}) {
    bool found = false;
    for (std::size_t k = 2; k <= last && !found; ++k) found = named(k, lumpname);
    if (!found) return false;
  }
  return true;
}

// A stored name equals `name` up to its first NUL; no text is made.
bool entrynamed(const lumpentry& e, std::u16string_view name) {
  std::size_t n = 0;
  while (n < e.name.size() && e.name[n] != '\0') ++n;
  if (n != name.size()) return false;
  for (std::size_t i = 0; i < n; ++i) {
    if (static_cast<unsigned char>(e.name[i]) != name[i]) return false;
  }
  return true;
}

}  // namespace

bool ismapgroup(const lumpgroup& lumps) {
  if (lumps.empty()) return false;
  return contentmarker(lumps.size() - 1, [&](std::size_t k, std::u16string_view name) {
    return lumps[k] && lumps[k]->trimmedname() == name;
  });
}

bool wad::ismapmarker(std::size_t index) const {
  if (index >= directory.size()) return false;
  return contentmarker(directory.size() - 1 - index, [&](std::size_t k, std::u16string_view name) {
    return entrynamed(directory[index + k], name);
  });
}

std::list<text> wad::getmapnames(mapdetection how) const {
  if (how == mapdetection::names) return getmapnames();
  std::list<text> names;
  for (std::size_t i = 0; i < directory.size(); ++i) {
    if (ismapmarker(i)) names.push_back(directory[i].trimmedname());
  }
  return names;
}

lumpgroup wad::getmaplumps(const text& name, std::int32_t count) const {
  const std::optional<std::size_t> i = findentry(name);
  return i ? getlumps(*i, count) : lumpgroup{};
}

lumpgroup wad::mapgroupat(std::size_t index) const {
  if (index >= directory.size()) return {};
  const std::size_t rest = directory.size() - index;
  std::size_t n = std::min(rest, static_cast<std::size_t>(maplumps));
  if (n == static_cast<std::size_t>(maplumps) && rest > n && entrynamed(directory[index + n], u"BEHAVIOR")) {
    bool later = false;
    for (std::size_t k = 1; k < n && !later; ++k) later = ismapmarker(index + k);
    if (!later) ++n;
  }
  if (rest > 1 && directory[index + 1].trimmedname() == textmapname) {
    n = std::min(rest, static_cast<std::size_t>(textmaplumps));
    for (std::size_t k = 2; k < n; ++k) {
      if (directory[index + k].trimmedname() == endmapname) {
        n = k + 1;
        break;
      }
    }
  }
  return getlumps(index, static_cast<std::int32_t>(n));
}

lumpgroup wad::getmapgroup(const text& name) const {
  const std::optional<std::size_t> i = findentry(name);
  return i ? mapgroupat(*i) : lumpgroup{};
}

lumpgroup wad::getmapgroup(const text& name, mapdetection how) const {
  const std::optional<std::size_t> i = findmap(name, how);
  return i ? mapgroupat(*i) : lumpgroup{};
}

std::optional<std::size_t> wad::findmap(const text& name, mapdetection how) const {
  if (how == mapdetection::names) return findentry(name);
  const text wanted = upper(name);
  if (wanted.find(u'\0') != text::npos) {
    for (std::size_t i = 0; i < directory.size(); ++i) {
      if (upper(directory[i].storedname()) == wanted && ismapmarker(i)) return i;
    }
    return std::nullopt;
  }
  if (wanted.size() > 8) return std::nullopt;
  if (!markersbuilt_ || markersindexed_ != directory.size()) buildmarkerindex();
  const indexedname probe{keyof(wanted), 0};
  const auto it = std::lower_bound(markers_.begin(), markers_.end(), probe,
                                   [](const indexedname& a, const indexedname& b) { return a.key < b.key; });
  if (it != markers_.end() && it->key == probe.key) return it->index;
  return std::nullopt;
}

std::optional<std::size_t> wad::findentry(const text& name) const {
  const text wanted = upper(name);
  // A name holding a NUL can equal only a stored name: rare enough to search for.
  if (wanted.find(u'\0') != text::npos) {
    for (std::size_t i = 0; i < directory.size(); ++i) {
      if (upper(directory[i].storedname()) == wanted) return i;
    }
    return std::nullopt;
  }
  // Without a NUL, a stored name that matches is its own trimmed name (at most
  // 8 units), so the trimmed names decide.
  if (wanted.size() > 8) return std::nullopt;
  if (!built_ || indexed_ != directory.size()) buildindex();
  const indexedname probe{keyof(wanted), 0};
  const auto it = std::lower_bound(names_.begin(), names_.end(), probe,
                                   [](const indexedname& a, const indexedname& b) { return a.key < b.key; });
  if (it != names_.end() && it->key == probe.key) return it->index;
  return std::nullopt;
}

void wad::keepfirsts(std::vector<indexedname>& names) {
  // Equal names sort in directory order, so the first of them is the one kept.
  std::sort(names.begin(), names.end(), [](const indexedname& a, const indexedname& b) {
    return a.key != b.key ? a.key < b.key : a.index < b.index;
  });
  names.erase(std::unique(names.begin(), names.end(),
                          [](const indexedname& a, const indexedname& b) { return a.key == b.key; }),
              names.end());
  names.shrink_to_fit();
}

void wad::buildindex() const {
  names_.clear();
  names_.reserve(directory.size());
  for (std::size_t i = 0; i < directory.size(); ++i) {
    names_.push_back({keyof(upper(directory[i].trimmedname())), static_cast<std::uint32_t>(i)});
  }
  keepfirsts(names_);
  indexed_ = directory.size();
  built_ = true;
}

void wad::buildmarkerindex() const {
  markers_.clear();
  for (std::size_t i = 0; i < directory.size(); ++i) {
    if (ismapmarker(i))
      markers_.push_back({keyof(upper(directory[i].trimmedname())), static_cast<std::uint32_t>(i)});
  }
  keepfirsts(markers_);
  markersindexed_ = directory.size();
  markersbuilt_ = true;
}

lumpgroup wad::getlumps(std::size_t first, std::int32_t count) const {
  lumpgroup group;
  if (first >= directory.size()) return group;
  // A marker near the end of the directory gives a shorter group.
  const std::size_t n = std::min(directory.size() - first, static_cast<std::size_t>(std::max(count, 0)));
  group.reserve(n);
  for (std::size_t i = first; i < first + n; ++i) {
    const lumpentry& e = directory[i];
    group.push_back(std::make_shared<lump>(lump{stream, e.filepos, e.size, e.storedname()}));
  }
  return group;
}

}  // namespace tracewell
