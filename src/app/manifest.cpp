// The manifest of a batch run: one JSON object per map, one per line (JSON Lines).
#include "app/manifest.h"

#include <charconv>
#include <cmath>
#include <map>
#include <nlohmann/json.hpp>

#include "game/mapfacts.h"
#include "game/thingvalues.h"
#include "support/path.h"
#include "support/terminal.h"
#include "wad/udmf.h"
#include "web/gallerypage.h"

namespace tracewell {

namespace {

using json = nlohmann::ordered_json;

// Each string is bytes, decoded as UTF-8 when the record is written (what is not UTF-8 shows as U+FFFD):
// a name from a WAD as its bytes, an input as the bytes given, a file as the path the file system
// received, an error as the console printed it.
json wadbytes(const text& s) {
  return tobytes(s);
}
json givenbytes(const text& s) {
  return tosystembytes(s);
}
json filebytes(const text& s) {
  return nativepath(s);
}

// A coordinate in map units: whole for binary maps, for UDMF's 1/65536 units the double
// nearest the shortest decimal that reads back as the value, which JSON writes as that decimal.
json coordinate(std::int64_t value, std::int32_t fractionbits) {
  if (fractionbits == 0) return value;
  const std::string shortest = decimal(value, fractionbits);
  double v = 0;
  std::from_chars(shortest.data(), shortest.data() + shortest.size(), v);
  return v;
}

const char* layoutword(maplayout layout) {
  switch (layout) {
    case maplayout::doom:
      return "doom";
    case maplayout::hexen:
      return "hexen";
    case maplayout::udmf:
      return "udmf";
  }
  return "doom";
}

const char* statusword(mapoutcome::state s) {
  switch (s) {
    case mapoutcome::state::written:
      return "written";
    case mapoutcome::state::skipped:
      return "skipped";
    case mapoutcome::state::failed:
      return "failed";
    case mapoutcome::state::unchanged:
      return "unchanged";
    case mapoutcome::state::checked:
      return "checked";
  }
  return "failed";
}

// Counts by editor number, the numbers as keys.
json bytype(const std::map<std::int32_t, std::int64_t>& counts) {
  json out = json::object();
  for (const auto& [type, count] : counts) out[std::to_string(type)] = count;
  return out;
}

// A statistic: whole numbers as such, the ratios as decimals, null where the game's values are unknown.
json statnumber(const std::optional<double>& v) {
  if (!v) return nullptr;
  const double whole = std::trunc(*v);
  if (whole == *v && std::fabs(whole) < 9007199254740992.0) return static_cast<std::int64_t>(whole);
  return *v;
}

// One skill group of one mode: a key per field, those of one kind ("ammo.bullets") gathered in an object.
json statcellof(const statcell& c) {
  json cell = json::object();
  for (const statfield& field : statfields) {
    const std::size_t dot = field.key.find('.');
    const json value = statnumber(field.value(c));
    if (dot == std::string_view::npos) {
      cell[std::string(field.key)] = value;
    } else {
      cell[std::string(field.key.substr(0, dot))][std::string(field.key.substr(dot + 1))] = value;
    }
  }
  return cell;
}

// The statistics: per mode the three skill groups, the skill-independent counts, and the names of the
// monster and item types the record counts, where the game's table names them.
json statsof(const mapstats& s, const mapfacts& f) {
  json out = json::object();
  for (std::size_t mode = 0; mode < playmodes; ++mode) {
    json groups = json::array();
    for (const statcell& c : s.cells[mode]) groups.push_back(statcellof(c));
    out[std::string(playmoderows[mode].key)] = groups;
  }
  out["secret_sectors"] = s.secretsectors;
  out["secret_exit_lines"] = s.secretexitlines;
  json names = json::object();
  if (f.tally) {
    for (const auto* types : {&f.tally->monstertypes, &f.tally->itemtypes}) {
      for (const auto& [type, count] : *types) {
        if (const thingvalue* v = thingvalueof(f.meaning, type)) names[std::to_string(type)] = v->name;
      }
    }
  }
  out["names"] = names;
  return out;
}

const char* severityword(severity s) {
  switch (s) {
    case severity::off:
      return "off";
    case severity::warning:
      return "warning";
    case severity::error:
      return "error";
  }
  return "error";
}

json findingsof(const std::vector<finding>& found) {
  json out = json::array();
  for (const finding& f : found) {
    const text where = f.at.words();
    out.push_back({{"code", checkrows[static_cast<std::size_t>(f.code)].word},
                   {"severity", severityword(f.level)},
                   {"address", where.empty() ? json(nullptr) : json(toutf8(where))},
                   {"message", toutf8(f.message)}});
  }
  return out;
}

}  // namespace

std::string manifestline(const mapoutcome& r, bool outputs, bool tallies, bool checks) {
  json j;
  j["input"] = givenbytes(r.input);
  if (r.oldinput) j["old_input"] = givenbytes(*r.oldinput);
  j["map"] = r.whole ? json(nullptr) : wadbytes(r.name);
  j["status"] = statusword(r.status);
  // Only a file that holds the map's picture is named; a failed write says its path in the error.
  const bool pictured = r.status != mapoutcome::state::failed && r.status != mapoutcome::state::unchanged &&
                        r.status != mapoutcome::state::checked;
  j["output"] = pictured ? filebytes(r.output) : json(nullptr);
  if (r.errors.empty()) {
    j["error"] = nullptr;
  } else {
    text joined;
    for (const text& line : r.errors) joined += (joined.empty() ? text() : text(u"\n")) + line;
    j["error"] = toutf8(joined);
  }
  const mapfacts* f = r.facts && r.status != mapoutcome::state::failed ? &*r.facts : nullptr;
  j["layout"] = f ? json(layoutword(f->layout)) : json(nullptr);
  // A map checked without a picture has no size.
  const bool sized = f != nullptr && r.status != mapoutcome::state::checked;
  j["width"] = sized ? json(r.width) : json(nullptr);
  j["height"] = sized ? json(r.height) : json(nullptr);
  for (const factfield& field : factfields) {
    if (!field.manifest) continue;
    json& value = j[std::string(field.key)];
    if (field.is == factfield::shape::bounds) {
      // The map keeps y negated; the file's own y runs the other way.
      const mapbounds& b = f ? f->bounds : mapbounds{};
      const std::int32_t bits = f ? f->fractionbits : 0;
      value = f ? json{coordinate(b.leastx, bits), coordinate(-b.greatesty, bits),
                       coordinate(b.greatestx, bits), coordinate(-b.leasty, bits)}
                : json(nullptr);
      continue;
    }
    const std::optional<std::int64_t> v = f ? field.value(*f) : std::nullopt;
    value = v ? json(*v) : json(nullptr);
  }
  if (outputs) {
    json files = r.files.empty() ? json(nullptr) : json::object();
    for (const kindfile& file : r.files) {
      const bool there = file.written || r.status == mapoutcome::state::skipped;
      files[toutf8(text(rowof(file.kind).word))] = there ? filebytes(file.path) : json(nullptr);
    }
    j["outputs"] = files;
  }
  if (tallies) {
    const thingtally* t = f && f->tally ? &*f->tally : nullptr;
    json skills = nullptr;
    if (t) {
      skills = json::object();
      for (std::size_t mode = 0; mode < playmodes; ++mode)
        skills[std::string(playmoderows[mode].key)] = t->byskill[mode];
    }
    j["things_by_skill"] = skills;
    j["monster_types"] = t ? bytype(t->monstertypes) : json(nullptr);
    j["item_types"] = t ? bytype(t->itemtypes) : json(nullptr);
  }
  // An unreadable map has no diff figures.
  if (r.diff) {
    j["diff"] = *r.diff;
  } else if (r.oldinput) {
    j["diff"] = nullptr;
  }
  if (tallies) j["stats"] = f && f->stats ? statsof(*f->stats, *f) : json(nullptr);
  if (checks) j["findings"] = f && r.findings ? findingsof(*r.findings) : json(nullptr);
  // Names from a WAD are bytes of no declared encoding: what is not UTF-8 shows as U+FFFD.
  return j.dump(-1, ' ', false, json::error_handler_t::replace);
}

galleryentry galleryentryof(const mapoutcome& r) {
  galleryentry e;
  e.input = r.input;
  e.given = r.given;
  if (!r.whole) e.map = r.name;
  e.status = statusword(r.status);
  for (const text& line : r.errors) e.error += (e.error.empty() ? text() : text(u"\n")) + line;
  if (r.status != mapoutcome::state::failed) e.facts = r.facts;
  if (r.status != mapoutcome::state::failed && r.findings) e.findings = countfindings(*r.findings);
  for (const kindfile& f : r.files) {
    if (f.written || r.status == mapoutcome::state::skipped)
      e.files.emplace_back(toutf8(text(rowof(f.kind).word)), f.path);
  }
  return e;
}

outputstatus manifestwriter::open(const text& path, const std::vector<fileid>& keep) {
  if (path == u"-") {
    tostdout_ = true;
    return {};
  }
  file_.emplace(outputfile::open(path, keep, outputkind::records));
  return file_->status();
}

void manifestwriter::add(const mapoutcome& record) {
  const std::string line = manifestline(record, outputs, tallies, checks) + "\n";
  if (tostdout_) {
    currentterminal().write(line);  // flushed: a reader sees each map as it is settled
    return;
  }
  if (file_) file_->write(line.data(), line.size());
}

outputstatus manifestwriter::close() {
  if (!file_) return {};
  return file_->commit();
}

}  // namespace tracewell
