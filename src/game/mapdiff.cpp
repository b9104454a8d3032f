// What changed between two versions of one map: lines matched by their end points, things by type and place.
#include "game/mapdiff.h"

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <optional>
#include <tuple>

#include "wad/playmodes.h"
#include "wad/udmf.h"

namespace tracewell {

namespace {

std::string number(std::int64_t v) {
  return std::to_string(v);
}

std::string sidesvalue(const linefacts& l) {
  if (l.front.present && l.back.present) return "front+back";
  if (l.front.present) return "front";
  return l.back.present ? "back" : "none";
}

std::string argsvalue(const linefacts& l) {
  std::string out;
  for (const std::int64_t a : l.args) {
    if (!out.empty()) out += ',';
    out += number(a);
  }
  return out;
}

// A side's sector value: equal when neither side has a sector, or both have one with the same value.
template <std::int64_t sidefacts::*field>
bool samesector(const sidefacts& a, const sidefacts& b) {
  return a.hassector == b.hassector && (!a.hassector || a.*field == b.*field);
}
template <std::int64_t sidefacts::*field, bool height>
std::string sectorvalue(const sidefacts& s) {
  if (!s.hassector) return "-";
  return height ? decimal(s.*field, 16) : number(s.*field);
}

template <sidefacts linefacts::*side, std::int64_t sidefacts::*field, bool height>
constexpr lineproperty sectorrow(std::string_view name) {
  return {name, side == &linefacts::front ? 1 : 2,
          [](const linefacts& a, const linefacts& b) { return samesector<field>(a.*side, b.*side); },
          [](const linefacts& l) { return sectorvalue<field, height>(l.*side); }};
}

std::string skillsvalue(const thingfacts& t) {
  std::string out;
  for (int s = 1; s <= 5; ++s) {
    if ((t.skills & (1 << (s - 1))) != 0) out += static_cast<char>('0' + s);
  }
  return out.empty() ? "none" : out;
}

std::string modesvalue(const thingfacts& t) {
  std::string out;
  for (std::size_t mode = 0; mode < playmoderows.size(); ++mode) {
    if ((t.modes >> mode & 1U) == 0) continue;
    if (!out.empty()) out += ',';
    out += playmoderows[mode].key;
  }
  return out.empty() ? "none" : out;
}

std::string place(std::int64_t x, std::int64_t y, std::int32_t fractionbits) {
  // Stored y, as editors show it: the vertexes hold it negated.
  std::string out = decimal(x, fractionbits);
  out += ',';
  out += decimal(-y, fractionbits);
  return out;
}

}  // namespace

const std::array<lineproperty, 12> lineproperties = {{
    {"sides", 0, [](const linefacts& a, const linefacts& b) { return sidesvalue(a) == sidesvalue(b); },
     sidesvalue},
    {"flags", 0, [](const linefacts& a, const linefacts& b) { return a.flags == b.flags; },
     [](const linefacts& l) { return number(l.flags); }},
    {"special", 0, [](const linefacts& a, const linefacts& b) { return a.special == b.special; },
     [](const linefacts& l) { return number(l.special); }},
    {"tag", 0, [](const linefacts& a, const linefacts& b) { return a.tag == b.tag; },
     [](const linefacts& l) { return number(l.tag); }},
    {"args", 0, [](const linefacts& a, const linefacts& b) { return a.args == b.args; }, argsvalue},
    {"lock", 0, [](const linefacts& a, const linefacts& b) { return a.lock == b.lock; },
     [](const linefacts& l) { return number(l.lock); }},
    sectorrow<&linefacts::front, &sidefacts::floor, true>("front_floor"),
    sectorrow<&linefacts::front, &sidefacts::ceiling, true>("front_ceiling"),
    sectorrow<&linefacts::front, &sidefacts::special, false>("front_special"),
    sectorrow<&linefacts::back, &sidefacts::floor, true>("back_floor"),
    sectorrow<&linefacts::back, &sidefacts::ceiling, true>("back_ceiling"),
    sectorrow<&linefacts::back, &sidefacts::special, false>("back_special"),
}};

const std::array<thingproperty, 4> thingproperties = {{
    {"position", [](const thingfacts& a, const thingfacts& b) { return a.x == b.x && a.y == b.y; },
     [](const thingfacts& t) { return place(t.x, t.y, t.fractionbits); }},
    {"angle", [](const thingfacts& a, const thingfacts& b) { return a.angle == b.angle; },
     [](const thingfacts& t) { return number(t.angle); }},
    {"skills", [](const thingfacts& a, const thingfacts& b) { return a.skills == b.skills; }, skillsvalue},
    {"modes", [](const thingfacts& a, const thingfacts& b) { return a.modes == b.modes; }, modesvalue},
}};

std::size_t mapdiff::count(const std::vector<recordchange>& records, changekind k) const {
  return static_cast<std::size_t>(
      std::count_if(records.begin(), records.end(), [k](const recordchange& c) { return c.kind == k; }));
}

namespace {

sidefacts sideof(const map& m, std::int32_t side) {
  sidefacts s;
  s.present = side >= 0;
  if (const sector* sec = m.sideof(side)) {
    s.hassector = true;
    s.floor = sec->floorlevel();
    s.ceiling = sec->ceillevel();
    s.special = sec->sectortype;
    s.sector = sec - m.sectors.data();
  }
  return s;
}

// The game modes of a thing: the Doom layout keeps them as flags (0x10 multiplayer only, and Boom's
// 0x20 not in deathmatch, 0x40 not in cooperative play), the other layouts as read.
std::uint8_t modesof(const thing& t, maplayout layout) {
  if (layout != maplayout::doom) return modebits(t);
  thing flagged = t;
  flagged.single = (t.flags & 0x10) == 0;
  flagged.coop = (t.flags & 0x40) == 0;
  flagged.deathmatch = (t.flags & 0x20) == 0;
  return modebits(flagged);
}

// The map order of changes: by new number, then the removed ones by old number.
void putinmaporder(std::vector<recordchange>& records) {
  std::sort(records.begin(), records.end(), [](const recordchange& a, const recordchange& b) {
    return std::tuple(a.newnumber < 0, a.newnumber, a.oldnumber) <
           std::tuple(b.newnumber < 0, b.newnumber, b.oldnumber);
  });
}

template <typename Facts, typename Properties>
std::uint32_t differences(const Facts& a, const Facts& b, const Properties& properties) {
  std::uint32_t what = 0;
  for (std::size_t i = 0; i < properties.size(); ++i) {
    if (!properties[i].same(a, b)) what |= std::uint32_t{1} << i;
  }
  return what;
}

// Pairs two lists sorted by `less` on a key without numbers: equal keys pair in list order. Calls
// pair(a, b) for each pair and alone(a, fromold) for each record left over.
template <typename Facts, typename Less, typename Pair, typename Alone>
void mergepairs(const std::vector<Facts>& olds, const std::vector<Facts>& news, Less less, Pair pair,
                Alone alone) {
  std::size_t i = 0, j = 0;
  while (i < olds.size() || j < news.size()) {
    if (j == news.size() || (i < olds.size() && less(olds[i], news[j]))) {
      alone(olds[i++], true);
    } else if (i == olds.size() || less(news[j], olds[i])) {
      alone(news[j++], false);
    } else {
      pair(olds[i++], news[j++]);
    }
  }
}

// Pairs records at the same place: first those whose facts are equal too, so that records stacked on one
// spot and merely renumbered pair with their equals; then the rest of each place in number order.
template <typename Facts, typename Place, typename Same, typename Pair, typename Alone>
void pairbyplace(std::vector<Facts> olds, std::vector<Facts> news, Place place, Same facts, Pair pair,
                 Alone alone) {
  const auto whole = [&](const Facts& a, const Facts& b) {
    return std::tuple_cat(place(a), facts(a), std::tuple(a.number)) <
           std::tuple_cat(place(b), facts(b), std::tuple(b.number));
  };
  std::sort(olds.begin(), olds.end(), whole);
  std::sort(news.begin(), news.end(), whole);
  std::vector<Facts> oldrest, newrest;
  mergepairs(
      olds, news,
      [&](const Facts& a, const Facts& b) {
        return std::tuple_cat(place(a), facts(a)) < std::tuple_cat(place(b), facts(b));
      },
      pair, [&](const Facts& f, bool fromold) { (fromold ? oldrest : newrest).push_back(f); });
  const auto numbered = [&](const Facts& a, const Facts& b) {
    return std::tuple_cat(place(a), std::tuple(a.number)) < std::tuple_cat(place(b), std::tuple(b.number));
  };
  std::sort(oldrest.begin(), oldrest.end(), numbered);
  std::sort(newrest.begin(), newrest.end(), numbered);
  mergepairs(
      oldrest, newrest, [&](const Facts& a, const Facts& b) { return place(a) < place(b); }, pair, alone);
}

auto sidekey(const sidefacts& s) {
  return std::tuple(s.present, s.hassector, s.floor, s.ceiling, s.special);
}

void difflines(std::vector<linefacts> olds, std::vector<linefacts> news, mapdiff& out) {
  std::vector<std::int64_t> sectors;
  std::uint32_t frontsector = 0, backsector = 0;
  for (std::size_t i = 0; i < lineproperties.size(); ++i) {
    if (lineproperties[i].side == 1) frontsector |= std::uint32_t{1} << i;
    if (lineproperties[i].side == 2) backsector |= std::uint32_t{1} << i;
  }
  pairbyplace(
      std::move(olds), std::move(news), [](const linefacts& l) { return std::tuple(l.x0, l.y0, l.x1, l.y1); },
      [](const linefacts& l) {
        return std::tuple_cat(std::tuple(l.flags, l.special, l.tag, l.args, l.lock), sidekey(l.front),
                              sidekey(l.back));
      },
      [&](const linefacts& a, const linefacts& b) {
        const std::uint32_t what = differences(a, b, lineproperties);
        if (what == 0) return;
        out.lines.push_back({changekind::changed, a.number, b.number, what});
        if ((what & frontsector) != 0 && b.front.sector >= 0) sectors.push_back(b.front.sector);
        if ((what & backsector) != 0 && b.back.sector >= 0) sectors.push_back(b.back.sector);
      },
      [&](const linefacts& l, bool fromold) {
        out.lines.push_back(fromold ? recordchange{changekind::removed, l.number, -1, 0}
                                    : recordchange{changekind::added, -1, l.number, 0});
      });
  std::sort(sectors.begin(), sectors.end());
  out.sectorschanged =
      static_cast<std::size_t>(std::unique(sectors.begin(), sectors.end()) - sectors.begin());
  putinmaporder(out.lines);
}

// Things of one type at one spot, in number order: `size` neighbours in the sorted list from `first` on;
// `next` counts those already paired.
struct thingstack {
  const thingfacts* first;
  std::size_t size = 1;
  std::size_t next = 0;
  bool spent() const { return next == size; }
};

std::vector<thingstack> stacksof(const std::vector<thingfacts>& sorted) {
  std::vector<thingstack> stacks;
  for (const thingfacts& t : sorted) {
    if (!stacks.empty() && std::tie(stacks.back().first->type, stacks.back().first->x,
                                    stacks.back().first->y) == std::tie(t.type, t.x, t.y)) {
      ++stacks.back().size;
    } else {
      stacks.push_back({&t});
    }
  }
  return stacks;
}

// The things no pairing took, of each version.
struct leftthings {
  std::vector<const thingfacts*> olds, news;
};

// The squared distance of two spots when it is at most reach², else none.
std::optional<std::uint64_t> withinreach(std::int64_t ax, std::int64_t ay, std::int64_t bx, std::int64_t by,
                                         std::uint64_t reach) {
  const std::uint64_t ex =
      static_cast<std::uint64_t>(std::max(ax, bx)) - static_cast<std::uint64_t>(std::min(ax, bx));
  const std::uint64_t ey =
      static_cast<std::uint64_t>(std::max(ay, by)) - static_cast<std::uint64_t>(std::min(ay, by));
  if (ex > reach || ey > reach || ex * ex + ey * ey > reach * reach) return std::nullopt;
  return ex * ex + ey * ey;
}

// A 2-d tree over stacks[begin, end) of one version, stored in one array: the range [lo, hi) has its
// stack at (lo + hi) / 2, split across its longer side, and keeps its bounding box and how many of its
// stacks are not spent. O(n) memory; a search visits about O(log n) ranges.
class stacktree {
 public:
  static constexpr std::size_t none = SIZE_MAX;

