// The manifest of a batch run: one JSON object per map, one per line (JSON Lines).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/maprun.h"
#include "support/outputfile.h"
#include "support/path.h"
#include "support/text.h"

namespace tracewell {

// The record as one JSON object without a line end. Each string is taken as
// bytes that should be UTF-8, what is not showing as U+FFFD: the map name as
// the WAD stores it, the input as given, a file as the path the file system
// received (nativepath), the error as the console shows it. A failed map has
// null map fields; the bounds are given with y as the file stores it, in map
// units.
// With `outputs` (a run given --extra) the record ends in an object from each kind's word to its
// file, null for a file not written (nor skipped as up to date); null for an input refused whole.
// With `tallies` (a run that writes pages or a gallery) it ends, after those, in the things per skill
// group and mode ("things_by_skill") and the monsters and items by editor number ("monster_types",
// "item_types"); null where the map or its things could not be read.
// Then, with `tallies`, the statistics per skill group and mode ("stats", statsof); with `checks` (a
// check run) the findings ("findings": code, severity, address, message).
std::string manifestline(const mapoutcome& record, bool outputs = false, bool tallies = false,
                         bool checks = false);

struct galleryentry;  // declared with the gallery, web/gallerypage.h
// The record as the gallery shows it: the same fields, and the files that hold the map.
galleryentry galleryentryof(const mapoutcome& record);

// Where the manifest's lines go: standard output, flushed line by line, or an
// output file (see outputfile, kind records): a regular file is replaced when
// the run ends, a device or FIFO takes each line as it comes.
class manifestwriter {
 public:
  // Starts the manifest at `path` ("-": standard output), which may be none of
  // `keep`. Fails, with nothing made, when the file cannot be started.
  outputstatus open(const text& path, const std::vector<fileid>& keep);
  // Adds one line; a line that cannot be written makes `close` fail.
  void add(const mapoutcome& record);
  // Puts the file in place. Fails when any of it could not be written; no file is left half made.
  outputstatus close();

  bool outputs = false;  // each line ends in its map's files by kind
  bool tallies = false;  // then in its things per skill and mode, monsters and items by type, statistics
  bool checks = false;   // then in its findings

 private:
  bool tostdout_ = false;
  std::optional<outputfile> file_;
};

}  // namespace tracewell
