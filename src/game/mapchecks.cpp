// Map checks: faults a picture does not show, found at every skill group and mode.
#include "game/mapchecks.h"

#include <algorithm>
#include <map>
#include <string>
#include <tuple>

#include "game/linemeaning.h"
#include "game/specialmeaning.h"
#include "game/thingkind.h"
#include "game/thingvalues.h"
#include "wad/playmodes.h"

namespace tracewell {

namespace {

constexpr int skills = 5;
constexpr std::size_t deathmatchmode = 2;
// Where something holds: bit (mode * skills + skill - 1).
using where = std::uint16_t;

constexpr where at(std::size_t mode, int skill) {
  return static_cast<where>(1u << (mode * skills + static_cast<std::size_t>(skill - 1)));
}

// Where `t` appears (its kind decides for starts, which appear whatever their flags).
where appearances(const thing& t, thingkind kind) {
  where w = 0;
  for (std::size_t mode = 0; mode < playmoderows.size(); ++mode) {
    for (int skill = 1; skill <= skills; ++skill) {
      const bool inmode = kind == thingkind::start || kind == thingkind::dmstart || t.*playmoderows[mode].in;
      if (inmode && thingappears(t, kind, skill, true)) w = static_cast<where>(w | at(mode, skill));
    }
  }
  return w;
}

// "skills 1-2 and 3 in single play, skills 1-2 in coop": the skill groups with any skill of `w` in each
// mode, modes with the same groups named together.
std::string wherewords(where w) {
  static constexpr std::array<std::string_view, 3> modewords = {"single play", "coop", "deathmatch"};
  static constexpr std::array<std::string_view, 3> groupwords = {"1-2", "3", "4-5"};
  static constexpr std::array<std::array<int, 2>, 3> groupskills = {{{1, 2}, {3, 3}, {4, 5}}};
  std::array<unsigned, 3> groups{};
  for (std::size_t mode = 0; mode < 3; ++mode) {
    for (std::size_t g = 0; g < 3; ++g) {
      if ((w & (at(mode, groupskills[g][0]) | at(mode, groupskills[g][1]))) != 0) groups[mode] |= 1u << g;
    }
  }
  std::string out;
  std::array<bool, 3> said{};
  for (std::size_t mode = 0; mode < 3; ++mode) {
    if (groups[mode] == 0 || said[mode]) continue;
    std::vector<std::string_view> named;
    for (std::size_t g = 0; g < 3; ++g) {
      if ((groups[mode] >> g & 1u) != 0) named.push_back(groupwords[g]);
    }
    std::string part = named.size() == 1 && named[0] == "3" ? "skill " : "skills ";
    for (std::size_t i = 0; i < named.size(); ++i)
      part += std::string(i == 0 ? "" : i + 1 == named.size() ? " and " : ", ") + std::string(named[i]);
    std::vector<std::string_view> modes;
    for (std::size_t other = mode; other < 3; ++other) {
      if (groups[other] == groups[mode]) modes.push_back(modewords[other]), said[other] = true;
    }
    part += " in ";
    for (std::size_t i = 0; i < modes.size(); ++i)
      part += std::string(i == 0 ? "" : i + 1 == modes.size() ? " and " : ", ") + std::string(modes[i]);
    out += (out.empty() ? "" : ", ") + part;
  }
  return out;
}

std::string number(std::int64_t n) {
  return std::to_string(n);
}

// A texture name as stored, up to its first NUL; "-" and nothing are no texture.
bool notexture(const text& name) {
  const text cut = trim(name.substr(0, name.find(u'\0')));
  return cut.empty() || cut == u"-";
}

bool sky(const text& flat) {
  return upperascii(flat.substr(0, flat.find(u'\0'))).rfind(u"F_SKY", 0) == 0;
}

// What one run of the checks over one map shares.
class checker {
 public:
  checker(const map& m, const sectoroutlines& o, const checksettings& s) : m_(m), outlines_(o), settings_(s) {
    if (m.things) {
      for (const thing& t : *m.things) {
        const thingkind kind = thingkindof(m.meaning, t.type);
        shown_.push_back(appearances(t, kind));
        starts_ |= kind == thingkind::start && t.type == 1 ? 1u : 0u;
        starts_ |= kind == thingkind::start && t.type >= 1 && t.type <= 4 ? 2u : 0u;
        starts_ |= kind == thingkind::dmstart ? 4u : 0u;
      }
    }
    for (std::size_t mode = 0; mode < 3; ++mode) {
      if ((starts_ >> mode & 1u) == 0) continue;
      for (int skill = 1; skill <= skills; ++skill) played_ = static_cast<where>(played_ | at(mode, skill));
    }
  }

