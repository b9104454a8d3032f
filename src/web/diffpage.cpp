// The web page of one map's diff: the diff's drawing inline, each kind of change a layer, and every
// change listed with its old and new properties, in one file that needs nothing else.
#include "web/diffpage.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "render/diffmark.h"
#include "support/jsontext.h"
#include "support/markup.h"
#include "web/mappage.h"
#include "web/page/pageassets.h"
#include "web/pageshell.h"

namespace tracewell {

namespace {

void appenddouble(std::string& out, double v) {
  std::array<char, 32> buffer{};
  out.append(buffer.data(), std::to_chars(buffer.data(), buffer.data() + buffer.size(), v).ptr);
}

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

// The page's data: the scene's strokes as the script's lines (each with its own two vertices), its
// markers as things, the kinds of change as layers, the counts and the list of changes.
std::string dataof(const scene& s, const map& older, const map& newer, const mapdiff& d,
                   const std::string& mapname, const std::string& inputname) {
  // Changes by the stroke or marker that shows them: line changes, then thing changes.
  std::map<std::pair<char, std::int64_t>, std::size_t> changeat;  // ('L'/'l'/'T'/'t', number) -> change
  for (std::size_t i = 0; i < d.lines.size(); ++i) {
    const recordchange& c = d.lines[i];
    changeat[{c.kind == changekind::removed ? 'l' : 'L',
              c.kind == changekind::removed ? c.oldnumber : c.newnumber}] = i;
  }
  for (std::size_t i = 0; i < d.things.size(); ++i) {
    const recordchange& c = d.things[i];
    changeat[{c.kind == changekind::removed ? 't' : 'T',
              c.kind == changekind::removed ? c.oldnumber : c.newnumber}] = d.lines.size() + i;
  }
  std::array<std::int32_t, diffmarkcount> layerof{};
  layerof.fill(-1);
  std::array<std::int64_t, diffmarkcount> counts{};
  std::array<std::int32_t, diffmarkcount> colors{};
  for (const scenestroke& k : s.strokes) {
    if (k.mark < 0) continue;
    colors.at(static_cast<std::size_t>(k.mark)) = k.color;
    if (k.mark != static_cast<std::int8_t>(diffmark::moved)) ++counts.at(static_cast<std::size_t>(k.mark));
  }
  for (const scenemarker& k : s.markers) {
    if (k.mark < 0) continue;
    colors.at(static_cast<std::size_t>(k.mark)) = k.color;
    ++counts.at(static_cast<std::size_t>(k.mark));
  }
  std::string out = "{\"title\":";
  appendjsonbytes(out, mapname);
  out += ",\"input\":";
  appendjsonbytes(out, inputname);
  out += ",\"layers\":[";
  std::int32_t layers = 0;
  for (const diffmarklook& look : diffmarklooks) {
    const auto m = static_cast<std::size_t>(look.mark);
    if (counts[m] == 0) continue;
    layerof[m] = layers++;
    out += layerof[m] == 0 ? "{\"cls\":" : ",{\"cls\":";
    appendjsonbytes(out, diffclass(static_cast<std::int8_t>(m)));
    out += ",\"name\":";
    appendjsonbytes(out, look.name);
    std::array<char, 8> hex{};
    std::snprintf(hex.data(), hex.size(), "#%06x", static_cast<unsigned>(colors[m]) & 0xFFFFFFU);
    out += ",\"color\":\"";
    out += hex.data();
    out += "\",\"opacity\":";
    appenddouble(out, static_cast<double>((static_cast<unsigned>(colors[m]) >> 24) & 0xFFU) / 255.0);
    out += ",\"count\":";
    appendjsonint(out, counts[m]);
    out += '}';
  }
  out += "],";
  appendpagefit(out, s);
  out += ",\"vertices\":[";
  for (const scenestroke& k : s.strokes) {
    for (const std::int64_t v : {k.x0, k.y0, k.x1, k.y1}) {
      if (out.back() != '[') out += ',';
      appendjsonint(out, v);
    }
  }
  // Lines and things carry their address and their change (-1: none) after the map page's fields.
  out += "],\"sectors\":[],\"lines\":[";
  for (std::size_t i = 0; i < s.strokes.size(); ++i) {
    const scenestroke& k = s.strokes[i];
    const bool way = k.mark == static_cast<std::int8_t>(diffmark::moved);
    const char kind = way ? 'T' : k.mark == static_cast<std::int8_t>(diffmark::removed) ? 'l' : 'L';
    const auto c = changeat.find({kind, k.linedef});
    out += i == 0 ? "[" : ",[";
    appendjsonint(out, static_cast<std::int64_t>(2 * i));
    out += ',';
    appendjsonint(out, static_cast<std::int64_t>(2 * i + 1));
    out += ",0,0,0,0,-1,-1,";
    appendjsonint(out, k.mark >= 0 ? layerof.at(static_cast<std::size_t>(k.mark)) : -1);
    out += ",\"";
    out += kind;
    out += std::to_string(k.linedef);
    out += "\",";
    appendjsonint(out, c == changeat.end() ? -1 : static_cast<std::int64_t>(c->second));
    out += ']';
  }
  out += "],\"things\":[";
  for (std::size_t i = 0; i < s.markers.size(); ++i) {
    const scenemarker& k = s.markers[i];
    const char kind = k.mark == static_cast<std::int8_t>(diffmark::removed) ? 't' : 'T';
    const auto c = changeat.find({kind, k.thing});
    out += i == 0 ? "[" : ",[";
    for (const std::int64_t v : {k.x, k.y, std::int64_t{k.angle}}) {
      appendjsonint(out, v);
      out += ',';
    }
    out += "0,";
    appendjsonint(out, k.kind);
    out += ",0,0,";
    appendjsonint(out, k.mark >= 0 ? layerof.at(static_cast<std::size_t>(k.mark)) : -1);
    out += ",\"";
    out += kind;
    out += std::to_string(k.thing);
    out += "\",";
    appendjsonint(out, c == changeat.end() ? -1 : static_cast<std::int64_t>(c->second));
    out += ']';
  }
  const auto oldlines = bynumber(linefactsof(older, s.fractionbits));
  const auto newlines = bynumber(linefactsof(newer, s.fractionbits));
  const auto oldthings = bynumber(thingfactsof(older, s.fractionbits));
  const auto newthings = bynumber(thingfactsof(newer, s.fractionbits));
  out += "],\"changes\":[";
  const auto appendchange = [&out](const recordchange& c, bool thing, const auto& rows, const auto& was,
                                   const auto& is) {
    out += out.back() == '[' ? "{\"kind\":" : ",{\"kind\":";
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
  };
  for (const recordchange& c : d.lines) appendchange(c, false, lineproperties, oldlines, newlines);
  for (const recordchange& c : d.things) appendchange(c, true, thingproperties, oldthings, newthings);
  out += "],\"stats\":[";
  const std::pair<std::string_view, std::size_t> rows[] = {
      {"lines added", d.linecount(changekind::added)},
      {"lines removed", d.linecount(changekind::removed)},
      {"lines changed", d.linecount(changekind::changed)},
      {"things added", d.thingcount(changekind::added)},
      {"things removed", d.thingcount(changekind::removed)},
      {"things moved", d.thingcount(changekind::moved)},
      {"things changed", d.thingcount(changekind::changed)},
      {"sectors changed", d.sectorschanged}};
  for (const auto& [name, value] : rows) {
    out += out.back() == '[' ? "[" : ",[";
    appendjsonbytes(out, name);
    out += ',';
    appendjsonint(out, static_cast<std::int64_t>(value));
    out += ']';
  }
  out += "],\"skills\":null,\"flagnames\":[],\"meanings\":[],\"kinds\":[],\"modenames\":[]}";
  return out;
}

// The file name of a path, without its folders.
std::string filename(const text& path) {
  const std::size_t slash = path.find_last_of(u'/');
  return toutf8(slash == text::npos ? path : path.substr(slash + 1));
}

}  // namespace

outputstatus writediffpage(const scene& s, const map& older, const map& newer, const mapdiff& d,
                           const svgnames& names, const text& path, const std::vector<fileid>& keep) {
  if (s.width < 1 || s.height < 1) return failure::because(failure::reason::nocontent);
  outputfile out = outputfile::open(path, keep);
  const svgsink sink = [&out](std::string_view piece) {
    out.write(piece.data(), piece.size());
    return out.status().ok();
  };
  const std::string mapname = tobytes(names.map);
  const std::string inputname = filename(names.input);
  std::string head = pagehead(mapname + " \xE2\x80\x94 " + inputname, pageassets::viewerjshash);
  head += "<div class=\"tw-page\">\n<header><h1>";
  appendmarkup(head, mapname);
  head += "</h1><span class=\"tw-sub\">";
  appendmarkup(head, inputname);
  head += "</span></header>\n<div id=\"tw-view\" tabindex=\"0\">";
  std::string tail =
      "<div class=\"tw-controls\"><button type=\"button\" id=\"tw-zoomin\" title=\"Zoom in (+)\">+</button>"
      "<button type=\"button\" id=\"tw-zoomout\" title=\"Zoom out (-)\">\xE2\x88\x92</button>"
      "<button type=\"button\" id=\"tw-fit\" title=\"Fit (0)\">fit</button></div></div>\n"
      "<aside class=\"tw-panel\"><h2>Layers</h2><ul id=\"tw-legend\"></ul>"
      "<h2>Changes</h2><ul id=\"tw-changes\"></ul>"
      "<h2>Details</h2><div id=\"tw-details\"></div>"
      "<h2>Statistics</h2><div id=\"tw-stats\"></div></aside>\n</div>\n"
      "<script type=\"application/json\" id=\"tw-data\">";
  bool written = sink(head) && writesvg(s, names, sink) && sink(tail);
  if (written) {
    std::string data = dataof(s, older, newer, d, mapname, inputname);
    data += "</script>\n";
    data += pagetail(pageassets::viewerjs);
    written = sink(data);
  }
  if (!written) out.abandon();
  const outputstatus finished = out.finish();
  return finished.ok() ? out.commit() : finished;
}

}  // namespace tracewell
