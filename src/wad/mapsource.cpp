// Where the maps named at the WAD prompt come from: a WAD file, or a ZIP archive (PK3) holding WADs.
#include "wad/mapsource.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <optional>
#include <span>
#include <string_view>
#include <unordered_map>

#include "wad/archivemaps.h"
#include "wad/lumplayout.h"

namespace tracewell {

namespace {

class wadfilesource : public mapsource {
 public:
  wadfilesource(std::shared_ptr<wad> w, mapdetection how) : w_(std::move(w)), how_(how) {}
  std::list<text> getmapnames() const override { return w_->getmapnames(how_); }
  result<lumpgroup> getmapgroup(const text& name) override { return w_->getmapgroup(name, how_); }
  result<std::shared_ptr<map>> loadmap(const text& name, std::int32_t format, const text& listedname,
                                       bool withthings) override {
    return map::Create(w_->getmapgroup(name, how_), format, listedname, withthings, how_);
  }
  bool isrealmap(const text& name) override { return ismapgroup(w_->getmapgroup(name, how_)); }
  std::shared_ptr<wad> wadfile() const override { return w_; }

 private:
  std::shared_ptr<wad> w_;
  mapdetection how_;
};

class archivesource : public mapsource {
 public:
  // The listing holds each WAD it reads, so that drawing its maps inflates it no more.
  archivesource(std::shared_ptr<archive> zip, mapdetection how)
      : zip_(std::move(zip)),
        how_(how),
        maps_(listarchivemaps(
            zip_->names(),
            [this](std::size_t entry) {
              const result<std::shared_ptr<wad>>& w = hold(entry);
              return w.ok() ? w.value()->getmapnames(how_) : std::list<text>();
            },
            how_, zip_->utf8names())),
        index_(maps_) {}
  std::list<text> getmapnames() const override { return archivemapnames(maps_); }

  result<lumpgroup> getmapgroup(const text& name) override {
    const std::optional<std::size_t> found = index_.find(name);
    if (!found) return lumpgroup();
    const archivemap& m = maps_[*found];
    const result<std::shared_ptr<wad>>& w = hold(m.entry);
    if (!w.ok()) return w.error();
    return archivemaplumps(*w.value(), m, how_);
  }

  result<std::shared_ptr<map>> loadmap(const text& name, std::int32_t format, const text& listedname,
                                       bool withthings) override {
    const result<lumpgroup> group = getmapgroup(name);
    if (!group.ok()) return group.error();
    // An entry that gives no group: the failure line alone says so.
    if (group.value().empty()) return failure::notice({});
    result<std::shared_ptr<map>> m = map::Create(group.value(), format, listedname, withthings, how_);
    if (m.ok() || m.error().what != failure::kind::readstream) return m;
    // The held WAD's stream stays failed; the next map of this entry reads it afresh.
    const std::size_t entry = maps_[*index_.find(name)].entry;
    const auto found = heldat_.find(entry);
    if (found != heldat_.end()) drop(found->second);
    return failure::because(failure::reason::damaged, zip_->names()[entry]);
  }

  bool isrealmap(const text& name) override {
    const std::optional<std::size_t> found = index_.find(name);
    if (!found) return false;
    if (maps_[*found].kind == archivemapkind::wholewad) return true;
    // A WAD that gave this name when listed but gives no group now lost a map.
    const result<lumpgroup> group = getmapgroup(name);
    return !group.ok() || ismapgroup(group.value());
  }

 private:
  struct heldwad {
    std::size_t entry;
    result<std::shared_ptr<wad>> read;  // the WAD, or why the entry gives none
    std::uint64_t bytes;                // what it holds in memory
  };

