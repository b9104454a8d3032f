// The web page of one map's diff: the diff's drawing inline, each kind of change a layer, and every
// change listed with its old and new properties, in one file that needs nothing else.
#include "web/diffpage.h"

#include <array>
#include <map>
#include <string>
#include <vector>

#include "render/diffmark.h"
#include "support/jsontext.h"
#include "web/viewerpage.h"

namespace tracewell {

namespace {

diffmark markof(changekind k) {
  switch (k) {
    case changekind::added:
      return diffmark::added;
    case changekind::removed:
      return diffmark::removed;
    case changekind::changed:
      return diffmark::changed;
    case changekind::moved:
      break;
  }
  return diffmark::moved;
}

// The records of one kind by number, so that a change finds its old and new properties.
template <typename facts>
std::map<std::int64_t, facts> bynumber(const std::vector<facts>& all) {
  std::map<std::int64_t, facts> out;
  for (const facts& f : all) out.emplace(f.number, f);
  return out;
}

// A property's value in one version, or null where the record is missing from it.
template <typename facts, typename row>
void appendvalue(std::string& out, const std::map<std::int64_t, facts>& records, std::int64_t number,
                 const row& r) {
  const auto at = records.find(number);
  if (number < 0 || at == records.end()) {
    out += "null";
  } else {
    appendjsonbytes(out, r.value(at->second));
  }
}

// Where the page addresses a record: L/T with its new number, l/t with its old one when removed.
std::string address(bool thing, changekind k, std::int64_t oldnumber, std::int64_t newnumber) {
  const bool old = k == changekind::removed;
  std::string out(1, thing ? (old ? 't' : 'T') : (old ? 'l' : 'L'));
  out += std::to_string(old ? oldnumber : newnumber);
  return out;
}

// Changes by the address of the stroke or marker that shows them: line changes, then thing changes,
// numbered in that order.
using changeaddresses = std::map<std::string, std::size_t>;

changeaddresses addressesof(const mapdiff& d) {
  changeaddresses changeat;
  for (std::size_t i = 0; i < d.lines.size(); ++i) {
    const recordchange& c = d.lines[i];
    changeat[address(false, c.kind, c.oldnumber, c.newnumber)] = i;
  }
  for (std::size_t i = 0; i < d.things.size(); ++i) {
    const recordchange& c = d.things[i];
    changeat[address(true, c.kind, c.oldnumber, c.newnumber)] = d.lines.size() + i;
  }
  return changeat;
}

// The layers of the legend: each kind of change the scene shows, in the table's order.
struct difflayers {
  std::array<std::int32_t, diffmarkcount> of{};  // by mark: its layer, -1 when not shown
  std::array<std::int64_t, diffmarkcount> counts{};
  std::array<std::int32_t, diffmarkcount> colors{};

