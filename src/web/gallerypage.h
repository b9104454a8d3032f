// The gallery of a batch run: one page listing every input and map drawn, with thumbnails and links.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "game/mapchecks.h"
#include "game/mapfacts.h"
#include "support/outputfile.h"
#include "support/text.h"

namespace tracewell {

// The checks' findings of a map by severity.
struct findingcount {
  std::int64_t errors = 0;
  std::int64_t warnings = 0;
};
findingcount countfindings(const std::vector<finding>& findings);

// One map of the run, or an input refused whole (no map), as the manifest records it.
struct galleryentry {
  text input;                     // the input as given
  std::size_t given = 0;          // which input of the run: one given twice has two sections
  std::optional<text> map;        // the map's name as read (bytes as code units); absent: the input refused
  std::string status;             // "written", "skipped" or "failed"
  text error;                     // why it failed or was refused, lines joined by '\n'; empty otherwise
  std::optional<mapfacts> facts;  // the map's, when it was read
  std::optional<findingcount> findings;  // the map's, when it was checked
  // The files written for the map, by kind ("png", "svg", "html"), main kind first.
  std::vector<std::pair<std::string, text>> files;
};

// Writes the gallery of `entries` (in run order) for a page that will lie in folder `folder`: a
// section per input with its name and how it went, a card per map with its thumbnail (its PNG, else
// its SVG; loaded only when scrolled to), name, status, counts, its findings' errors and warnings when it
// was checked, and links to its files, and a box that narrows the cards by input or map name (and, when
// any map was checked, a switch that leaves only maps with errors). Links are relative to `folder` and
// percent-encoded. Every name is escaped, and the page runs only its own script. Finishes `out`, does not
// commit it.
outputstatus writegallery(const std::vector<galleryentry>& entries, const text& folder, outputfile& out);

// The path of `file` relative to `folder`, percent-encoded for a link: every byte but letters,
// digits, "-._~" and the "/" between segments as %XX, so "#", "?", "%" and spaces stay in the name.
std::string relativelink(const text& folder, const text& file);

}  // namespace tracewell