  std::vector<finding> run() {
    if (on(checkcode::missingkey)) missingkeys();
    if (on(checkcode::teleportnodestination) || on(checkcode::tagnosector)) targets();
    if (on(checkcode::playerstart)) playerstarts();
    if (on(checkcode::unclosedsector)) unclosedsectors();
    if (on(checkcode::thingoutside)) thingsoutside();
    if (on(checkcode::degenerateline)) degeneratelines();
    if (on(checkcode::missingtexture) && m_.layout != maplayout::udmf) missingtextures();
    std::stable_sort(found_.begin(), found_.end(), [](const finding& a, const finding& b) {
      return std::tie(a.at, a.code) < std::tie(b.at, b.code);
    });
    return std::move(found_);
  }

 private:
  const map& m_;
  const sectoroutlines& outlines_;
  const checksettings& settings_;
  std::vector<where> shown_;  // per thing
  unsigned starts_ = 0;       // bit 0: player 1, bit 1: any cooperative start, bit 2: any deathmatch start
  where played_ = 0;          // the modes, at every skill, that the map has a start for
  std::vector<finding> found_;
  std::vector<std::int64_t> thingsectors_;  // per thing, once asked for

  const std::vector<std::int64_t>& sectorsofthings() {
    if (m_.things && thingsectors_.size() != m_.things->size()) {
      thingsectors_.clear();
      for (const thing& t : *m_.things) thingsectors_.push_back(outlines_.sectorat(t.x, t.y));
    }
    return thingsectors_;
  }

  bool on(checkcode c) const {
    return (checkrows[static_cast<std::size_t>(c)].games & gamebit(m_.meaning)) != 0 &&
           settings_[static_cast<std::size_t>(c)] != severity::off;
  }
  void add(checkcode c, checkaddress::kind k, std::int64_t n, const std::string& words, bool graver = false) {
    severity level = settings_[static_cast<std::size_t>(c)];
    if (graver && level == severity::warning) level = severity::error;
    found_.push_back({c, level, {k, n}, fromutf8(words)});
  }
  // Where any thing for which `wanted(i)` holds appears.
  template <typename pick>
  where anywhere(pick&& wanted) const {
    where w = 0;
    for (std::size_t i = 0; i < shown_.size(); ++i) {
      if (wanted(i)) w = static_cast<where>(w | shown_[i]);
    }
    return w;
  }

  void missingkeys() {
    if (!m_.things) return;
    where checked = played_;
    if ((keysheldindeathmatch & gamebit(m_.meaning)) != 0) {
      for (int skill = 1; skill <= skills; ++skill)
        checked = static_cast<where>(checked & ~at(deathmatchmode, skill));
    }
    struct colour {
      linemeaning lock;
      thingkind key;  // `other`: any key opens it
      std::string_view words;
    };
    static constexpr std::array<colour, 4> colours = {{
        {linemeaning::lockedred, thingkind::keyred, "red"},
        {linemeaning::lockedblue, thingkind::keyblue, "blue"},
        {linemeaning::lockedyellow, thingkind::keyyellow, "yellow"},
        {linemeaning::lockedother, thingkind::other, ""},
    }};
    std::array<where, 4> have{};
    for (std::size_t c = 0; c < colours.size(); ++c) {
      have[c] = anywhere([&](std::size_t i) {
        const thingkind k = thingkindof(m_.meaning, (*m_.things)[i].type);
        return colours[c].key == thingkind::other ? iskey(k) : k == colours[c].key;
      });
    }
    for (std::size_t i = 0; i < m_.linedefs.size(); ++i) {
      const linedef& l = m_.linedefs[i];
      const linemeanings set = meaningsof(l, m_.sideof(l.rightside), m_.sideof(l.leftside), m_.meaning);
      for (std::size_t c = 0; c < colours.size(); ++c) {
        if ((set & linebit(colours[c].lock)) == 0) continue;
        const where missing = static_cast<where>(checked & ~have[c]);
        if (missing == 0) continue;
        const std::string name = colours[c].words.empty() ? "" : std::string(colours[c].words) + " ";
        std::string message = name;
        message += "lock, no ";
        message += name;
        message += "key at ";
        message += wherewords(missing);
        add(checkcode::missingkey, checkaddress::kind::line, static_cast<std::int64_t>(i), message);
        break;
      }
    }
  }

