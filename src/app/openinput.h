// Opening an input, a WAD file or a ZIP archive of WADs, and the words of its refusals.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <optional>
#include <vector>

#include "support/failure.h"
#include "support/text.h"
#include "wad/mapsource.h"

namespace tracewell {

// The most bytes read from a pipe or a device as one version of an input.
inline constexpr std::uint64_t streamlimit = std::uint64_t{2} << 30;

// The refusal of an input that cannot be used, from the reason of the failure
// console::tryopen gave: "Error opening WAD file." for one that cannot be
// opened, "No maps found in WAD." for one without maps, else "Error parsing
// WAD file.", "Stream longer than ..." for a pipe over the limit.
text refusaltext(const failure& f);

// The command line's reading of an input's failure: one that ends before a
// WAD's signature is no WAD (a notice with reason notawad), where the
// dialogue takes it for a stream failure; every other failure as it is.
failure asinputrefusal(failure f);

// Opens one version of an input: as any input, or, for a path that is no
// regular file (a pipe from `git show`), its bytes read whole into memory, at
// most streamlimit, its first bytes checked as they arrive (readwhole,
// ismapsourcehead). The failures are openmapsource's, readwhole's and
// overlimit, with an input that ends before a WAD's signature taken for no WAD
// (asinputrefusal).
result<std::shared_ptr<mapsource>> openversion(const text& path, mapdetection how);

// One version of an input that --diff compares: its source and the names it lists.
struct revision {
  text path;
  std::shared_ptr<mapsource> source;
  std::list<text> names;

  // The listed name equal to `name` ignoring case; nullopt when it lists none.
  std::optional<text> listed(const text& name) const;
  // The version's map `name` (things read), an empty map when it lists none, or nullopt when it cannot be
  // read: its failure lines go to `errors`, or to `stop` for a fatal stop or a stream failure.
  std::optional<std::shared_ptr<map>> load(const text& name, std::int32_t format, std::vector<text>& errors,
                                           std::optional<failure>& stop) const;
};

// The version at `path` (openversion), with the names it lists, or why it cannot be used.
result<revision> openrevision(const text& path, mapdetection how);

}  // namespace tracewell
