// Where the maps named at the WAD prompt come from: a WAD file, or a ZIP archive (PK3) holding WADs.
#include "wad/mapsource.h"

#include <array>
#include <optional>

#include "wad/archivemaps.h"

namespace tracewell {

namespace {

class wadfilesource : public mapsource {
 public:
  explicit wadfilesource(std::shared_ptr<wad> w) : w_(std::move(w)) {}
  std::list<text> getmapnames() const override { return w_->getmapnames(); }
  lumpgroup getmapgroup(const text& name) override { return w_->getmapgroup(name); }
  std::shared_ptr<wad> wadfile() const override { return w_; }

 private:
  std::shared_ptr<wad> w_;
};

// An embedded WAD read from its entry's bytes, or null when they are no valid
// WAD (a stream failure inside them included: it concerns this entry only).
std::shared_ptr<wad> readembedded(const entrybytes& bytes) {
  result<std::shared_ptr<wad>> read = wad::read(bytestream::openmemory(bytes), 0);
  return read.ok() ? std::move(read).value() : nullptr;
}

class archivesource : public mapsource {
 public:
  archivesource(std::shared_ptr<archive> zip, std::uint64_t limit)
      : zip_(std::move(zip)), limit_(limit), maps_(listarchivemaps(*zip_, readembedded, limit_)) {}
  std::list<text> getmapnames() const override { return archivemapnames(maps_); }
  lumpgroup getmapgroup(const text& name) override {
    const archivemap* m = findarchivemap(maps_, name);
    if (m == nullptr) return {};
    // The WAD of the last entry read is kept, so that the many maps of one
    // embedded WAD cost one decompression, not one each; it goes before
    // another entry is read, so only one is ever in memory.
    if (heldentry_ != m->entry) {
      held_ = nullptr;
      heldentry_ = m->entry;
      const archive::reading r = zip_->read(m->entry, limit_);
      if (r.bytes) held_ = readembedded(r.bytes);
    }
    return held_ ? archivemaplumps(*held_, *m) : lumpgroup();
  }

 private:
  std::shared_ptr<archive> zip_;
  std::uint64_t limit_;
  archivemaplist maps_;
  std::optional<std::size_t> heldentry_;  // the entry last read, even when it gave no WAD
  std::shared_ptr<wad> held_;             // its WAD, or null
};

sourceopening refused(sourcefailure why) {
  return {nullptr, why};
}

}  // namespace

std::shared_ptr<mapsource> archivemapsource(std::shared_ptr<archive> zip, std::uint64_t limit) {
  return std::make_shared<archivesource>(std::move(zip), limit);
}

result<sourceopening> openmapsource(const text& path) {
  std::shared_ptr<bytestream> stream = bytestream::openread(path);
  if (!stream) return refused(sourcefailure::unopenable);
  std::array<unsigned char, 4> head{};
  const std::size_t got = stream->readsome(head.data(), head.size());
  if (archive::recognise(std::span<const unsigned char>(head.data(), got))) {
    stream = nullptr;  // libzip opens the file itself
    const archive::opening o = archive::openfile(path);
    if (!o.zip) {
      return refused(o.failure == archivefailure::unopenable ? sourcefailure::unopenable
                                                             : sourcefailure::unparsable);
    }
    return sourceopening{archivemapsource(o.zip), sourcefailure::none};
  }
  // Everything else goes to the WAD reader as it always did; it starts from the top again.
  result<std::shared_ptr<wad>> read = wad::read(stream, 0);
  if (!read.ok()) return read.error();
  if (!read.value()) return refused(sourcefailure::unparsable);
  return sourceopening{std::make_shared<wadfilesource>(std::move(read).value()), sourcefailure::none};
}

}  // namespace tracewell
