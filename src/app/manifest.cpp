// The manifest of a batch run: one JSON object per map, one per line (JSON Lines).
#include "app/manifest.h"

#include <nlohmann/json.hpp>

namespace tracewell {

namespace {

using json = nlohmann::ordered_json;

json textvalue(const text& s) {
  return tobytes(s);
}

template <typename T>
json orNull(const std::optional<T>& v) {
  return v ? json(*v) : json(nullptr);
}

// A coordinate in map units: whole for binary maps, a decimal for UDMF's 1/65536 units.
json coordinate(std::int64_t value, std::int32_t fractionbits) {
  if (fractionbits == 0) return value;
  return static_cast<double>(value) / static_cast<double>(std::int64_t{1} << fractionbits);
}

}  // namespace

std::string manifestline(const manifestrecord& r) {
  json j;
  j["input"] = textvalue(r.input);
  j["map"] = r.map ? textvalue(*r.map) : json(nullptr);
  j["status"] = textvalue(r.status);
  j["output"] = r.output ? textvalue(*r.output) : json(nullptr);
  if (r.error.empty()) {
    j["error"] = nullptr;
  } else {
    text joined;
    for (const text& line : r.error) joined += (joined.empty() ? text() : text(u"\n")) + line;
    j["error"] = textvalue(joined);
  }
  const std::optional<manifestmap>& f = r.fields;
  j["layout"] = f ? textvalue(f->layout) : json(nullptr);
  j["width"] = f ? json(f->width) : json(nullptr);
  j["height"] = f ? json(f->height) : json(nullptr);
  j["linedefs"] = f ? json(f->linedefs) : json(nullptr);
  if (f) {
    json bounds = json::array();
    for (const std::int64_t v : f->bounds) bounds.push_back(coordinate(v, f->fractionbits));
    j["bounds"] = bounds;
  } else {
    j["bounds"] = nullptr;
  }
  j["things"] = f ? orNull(f->things) : json(nullptr);
  if (f && f->lockedlines) {
    j["locked_lines"] = orNull(f->lockedlines);
    j["exit_lines"] = orNull(f->exitlines);
    j["teleport_lines"] = orNull(f->teleportlines);
    j["secret_sectors"] = orNull(f->secretsectors);
  }
  if (f && f->keys) {
    j["keys"] = orNull(f->keys);
    j["monsters"] = orNull(f->monsters);
  }
  // Names from a WAD are bytes of no declared encoding: what is not UTF-8 shows as U+FFFD.
  return j.dump(-1, ' ', false, json::error_handler_t::replace);
}

}  // namespace tracewell