  // Teleporters and tagged specials, by what each line's special acts on.
  void targets() {
    std::multimap<std::int64_t, std::size_t> sectorsbytag;
    for (std::size_t s = 0; s < m_.sectors.size(); ++s) sectorsbytag.emplace(m_.sectors[s].sectortag, s);
    std::map<std::int64_t, std::size_t> linesbytag;
    for (const linedef& l : m_.linedefs) ++linesbytag[l.sectortag];
    const std::vector<std::int64_t>& sectorofthing = sectorsofthings();
    for (std::size_t i = 0; i < m_.linedefs.size(); ++i) {
      const linedef& l = m_.linedefs[i];
      const linetarget aim = targetof(l, m_.meaning);
      if (aim.is == linetarget::kind::none) continue;
      const bool teleport =
          (meaningsof(l, nullptr, nullptr, m_.meaning) & linebit(linemeaning::teleport)) != 0;
      const auto n = static_cast<std::int64_t>(i);
      // The binary Doom layout is the one whose lines keep a tag; ids of things the Hexen layout only.
      if (aim.is == linetarget::kind::sectors && m_.layout == maplayout::doom) {
        const auto [first, last] = sectorsbytag.equal_range(l.sectortag);
        const std::string tag = number(l.sectortag);
        if (!teleport) {
          if (on(checkcode::tagnosector) && l.sectortag == 0)
            add(checkcode::tagnosector, checkaddress::kind::line, n,
                "special " + number(l.special) + " with tag 0");
          else if (on(checkcode::tagnosector) && first == last)
            add(checkcode::tagnosector, checkaddress::kind::line, n,
                "special " + number(l.special) + ", no sector has tag " + tag);
          continue;
        }
        if (!on(checkcode::teleportnodestination)) continue;
        if (first == last) {
          add(checkcode::teleportnodestination, checkaddress::kind::line, n,
              "teleporter, no sector has tag " + tag);
          continue;
        }
        // Named, not bound: clang before 16 cannot capture a structured binding.
        const auto from = first;
        const auto to = last;
        const where there = anywhere([&](std::size_t t) {
          if (thingroleof(m_.meaning, (*m_.things)[t].type) != thingrole::destination) return false;
          for (auto s = from; s != to; ++s) {
            if (static_cast<std::int64_t>(s->second) == sectorofthing[t]) return true;
          }
          return false;
        });
        if (const where missing = static_cast<where>(played_ & ~there); missing != 0)
          add(checkcode::teleportnodestination, checkaddress::kind::line, n,
              "teleporter, no destination in the sectors of tag " + tag + " at " + wherewords(missing));
      } else if (aim.is == linetarget::kind::lines && m_.layout == maplayout::doom) {
        if (on(checkcode::teleportnodestination) && linesbytag[l.sectortag] < 2)
          add(checkcode::teleportnodestination, checkaddress::kind::line, n,
              "line teleporter, no other line has tag " + number(l.sectortag));
      } else if (aim.is == linetarget::kind::things && m_.layout == maplayout::hexen) {
        const std::int64_t id = l.args[static_cast<std::size_t>(aim.argument)];
        if (id == 0 || !on(checkcode::teleportnodestination)) continue;  // 0: not by id
        const where there = anywhere([&](std::size_t t) { return (*m_.things)[t].tid == id; });
        if (const where missing = static_cast<where>(played_ & ~there); missing != 0)
          add(checkcode::teleportnodestination, checkaddress::kind::line, n,
              "teleporter, no thing of id " + number(id) + " at " + wherewords(missing));
      }
    }
  }

  void playerstarts() {
    if (!m_.things) return;
    std::array<bool, 4> players{};
    std::int64_t deathmatch = 0;
    for (const thing& t : *m_.things) {
      const thingkind kind = thingkindof(m_.meaning, t.type);
      if (kind == thingkind::start && t.type >= 1 && t.type <= 4)
        players[static_cast<std::size_t>(t.type - 1)] = true;
      deathmatch += kind == thingkind::dmstart ? 1 : 0;
    }
    const auto coop = std::count(players.begin(), players.end(), true);
    if (!players[0]) add(checkcode::playerstart, checkaddress::kind::map, 0, "no player 1 start", true);
    if (coop < 4)
      add(checkcode::playerstart, checkaddress::kind::map, 0, number(coop) + " of 4 cooperative starts");
    if (deathmatch > 0 && deathmatch < 4)
      add(checkcode::playerstart, checkaddress::kind::map, 0,
          number(deathmatch) + " deathmatch starts; a deathmatch needs 4");
  }

