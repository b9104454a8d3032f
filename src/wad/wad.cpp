// The WAD container: header, lump directory, map markers and map lump groups.
#include "wad/wad.h"

#include <algorithm>

#include "wad/format.h"

namespace tracewell {

using namespace wadformat;

result<std::shared_ptr<lump>> lump::read(const std::shared_ptr<bytestream>& stream) {
  auto l = std::make_shared<lump>();
  if (status read = l->readfrom(stream); !read.ok()) return read.error();
  return l;
}

status lump::readfrom(const std::shared_ptr<bytestream>& s) {
  unsigned char entry[direntry::bytes];
  s->readbytes(entry, sizeof entry);
  if (s->failed()) return failure::readstream();
  stream = s;
  filepos = gets32(entry, direntry::filepos);
  size = gets32(entry, direntry::size);
  name = frombytes(getbytes(entry, direntry::name));
  return {};
}

text lump::trimmedname() const {
  return name.substr(0, name.find(u'\0'));
}

result<std::shared_ptr<wad>> wad::read(const std::shared_ptr<bytestream>& stream, std::int32_t format) {
  auto w = std::make_shared<wad>();
  w->format = format;
  if (status read = w->readfrom(stream); !read.ok()) return read.error();
  if (w->invalidwad) return std::shared_ptr<wad>();
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
  if (stream->failed()) return failure::readstream();
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
  directory.reserve(static_cast<std::size_t>(
      std::clamp<std::int64_t>(numlumps, 0, room / static_cast<std::int64_t>(direntry::bytes) + 1)));
  for (std::int32_t i = 0; i < numlumps; ++i) {
    if (stream->eof()) {
      invalidwad = 1;
      return {};
    }
    result<std::shared_ptr<lump>> entry = lump::read(stream);
    if (!entry.ok()) return entry.error();
    directory.push_back(std::move(entry).value());
  }
  return {};
}

std::list<text> wad::getmapnames() const {
  std::list<text> names;
  for (const auto& l : directory) {
    if (l->name.compare(0, 3, u"MAP") == 0) names.push_back(l->trimmedname());
  }
  return names;
}

namespace {

constexpr std::u16string_view textmapname = u"TEXTMAP";
constexpr std::u16string_view endmapname = u"ENDMAP";

bool named(const std::shared_ptr<lump>& l, std::u16string_view name) {
  return l && l->trimmedname() == name;
}

// The key of an upper-cased name of at most 8 code units.
std::array<char16_t, 8> keyof(const text& uppername) {
  std::array<char16_t, 8> key{};
  std::copy(uppername.begin(), uppername.end(), key.begin());
  return key;
}

}  // namespace

bool istextmapgroup(const lumpgroup& lumps) {
  return lumps.size() > 1 && named(lumps[1], textmapname);
}

lumpgroup wad::getmaplumps(const text& name, std::int32_t count) const {
  const std::optional<std::size_t> i = findentry(name);
  if (!i) return {};
  // A marker near the end of the directory gives a shorter group.
  const std::size_t n = std::min(directory.size() - *i, static_cast<std::size_t>(std::max(count, 0)));
  return lumpgroup(directory.begin() + static_cast<std::ptrdiff_t>(*i),
                   directory.begin() + static_cast<std::ptrdiff_t>(*i + n));
}

lumpgroup wad::mapgroupat(std::size_t index) const {
  if (index >= directory.size()) return {};
  const std::size_t rest = directory.size() - index;
  std::size_t n = std::min(rest, static_cast<std::size_t>(maplumps));
  if (rest > 1 && named(directory[index + 1], textmapname)) {
    n = std::min(rest, static_cast<std::size_t>(textmaplumps));
    for (std::size_t k = 2; k < n; ++k) {
      if (named(directory[index + k], endmapname)) {
        n = k + 1;
        break;
      }
    }
  }
  return lumpgroup(directory.begin() + static_cast<std::ptrdiff_t>(index),
                   directory.begin() + static_cast<std::ptrdiff_t>(index + n));
}

lumpgroup wad::getmapgroup(const text& name) const {
  const std::optional<std::size_t> i = findentry(name);
  return i ? mapgroupat(*i) : lumpgroup{};
}

std::optional<std::size_t> wad::findentry(const text& name) const {
  const text wanted = upper(name);
  const auto matches = [&wanted](const lump& l) {
    return upper(l.name) == wanted || upper(l.trimmedname()) == wanted;
  };
  // A name holding a NUL can equal only a stored name: rare enough to search for.
  if (wanted.find(u'\0') != text::npos) {
    for (std::size_t i = 0; i < directory.size(); ++i) {
      if (directory[i] && matches(*directory[i])) return i;
    }
    return std::nullopt;
  }
  // Without a NUL, a stored name that matches is its own trimmed name, so the
  // trimmed names decide.
  if (!built_ || indexed_ != directory.size()) buildindex();
  std::optional<std::size_t> found;
  if (wanted.size() <= 8) {
    const indexedname probe{keyof(wanted), 0};
    const auto it =
        std::lower_bound(names_.begin(), names_.end(), probe,
                         [](const indexedname& a, const indexedname& b) { return a.key < b.key; });
    if (it != names_.end() && it->key == probe.key) found = it->index;
  }
  for (const std::uint32_t i : long_) {
    if (found && i > *found) break;
    if (upper(directory[i]->trimmedname()) == wanted) return i;
  }
  return found;
}

void wad::buildindex() const {
  names_.clear();
  long_.clear();
  names_.reserve(directory.size());
  for (std::size_t i = 0; i < directory.size(); ++i) {
    if (!directory[i]) continue;
    const text trimmed = upper(directory[i]->trimmedname());
    if (trimmed.size() <= 8) {
      names_.push_back({keyof(trimmed), static_cast<std::uint32_t>(i)});
    } else {
      long_.push_back(static_cast<std::uint32_t>(i));
    }
  }
  // Equal names sort in directory order, so the first of them is the one kept.
  std::sort(names_.begin(), names_.end(), [](const indexedname& a, const indexedname& b) {
    return a.key != b.key ? a.key < b.key : a.index < b.index;
  });
  names_.erase(std::unique(names_.begin(), names_.end(),
                           [](const indexedname& a, const indexedname& b) { return a.key == b.key; }),
               names_.end());
  names_.shrink_to_fit();
  indexed_ = directory.size();
  built_ = true;
}

}  // namespace tracewell
