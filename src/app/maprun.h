// The output run: each chosen map planned in turn, drawn and written on the ordered pool, reported in map
// order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <vector>

#include "app/mapfiles.h"
#include "app/openinput.h"
#include "app/outputname.h"
#include "app/report.h"
#include "game/mapchecks.h"
#include "game/mapfacts.h"
#include "game/mapstats.h"
#include "render/png.h"
#include "render/pngsize.h"
#include "support/failure.h"
#include "support/orderedpool.h"
#include "support/path.h"
#include "support/text.h"
#include "wad/map.h"

namespace tracewell {

class mapsource;
struct scheme;

// Pixel buffers in flight together stay within this many bytes.
inline constexpr std::int64_t inflightbytes = std::int64_t{1} << 30;

// How many maps of width x height a run keeps in flight: one per core
// (at least one), fewer where their buffers would pass inflightbytes, and no
// more than the temporary files that can be guarded at once. 1 means one map
// after another, the plain run. The compact encoder's palette indices (at
// most a byte a pixel) count with each buffer.
std::size_t mapsinflight(std::int32_t width, std::int32_t height, pngencoding png = pngencoding::standard);

// The record of a map that an earlier map of its input kept from being drawn.
inline constexpr const char16_t* notreached = u"not drawn: an earlier map stopped this input";

// What a run makes of each map. A kind of run is a case of the map step (what it reads, what it draws),
// never a copy of the step: the files, the pool and the records are the same for each.
enum class mapwork {
  draw,   // the map as the source holds it
  diff,   // what changed from the older version (maprun::compare) to the source's
  check,  // the map's findings and statistics; drawn only when the request asks for pictures
};

// How the maps of one input are drawn and where their files go.
struct drawrequest {
  mapwork work = mapwork::draw;
  text pattern;  // output pattern: "%" map name, "*" date/time; below `folder` when that is set
  std::int32_t format = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t margin = 0;
  std::shared_ptr<const scheme> look;
  std::vector<fileid> keep;  // files no image may replace: the tool's own inputs
  text input;                // the input as given, for the records and --skip-existing
  std::size_t given = 0;     // which input of a batch run, so that one given twice stays two
  // When set, each file is this folder, taken literally, and the filled-in
  // pattern below it: a file name that would lead out of it is not written,
  // and the folders the pattern names are made.
  text folder;
  bool literalnames = false;  // a "*" in a map name stays itself; the dialogue puts the time there
  bool skipexisting = false;  // a map whose files are newer than `input` (and complete) is not drawn
  bool census = false;        // the records count things and gameplay lines, whatever the scheme draws
  bool tally = false;         // the records count things per skill and mode, monsters and items by type
  pngencoding png = pngencoding::standard;
  // Kinds written beside the main file (whose kind its pattern's extension gives), in this order; one
  // named twice or equal to the main one is written once.
  std::vector<filekind> extra;
  bool crop = false;     // a diff's picture shows only the part of the map around what changed
  bool pictures = true;  // a check run writes files only when asked to
  // The checks' severities. A check run, a drawing whose records show the things per skill (`tally`)
  // and one that writes a page have each map checked once, as it is read.
  checksettings severities = presetseverities();
};

// What became of one map, handed on in map order whatever order the maps were
// drawn in: enough for a list of what was written or a record per map.
struct mapoutcome {
  // unchanged: a diff found nothing; checked: a check run read the map and was asked for no file.
  enum class state { written, skipped, failed, unchanged, checked };

  text input;             // the input as given
  std::size_t given = 0;  // which input of a batch run
  text name;              // as listed, or as asked for
  bool whole = false;     // the record of an input refused as a whole: it names no map
  state status = state::failed;
  text output;                  // the file written or tried; empty when its name could not be made
  std::vector<kindfile> files;  // every kind's file, the main one (`output`) first, as they were written
  std::vector<text> errors;     // the lines printed for it, a name too long to build aside
  std::int32_t width = 0;
  std::int32_t height = 0;
  // Known only for a map that was read; its census and tally when the request asks for records.
  std::optional<mapfacts> facts;
  // A checked map's findings in address order, made once with its facts: for a check run's lines and
  // records, its page and its gallery card.
  std::shared_ptr<const std::vector<finding>> findings;
  std::optional<text> oldinput;  // a diff's: the older version, `input` being the newer
  text summary;                  // a diff's summary line, printed on standard output before its files
  // A diff's: its figures as the manifest's `diff` object (diffjson); null otherwise.
  std::shared_ptr<const nlohmann::ordered_json> diff;
};

// Runs `job` on `record`, as a map's job on the pool does. An exception it
// throws leaves the map failed rather than ending the process: for want of
// memory with the line of an image too large (toolargeline), any other with
// a line naming it; the files settled before it keep their state.
mapoutcome guardedjob(mapoutcome record, const std::function<void(mapoutcome&)>& job);

// One map planned: everything that can print or fail is done, in map order.
// Either it prints (`lines`, or the failure line of `unbuildable`) or it
// carries `job`, which cannot print or fail but for the write itself.
struct mapstep {
  mapoutcome record;
  std::vector<text> lines;
  std::optional<mapfile> unbuildable;  // a file name too long to build: its line is printed in parts
  std::optional<failure> stop;         // a fatal stop or a stream failure: no map after it is drawn
  std::function<mapoutcome()> job;     // clear, draw, encode, write; the record with its status
};

// What the map step read: the map to draw, and for a diff the older version and the changes.
struct mapread {
  std::shared_ptr<const map> held;  // null when the step is done
  std::shared_ptr<const map> older;
  std::shared_ptr<const mapdiff> diff;
};

// How a draw ended: every map delivered, or stopped at `map` by `stop`.
struct drawend {
  std::optional<failure> stop;  // a fatal stop or a stream failure: no map after it was drawn
  text map;                     // the map that stopped the draw