  void unclosedsectors() {
    const std::vector<sectoroutline>& all = outlines_.outlines();
    for (std::size_t s = 0; s < all.size(); ++s) {
      const std::vector<std::uint32_t>& open = all[s].openvertices;
      if (open.empty()) continue;
      std::string words = "sides do not close at ";
      const std::size_t named = std::min<std::size_t>(open.size(), 4);
      for (std::size_t i = 0; i < named; ++i) words += (i == 0 ? "V" : ", V") + number(open[i]);
      if (open.size() > named)
        words += " and " + number(static_cast<std::int64_t>(open.size() - named)) + " more";
      add(checkcode::unclosedsector, checkaddress::kind::sector, static_cast<std::int64_t>(s), words);
    }
  }

  void thingsoutside() {
    if (!m_.things) return;
    for (std::size_t i = 0; i < m_.things->size(); ++i) {
      const thing& t = (*m_.things)[i];
      const thingrole role = thingroleof(m_.meaning, t.type);
      if (role == thingrole::editoronly || sectorsofthings()[i] >= 0) continue;
      const thingkind kind = thingkindof(m_.meaning, t.type);
      const bool vital = iskey(kind) || kind == thingkind::start || kind == thingkind::dmstart ||
                         role == thingrole::destination;
      const thingvalue* v = thingvalueof(m_.meaning, t.type);
      const std::string name =
          v != nullptr ? std::string(v->name) + " (" + number(t.type) + ")" : "thing " + number(t.type);
      add(checkcode::thingoutside, checkaddress::kind::thing, static_cast<std::int64_t>(i),
          name + " stands in no sector", vital);
    }
  }

  void degeneratelines() {
    struct ends {
      std::int64_t ax, ay, bx, by;
      std::size_t line;
    };
    std::vector<ends> all;
    for (std::size_t i = 0; i < m_.linedefs.size(); ++i) {
      const linedef& l = m_.linedefs[i];
      if (l.startvertex >= m_.vertexes.size() || l.endvertex >= m_.vertexes.size()) continue;
      vertex a = m_.vertexes[l.startvertex], b = m_.vertexes[l.endvertex];
      if (a.x == b.x && a.y == b.y) {
        add(checkcode::degenerateline, checkaddress::kind::line, static_cast<std::int64_t>(i),
            "length 0 (V" + number(l.startvertex) + " to V" + number(l.endvertex) + ")");
        continue;
      }
      if (std::tie(b.x, b.y) < std::tie(a.x, a.y)) std::swap(a, b);
      all.push_back({a.x, a.y, b.x, b.y, i});
    }
    std::sort(all.begin(), all.end(), [](const ends& p, const ends& q) {
      return std::tie(p.ax, p.ay, p.bx, p.by, p.line) < std::tie(q.ax, q.ay, q.bx, q.by, q.line);
    });
    for (std::size_t i = 1, first = 0; i < all.size(); ++i) {
      const ends& p = all[first];
      const ends& q = all[i];
      if (std::tie(p.ax, p.ay, p.bx, p.by) != std::tie(q.ax, q.ay, q.bx, q.by)) {
        first = i;
        continue;
      }
      add(checkcode::degenerateline, checkaddress::kind::line, static_cast<std::int64_t>(q.line),
          "same end points as L" + number(static_cast<std::int64_t>(p.line)));
    }
  }

  // Sectors that only carry properties for others (Boom's 242, ZDoom's 209 and 3D floors, 160): the
  // front sector of the line that names them.
  std::vector<bool> controlsectors() const {
    std::vector<bool> control(m_.sectors.size(), false);
    for (const linedef& l : m_.linedefs) {
      const bool boom = (m_.meaning == mapmeaning::doom && l.special == 242);
      const bool zdoom = (m_.meaning == mapmeaning::zdoom && (l.special == 209 || l.special == 160));
      if (!boom && !zdoom) continue;
      const sector* s = m_.sideof(l.rightside);
      if (s != nullptr) control[indexof(s)] = true;
    }
    return control;
  }