  stacktree(const std::vector<thingstack>& stacks, std::size_t begin, std::size_t end)
      : begin_(begin), nodes_(end - begin), at_(end - begin) {
    for (std::size_t i = begin; i < end; ++i) {
      const thingfacts& t = *stacks[i].first;
      nodes_[i - begin] = {t.x, t.y, t.number, i, {t.x, t.x, t.y, t.y}, 0};
    }
    build(0, nodes_.size());
    for (std::size_t i = 0; i < nodes_.size(); ++i) at_[nodes_[i].stack - begin_] = i;
  }

  void remove(std::size_t stack) {
    const std::size_t at = at_[stack - begin_];
    std::size_t lo = 0, hi = nodes_.size();
    for (;;) {
      const std::size_t mid = lo + (hi - lo) / 2;
      --nodes_[mid].live;
      if (at == mid) break;
      if (at < mid) {
        hi = mid;
      } else {
        lo = mid + 1;
      }
    }
    nodes_[at].number = INT64_MAX;  // no longer found
  }

  // The stack not spent of least (distance², first number) within reach of (x, y), or none.
  std::size_t nearest(std::int64_t x, std::int64_t y, std::uint64_t reach) const {
    best b{reach * reach, INT64_MAX, none};
    search(0, nodes_.size(), x, y, reach, b);
    return b.stack;
  }