  std::int32_t layerof(std::int8_t mark) const {
    return mark >= 0 ? of.at(static_cast<std::size_t>(mark)) : -1;
  }
};

difflayers layersof(const scene& s) {
  difflayers l;
  l.of.fill(-1);
  for (const scenestroke& k : s.strokes) {
    if (k.mark < 0) continue;
    l.colors.at(static_cast<std::size_t>(k.mark)) = k.color;
    if (k.mark != static_cast<std::int8_t>(diffmark::moved)) ++l.counts.at(static_cast<std::size_t>(k.mark));
  }
  for (const scenemarker& k : s.markers) {
    if (k.mark < 0) continue;
    l.colors.at(static_cast<std::size_t>(k.mark)) = k.color;
    ++l.counts.at(static_cast<std::size_t>(k.mark));
  }
  std::int32_t layers = 0;
  for (const diffmarklook& look : diffmarklooks) {
    const auto m = static_cast<std::size_t>(look.mark);
    if (l.counts[m] > 0) l.of[m] = layers++;
  }
  return l;
}

void appendlayers(std::string& out, const difflayers& l) {
  out += ",\"layers\":[";
  for (const diffmarklook& look : diffmarklooks) {
    const auto m = static_cast<std::size_t>(look.mark);
    if (l.of[m] < 0) continue;
    appendpagelayer(out, l.of[m] == 0, diffclass(static_cast<std::int8_t>(m)), look.name, l.colors[m],
                    l.counts[m]);
  }
  out += ']';
}

// What the diff's tables are read from: the scene, its layers and where each change is shown.
struct diffsource {
  const scene& s;
  // cppcheck-suppress unusedStructMember ; read by the columns' lambdas
  const difflayers& layers;
  // cppcheck-suppress unusedStructMember ; likewise
  const changeaddresses& changeat;
};

// The address a stroke or marker shows: the line's or thing's number as the scene holds it, lower case
// for a removed record's.
std::string addressof(const scenestroke& k) {
  char kind = 'L';
  if (k.mark == static_cast<std::int8_t>(diffmark::moved)) kind = 'T';  // a moved thing's way
  if (k.mark == static_cast<std::int8_t>(diffmark::removed)) kind = 'l';
  return kind + std::to_string(k.linedef);
}

std::string addressof(const scenemarker& k) {
  return (k.mark == static_cast<std::int8_t>(diffmark::removed) ? 't' : 'T') + std::to_string(k.thing);
}

using diffcolumn = pagecolumn<diffsource>;
using difffrom = const diffsource&;

// The columns a diff adds to the lines and things of the script, `list` being the scene's strokes or
// markers: the layer, the address and the change shown (-1: none).
template <auto list>
std::int64_t layerat(difffrom f, std::size_t i) {
  return f.layers.layerof((f.s.*list)[i].mark);
}

template <auto list>
void addressat(std::string& out, difffrom f, std::size_t i) {
  out += '"';
  out += addressof((f.s.*list)[i]);
  out += '"';
}

template <auto list>
std::int64_t changeat(difffrom f, std::size_t i) {
  const auto c = f.changeat.find(addressof((f.s.*list)[i]));
  return c == f.changeat.end() ? -1 : static_cast<std::int64_t>(c->second);
}

// Each stroke has its own two vertices, 2i and 2i + 1.
constexpr diffcolumn vertexcolumns[] = {
    {.name = "x",
     .number =
         [](difffrom f, std::size_t i) {
           const scenestroke& k = f.s.strokes[i / 2];
           return i % 2 == 0 ? k.x0 : k.x1;
         }},
    {.name = "y",
     .number =
         [](difffrom f, std::size_t i) {
           const scenestroke& k = f.s.strokes[i / 2];
           return i % 2 == 0 ? k.y0 : k.y1;
         }},
};

constexpr diffcolumn strokecolumns[] = {
    {.name = "v1", .number = [](difffrom, std::size_t i) { return static_cast<std::int64_t>(2 * i); }},
    {.name = "v2", .number = [](difffrom, std::size_t i) { return static_cast<std::int64_t>(2 * i + 1); }},
    {.name = "layer", .number = layerat<&scene::strokes>},
    {.name = "address", .append = addressat<&scene::strokes>},
    {.name = "change", .number = changeat<&scene::strokes>},
};

constexpr diffcolumn markercolumns[] = {
    {.name = "x", .number = [](difffrom f, std::size_t i) { return f.s.markers[i].x; }},
    {.name = "y", .number = [](difffrom f, std::size_t i) { return f.s.markers[i].y; }},
    {.name = "angle",
     .number = [](difffrom f, std::size_t i) -> std::int64_t { return f.s.markers[i].angle; }},
    {.name = "kind", .number = [](difffrom f, std::size_t i) -> std::int64_t { return f.s.markers[i].kind; }},
    {.name = "layer", .number = layerat<&scene::markers>},
    {.name = "address", .append = addressat<&scene::markers>},
    {.name = "change", .number = changeat<&scene::markers>},
};

// The strokes as the script's lines and the markers as its things (a diff shows no flags, specials or
// sectors).
void appendrecords(pagebuffer& b, const diffsource& from) {
  appendpagetable<diffsource>(b, "vertices", vertexcolumns, from, 2 * from.s.strokes.size());
  appendpagetable<diffsource>(b, "lines", strokecolumns, from, from.s.strokes.size());
  appendpagetable<diffsource>(b, "things", markercolumns, from, from.s.markers.size());
}

// One change with its old and new properties, after a comma unless it is the `first`.
template <typename rowlist, typename records>
void appendchange(std::string& out, bool first, const recordchange& c, bool thing, const rowlist& rows,
                  const records& was, const records& is) {
  out += first ? "{\"kind\":" : ",{\"kind\":";
  appendjsonbytes(out, lookof(markof(c.kind)).name);
  out += thing ? ",\"record\":\"thing\",\"old\":" : ",\"record\":\"line\",\"old\":";
  appendjsonint(out, c.oldnumber);
  out += ",\"new\":";
  appendjsonint(out, c.newnumber);
  out += ",\"id\":\"";
  out += address(thing, c.kind, c.oldnumber, c.newnumber);
  out += "\",\"properties\":[";
  for (std::size_t r = 0; r < rows.size(); ++r) {
    out += r == 0 ? "[" : ",[";
    appendjsonbytes(out, rows[r].name);
    out += ',';
    appendvalue(out, was, c.oldnumber, rows[r]);
    out += ',';
    appendvalue(out, is, c.newnumber, rows[r]);
    out += (c.what >> r & 1U) != 0 ? ",true]" : ",false]";
  }
  out += "]}";
}

void appendchanges(pagebuffer& b, const map& older, const map& newer, const mapdiff& d,
                   std::int32_t fractionbits) {
  const auto oldlines = bynumber(linefactsof(older, fractionbits));
  const auto newlines = bynumber(linefactsof(newer, fractionbits));
  const auto oldthings = bynumber(thingfactsof(older, fractionbits));
  const auto newthings = bynumber(thingfactsof(newer, fractionbits));
  std::string& out = b.text();
  out += ",\"changes\":[";
  bool first = true;
  for (const recordchange& c : d.lines) {
    appendchange(out, first, c, false, lineproperties, oldlines, newlines);
    first = false;
    b.flush();
  }
  for (const recordchange& c : d.things) {
    appendchange(out, first, c, true, thingproperties, oldthings, newthings);
    first = false;
    b.flush();
  }
  out += ']';
}

// The counts of the statistics panel.
void appendstatistics(std::string& out, const mapdiff& d) {
  const std::pair<std::string_view, std::size_t> rows[] = {
      {"lines added", d.linecount(changekind::added)},
      {"lines removed", d.linecount(changekind::removed)},
      {"lines changed", d.linecount(changekind::changed)},
      {"things added", d.thingcount(changekind::added)},
      {"things removed", d.thingcount(changekind::removed)},
      {"things moved", d.thingcount(changekind::moved)},
      {"things changed", d.thingcount(changekind::changed)},
      {"sectors changed", d.sectorschanged}};
  out += ",\"stats\":[";
  for (const auto& [words, count] : rows) {
    appendpagestat(out, &words == &rows[0].first, words, static_cast<std::int64_t>(count));
  }
  out += "]}";
}

// The page's data: the kinds of change as layers, the scene's strokes and markers as the script's
// lines and things, the list of changes and the counts.
bool appenddata(pagebuffer& b, const scene& s, const map& older, const map& newer, const mapdiff& d,
                const pagetitle& title) {
  const difflayers layers = layersof(s);
  std::string& out = b.text();
  appendpagetitle(out, title);
  appendlayers(out, layers);
  out += ',';
  appendpagefit(out, s);
  const changeaddresses addresses = addressesof(d);
  appendrecords(b, {s, layers, addresses});
  appendchanges(b, older, newer, d, s.fractionbits);
  appendstatistics(out, d);
  return b.flush();
}

}  // namespace

bool writediffpage(const scene& s, const map& older, const map& newer, const mapdiff& d,
                   const svgnames& names, const textsink& sink) {
  return writeviewerpage(
      s, names, "<h2>Changes</h2><ul id=\"tw-changes\"></ul>",
      [&](pagebuffer& b, const pagetitle& title) { return appenddata(b, s, older, newer, d, title); }, sink);
}

outputstatus writediffpage(const scene& s, const map& older, const map& newer, const mapdiff& d,
                           const svgnames& names, outputfile& out) {
  return writethrough(out,
                      [&](const textsink& sink) { return writediffpage(s, older, newer, d, names, sink); });
}

}  // namespace tracewell
