// The output run: each chosen map planned in turn, drawn and written on the ordered pool, reported in map
// order.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/outputname.h"
#include "app/report.h"
#include "game/mapcensus.h"
#include "support/failure.h"
#include "support/orderedpool.h"
#include "support/path.h"
#include "support/text.h"
#include "wad/map.h"

namespace tracewell {

class mapsource;
struct scheme;

// How the maps of one input are drawn and where their files go.
struct drawrequest {
  text pattern;  // output pattern: "%" map name, "*" date/time
  std::int32_t format = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t margin = 0;
  std::shared_ptr<const scheme> look;
  std::vector<fileid> keep;  // files no image may replace: the tool's own inputs
  text input;                // the input as given, for the records and --skip-existing
  // When set, `pattern` lies below this folder: a file name that would lead
  // out of it is not written, and the folders it names are made.
  text folder;
  bool skipexisting = false;  // a map whose image is newer than `input` is not drawn
  bool census = false;        // the records count things and gameplay lines, whatever the scheme draws
};

// What became of one map, handed on in map order whatever order the maps were
// drawn in: enough for a list of what was written or a record per map.
struct mapoutcome {
  enum class state { written, skipped, failed };

  text input;          // the input as given
  text name;           // as listed, or as asked for
  bool whole = false;  // the record of an input refused as a whole: it names no map
  state status = state::failed;
  text output;                      // the file written or tried; empty when its name could not be made
  std::vector<text> errors;         // the lines printed for it, a name too long to build aside
  std::optional<maplayout> layout;  // what follows is known only for a map that was read
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::size_t linedefs = 0;
  std::int32_t fractionbits = 0;         // the bounds' units, as the map's vertexes
  std::array<std::int64_t, 4> bounds{};  // least x, least y, greatest x, greatest y (y negated as vertexes)
  std::optional<std::int64_t> things;    // records read; absent when not read or unreadable
  std::optional<mapcensus> census;       // when the request asks for it
};

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
  // Drops the source (an archive's file closes with it).
  void close();
  const std::shared_ptr<mapsource>& source() const { return source_; }

  // Draws `names` in order under `r`. `all`: the names are the whole list
  // (a progress line per map; a listed name that fails to load is a map
  // missed only when the source takes it for a real map, isrealmap). Returns once every map was delivered; a
  // fatal stop or a stream failure comes back after the maps before it, and no map after it is drawn.
  status draw(const std::list<text>& names, const drawrequest& r, bool all);

  // The one map step: the file name, the map read, its buffer made and its
  // lines sorted. Waits for room in the pool before it takes a buffer.
  mapstep plan(const text& name, const drawrequest& r, bool asked);

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
  void deliver(mapoutcome& done);
  void print(const mapstep& step, const drawrequest& r);

  std::shared_ptr<mapsource> source_;
  std::optional<orderedpool<mapoutcome>> pool_;
  std::deque<std::string> writing_;  // the files of the jobs in flight, in submission order
  bool missed_ = false;
  bool spanning_ = false;
};

}  // namespace tracewell