 private:
  struct node {
    std::int64_t x, y, number;  // number INT64_MAX once spent
    std::size_t stack;
    std::array<std::int64_t, 4> box;  // of the range: least x, greatest x, least y, greatest y
    std::size_t live;                 // stacks of the range not spent
  };
  struct best {
    std::uint64_t distance2;
    std::int64_t number;
    std::size_t stack;
  };

  void build(std::size_t lo, std::size_t hi) {
    if (lo >= hi) return;
    std::array<std::int64_t, 4> box = nodes_[lo].box;
    for (std::size_t i = lo; i < hi; ++i) {
      box = {std::min(box[0], nodes_[i].x), std::max(box[1], nodes_[i].x), std::min(box[2], nodes_[i].y),
             std::max(box[3], nodes_[i].y)};
    }
    const bool byx = static_cast<std::uint64_t>(box[1]) - static_cast<std::uint64_t>(box[0]) >=
                     static_cast<std::uint64_t>(box[3]) - static_cast<std::uint64_t>(box[2]);
    const std::size_t mid = lo + (hi - lo) / 2;
    const auto begin = nodes_.begin();
    std::nth_element(begin + static_cast<std::ptrdiff_t>(lo), begin + static_cast<std::ptrdiff_t>(mid),
                     begin + static_cast<std::ptrdiff_t>(hi), [byx](const node& a, const node& b) {
                       return byx ? std::tie(a.x, a.y) < std::tie(b.x, b.y)
                                  : std::tie(a.y, a.x) < std::tie(b.y, b.x);
                     });
    nodes_[mid].box = box;
    nodes_[mid].live = hi - lo;
    build(lo, mid);
    build(mid + 1, hi);
  }

