// Map checks: faults a picture does not show (a lock without its key, a teleporter without a
// destination, an open sector), found at every skill group and mode, each pointing at a line, sector,
// thing or vertex.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "game/games.h"
#include "game/sectoroutlines.h"
#include "support/text.h"
#include "wad/map.h"

namespace tracewell {

enum class checkcode : std::uint8_t {
  missingkey,
  teleportnodestination,
  tagnosector,
  playerstart,
  unclosedsector,
  thingoutside,
  degenerateline,
  missingtexture,
};
inline constexpr std::size_t checkcount = 8;

enum class severity : std::uint8_t { off, warning, error };

// One check: its code as findings and settings name it, its severity unless the settings say
// otherwise, the games it runs for, and its rule in words. A finding the rule calls one step graver is
// an error where the check's severity is a warning.
struct checkrow {
  checkcode code;
  std::string_view word;
  severity preset;
  std::uint8_t games;
  std::string_view rule;
};

// Games whose players start a deathmatch holding every key (P_SpawnPlayer), so that no lock needs one
// there. Hexen is not checked for keys at all: its keys are carried between the maps of a hub.
inline constexpr std::uint8_t keysheldindeathmatch = doomgame | hereticgame | zdoomgame;

inline constexpr std::array<checkrow, checkcount> checkrows = {{
    {checkcode::missingkey, "missing-key", severity::error, everygame & ~hexengame,
     "a locked line whose key appears in no thing at some skill group of single play or coop (or of "
     "deathmatch, where players do not hold every key), in modes the map has a start for"},
    {checkcode::teleportnodestination, "teleport-no-destination", severity::error, everygame,
     "a teleporter whose tag names no sector, or whose sectors hold no destination at some skill group "
     "and mode; line-to-line teleporters need another line of the tag, teleporters by thing id a thing "
     "of that id"},
    {checkcode::tagnosector, "tag-no-sector", severity::warning, everygame,
     "a special that acts on tagged sectors, with a tag no sector has, or with tag 0"},
    {checkcode::playerstart, "player-start", severity::warning, everygame,
     "fewer than four cooperative starts, or fewer than four deathmatch starts where the map has any; "
     "one step graver: no player 1 start"},
    {checkcode::unclosedsector, "unclosed-sector", severity::warning, everygame,
     "a sector whose sides meet an odd number of times at a vertex"},
    {checkcode::thingoutside, "thing-outside", severity::warning, everygame,
     "a thing that stands in no sector; one step graver for keys, starts and teleport destinations; "
     "things only for editors and scripts are exempt"},
    {checkcode::degenerateline, "degenerate-line", severity::warning, everygame,
     "a linedef of length 0, or with the same two end points as an earlier one"},
    {checkcode::missingtexture, "missing-texture", severity::warning, everygame,
     "a one-sided line without a middle texture; on a two-sided line, the side facing the lower floor "
     "without a lower texture, the side facing the higher ceiling without an upper one (none where both "
     "ceilings are sky); only sides of sectors a player can see into count: one moved in play (tagged "
     "by a special, behind a door used by hand, or by its own special), or one with its ceiling above "
     "its floor that opens onto a neighbour (above both floors, or onto one that moves) or holds a "
     "start or a teleport destination; lines of control sectors are skipped"},
}};

namespace checkrowcheck {
constexpr bool consistent() {
  for (std::size_t i = 0; i < checkrows.size(); ++i) {
    if (static_cast<std::size_t>(checkrows[i].code) != i) return false;
  }
  return true;
}
}  // namespace checkrowcheck
static_assert(checkrowcheck::consistent(), "the check rows out of the order of their codes");

// Each check's severity, by code.
using checksettings = std::array<severity, checkcount>;
checksettings presetseverities();

// Where a finding points: the map as a whole, or a linedef, sector, thing or vertex by number. In this
// order: the map, then L before S before T before V, numerically within each.
struct checkaddress {
  enum class kind : std::uint8_t { map, line, sector, thing, vertex };
  kind is = kind::map;
  std::int64_t number = 0;

  // "L12", "S3", "T40", "V7"; empty for the map.
  text words() const;
  // NOLINTNEXTLINE(modernize-use-nullptr): the defaulted <=> is what compares with 0
  friend auto operator<=>(const checkaddress&, const checkaddress&) = default;
};

struct finding {
  checkcode code;
  severity level;
  checkaddress at;
  text message;  // ASCII
};

// Every finding of the checks not set off in `settings` on `m` (read with its things; without them the
// checks of things find nothing), sorted by address, then by check. `outlines` are `m`'s. Things
// without a place (unplaced UDMF things) are in no check: they give no key and no destination, and
// have no place to be outside of. UDMF maps are not checked for textures or tags, which their reader
// does not keep.
std::vector<finding> checkmap(const map& m, const sectoroutlines& outlines, const checksettings& settings);

}  // namespace tracewell
