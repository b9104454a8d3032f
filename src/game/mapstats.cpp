// A map's statistics per skill group and mode: monsters and their hit points, health, armour,
// ammunition and its damage against those hit points, keys and starts.
#include "game/mapstats.h"

#include "game/linemeaning.h"
#include "game/specialmeaning.h"
#include "game/thingkind.h"

namespace tracewell {

namespace {

// The skill bits (skill s is bit s - 1) of each group, as thingtally has them.
constexpr std::array<std::uint8_t, skillgroups> groupbits = {0x03, 0x04, 0x18};
constexpr std::size_t deathmatchmode = 2;

// What picking up `v` gives, by kind of ammunition. A dropped clip is half a clip and a dropped weapon
// one; a weapon found in deathmatch five clips, elsewhere two (P_GiveAmmo, P_GiveWeapon).
std::array<std::int64_t, ammokinds> ammoof(const thingvalue& v, bool dropped, bool deathmatch) {
  std::array<std::int64_t, ammokinds> got{};
  if (v.pickup == ammopickup::backpack) return clipammo;
  if (v.kind == ammo::none) return got;
  const auto k = static_cast<std::size_t>(v.kind);
  if (v.pickup == ammopickup::box) got[k] = dropped ? clipammo[k] / 2 : v.clips * clipammo[k];
  if (v.pickup == ammopickup::weapon) got[k] = (dropped ? 1 : deathmatch ? 5 : 2) * clipammo[k];
  return got;
}

// cppcheck-suppress constParameter ; the cell's counts are written through its optionals
void add(statcell& c, const thingvalue& v, bool deathmatch) {
  *c.hitpoints += v.hitpoints;
  *c.health += v.health;
  *c.armour += v.armour;
  std::array<std::int64_t, ammokinds> got = ammoof(v, false, deathmatch);
  if (v.drops != 0) {
    if (const thingvalue* d = thingvalueof(mapmeaning::doom, v.drops)) got = ammoof(*d, true, deathmatch);
  }
  for (std::size_t k = 0; k < ammokinds; ++k) (*c.ammunition)[k] += got[k];
}

void count(statcell& c, thingkind kind, const thingvalue* v, bool deathmatch) {
  if (kind == thingkind::monster) ++c.monsters;
  if (kind == thingkind::keyred) ++c.keys[0];
  if (kind == thingkind::keyblue) ++c.keys[1];
  if (kind == thingkind::keyyellow) ++c.keys[2];
  if (kind == thingkind::keyother) ++c.keys[3];
  if (c.hitpoints && v != nullptr) add(c, *v, deathmatch);
}

void ratios(statcell& c, std::size_t group) {
  if (!c.ammunition || !c.hitpoints || *c.hitpoints == 0) return;
  double damage = 0;
  for (std::size_t k = 0; k < ammokinds; ++k)
    damage += static_cast<double>((*c.ammunition)[k]) * ammodamage[k];
  c.ratio = damage / static_cast<double>(*c.hitpoints);
  if (group != 1) c.ratiodoubled = 2 * *c.ratio;
}

}  // namespace

std::optional<mapstats> statsof(const map& m) {
  if (!m.things) return std::nullopt;
  mapstats s;
  const bool valued = (valuedgames & gamebit(m.meaning)) != 0;
  for (auto& mode : s.cells) {
    for (statcell& c : mode) {
      if (!valued) continue;
      c.hitpoints = c.health = c.armour = 0;
      c.ammunition.emplace();
    }
  }
  for (const thing& t : *m.things) {
    const thingkind kind = thingkindof(m.meaning, t.type);
    const bool start = kind == thingkind::start && t.type >= 1 && t.type <= 4;
    const thingvalue* v = thingvalueof(m.meaning, t.type);
    for (std::size_t mode = 0; mode < playmodes; ++mode) {
      for (std::size_t g = 0; g < skillgroups; ++g) {
        statcell& c = s.cells[mode][g];
        c.playerstarts += start ? 1 : 0;
        c.deathmatchstarts += kind == thingkind::dmstart ? 1 : 0;
        if ((t.*playmoderows[mode].in) && (t.skills & groupbits[g]) != 0)
          count(c, kind, v, mode == deathmatchmode);
      }
    }
  }
  for (auto& mode : s.cells) {
    for (std::size_t g = 0; g < skillgroups; ++g) ratios(mode[g], g);
  }
  for (const sector& sec : m.sectors) s.secretsectors += secretsector(sec.sectortype, m.meaning) ? 1 : 0;
  for (const linedef& l : m.linedefs) {
    const linemeanings set = meaningsof(l, m.sideof(l.rightside), m.sideof(l.leftside), m.meaning);
    s.secretexitlines += (set & linebit(linemeaning::secretexit)) != 0 ? 1 : 0;
  }
  return s;
}

namespace {
std::optional<double> number(std::int64_t v) {
  return static_cast<double>(v);
}
std::optional<double> number(const std::optional<std::int64_t>& v) {
  return v ? std::optional<double>(static_cast<double>(*v)) : std::nullopt;
}
template <std::size_t k>
std::optional<double> ammoamount(const statcell& c) {
  return c.ammunition ? number((*c.ammunition)[k]) : std::nullopt;
}
template <std::size_t k>
std::optional<double> keycount(const statcell& c) {
  return number(c.keys[k]);
}
}  // namespace

const std::array<statfield, 16> statfields = {{
    {"monsters", "monsters", [](const statcell& c) { return number(c.monsters); }},
    {"monster_hit_points", "monster hit points", [](const statcell& c) { return number(c.hitpoints); }},
    {"health", "health", [](const statcell& c) { return number(c.health); }},
    {"armor", "armour", [](const statcell& c) { return number(c.armour); }},
    {"ammo.bullets", "bullets", ammoamount<0>},
    {"ammo.shells", "shells", ammoamount<1>},
    {"ammo.rockets", "rockets", ammoamount<2>},
    {"ammo.cells", "cells", ammoamount<3>},
    {"ammo_hp_ratio", "ammo damage / hit points", [](const statcell& c) { return c.ratio; }},
    {"ammo_hp_ratio_doubled", "the same, skills 1 and 5", [](const statcell& c) { return c.ratiodoubled; }},
    {"keys.red", "red keys", keycount<0>},
    {"keys.blue", "blue keys", keycount<1>},
    {"keys.yellow", "yellow keys", keycount<2>},
    {"keys.other", "other keys", keycount<3>},
    {"player_starts", "player starts", [](const statcell& c) { return number(c.playerstarts); }},
    {"deathmatch_starts", "deathmatch starts", [](const statcell& c) { return number(c.deathmatchstarts); }},
}};

}  // namespace tracewell