  void search(std::size_t lo, std::size_t hi, std::int64_t x, std::int64_t y, std::uint64_t reach,
              best& b) const {
    if (lo >= hi) return;
    const node& n = nodes_[lo + (hi - lo) / 2];
    // Nothing left, or the box lies farther than the best so far (at equal distance a lower number may
    // still be inside).
    if (n.live == 0) return;
    const std::optional<std::uint64_t> gap =
        withinreach(x, y, std::clamp(x, n.box[0], n.box[1]), std::clamp(y, n.box[2], n.box[3]), reach);
    if (!gap || *gap > b.distance2) return;
    if (n.number != INT64_MAX) {
      const std::optional<std::uint64_t> d = withinreach(x, y, n.x, n.y, reach);
      if (d && std::tie(*d, n.number) < std::tie(b.distance2, b.number)) b = {*d, n.number, n.stack};
    }
    // The half holding (x, y) first, so the other is mostly cut off.
    const std::size_t mid = lo + (hi - lo) / 2;
    const bool byx = static_cast<std::uint64_t>(n.box[1]) - static_cast<std::uint64_t>(n.box[0]) >=
                     static_cast<std::uint64_t>(n.box[3]) - static_cast<std::uint64_t>(n.box[2]);
    const bool lowfirst = byx ? std::tie(x, y) < std::tie(n.x, n.y) : std::tie(y, x) < std::tie(n.y, n.x);
    search(lowfirst ? lo : mid + 1, lowfirst ? mid : hi, x, y, reach, b);
    search(lowfirst ? mid + 1 : lo, lowfirst ? hi : mid, x, y, reach, b);
  }

