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
  result<lumpgroup> getmapgroup(const text& name) override { return w_->getmapgroup(name); }
  result<std::shared_ptr<map>> loadmap(const text& name, std::int32_t format,
                                       const text& listedname) override {
    return map::Create(w_->getmapgroup(name), format, listedname);
  }
  std::shared_ptr<wad> wadfile() const override { return w_; }

 private:
  std::shared_ptr<wad> w_;
};

class archivesource : public mapsource {
 public:
  explicit archivesource(std::shared_ptr<archive> zip)
      : zip_(std::move(zip)), maps_(listarchivemaps(*zip_)), index_(maps_) {}
  std::list<text> getmapnames() const override { return archivemapnames(maps_); }

  result<lumpgroup> getmapgroup(const text& name) override {
    const std::optional<std::size_t> found = index_.find(name);
    if (!found) return lumpgroup();
    const archivemap& m = maps_[*found];
    // The WAD of the last entry read is kept, so that the many maps of one
    // embedded WAD cost one decompression, not one each; it goes before
    // another entry is read, so only one is ever in memory.
    if (heldentry_ != m.entry) {
      held_ = failure::because(failure::reason::unspecified);
      heldentry_ = m.entry;
      held_ = readembeddedwad(*zip_, m.entry);
    }
    if (!held_.ok()) return held_.error();
    return archivemaplumps(*held_.value(), m);
  }

  result<std::shared_ptr<map>> loadmap(const text& name, std::int32_t format,
                                       const text& listedname) override {
    const result<lumpgroup> group = getmapgroup(name);
    if (!group.ok()) return group.error();
    // An entry that gives no group: the failure line alone says so.
    if (group.value().empty()) return failure::notice({});
    result<std::shared_ptr<map>> m = map::Create(group.value(), format, listedname);
    if (m.ok() || m.error().what != failure::kind::readstream) return m;
    // The held WAD's stream stays failed; the next map of this entry reads it afresh.
    const text entry = zip_->names()[maps_[*index_.find(name)].entry];
    heldentry_.reset();
    held_ = failure::because(failure::reason::unspecified);
    return failure::because(failure::reason::damaged, entry);
  }

 private:
  std::shared_ptr<archive> zip_;
  archivemaplist maps_;
  archivemapindex index_;
  std::optional<std::size_t> heldentry_;  // the entry last read, even when it gave no WAD
  result<std::shared_ptr<wad>> held_ = failure::because(failure::reason::unspecified);  // its WAD, or why not
};

failure refused(failure::reason why) {
  return failure::because(why);
}

}  // namespace

std::shared_ptr<mapsource> archivemapsource(std::shared_ptr<archive> zip) {
  return std::make_shared<archivesource>(std::move(zip));
}

result<std::shared_ptr<mapsource>> openmapsource(const text& path, archivelimits limits) {
  std::shared_ptr<bytestream> stream = bytestream::openread(path);
  if (!stream) return refused(failure::reason::cannotopen);
  std::array<unsigned char, 4> head{};
  const std::size_t got = stream->readsome(head.data(), head.size());
  if (archive::recognise(std::span<const unsigned char>(head.data(), got))) {
    stream = nullptr;  // libzip opens the file itself
    result<std::shared_ptr<archive>> zip = archive::openfile(path, limits);
    if (!zip.ok()) return zip.error();
    return archivemapsource(std::move(zip).value());
  }
  // Everything else goes to the WAD reader as it always did; it starts from the top again.
  result<std::shared_ptr<wad>> read = wad::read(stream, 0);
  if (!read.ok()) return read.error();
  return std::shared_ptr<mapsource>(std::make_shared<wadfilesource>(std::move(read).value()));
}

}  // namespace tracewell
