// What a line's flags, special, arguments, lock number and sectors mean.
#include "game/specialmeaning.h"

#include <algorithm>

namespace tracewell {

namespace {

bool holds(const specialmeaning& row, mapmeaning game, meaningrule rule) {
  return row.rule == rule && (row.games & gamebit(game)) != 0;
}

bool within(const specialmeaning& row, std::int64_t value) {
  return value >= row.first && value <= row.last;
}

// The meaning of the first lock row naming `value`, as a set; empty when none does.
linemeanings lockmeaning(meaningrule rule, std::int64_t value, mapmeaning game) {
  for (const specialmeaning& row : specialmeanings) {
    if (holds(row, game, rule) && within(row, value)) return linebit(row.meaning);
  }
  return 0;
}

// What a game's rows say of sectors and lock numbers, gathered once from the
// table, so the common line (no special, no lock) costs no walk of it.
struct gamesummary {
  std::int64_t secretequals = -1;  // none
  std::int64_t secretbits = 0;
  bool locknumber = false;
  bool lockarguments = false;
  bool movers = false;  // a row of specials that move tagged sectors
  int equalsrows = 0;
};

constexpr gamesummary summarize(mapmeaning game) {
  gamesummary s;
  for (const specialmeaning& row : specialmeanings) {
    if ((row.games & gamebit(game)) == 0) continue;
    if (row.rule == meaningrule::sectorequals) s.secretequals = row.first, ++s.equalsrows;
    if (row.rule == meaningrule::sectorbits) s.secretbits |= row.first;
    if (row.rule == meaningrule::locknumber) s.locknumber = true;
    if (row.rule == meaningrule::lockargument) s.lockarguments = true;
    if (row.rule == meaningrule::sectortarget && row.moves) s.movers = true;
  }
  return s;
}

constexpr std::array<gamesummary, gamecount> summaries = {
    summarize(mapmeaning::doom), summarize(mapmeaning::heretic), summarize(mapmeaning::strife),
    summarize(mapmeaning::hexen), summarize(mapmeaning::zdoom)};
static_assert(std::all_of(summaries.begin(), summaries.end(),
                          [](const gamesummary& s) { return s.equalsrows <= 1; }),
              "one secret sector special per game");

const gamesummary& summaryof(mapmeaning game) {
  const auto i = static_cast<std::size_t>(game);
  return i < summaries.size() ? summaries[i] : summaries[0];
}

// The lock of a line that keeps it in its lock number or an argument; 0 for none.
std::int64_t lockof(const linedef& l, mapmeaning game) {
  const gamesummary& s = summaryof(game);
  if (s.locknumber && l.locknumber != 0) return l.locknumber;
  if (!s.lockarguments || l.special == 0) return 0;
  for (const specialmeaning& row : specialmeanings) {
    if (holds(row, game, meaningrule::lockargument) && row.first == l.special)
      return l.args[static_cast<std::size_t>(row.argument)];
  }
  return 0;
}

}  // namespace

bool secretsector(std::int64_t special, mapmeaning game) {
  if (special <= 0 || special > greatestspecial) return false;
  const gamesummary& s = summaryof(game);
  return special == s.secretequals || (special & s.secretbits) != 0;
}

linetarget targetof(const linedef& l, mapmeaning game) {
  if (l.special <= 0 || l.special > greatestspecial) return {};
  for (const specialmeaning& row : specialmeanings) {
    if (!within(row, l.special)) continue;
    if (holds(row, game, meaningrule::sectortarget)) return {linetarget::kind::sectors, 0, row.moves};
    if (holds(row, game, meaningrule::linetarget)) return {linetarget::kind::lines};
    if (holds(row, game, meaningrule::thingtarget)) return {linetarget::kind::things, row.argument};
  }
  return {};
}

bool knowssectortargets(mapmeaning game) {
  return summaryof(game).movers;
}

bool movesbacksector(const linedef& l, mapmeaning game) {
  return std::any_of(specialmeanings.begin(), specialmeanings.end(), [&](const specialmeaning& row) {
    return holds(row, game, meaningrule::backsector) && within(row, l.special);
  });
}

bool movingsector(std::int64_t special, mapmeaning game) {
  return std::any_of(specialmeanings.begin(), specialmeanings.end(), [&](const specialmeaning& row) {
    return holds(row, game, meaningrule::sectormoves) && row.first == special;
  });
}

linemeanings meaningsof(const linedef& l, const sector* front, const sector* back, mapmeaning game) {
  linemeanings set = 0;
  if (l.getflag(linedef::noautomap) != 0) set |= linebit(linemeaning::hidden);
  if (l.getflag(linedef::secret) != 0) set |= linebit(linemeaning::secretflag);
  if ((front != nullptr && secretsector(front->sectortype, game)) ||
      (back != nullptr && secretsector(back->sectortype, game)))
    set |= linebit(linemeaning::secretsector);
  const std::int64_t lock = lockof(l, game);
  if (lock != 0) set |= lockmeaning(meaningrule::lock, lock, game);
  if (l.special <= 0 || l.special > greatestspecial) return set;
  for (const specialmeaning& row : specialmeanings) {
    if (!within(row, l.special)) continue;
    if (holds(row, game, meaningrule::special)) set |= linebit(row.meaning);
    if (holds(row, game, meaningrule::generalizedlock)) {
      const std::int64_t key = ((l.special - row.first) & generalizedkeymask) >> generalizedkeyshift;
      set |= lockmeaning(meaningrule::generalizedkey, key, game);
    }
  }
  return set;
}

}  // namespace tracewell