  std::size_t begin_;
  std::vector<node> nodes_;
  std::vector<std::size_t> at_;  // each stack's place in nodes_
};

// Pairs the unmatched things of one type within reach, nearest first: things stacked on one spot pair as
// one stack (in number order). The order is that of every pair within reach sorted by (distance², old
// number, new number) and taken while both stacks have things left; but that list grows as the square of
// crowded things (8,000 in one 64-unit square: 2.6 GB), so the pairs are found by nearest-neighbour
// chains instead: from a stack to its nearest of the other version, and on, until two stacks are each
// other's nearest. Such a pair comes first among the pairs of both, so the sorted list pairs them too
// (the same result for every order of taking them). Each search lengthens a chain or spends a stack, so
// there are O(n) searches. Returns the rest.
leftthings pairmoved(const std::vector<thingfacts>& olds, const std::vector<thingfacts>& news,
                     std::int64_t reach, mapdiff& out) {
  leftthings rest;
  std::vector<thingstack> oldstacks = stacksof(olds), newstacks = stacksof(news);
  const std::uint64_t r = static_cast<std::uint64_t>(reach);
  std::vector<std::size_t> chain;  // old, new, old, ... each the nearest of the one before
  for (std::size_t o0 = 0, n0 = 0; o0 < oldstacks.size();) {
    // The stacks of one type in both versions.
    const std::int32_t type = oldstacks[o0].first->type;
    std::size_t o1 = o0;
    while (o1 < oldstacks.size() && oldstacks[o1].first->type == type) ++o1;
    while (n0 < newstacks.size() && newstacks[n0].first->type < type) ++n0;
    std::size_t n1 = n0;
    while (n1 < newstacks.size() && newstacks[n1].first->type == type) ++n1;
    stacktree oldtree(oldstacks, o0, o1), newtree(newstacks, n0, n1);
    for (std::size_t o = o0; o < o1; ++o) {
      if (oldstacks[o].spent()) continue;
      chain.assign(1, o);
      while (!chain.empty()) {
        const bool fromold = chain.size() % 2 == 1;
        const thingfacts& t = *(fromold ? oldstacks : newstacks)[chain.back()].first;
        const std::size_t next = (fromold ? newtree : oldtree).nearest(t.x, t.y, r);
        // Only the first can find none (the others have the one before them within reach): it stays
        // unpaired.
        if (next == stacktree::none) break;
        if (chain.size() < 2 || next != chain[chain.size() - 2]) {
          chain.push_back(next);
          continue;
        }
        thingstack& from = oldstacks[fromold ? chain.back() : next];
        thingstack& to = newstacks[fromold ? next : chain.back()];
        while (!from.spent() && !to.spent()) {
          const thingfacts& a = from.first[from.next++];
          const thingfacts& b = to.first[to.next++];
          out.things.push_back({changekind::moved, a.number, b.number, differences(a, b, thingproperties)});
        }
        if (from.spent()) oldtree.remove(static_cast<std::size_t>(&from - oldstacks.data()));
        if (to.spent()) newtree.remove(static_cast<std::size_t>(&to - newstacks.data()));
        chain.resize(chain.size() - 2);
        // The first stack may have things left and other stacks within reach.
        if (chain.empty() && !oldstacks[o].spent()) chain.push_back(o);
      }
    }
    o0 = o1;
    n0 = n1;
  }
  for (auto* stacks : {&oldstacks, &newstacks}) {
    for (thingstack& s : *stacks) {
      auto& left = stacks == &oldstacks ? rest.olds : rest.news;
      for (std::size_t i = s.next; i < s.size; ++i) left.push_back(&s.first[i]);
    }
  }
  return rest;
}

void diffthings(std::vector<thingfacts> olds, std::vector<thingfacts> news, std::int64_t reach,
                mapdiff& out) {
  std::vector<thingfacts> oldrest, newrest;
  const auto place = [](const thingfacts& t) { return std::tuple(t.type, t.x, t.y); };
  pairbyplace(
      std::move(olds), std::move(news), place,
      [](const thingfacts& t) { return std::tuple(t.angle, t.skills, t.modes); },
      [&](const thingfacts& a, const thingfacts& b) {
        if (const std::uint32_t what = differences(a, b, thingproperties); what != 0) {
          out.things.push_back({changekind::changed, a.number, b.number, what});
        }
      },
      [&](const thingfacts& t, bool fromold) { (fromold ? oldrest : newrest).push_back(t); });
  // The nearest pairing wants each side by place, stacks in number order.
  const auto numbered = [&](const thingfacts& a, const thingfacts& b) {
    return std::tuple_cat(place(a), std::tuple(a.number)) < std::tuple_cat(place(b), std::tuple(b.number));
  };
  std::sort(oldrest.begin(), oldrest.end(), numbered);
  std::sort(newrest.begin(), newrest.end(), numbered);
  const leftthings left = pairmoved(oldrest, newrest, reach, out);
  for (const thingfacts* t : left.olds) out.things.push_back({changekind::removed, t->number, -1, 0});
  for (const thingfacts* t : left.news) out.things.push_back({changekind::added, -1, t->number, 0});
  putinmaporder(out.things);
}

}  // namespace

std::vector<linefacts> linefactsof(const map& m, std::int32_t fractionbits) {
  const std::int32_t shift = fractionbits - m.fractionbits;
  std::vector<linefacts> out;
  out.reserve(m.linedefs.size());
  for (std::size_t i = 0; i < m.linedefs.size(); ++i) {
    const linedef& l = m.linedefs[i];
    if (l.startvertex >= m.vertexes.size() || l.endvertex >= m.vertexes.size()) continue;
    const vertex& a = m.vertexes[l.startvertex];
    const vertex& b = m.vertexes[l.endvertex];
    linefacts f;
    f.x0 = a.x * (std::int64_t{1} << shift);
    f.y0 = a.y * (std::int64_t{1} << shift);
    f.x1 = b.x * (std::int64_t{1} << shift);
    f.y1 = b.y * (std::int64_t{1} << shift);
    f.fractionbits = fractionbits;
    f.number = static_cast<std::int64_t>(i);
    f.flags = l.flags;
    f.special = l.special;
    f.tag = l.sectortag;
    f.args = l.args;
    f.lock = l.locknumber;
    f.front = sideof(m, l.rightside);
    f.back = sideof(m, l.leftside);
    if (std::tie(f.x1, f.y1) < std::tie(f.x0, f.y0)) {
      std::swap(f.x0, f.x1);
      std::swap(f.y0, f.y1);
      std::swap(f.front, f.back);
    }
    out.push_back(f);
  }
  return out;
}

std::vector<thingfacts> thingfactsof(const map& m, std::int32_t fractionbits) {
  std::vector<thingfacts> out;
  if (!m.things) return out;
  const std::int64_t scale = std::int64_t{1} << (fractionbits - m.fractionbits);
  out.reserve(m.things->size());
  for (std::size_t i = 0; i < m.things->size(); ++i) {
    const thing& t = (*m.things)[i];
    out.push_back({t.x * scale, t.y * scale, fractionbits, static_cast<std::int64_t>(i), t.type, t.angle,
                   static_cast<std::uint8_t>(t.skills & thing::allskills), modesof(t, m.layout)});
  }
  return out;
}

mapdiff diffmaps(const map& older, const map& newer) {
  // Both versions in the finer of their units, so a map saved as UDMF still matches its binary self.
  const std::int32_t bits = std::max(older.fractionbits, newer.fractionbits);
  mapdiff out;
  difflines(linefactsof(older, bits), linefactsof(newer, bits), out);
  diffthings(thingfactsof(older, bits), thingfactsof(newer, bits), movedistance << bits, out);
  return out;
}

namespace {
// A property with no value to speak of (zero, no sector, no arguments) is left out, so lines stay short.
void setting(std::string& row, std::string_view name, const std::string& value) {
  if (value == "0" || value == "-" || value == "0,0,0,0,0") return;
  row += ' ';
  row += name;
  row += '=';
  row += value;
}
}  // namespace

std::string dumpmap(const map& m) {
  std::vector<linefacts> lines = linefactsof(m, m.fractionbits);
  std::vector<thingfacts> things = thingfactsof(m, m.fractionbits);
  // Equal end points (or type and place) keep a stable order through the rest of the text.
  std::vector<std::pair<std::tuple<std::int64_t, std::int64_t, std::int64_t, std::int64_t>, std::string>>
      rows;
  rows.reserve(lines.size());
  for (const linefacts& l : lines) {
    std::string row = "line ";
    row += place(l.x0, l.y0, l.fractionbits);
    row += ' ';
    row += place(l.x1, l.y1, l.fractionbits);
    for (const lineproperty& p : lineproperties) setting(row, p.name, p.value(l));
    rows.emplace_back(std::tuple(l.x0, l.y0, l.x1, l.y1), std::move(row));
  }
  const std::size_t linerows = rows.size();
  for (const thingfacts& t : things) {
    std::string row = "thing ";
    row += number(t.type);
    row += ' ';
    row += place(t.x, t.y, t.fractionbits);
    for (const thingproperty& p : thingproperties) {
      if (p.name != "position") setting(row, p.name, p.value(t));
    }
    rows.emplace_back(std::tuple(std::int64_t{t.type}, t.x, t.y, std::int64_t{0}), std::move(row));
  }
  std::sort(rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(linerows));
  std::sort(rows.begin() + static_cast<std::ptrdiff_t>(linerows), rows.end());
  std::string out;
  for (const auto& row : rows) out += row.second + "\n";
  return out;
}

}  // namespace tracewell
