// What a diff says of one map: its summary line and its manifest figures.
#include "app/diffrecord.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <vector>

namespace tracewell {

namespace {

using json = nlohmann::ordered_json;

const char* changeword(changekind k) {
  switch (k) {
    case changekind::added:
      return "added";
    case changekind::removed:
      return "removed";
    case changekind::changed:
      return "changed";
    case changekind::moved:
      return "moved";
  }
  return "";
}

json numberor(std::int64_t n) {
  return n < 0 ? json(nullptr) : json(n);
}

// The facts of record `number`, from facts in ascending number order; null when it has none.
template <typename Facts>
const Facts* factsof(const std::vector<Facts>& all, std::int64_t number) {
  const auto at = std::lower_bound(all.begin(), all.end(), number,
                                   [](const Facts& f, std::int64_t n) { return f.number < n; });
  return at != all.end() && at->number == number ? &*at : nullptr;
}

template <typename Facts, typename Properties>
json changesof(const std::vector<recordchange>& records, const char* kind, const std::vector<Facts>& olds,
               const std::vector<Facts>& news, const Properties& properties) {
  json out = json::array();
  for (const recordchange& c : records) {
    json j;
    j["record"] = kind;
    j["change"] = changeword(c.kind);
    j["old"] = numberor(c.oldnumber);
    j["new"] = numberor(c.newnumber);
    json names = json::array(), before = json::object(), after = json::object();
    const Facts* a = factsof(olds, c.oldnumber);
    const Facts* b = factsof(news, c.newnumber);
    for (std::size_t i = 0; i < properties.size(); ++i) {
      if ((c.what & (std::uint32_t{1} << i)) == 0 || a == nullptr || b == nullptr) continue;
      const std::string name(properties[i].name);
      names.push_back(name);
      before[name] = properties[i].value(*a);
      after[name] = properties[i].value(*b);
    }
    j["changed"] = std::move(names);
    j["old_values"] = std::move(before);
    j["new_values"] = std::move(after);
    out.push_back(std::move(j));
  }
  return out;
}

}  // namespace

text summaryline(const text& name, const mapdiff& d) {
  if (d.empty()) return name + u": no changes";
  const auto n = [](std::size_t v) { return inttotext(static_cast<std::int64_t>(v)); };
  return name + u": " + n(d.linecount(changekind::added)) + u" lines added, " +
         n(d.linecount(changekind::removed)) + u" removed, " + n(d.linecount(changekind::changed)) +
         u" changed; things " + n(d.thingcount(changekind::added)) + u" added, " +
         n(d.thingcount(changekind::removed)) + u" removed, " + n(d.thingcount(changekind::moved)) +
         u" moved, " + n(d.thingcount(changekind::changed)) + u" changed";
}

json diffjson(const mapdiff& d, const map& older, const map& newer) {
  const std::int32_t bits = std::max(older.fractionbits, newer.fractionbits);
  json j;
  j["lines_added"] = d.linecount(changekind::added);
  j["lines_removed"] = d.linecount(changekind::removed);
  j["lines_changed"] = d.linecount(changekind::changed);
  j["things_added"] = d.thingcount(changekind::added);
  j["things_removed"] = d.thingcount(changekind::removed);
  j["things_moved"] = d.thingcount(changekind::moved);
  j["things_changed"] = d.thingcount(changekind::changed);
  j["sectors_changed"] = d.sectorschanged;
  json changes =
      changesof(d.lines, "line", linefactsof(older, bits), linefactsof(newer, bits), lineproperties);
  for (json& t :
       changesof(d.things, "thing", thingfactsof(older, bits), thingfactsof(newer, bits), thingproperties)) {
    changes.push_back(std::move(t));
  }
  j["changes"] = std::move(changes);
  return j;
}

}  // namespace tracewell
