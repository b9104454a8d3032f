// The WAD container: header, lump directory, map markers and map lump groups.
#include "wad/wad.h"

#include <algorithm>

#include "wad/format.h"

namespace tracewell {

std::shared_ptr<lump> lump::read(const std::shared_ptr<bytestream>& stream) {
  auto l = std::make_shared<lump>();
  l->readfrom(stream);
  return l;
}

int lump::readfrom(const std::shared_ptr<bytestream>& s) {
  unsigned char entry[wadformat::entrysize];
  s->readbytes(entry, sizeof entry);
  stream = s;
  filepos = wadformat::gets32(entry);
  size = wadformat::gets32(entry + 4);
  name = frombytes(std::string_view(reinterpret_cast<const char*>(entry + 8), wadformat::namesize));
  return 0;
}

text lump::trimmedname() const {
  return name.substr(0, name.find(u'\0'));
}

std::shared_ptr<wad> wad::read(const std::shared_ptr<bytestream>& stream, std::int32_t format) {
  auto w = std::make_shared<wad>();
  w->format = format;
  w->readfrom(stream);
  return w->invalidwad ? nullptr : w;
}

int wad::readfrom(const std::shared_ptr<bytestream>& s) {
  stream = s;
  if (!stream) {
    invalidwad = 1;
    return 0;
  }
  stream->seek(0);
  identification = stream->readtext(4);
  if (identification != u(wadformat::iwad) && identification != u(wadformat::pwad)) {
    invalidwad = 1;
    return 0;
  }
  numlumps = stream->reads32();
  infotableoffset = stream->reads32();
  if (infotableoffset < 0) {
    invalidwad = 1;
    return 0;
  }
  stream->seek(infotableoffset);
  // Reserve only what the file can hold; a lying numlumps then ends at the
  // end-of-file test (or a read failure) instead of in a huge allocation.
  const std::int64_t room = std::max<std::int64_t>(0, stream->size() - infotableoffset);
  directory.reserve(static_cast<std::size_t>(
      std::clamp<std::int64_t>(numlumps, 0, room / static_cast<std::int64_t>(wadformat::entrysize) + 1)));
  for (std::int32_t i = 0; i < numlumps; ++i) {
    if (stream->eof()) {
      invalidwad = 1;
      return 0;
    }
    directory.push_back(lump::read(stream));
  }
  return 0;
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