  // The WAD of `entry`, read once and kept while the entries kept take no
  // more than the archive's ceiling together, so that the maps of a few
  // embedded WADs cost one decompression each however they alternate; the
  // least recently used go first.
  const result<std::shared_ptr<wad>>& hold(std::size_t entry) {
    const auto found = heldat_.find(entry);
    if (found != heldat_.end()) {
      held_.splice(held_.begin(), held_, found->second);
      return held_.front().read;
    }
    // What is to go goes before the next entry is read, so the bound holds while it is.
    const std::uint64_t declared = zip_->declaredsize(entry);
    while (!held_.empty() && heldbytes_ + declared > zip_->limits().ceiling) drop(std::prev(held_.end()));
    result<std::shared_ptr<wad>> read = readembeddedwad(*zip_, entry);
    const std::uint64_t bytes = read.ok() ? static_cast<std::uint64_t>(read.value()->stream->size()) : 0;
    held_.push_front({entry, std::move(read), bytes});
    heldat_.emplace(entry, held_.begin());
    heldbytes_ += bytes;
    while (held_.size() > 1 && heldbytes_ > zip_->limits().ceiling) drop(std::prev(held_.end()));
    return held_.front().read;
  }

  void drop(std::list<heldwad>::iterator h) {
    heldbytes_ -= h->bytes;
    heldat_.erase(h->entry);
    held_.erase(h);
  }

  // The held WADs come before the list, which the constructor fills through them.
  std::shared_ptr<archive> zip_;
  mapdetection how_;
  std::list<heldwad> held_;                                               // most recently used first
  std::unordered_map<std::size_t, std::list<heldwad>::iterator> heldat_;  // by entry
  std::uint64_t heldbytes_ = 0;
  archivemaplist maps_;
  archivemapindex index_;
};

failure refused(failure::reason why) {
  return failure::because(why);
}

}  // namespace

std::shared_ptr<mapsource> archivemapsource(std::shared_ptr<archive> zip, mapdetection how) {
  return std::make_shared<archivesource>(std::move(zip), how);
}

bool ismapsourcehead(std::span<const unsigned char> head) {
  if (archive::recognise(head)) return true;
  const std::string_view first(reinterpret_cast<const char*>(head.data()),
                               std::min(head.size(), wadformat::header::identification.width));
  return first == wadformat::iwad || first == wadformat::pwad;
}

result<std::shared_ptr<mapsource>> openmapsource(const text& path, archivelimits limits, mapdetection how) {
  std::shared_ptr<bytestream> stream = bytestream::openread(path);
  if (!stream) return refused(failure::reason::cannotopen);
  std::array<unsigned char, 4> head{};
  const std::size_t got = stream->readsome(head.data(), head.size());
  if (archive::recognise(std::span<const unsigned char>(head.data(), got))) {
    stream = nullptr;  // libzip opens the file itself
    result<std::shared_ptr<archive>> zip = archive::openfile(path, limits);
    if (!zip.ok()) return zip.error();
    return archivemapsource(std::move(zip).value(), how);
  }
  // Everything else goes to the WAD reader as it always did; it starts from the top again.
  result<std::shared_ptr<wad>> read = wad::read(stream, 0);
  if (!read.ok()) return read.error();
  return std::shared_ptr<mapsource>(std::make_shared<wadfilesource>(std::move(read).value(), how));
}

result<std::shared_ptr<mapsource>> openmapsource(std::shared_ptr<const std::vector<unsigned char>> bytes,
                                                 archivelimits limits, mapdetection how) {
  if (!bytes) return refused(failure::reason::cannotopen);
  if (archive::recognise(
          std::span<const unsigned char>(bytes->data(), std::min<std::size_t>(bytes->size(), 4)))) {
    result<std::shared_ptr<archive>> zip = archive::openmemory(bytes, limits);
    if (!zip.ok()) return zip.error();
    return archivemapsource(std::move(zip).value(), how);
  }
  result<std::shared_ptr<wad>> read = wad::read(bytestream::openmemory(std::move(bytes)), 0);
  if (!read.ok()) return read.error();
  return std::shared_ptr<mapsource>(std::make_shared<wadfilesource>(std::move(read).value(), how));
}

}  // namespace tracewell