  std::size_t indexof(const sector* s) const { return static_cast<std::size_t>(s - m_.sectors.data()); }

  // Whether a point lies inside a loop, by the parity of the loop's edges a ray towards +x crosses.
  static bool inside(const outlineloop& loop, std::int64_t x, std::int64_t y) {
    bool in = false;
    for (std::size_t i = 0, n = loop.points.size(); i < n; ++i) {
      const vertex& a = loop.points[i];
      const vertex& b = loop.points[(i + 1) % n];
      if ((a.y > y) == (b.y > y)) continue;
      const long double cross = a.x + static_cast<long double>(b.x - a.x) * (y - a.y) / (b.y - a.y);
      if (cross > x) in = !in;
    }
    return in;
  }

  // Which sides a player can see: per line, its front then its back. A side counts when its sector
  // moves in play, or when the part of its sector it bounds (an outer loop of the outline; holes and
  // open chains go with the whole sector) has height and opens onto a neighbour or holds a place a
  // player stands on. So a sealed closet, a slot of no opening, and a sector closed for good show
  // none of their sides, nor does a closet drawn as a detached part of an open sector.
  std::vector<bool> seensides() {
    const std::size_t sectors = m_.sectors.size();
    std::vector<bool> moving(sectors, false);
    const bool anytag = m_.layout != maplayout::doom || !knowssectortargets(m_.meaning);
    std::vector<std::int64_t> movedtags;
    for (const linedef& l : m_.linedefs) {
      if (!anytag && l.sectortag != 0 && targetof(l, m_.meaning).moves) movedtags.push_back(l.sectortag);
      const sector* back = m_.sideof(l.leftside);
      if (back != nullptr && movesbacksector(l, m_.meaning)) moving[indexof(back)] = true;
    }
    std::sort(movedtags.begin(), movedtags.end());
    for (std::size_t s = 0; s < sectors; ++s) {
      const sector& sec = m_.sectors[s];
      if (sec.sectortag != 0 &&
          (anytag || std::binary_search(movedtags.begin(), movedtags.end(), std::int64_t{sec.sectortag})))
        moving[s] = true;
      if (movingsector(sec.sectortype, m_.meaning)) moving[s] = true;
    }
    // Parts: one per outer loop, numbered after the sectors, which stand for their holes and chains.
    const std::vector<sectoroutline>& all = outlines_.outlines();
    std::vector<std::size_t> partof(2 * m_.linedefs.size(), 0);
    std::vector<std::size_t> sectorofpart(sectors);
    std::vector<const outlineloop*> loopofpart;  // from part `sectors` on
    for (std::size_t s = 0; s < sectors; ++s) sectorofpart[s] = s;
    for (std::size_t l = 0; l < m_.linedefs.size(); ++l) {
      const sector* front = m_.sideof(m_.linedefs[l].rightside);
      const sector* back = m_.sideof(m_.linedefs[l].leftside);
      if (front != nullptr) partof[2 * l] = indexof(front);
      if (back != nullptr) partof[2 * l + 1] = indexof(back);
    }
    std::vector<std::size_t> firstpart(sectors + 1);  // sector s's parts: firstpart[s] .. firstpart[s + 1]
    for (std::size_t s = 0; s < sectors; ++s) {
      firstpart[s] = sectorofpart.size();
      if (s >= all.size()) continue;
      for (const outlineloop& loop : all[s].loops) {
        if (loop.hole()) continue;
        for (std::size_t i = 0; i < loop.lines.size(); ++i) {
          const linedef& l = m_.linedefs[loop.lines[i]];
          const bool forward = l.startvertex < m_.vertexes.size() &&
                               m_.vertexes[l.startvertex].x == loop.points[i].x &&
                               m_.vertexes[l.startvertex].y == loop.points[i].y;
          partof[2 * loop.lines[i] + (forward ? 0 : 1)] = sectorofpart.size();
        }
        sectorofpart.push_back(s);
        loopofpart.push_back(&loop);
      }
    }
    firstpart[sectors] = sectorofpart.size();
    std::vector<bool> seen(sectorofpart.size(), false);
    for (std::size_t p = 0; p < seen.size(); ++p) seen[p] = moving[sectorofpart[p]];
    auto tall = [](const sector* s) { return s->ceillevel() > s->floorlevel(); };
    auto see = [&](std::size_t part) { seen[part] = seen[sectorofpart[part]] = true; };
    for (std::size_t i = 0; i < m_.linedefs.size(); ++i) {
      const sector* front = m_.sideof(m_.linedefs[i].rightside);
      const sector* back = m_.sideof(m_.linedefs[i].leftside);
      if (front == nullptr || back == nullptr) continue;
      const bool opening = std::min(front->ceillevel(), back->ceillevel()) >
                               std::max(front->floorlevel(), back->floorlevel()) ||
                           moving[indexof(front)] || moving[indexof(back)];
      if (opening && tall(front)) see(partof[2 * i]);
      if (opening && tall(back)) see(partof[2 * i + 1]);
    }
    if (m_.things) {
      const std::vector<std::int64_t>& sectorofthing = sectorsofthings();
      for (std::size_t t = 0; t < m_.things->size(); ++t) {
        const thing& th = (*m_.things)[t];
        const thingkind kind = thingkindof(m_.meaning, th.type);
        const bool stands = kind == thingkind::start || kind == thingkind::dmstart ||
                            thingroleof(m_.meaning, th.type) == thingrole::destination;
        const std::int64_t s = sectorofthing[t];
        if (!stands || s < 0 || !tall(&m_.sectors[static_cast<std::size_t>(s)])) continue;
        seen[static_cast<std::size_t>(s)] = true;
        for (std::size_t p = firstpart[static_cast<std::size_t>(s)];
             p < firstpart[static_cast<std::size_t>(s) + 1]; ++p) {
          if (!seen[p] && inside(*loopofpart[p - sectors], th.x, th.y)) seen[p] = true;
        }
      }
    }
    std::vector<bool> sides(partof.size());
    for (std::size_t i = 0; i < partof.size(); ++i) sides[i] = seen[partof[i]];
    return sides;
  }

