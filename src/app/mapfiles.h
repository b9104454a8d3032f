// A map's files: where each goes (the pattern, --extra, the name rules, the skip rule), which maps in flight
// share one, and the writing of each through its kind's writer.
#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/filekind.h"
#include "app/outputname.h"
#include "game/mapchecks.h"
#include "game/mapfacts.h"
#include "game/mapstats.h"
#include "render/png.h"
#include "render/pngsize.h"
#include "support/path.h"
#include "web/svg.h"

namespace tracewell {

class TPixmap;
struct drawrequest;
struct map;
struct mapdiff;
struct mapoutcome;
struct scene;

// What a map's files are written from, made on the calling thread and read by one job.
struct mapdocument {
  std::shared_ptr<const scene> drawing;
  std::shared_ptr<TPixmap> image;       // the pixel buffer, when a PNG is among the files
  std::shared_ptr<const map> held;      // the map drawn; a diff's newer version
  std::shared_ptr<const map> older;     // a diff's older version; null for a drawing
  std::shared_ptr<const mapdiff> diff;  // a diff's changes; null for a drawing
  std::optional<mapfacts> facts;        // what a map's page counts
  // A checked map's findings, for its page.
  std::shared_ptr<const std::vector<finding>> findings;
  svgnames names;
  pngencoding png = pngencoding::standard;
  std::size_t cores = 1;  // the threads its PNG encoder may use
};

// Where the files of one map go.
struct placedfiles {
  mapfile main;
  // The main kind first (whose kind the pattern's extension gives), then each kind of --extra not named
  // already; the path of one too long to build is empty.
  std::vector<kindfile> files;
  bool escapes = false;  // a file would lead out of the request's folder: none is written
};

// The files of one run's maps, from their names to the maps in flight that write them.
class mapfiles {
 public:
  // The files of map `name` under `r`. The further kinds share the main file's time stamp, so that the
  // files of one map share their names.
  static placedfiles place(const drawrequest& r, const text& name);

  // With --skip-existing, the size of the image an earlier run drew from this input, when its files are
  // left as they are: each newer than the input, complete (a PNG whole from its header to IEND), and
  // claimed by no earlier map of this run. The requested size when no PNG is among them.
  std::optional<pngsize> drawnbefore(const std::vector<kindfile>& files, const drawrequest& r) const;

  // Whether a map in flight writes one of `files`: it must be delivered before a map that does is
  // submitted, so that a file two maps share ends as the later one leaves it.
  bool inflight(const std::vector<kindfile>& files) const;
  // Notes `files` as those of the newest map in flight.
  void claim(const std::vector<kindfile>& files, bool skipexisting);
  // The oldest map in flight was delivered: results come back in the order the jobs went in.
  void release();

 private:
  std::deque<std::vector<std::string>> writing_;  // the files of each map in flight, in submission order
  std::set<std::string> written_;  // with --skip-existing, every file this run set out to write
};

// Writes every file of `record` from `doc`: each opened with `keep` (files no map may replace), written by
// its kind's writer and committed. The failure line of each file not written goes to the record's errors;
// when every file was written the record's status is written.
void writemapfiles(const mapdocument& doc, const std::vector<fileid>& keep, mapoutcome& record);

}  // namespace tracewell
