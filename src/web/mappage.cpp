// The web page of one map: its drawing inline, zoom and pan, the legend as layer switch, the details
// of any line, thing or sector, and its statistics, in one file that needs nothing else.
#include "web/mappage.h"

#include <array>
#include <map>
#include <string>
#include <vector>

#include "game/linemeaning.h"
#include "game/mapfacts.h"
#include "game/specialmeaning.h"
#include "game/thingkind.h"
#include "game/thingtally.h"
#include "game/thingvalues.h"
#include "render/linecategory.h"
#include "support/jsontext.h"
#include "wad/lineflags.h"
#include "wad/playmodes.h"
#include "wad/udmf.h"
#include "web/viewerpage.h"

namespace tracewell {

namespace {

// The meanings a line has through its special (the rest come from its flags and sectors).
constexpr linemeanings specialmeanings_ = lockedlines | exitlines | linebit(linemeaning::teleport);

// A class name in words: "passable-floor-change" as "passable floor change".
std::string inwords(std::string cls) {
  for (char& c : cls) c = c == '-' ? ' ' : c;
  return cls;
}

// A height in map units: whole units, or with its fraction of 1/65536 as the shortest decimal that reads
// back.
void appendheight(std::string& out, std::int32_t whole, std::uint16_t fraction) {
  if (fraction == 0) {
    appendjsonint(out, whole);
  } else {
    out += decimal(std::int64_t{whole} * 65536 + fraction, 16);
  }
}

// The layers of the legend: every line category and thing kind the scene draws, in table order.
struct pagelayers {
  struct layer {
    std::string cls;
    std::int32_t color = 0;
    std::int64_t count = 0;
  };
  std::vector<layer> list;
  std::vector<std::int32_t> ofline;   // by linedef: its layer, -1 when not drawn
  std::vector<std::int32_t> ofthing;  // by thing: likewise
};

pagelayers layersof(const scene& s, const map& m) {
  pagelayers p;
  p.ofline.assign(m.linedefs.size(), -1);
  p.ofthing.assign(m.things ? m.things->size() : 0, -1);
  std::array<std::int32_t, linecategories.size()> categorylayer{};
  categorylayer.fill(-1);
  std::array<std::int32_t, thingkindcount> kindlayer{};
  kindlayer.fill(-1);
  for (const linecategory& c : linecategories) {
    for (const scenestroke& k : s.strokes) {
      if (k.category != c.number) continue;
      if (categorylayer[static_cast<std::size_t>(c.number)] < 0) {
        categorylayer[static_cast<std::size_t>(c.number)] = static_cast<std::int32_t>(p.list.size());
        p.list.push_back({svgclass(c.number), k.color, 0});
      }
      break;
    }
  }
  for (std::size_t kind = 0; kind < thingkindcount; ++kind) {
    for (const scenemarker& k : s.markers) {
      if (k.kind != kind) continue;
      kindlayer[kind] = static_cast<std::int32_t>(p.list.size());
      p.list.push_back({svgthingclass(k.kind), k.color, 0});
      break;
    }
  }
  for (const scenestroke& k : s.strokes) {
    const std::int32_t layer = categorylayer.at(static_cast<std::size_t>(k.category));
    if (k.linedef < p.ofline.size() && p.ofline[k.linedef] < 0) {
      p.ofline[k.linedef] = layer;
      ++p.list[static_cast<std::size_t>(layer)].count;
    }
  }
  for (const scenemarker& k : s.markers) {
    const std::int32_t layer = kindlayer.at(k.kind);
    if (k.thing < p.ofthing.size() && p.ofthing[k.thing] < 0) {
      p.ofthing[k.thing] = layer;
      ++p.list[static_cast<std::size_t>(layer)].count;
    }
  }
  return p;
}

// What the map's tables are read from: the map, its things (none when not read) and their layers.
struct mapsource {
  const map& m;
  const std::vector<thing>& things;
  // cppcheck-suppress unusedStructMember ; read by the columns' lambdas
  const pagelayers& layers;
};

// The sector on side number `side` of a line, -1 when there is none.
std::int64_t sectornumber(const map& m, std::int32_t side) {
  const sector* s = m.sideof(side);
  return s ? s - m.sectors.data() : -1;
}

// Every line was checked when the scene was made; an unknown vertex cannot reach here.
std::int64_t vertexnumber(const map& m, std::uint32_t v) {
  return v < m.vertexes.size() ? v : 0;
}

bool doomlayout(const mapsource& f) {
  return f.m.layout == maplayout::doom;
}

using mapcolumn = pagecolumn<mapsource>;
using mapfrom = const mapsource&;

constexpr mapcolumn vertexcolumns[] = {
    {.name = "x", .number = [](mapfrom f, std::size_t i) -> std::int64_t { return f.m.vertexes[i].x; }},
    {.name = "y", .number = [](mapfrom f, std::size_t i) -> std::int64_t { return f.m.vertexes[i].y; }},
};

constexpr mapcolumn sectorcolumns[] = {
    {.name = "floor",
     .append =
         [](std::string& out, mapfrom f, std::size_t i) {
           appendheight(out, f.m.sectors[i].floorheight, f.m.sectors[i].floorfraction);
         }},
    {.name = "ceiling",
     .append =
         [](std::string& out, mapfrom f, std::size_t i) {
           appendheight(out, f.m.sectors[i].ceilheight, f.m.sectors[i].ceilfraction);
         }},
    {.name = "special",
     .number = [](mapfrom f, std::size_t i) -> std::int64_t { return f.m.sectors[i].sectortype; }},
};

// A line's tag in the Doom layout, its arguments in the others.
constexpr mapcolumn linecolumns[] = {
    {.name = "v1",
     .number = [](mapfrom f, std::size_t i) { return vertexnumber(f.m, f.m.linedefs[i].startvertex); }},
    {.name = "v2",
     .number = [](mapfrom f, std::size_t i) { return vertexnumber(f.m, f.m.linedefs[i].endvertex); }},
    {.name = "flags",
     .number = [](mapfrom f, std::size_t i) -> std::int64_t { return f.m.linedefs[i].flags; }},
    {.name = "special", .number = [](mapfrom f, std::size_t i) { return f.m.linedefs[i].special; }},
    {.name = "meanings",
     .number = [](mapfrom f, std::size_t i) -> std::int64_t {
       const linedef& l = f.m.linedefs[i];
       return meaningsof(l, f.m.sideof(l.rightside), f.m.sideof(l.leftside), f.m.meaning);
     }},
    {.name = "tag",
     .number = [](mapfrom f, std::size_t i) -> std::int64_t { return f.m.linedefs[i].sectortag; },
     .shown = doomlayout},
    {.name = "args",
     .append =
         [](std::string& out, mapfrom f, std::size_t i) {
           const auto& args = f.m.linedefs[i].args;
           for (std::size_t a = 0; a < args.size(); ++a) {
             out += a == 0 ? '[' : ',';
             appendjsonint(out, args[a]);
           }
           out += ']';
         },
     .shown = [](mapfrom f) { return !doomlayout(f); }},
    {.name = "front",
     .number = [](mapfrom f, std::size_t i) { return sectornumber(f.m, f.m.linedefs[i].rightside); }},
    {.name = "back",
     .number = [](mapfrom f, std::size_t i) { return sectornumber(f.m, f.m.linedefs[i].leftside); }},
    {.name = "layer", .number = [](mapfrom f, std::size_t i) -> std::int64_t { return f.layers.ofline[i]; }},
};

constexpr mapcolumn thingcolumns[] = {
    {.name = "x", .number = [](mapfrom f, std::size_t i) { return f.things[i].x; }},
    {.name = "y", .number = [](mapfrom f, std::size_t i) { return f.things[i].y; }},
    {.name = "angle", .number = [](mapfrom f, std::size_t i) -> std::int64_t { return f.things[i].angle; }},
    {.name = "type", .number = [](mapfrom f, std::size_t i) -> std::int64_t { return f.things[i].type; }},
    {.name = "kind",
     .number = [](mapfrom f, std::size_t i) -> std::int64_t {
       return static_cast<std::int64_t>(thingkindof(f.m.meaning, f.things[i].type));
     }},
    {.name = "skills", .number = [](mapfrom f, std::size_t i) -> std::int64_t { return f.things[i].skills; }},
    {.name = "modes",
     .number = [](mapfrom f, std::size_t i) -> std::int64_t { return modebits(f.things[i]); }},
    {.name = "layer", .number = [](mapfrom f, std::size_t i) -> std::int64_t { return f.layers.ofthing[i]; }},
};

// The tables the script names things by: flags, meanings, kinds and modes in words.
void appendnames(std::string& out) {
  out += ",\"flagnames\":[";
  for (const lineflag& f : lineflags) {
    if (f.bit > 0) out += ',';
    appendjsonbytes(out, f.words);
  }
  out += "],\"meanings\":[";
  for (int bit = 0; bit < linemeaningcount; ++bit) {
    if (bit > 0) out += ',';
    for (const linecategory& c : linecategories) {
      if (!c.fallsback || c.meaning != static_cast<linemeaning>(bit)) continue;
      out += '[';
      appendjsonbytes(out, inwords(svgclass(c.number)));
      out += (specialmeanings_ & linebit(c.meaning)) != 0 ? ",true]" : ",false]";
    }
  }
  out += "],\"kinds\":[";
  for (std::size_t k = 0; k < thingkindcount; ++k) {
    if (k > 0) out += ',';
    std::string cls = svgthingclass(static_cast<std::uint8_t>(k));
    appendjsonbytes(out, inwords(cls.substr(cls.find('-') + 1)));
  }
  out += "],\"modenames\":[";
  for (const playmode& mode : playmoderows) {
    if (&mode != playmoderows.data()) out += ',';
    appendjsonbytes(out, mode.words);
  }
  out += ']';
}

void appendcounts(std::string& out, const std::map<std::int32_t, std::int64_t>& counts) {
  out += '{';
  bool first = true;
  for (const auto& [type, count] : counts) {
    out += first ? "\"" : ",\"";
    first = false;
    appendjsonint(out, type);
    out += "\":";
    appendjsonint(out, count);
  }
  out += '}';
}

// The statistics' cells: {"fields": [words, …], "values": [per mode [per skill group [per field]]]}.
void appendcells(std::string& out, const mapstats& stats) {
  out += ",\"cells\":{\"fields\":[";
  for (const statfield& field : statfields) {
    if (&field != statfields.data()) out += ',';
    appendjsonbytes(out, field.words);
  }
  out += "],\"values\":[";
  for (std::size_t mode = 0; mode < playmodes; ++mode) {
    out += mode == 0 ? "[" : ",[";
    for (std::size_t g = 0; g < skillgroups; ++g) {
      out += g == 0 ? "[" : ",[";
      for (const statfield& field : statfields) {
        if (&field != statfields.data()) out += ',';
        const std::optional<double> v = field.value(stats.cells[mode][g]);
        if (v) {
          appenddouble(out, *v);
        } else {
          out += "null";
        }
      }
      out += ']';
    }
    out += ']';
  }
  out += "]}";
}

// The names of the editor numbers among the things that have one: {"3001": "imp", …}.
void appendtypenames(std::string& out, const map& m, const std::vector<thing>& things) {
  std::map<std::int32_t, std::string_view> named;
  for (const thing& t : things) {
    if (const thingvalue* v = thingvalueof(m.meaning, t.type)) named.emplace(t.type, v->name);
  }
  out += ",\"typenames\":{";
  for (const auto& [type, name] : named) {
    out += type == named.begin()->first ? "\"" : ",\"";
    appendjsonint(out, type);
    out += "\":";
    appendjsonbytes(out, name);
  }
  out += '}';
}

using findingcolumn = pagecolumn<std::vector<finding>>;
using findingsfrom = const std::vector<finding>&;

constexpr findingcolumn findingcolumns[] = {
    {.name = "code",
     .append =
         [](std::string& out, findingsfrom f, std::size_t i) {
           appendjsonbytes(out, checkrows[static_cast<std::size_t>(f[i].code)].word);
         }},
    {.name = "severity",
     .append =
         [](std::string& out, findingsfrom f, std::size_t i) {
           appendjsonbytes(out, f[i].level == severity::error ? "error" : "warning");
         }},
    {.name = "address",
     .append = [](std::string& out, findingsfrom f,
                  std::size_t i) { appendjsonstring(out, f[i].at.words()); }},
    {.name = "message",
     .append = [](std::string& out, findingsfrom f, std::size_t i) { appendjsonstring(out, f[i].message); }},
};

// The map's facts with words, the things per skill and mode, monsters and items by type.
void appendstatistics(std::string& out, const mapfacts& facts) {
  const std::optional<thingtally>& t = facts.tally;
  out += ",\"stats\":[";
  bool first = true;
  for (const factfield& field : factfields) {
    if (field.words.empty()) continue;
    appendpagestat(out, first, field.words, field.value(facts));
    first = false;
  }
  if (facts.stats) appendpagestat(out, first, "secret exit lines", facts.stats->secretexitlines);
  out += ']';
  if (facts.stats) appendcells(out, *facts.stats);
  if (!t) {
    out += ",\"skills\":null";
    return;
  }
  out += ",\"skills\":{";
  for (std::size_t mode = 0; mode < playmodes; ++mode) {
    out += mode == 0 ? "\"" : ",\"";
    out += playmoderows[mode].key;
    out += "\":[";
    for (std::size_t g = 0; g < skillgroups; ++g) {
      if (g > 0) out += ',';
      appendjsonint(out, t->byskill[mode][g]);
    }
    out += ']';
  }
  out += "},\"monster_types\":";
  appendcounts(out, t->monstertypes);
  out += ",\"item_types\":";
  appendcounts(out, t->itemtypes);
}

// The data the script reads: names, size, fit, the map's records by column, layers, names of bits and
// counts.
bool appenddata(pagebuffer& b, const scene& s, const map& m, const mapfacts& facts,
                const std::vector<finding>* findings, const pagetitle& title) {
  const pagelayers layers = layersof(s, m);
  const std::vector<thing> none;
  const mapsource from{m, m.things ? *m.things : none, layers};
  std::string& out = b.text();
  appendpagetitle(out, title);
  out += ',';
  appendpagefit(out, s);
  appendpagetable<mapsource>(b, "vertices", vertexcolumns, from, m.vertexes.size());
  appendpagetable<mapsource>(b, "sectors", sectorcolumns, from, m.sectors.size());
  appendpagetable<mapsource>(b, "lines", linecolumns, from, m.linedefs.size());
  appendpagetable<mapsource>(b, "things", thingcolumns, from, from.things.size());
  out += ",\"layers\":[";
  for (std::size_t i = 0; i < layers.list.size(); ++i) {
    const pagelayers::layer& l = layers.list[i];
    appendpagelayer(out, i == 0, l.cls, inwords(l.cls), l.color, l.count);
  }
  out += ']';
  appendnames(out);
  appendstatistics(out, facts);
  if (m.things) appendtypenames(out, m, from.things);
  if (findings)
    appendpagetable<std::vector<finding>>(b, "findings", findingcolumns, *findings, findings->size());
  out += '}';
  return b.flush();
}

}  // namespace

bool writemappage(const scene& s, const map& m, const mapfacts& facts, const std::vector<finding>* findings,
                  const svgnames& names, const textsink& sink) {
  // The list is filled by the script from the data, as the legend is.
  const std::string_view panel = findings ? "<h2>Findings</h2><ul id=\"tw-findings\"></ul>" : "";
  return writeviewerpage(
      s, names, panel,
      [&](pagebuffer& b, const pagetitle& title) { return appenddata(b, s, m, facts, findings, title); },
      sink);
}

outputstatus writemappage(const scene& s, const map& m, const mapfacts& facts,
                          const std::vector<finding>* findings, const svgnames& names, outputfile& out) {
  return writethrough(out,
                      [&](const textsink& sink) { return writemappage(s, m, facts, findings, names, sink); });
}

}  // namespace tracewell