  bool ok() const { return !stop; }
  // What the map that stopped prints and records: the message, and for a fatal stop its load failure line.
  std::vector<text> lines() const;
};

// The run over the maps of an opened source. Maps are planned one after
// another on the calling thread, which alone reads the source and prints; the
// drawing, encoding and writing go to an ordered pool, so lines, files and
// records come out as the run of one map after another gives them. The run
// outlives its source: `open` hands it the next one, keeping how it speaks
// and what it missed.
class maprun {
 public:
  explicit maprun(std::shared_ptr<mapsource> source);
  ~maprun();
  maprun(const maprun&) = delete;
  maprun& operator=(const maprun&) = delete;

  voice mode = voice::dialogue;  // how the run prints
  std::size_t inflight = 0;      // maps kept in flight; 0: mapsinflight(width, height)
  bool printwritten = true;      // the command line prints each file it wrote
  // Each map's outcome, in map order, as it is settled.
  std::function<void(const mapoutcome&)> recorded;

  // The source whose maps the next draw plans.
  void open(std::shared_ptr<mapsource> source);
  // Makes the next draws diffs: each map of `older` against the same of `newer`, the source from now on.
  void compare(revision older, revision newer);
  // Drops the source (an archive's file closes with it).
  void close();
  const std::shared_ptr<mapsource>& source() const { return source_; }

  // Draws `names` in order under `r`. `all`: the names are the whole list
  // (a progress line per map; a listed name that fails to load is a map
  // missed only when the source takes it for a real map, isrealmap). Returns once every map was delivered; a
  // fatal stop or a stream failure comes back after the maps before it, naming the map it came from, and no
  // map after it is drawn: the records of that map and of those after it are handed on before it returns.
  drawend draw(const std::list<text>& names, const drawrequest& r, bool all);

  // Keeps one pool for every draw until `finish`, `wide` maps in flight: the
  // next source's maps start while the last ones of the source before are
  // still being written.
  void span(std::size_t wide);
  // Delivers every map in flight.
  void drain();
  // Delivers every map in flight and ends the pool `span` made.
  void finish();

  // Whether a map asked for was not written, in any draw of this run.
  bool missed() const { return missed_; }

 private:
  // The one map step, in the steps below: the files placed, the map read, room made and the job made.
  mapstep plan(const text& name, const drawrequest& r, bool asked);
  // The files, and the rules that leave a map undrawn before it is read: a name that escapes its folder,
  // an image already up to date. False when the step is done.
  bool placefiles(const drawrequest& r, const placedfiles& placed, std::optional<pngsize>& current,
                  mapstep& step);
  // Loads the map and fills its record, the census too.
  mapread readmap(const drawrequest& r, bool asked, mapstep& step);
  // Loads the map as readmap does; without pictures to draw, the step is done with its findings.
  mapread readcheck(const drawrequest& r, bool asked, mapstep& step);
  // Loads both versions and compares them; the record has the diff's figures and summary. A map that did
  // not change is done.
  mapread readdiff(const drawrequest& r, mapstep& step);
  // Waits for room in the pool, then makes the map's job; when memory runs short with maps in flight,
  // waits for them and tries once more. False when the step is done.
  bool makeroom(const mapread& read, const drawrequest& r, const mapfile& file, mapstep& step);
  // Hands on the records of a draw's map that stopped it and of the maps after it.
  void recordstop(const drawend& end, std::list<text>::const_iterator after,
                  std::list<text>::const_iterator last, const drawrequest& r);
  // Starts the pool with `wide` maps in flight, and shares the cores among them.
  void startpool(std::size_t wide);
  void deliver(mapoutcome& done);
  void print(const mapstep& step, const drawrequest& r);
  // A diff's summary line, on standard output unless the run prints nothing there.
  void saysummary(const mapoutcome& record) const;

  std::shared_ptr<mapsource> source_;
  std::optional<revision> older_, newer_;  // a diff's versions, the newer one the source
  std::optional<orderedpool<mapoutcome>> pool_;
  mapfiles files_;
  std::size_t cores_ = 1;  // the threads each map's PNG encoder may use
  bool missed_ = false;
  bool spanning_ = false;
};

}  // namespace tracewell