  void missingtextures() {
    const std::vector<bool> control = controlsectors();
    const std::vector<bool> seen = seensides();
    for (std::size_t i = 0; i < m_.linedefs.size(); ++i) {
      const linedef& l = m_.linedefs[i];
      const sector* front = m_.sideof(l.rightside);
      const sector* back = m_.sideof(l.leftside);
      if (front == nullptr) continue;
      const auto n = static_cast<std::int64_t>(i);
      auto iscontrol = [&](const sector* s) { return s != nullptr && control[indexof(s)]; };
      if (iscontrol(front) || iscontrol(back)) continue;
      const sidedef& right = m_.sidedefs[static_cast<std::size_t>(l.rightside)];
      const bool frontseen = seen[2 * i];
      if (back == nullptr) {
        if (frontseen && notexture(right.middletex))
          add(checkcode::missingtexture, checkaddress::kind::line, n, "one-sided, no middle texture");
        continue;
      }
      const sidedef& left = m_.sidedefs[static_cast<std::size_t>(l.leftside)];
      std::string missing;
      auto need = [&](bool needed, const text& name, const char* words) {
        if (needed && notexture(name)) missing += (missing.empty() ? "" : ", ") + std::string(words);
      };
      const bool backseen = seen[2 * i + 1];
      const bool bothsky = sky(front->ceiltex) && sky(back->ceiltex);
      need(frontseen && front->floorlevel() < back->floorlevel(), right.lowertex,
           "front side no lower texture");
      need(backseen && back->floorlevel() < front->floorlevel(), left.lowertex, "back side no lower texture");
      need(frontseen && !bothsky && front->ceillevel() > back->ceillevel(), right.uppertex,
           "front side no upper texture");
      need(backseen && !bothsky && back->ceillevel() > front->ceillevel(), left.uppertex,
           "back side no upper texture");
      if (!missing.empty()) add(checkcode::missingtexture, checkaddress::kind::line, n, missing);
    }
  }
};

}  // namespace

checksettings presetseverities() {
  checksettings s{};
  for (std::size_t i = 0; i < checkrows.size(); ++i) s[i] = checkrows[i].preset;
  return s;
}

text checkaddress::words() const {
  static constexpr std::array<char16_t, 5> letters = {u'\0', u'L', u'S', u'T', u'V'};
  if (is == kind::map) return {};
  text words = inttotext(number);
  words.insert(words.begin(), letters[static_cast<std::size_t>(is)]);
  return words;
}

std::vector<finding> checkmap(const map& m, const sectoroutlines& outlines, const checksettings& settings) {
  return checker(m, outlines, settings).run();
}

}  // namespace tracewell
