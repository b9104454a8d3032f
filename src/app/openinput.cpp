// Opening an input, a WAD file or a ZIP archive of WADs, and the words of its refusals.
#include "app/openinput.h"

#include <filesystem>
#include <new>
#include <system_error>
#include <utility>

#include "app/console.h"
#include "app/report.h"
#include "support/bytestream.h"
#include "support/path.h"
#include "wad/lumplayout.h"
#include "wad/mapsource.h"

namespace tracewell {

text refusaltext(const failure& f) {
  switch (f.why) {
    case failure::reason::cannotopen:
      return refusal::cannotopen;
    case failure::reason::nomaps:
      return refusal::nomaps;
    case failure::reason::overlimit:
      return refusal::overlimit;
    default:
      return refusal::notawad;
  }
}

failure asinputrefusal(failure f) {
  if (f.what == failure::kind::readstream && f.why == failure::reason::nosignature)
    return failure::because(failure::reason::notawad);
  return f;
}

status console::openwad(const text& path) {
  status opened = tryopen(path);
  if (!opened.ok() && opened.error().what != failure::kind::notice)
    report(opened.error());  // a stream failure: ends the process
  return opened;
}

status console::tryopen(const text& path) {
  // A WAD file or a ZIP archive of WADs, told apart by content.
  result<std::shared_ptr<mapsource>> opened = openmapsource(path, {}, detection);
  if (!opened.ok()) {
    const failure& f = opened.error();
    if (f.what != failure::kind::notice) return f;  // a stream failure
    return failure::because(f.why == failure::reason::cannotopen ? f.why : failure::reason::notparsable);
  }
  const std::shared_ptr<mapsource> opensource = std::move(opened).value();
  try {
    maps = opensource->getmapnames();
  } catch (const std::bad_alloc&) {
    // More names than memory holds: a source this tool cannot use.
    maps.clear();
    return failure::because(failure::reason::notparsable);
  }
  if (maps.empty()) return failure::because(failure::reason::nomaps);
  if (run) {
    run->open(opensource);
  } else {
    run = std::make_shared<maprun>(opensource);
  }
  w = opensource->wadfile();
  wstream = w ? w->stream : nullptr;
  return {};
}

result<std::shared_ptr<mapsource>> openversion(const text& path, mapdetection how) {
  // A pipe is opened once only, by the reader that takes it whole: a first look that opened and
  // closed it would end the writer's output.
  std::error_code ec;
  const auto type = std::filesystem::status(nativepath(path), ec).type();
  const bool stream = !ec && type != std::filesystem::file_type::regular &&
                      type != std::filesystem::file_type::directory &&
                      type != std::filesystem::file_type::not_found;
  if (!stream) {
    result<std::shared_ptr<mapsource>> opened = openmapsource(path, {}, how);
    if (opened.ok()) return opened;
    return asinputrefusal(opened.error());
  }
  // The first bytes decide before the rest is read, so an endless stream of something else ends at once.
  result<std::shared_ptr<const std::vector<unsigned char>>> bytes =
      readwhole(path, streamlimit, wadformat::header::identification.width, ismapsourcehead);
  if (!bytes.ok()) return bytes.error();
  result<std::shared_ptr<mapsource>> opened = openmapsource(std::move(bytes).value(), {}, how);
  if (opened.ok()) return opened;
  return asinputrefusal(opened.error());
}

std::optional<text> revision::listed(const text& name) const {
  const text wanted = upper(name);
  for (const text& n : names) {
    if (upper(n) == wanted) return n;
  }
  return std::nullopt;
}

std::optional<std::shared_ptr<map>> revision::load(const text& name, std::int32_t format,
                                                   std::vector<text>& errors,
                                                   std::optional<failure>& stop) const {
  const std::optional<text> spelled = listed(name);
  if (!spelled) return std::make_shared<map>();
  const result<std::shared_ptr<map>> m = source->loadmap(*spelled, format, printable(*spelled), true);
  if (m.ok()) return m.value();
  if (m.error().what != failure::kind::notice) {
    stop = m.error();
    return std::nullopt;
  }
  if (const text entry = entryerrorline(m.error()); !entry.empty()) errors.push_back(entry);
  errors.insert(errors.end(), m.error().lines.begin(), m.error().lines.end());
  return std::nullopt;
}

result<revision> openrevision(const text& path, mapdetection how) {
  result<std::shared_ptr<mapsource>> opened = openversion(path, how);
  if (!opened.ok()) return opened.error();
  revision r{path, std::move(opened).value(), {}};
  r.names = r.source->getmapnames();
  return r;
}

}  // namespace tracewell
