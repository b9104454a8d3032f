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

lumpgroup wad::getmaplumps(const text& name, std::int32_t count) const {
  const text wanted = upper(name);
  for (std::size_t i = 0; i < directory.size(); ++i) {
    const lump& l = *directory[i];
    if (upper(l.name) != wanted && upper(l.trimmedname()) != wanted) continue;
    // A marker near the end of the directory gives a shorter group.
    const std::size_t n = std::min(directory.size() - i, static_cast<std::size_t>(std::max(count, 0)));
    return lumpgroup(directory.begin() + static_cast<std::ptrdiff_t>(i),
                     directory.begin() + static_cast<std::ptrdiff_t>(i + n));
  }
  return {};
}

}  // namespace tracewell
